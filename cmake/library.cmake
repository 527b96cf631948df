# The engine as an installed library: libneural-creatures.so.0 (component "library"), and
# for programs built against it the headers, the .so link, the pkg-config file, the CMake
# package NeuralCreatures and the API reference (component "development").
include(CMakePackageConfigHelpers)
include(GNUInstallDirs)

# libneural-creatures.so.0: the SONAME stays 0 while the interface may still change.
add_library(neural_creatures SHARED $<TARGET_OBJECTS:engine_objects> $<TARGET_OBJECTS:file_system_objects>)
target_link_libraries(neural_creatures PRIVATE project_options)
target_compile_features(neural_creatures PUBLIC cxx_std_17)
target_include_directories(neural_creatures PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/engine>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
# Built into a folder of its own, where the package build finds it for the Python module.
set(NC_LIBRARY_OUTPUT_DIR ${PROJECT_BINARY_DIR}/lib)
set_target_properties(neural_creatures PROPERTIES
  LIBRARY_OUTPUT_DIRECTORY ${NC_LIBRARY_OUTPUT_DIR}
  OUTPUT_NAME neural-creatures
  VERSION ${PROJECT_VERSION}
  SOVERSION 0
  EXPORT_NAME engine)
# A symbol the library needs and does not get is a link error, not a surprise at load time.
target_link_options(neural_creatures PRIVATE -Wl,--as-needed -Wl,--no-undefined)

add_library(NeuralCreatures::engine ALIAS neural_creatures)

# The headers the public interface needs, installed flat under include/neural-creatures/:
# programs write #include <neural-creatures/network.h>.
set(NC_LIBRARY_HEADERS
  engine/network.h
  engine/training_run.h
  engine/neuron.h
  engine/diagnostics.h
  file_system/atomic_file.h
  engine/format_check.h
  engine/csv_patterns.h
  engine/data_sets.h
  engine/export.h)
set(NC_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/NeuralCreatures)

install(TARGETS neural_creatures EXPORT NeuralCreaturesTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library NAMELINK_COMPONENT development)
install(FILES ${NC_LIBRARY_HEADERS}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/neural-creatures COMPONENT development)
install(EXPORT NeuralCreaturesTargets NAMESPACE NeuralCreatures::
  DESTINATION ${NC_CMAKE_PACKAGE_DIR} COMPONENT development)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/NeuralCreaturesConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/NeuralCreaturesConfig.cmake
  INSTALL_DESTINATION ${NC_CMAKE_PACKAGE_DIR})
# While the SONAME is 0, a new minor version may change the interface.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/NeuralCreaturesConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/NeuralCreaturesConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/NeuralCreaturesConfigVersion.cmake
  DESTINATION ${NC_CMAKE_PACKAGE_DIR} COMPONENT development)

# The prefix is the one installed to (`cmake --install --prefix P`), known only then; every
# other path follows from it.
set(nc_pc_file ${CMAKE_CURRENT_BINARY_DIR}/neural-creatures.pc)
install(CODE "
  set(CMAKE_INSTALL_LIBDIR \"${CMAKE_INSTALL_LIBDIR}\")
  set(CMAKE_INSTALL_INCLUDEDIR \"${CMAKE_INSTALL_INCLUDEDIR}\")
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/neural-creatures.pc.in\" \"${nc_pc_file}\" @ONLY)"
  COMPONENT development)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/neural-creatures.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# The API reference, from the installed headers' comments.
find_package(Doxygen)
if(DOXYGEN_FOUND)
  set(NC_API_OUTPUT_DIR ${CMAKE_CURRENT_BINARY_DIR}/api)
  set(NC_API_INPUTS)
  foreach(header ${NC_LIBRARY_HEADERS})
    if(NOT header MATCHES "export")
      string(APPEND NC_API_INPUTS " ${PROJECT_SOURCE_DIR}/${header}")
    endif()
  endforeach()
  string(APPEND NC_API_INPUTS " ${PROJECT_SOURCE_DIR}/docs/api.md")
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${CMAKE_CURRENT_BINARY_DIR}/Doxyfile @ONLY)
  add_custom_command(OUTPUT ${NC_API_OUTPUT_DIR}/html/index.html
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${NC_API_OUTPUT_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${NC_API_OUTPUT_DIR}
    COMMAND Doxygen::doxygen ${CMAKE_CURRENT_BINARY_DIR}/Doxyfile
    DEPENDS ${NC_LIBRARY_HEADERS} docs/api.md ${CMAKE_CURRENT_BINARY_DIR}/Doxyfile
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Making the API reference with doxygen")
  add_custom_target(api_reference ALL DEPENDS ${NC_API_OUTPUT_DIR}/html/index.html)
  install(DIRECTORY ${NC_API_OUTPUT_DIR}/html/
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libneural-creatures-dev/api COMPONENT development)
else()
  message(STATUS "doxygen not found: no API reference (Debian package doxygen)")
endif()

install(FILES examples/consumer/consumer.cpp examples/consumer/CMakeLists.txt
  examples/consumer/Makefile
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libneural-creatures-dev/examples/consumer COMPONENT development)
install(FILES docs/api.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libneural-creatures-dev
  COMPONENT development)
