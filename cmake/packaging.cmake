# Installation (`cmake --install`) and the Debian package (`cpack -G DEB`): the programs that
# this build made, their manual pages, the example networks and the documentation.
#
# Installed names use the package name "neural-creatures" everywhere (Debian package names
# take no underscore): share/neural-creatures/examples and share/doc/neural-creatures.
include(GNUInstallDirs)

set(NC_PACKAGE_NAME neural-creatures)
set(NC_EXAMPLES_DIR ${CMAKE_INSTALL_DATADIR}/${NC_PACKAGE_NAME}/examples)
set(NC_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${NC_PACKAGE_NAME})

# --- Programs and their manual pages ------------------------------------------------------
# The manual pages name the installed examples and documents by their full paths (roff
# wants its hyphens escaped). The package installs under /usr, so build it from a tree
# configured with -DCMAKE_INSTALL_PREFIX=/usr, as scripts/check_package.sh does.
string(REPLACE "-" "\\-" NC_MAN_EXAMPLES_DIR "${CMAKE_INSTALL_FULL_DATADIR}/${NC_PACKAGE_NAME}/examples")
string(REPLACE "-" "\\-" NC_MAN_DOC_DIR "${CMAKE_INSTALL_FULL_DATADIR}/doc/${NC_PACKAGE_NAME}")
find_program(NC_GZIP gzip DOC "gzip, to compress the manual pages")
# Only what this build made: NC_BUILD_PROGRAMS=OFF leaves out the two Allegro programs.
set(nc_installed_programs)
foreach(program creature_sim net_tester net_train creature_lab)
  if(NOT TARGET ${program})
    continue()
  endif()
  list(APPEND nc_installed_programs ${program})
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in ${page} @ONLY)
  if(NC_GZIP)
    # -n keeps the name and time out of the archive, so the package builds the same each time.
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${NC_GZIP} -9 -n -c ${page} > ${page}.gz
      DEPENDS ${page}
      COMMENT "Compressing the manual page of ${program}")
    set(page ${page}.gz)
  endif()
  list(APPEND nc_manual_pages ${page})
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${nc_manual_pages})

install(TARGETS ${nc_installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${nc_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# --- Examples and documentation -----------------------------------------------------------
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${NC_EXAMPLES_DIR}
  FILES_MATCHING PATTERN "*.txt" PATTERN "README.md")
# The README links to docs/…, so the documents keep that place beside it.
install(FILES README.md LICENSE CHANGELOG.md DESTINATION ${NC_DOC_DIR})
install(FILES docs/network-file.md DESTINATION ${NC_DOC_DIR}/docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${NC_DOC_DIR}/docs
  FILES_MATCHING PATTERN "*.png")

# --- Debian package -----------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${NC_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Neural creatures authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "small neural-network engine with a light-seeking creature and a network viewer")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the Neural creatures authors")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the programs link (liballegro4.4, libc6, libstdc++6, ...),
# found by dpkg-shlibdeps (package dpkg-dev, with file); without those tools it is named here.
find_program(NC_DPKG_SHLIBDEPS dpkg-shlibdeps DOC "dpkg-shlibdeps, to find the package's dependencies")
find_program(NC_FILE_UTILITY file DOC "file, which CPack needs to find the programs in the package")
if(NC_DPKG_SHLIBDEPS AND NC_FILE_UTILITY)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
  if(TARGET creature_sim OR TARGET net_tester)
    string(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS "liballegro4.4, ")
  endif()
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The summary above is the synopsis line; CPack indents this body and marks its empty lines.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Play with small feed-forward neural networks described in a plain-text network file.

 * creature_sim: a creature with three light sensors, driven by a network,
   follows or flees a spotlight that you move with the mouse and the numpad.
 * net_tester: draws a whole network, every neuron shaded by its output and
   every connection by its weight; the digit keys and the mouse drive the inputs.
 * net_train: trains a network file by back-propagation from the command line.
 * creature_lab: scores, traces and evolves creatures without a display.

Example networks are in /usr/share/neural-creatures/examples.")

include(CPack)
