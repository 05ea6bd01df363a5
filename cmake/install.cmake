# What `cmake --install` puts where, in three components (the Debian packages
# are made from them): runtime (the shared library), development (headers,
# import or development link, export list, pkg-config file, CMake package)
# and tool (lumtar and its man page, from tools/CMakeLists.txt).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(FILES include/lumtar32.h include/lumtar32_gdi.h include/lumtar32_formats.h
              ${PROJECT_BINARY_DIR}/include/lumtar32_version.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

if(WIN32)
  install(TARGETS lumtar32 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
  # The import library made from the export list, and the list itself (for
  # x64 without the decorations).
  install(FILES ${PROJECT_BINARY_DIR}/lumtar32.lib ${LUMTAR_DEF_FILE}
          DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  return()
endif()

# Label sheets: liblumtar32.so only.
install(FILES include/lumtar32_sheet.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

install(TARGETS lumtar32 EXPORT lumtar32Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(LUMTAR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/lumtar32)
install(EXPORT lumtar32Targets NAMESPACE lumtar32:: DESTINATION ${LUMTAR_CMAKE_DIR} COMPONENT development)
configure_package_config_file(cmake/lumtar32Config.cmake.in ${PROJECT_BINARY_DIR}/lumtar32Config.cmake
                              INSTALL_DESTINATION ${LUMTAR_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/lumtar32ConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/lumtar32Config.cmake ${PROJECT_BINARY_DIR}/lumtar32ConfigVersion.cmake
        DESTINATION ${LUMTAR_CMAKE_DIR} COMPONENT development)

file(RELATIVE_PATH LUMTAR_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" LUMTAR_PC_TO_PREFIX "${LUMTAR_PC_TO_PREFIX}")
configure_file(cmake/lumtar32.pc.in ${PROJECT_BINARY_DIR}/lumtar32.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/lumtar32.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
