# Installation (`cmake --install`) and the Debian packages (`cpack -G DEB`), one per component:
# "programs" (the programs this build made, their manual pages, the example networks and the
# documentation), and "library" and "development" (cmake/library.cmake) and "python" (python/).
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
foreach(program creature_sim net_tester net_lab net_train creature_lab)
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

install(TARGETS ${nc_installed_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
install(FILES ${nc_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs)

# --- Examples and documentation -----------------------------------------------------------
# The library's example programs go with the development files and the Python module.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${NC_EXAMPLES_DIR} COMPONENT programs
  FILES_MATCHING PATTERN "*.txt" PATTERN "*.csv" PATTERN "README.md" PATTERN "consumer" EXCLUDE
  PATTERN "python" EXCLUDE)
# The README links to docs/…, so the documents keep that place beside it.
install(FILES README.md LICENSE CHANGELOG.md DESTINATION ${NC_DOC_DIR} COMPONENT programs)
install(FILES docs/network-file.md DESTINATION ${NC_DOC_DIR}/docs COMPONENT programs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/images DESTINATION ${NC_DOC_DIR}/docs COMPONENT programs
  FILES_MATCHING PATTERN "*.png")

# --- The browser edition ------------------------------------------------------------------
# Its page is built with emscripten in a tree of its own (scripts/build_web.sh); name it here to
# install it beside the examples, as scripts/check_package.sh does.
set(NC_WEB_PAGE "" CACHE FILEPATH
  "The browser edition's neural-creatures.html to install under share/neural-creatures/web")
if(NC_WEB_PAGE)
  install(FILES ${NC_WEB_PAGE} DESTINATION ${CMAKE_INSTALL_DATADIR}/${NC_PACKAGE_NAME}/web COMPONENT programs)
endif()

# --- Debian package -----------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${NC_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Neural creatures authors")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# One Debian package per component.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs library development)
if(TARGET neural_creatures_python)
  list(APPEND CPACK_COMPONENTS_ALL python)
endif()
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME ${NC_PACKAGE_NAME})
set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libneural-creatures0)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libneural-creatures-dev)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-neural-creatures)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(NC_PACKAGE_MAINTAINER "Neural creatures maintainers <maintainers@neural-creatures.example>" CACHE STRING
  "The packages' maintainer, a name and an address")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${NC_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends comes from the libraries the programs, the library and the Python module link
# (liballegro4.4, libc6, libstdc++6, ...), found by dpkg-shlibdeps (package dpkg-dev, with
# file); without those tools it is named here. The library's package states which of its own
# versions a program built against it needs (its shlibs file), and dpkg-shlibdeps finds the
# library of this build for the Python module.
find_program(NC_DPKG_SHLIBDEPS dpkg-shlibdeps DOC "dpkg-shlibdeps, to find the package's dependencies")
find_program(NC_FILE_UTILITY file DOC "file, which CPack needs to find the programs in the package")
set(nc_same_library "libneural-creatures0 (= ${PROJECT_VERSION})")
if(NC_DPKG_SHLIBDEPS AND NC_FILE_UTILITY)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY "=")
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${NC_LIBRARY_OUTPUT_DIR})
  set(nc_python_depends "${nc_same_library}, ${NC_PYTHON_DEPENDS}")
else()
  set(nc_runtime "libc6, libgcc-s1, libstdc++6")
  set(CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS ${nc_runtime})
  if(TARGET creature_sim OR TARGET net_tester OR TARGET net_lab)
    string(PREPEND CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS "liballegro4.4, ")
  endif()
  if(TARGET creature_lab)
    string(APPEND CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS ", libpng16-16")
  endif()
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_DEPENDS ${nc_runtime})
  set(nc_python_depends "${nc_same_library}, ${nc_runtime}, ${NC_PYTHON_DEPENDS}")
endif()
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS ${nc_same_library})
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS ${nc_python_depends})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Each description's first line is the package's synopsis; CPack indents the body and marks
# its empty lines.
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION
  "small neural-network engine with a light-seeking creature and a network viewer
Play with small feed-forward neural networks described in a plain-text
network file.

 * creature_sim: a creature with three light sensors, driven by a network,
   follows or flees a spotlight that you move with the mouse and the numpad.
 * net_tester: draws a whole network, every neuron shaded by its output and
   every connection by its weight; the digit keys and the mouse drive the
   inputs.
 * net_lab: trains a network before your eyes, with its learning curve and,
   for two inputs, the map of its output over the input square.
 * net_train: trains a network file by back-propagation from the command line.
 * creature_lab: scores, traces and evolves creatures without a display.

Example networks are in /usr/share/neural-creatures/examples.")
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION
  "feed-forward neural-network engine (shared library)
A small feed-forward neural-network engine: networks read from a plain-text
network file, evaluated, trained by online back-propagation and written back.

This package holds the shared library libneural-creatures.so.0.")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "feed-forward neural-network engine (development files)
Headers, the pkg-config file (neural-creatures), the CMake package
(find_package(NeuralCreatures), target NeuralCreatures::engine) and the API
reference of the neural-creatures engine.")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
  "feed-forward neural-network engine (Python 3 module)
The module neural_creatures: networks read from network files or text,
evaluated on NumPy arrays (one row or a whole batch at once), trained by
back-propagation and written back, with type stubs for editors.")

include(cmake/debian_files.cmake)  # copyright, changelog, the library's ldconfig trigger
include(CPack)
