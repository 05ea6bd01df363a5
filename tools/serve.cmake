# lumtar serve: the HTTP server over cpp-httplib (Debian's libcpp-httplib-dev),
# the page at / compiled in from serve_page.html, and the systemd unit.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(HTTPLIB IMPORTED_TARGET GLOBAL cpp-httplib)
endif()
if(NOT HTTPLIB_FOUND)
  message(WARNING "cpp-httplib not found: lumtar is built without serve")
  return()
endif()

file(READ ${CMAKE_CURRENT_LIST_DIR}/serve_page.html LUMTAR_SERVE_PAGE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/serve_page.html)
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/serve_page.h
     CONTENT "// Made at build time from tools/serve_page.html.\n#pragma once\ninline constexpr char ServePage[] = R\"lumtarpage(@LUMTAR_SERVE_PAGE@)lumtarpage\";\n"
     @ONLY)

target_sources(lumtar PRIVATE ${CMAKE_CURRENT_LIST_DIR}/serve.cpp ${CMAKE_CURRENT_LIST_DIR}/serve_query.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/serve_bwip.cpp ${CMAKE_CURRENT_LIST_DIR}/serve_draw.cpp)
target_include_directories(lumtar PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
target_compile_definitions(lumtar PRIVATE LUMTAR_SERVE)
target_link_libraries(lumtar PRIVATE PkgConfig::HTTPLIB)

# Disabled by default; bound to loopback (see the README for a reverse proxy).
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lumtar-serve.service DESTINATION lib/systemd/system COMPONENT tool)
