# The files Debian wants in every package this build makes: the machine-readable copyright file
# (from LICENSE) and the changelog (changelog.gz: the packages are Debian-native, built from
# the project's own sources) in /usr/share/doc/PACKAGE/, and the library package's
# ldconfig trigger. Included by packaging.cmake once the package names are set.

# LICENSE opens with its title and copyright line; the licence's text follows.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE license_lines)
set(copyright_holder "")
set(license_text "")
foreach(line IN LISTS license_lines)
  if(line MATCHES "^Copyright \\(c\\) (.*)$")
    set(copyright_holder ${CMAKE_MATCH_1})
  elseif(copyright_holder)
    # Continuation lines are indented, and an empty line is a lone dot.
    if(line STREQUAL "")
      string(APPEND license_text " .\n")
    else()
      string(APPEND license_text " ${line}\n")
    endif()
  endif()
endforeach()
string(REGEX REPLACE "^ \\.\n" "" license_text "${license_text}")
set(nc_copyright ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright)
file(WRITE ${nc_copyright}
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: ${NC_PACKAGE_NAME}\n\n"
  "Files: *\n"
  "Copyright: ${copyright_holder}\n"
  "License: Expat\n${license_text}")

# The changelog's date is the build's, or SOURCE_DATE_EPOCH's for a reproducible package.
string(TIMESTAMP NC_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(NC_DEB_SOURCE ${NC_PACKAGE_NAME})
set(NC_DEB_MAINTAINER ${CPACK_DEBIAN_PACKAGE_MAINTAINER})
set(nc_changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${nc_changelog} @ONLY)
# gzip is essential on Debian; elsewhere the packages go without the changelog.
if(NC_GZIP)
  add_custom_command(OUTPUT ${nc_changelog}.gz
    COMMAND ${NC_GZIP} -9 -n -c ${nc_changelog} > ${nc_changelog}.gz
    DEPENDS ${nc_changelog}
    COMMENT "Compressing the packages' changelog")
  add_custom_target(debian_changelog ALL DEPENDS ${nc_changelog}.gz)
endif()

foreach(component IN LISTS CPACK_COMPONENTS_ALL)
  string(TOUPPER ${component} component_variable)
  set(package ${CPACK_DEBIAN_${component_variable}_PACKAGE_NAME})
  install(FILES ${nc_copyright} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
  if(NC_GZIP)
    install(FILES ${nc_changelog}.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
      RENAME changelog.gz COMPONENT ${component})
  endif()
endforeach()

set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
