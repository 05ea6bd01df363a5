# Every platform/*.cpp belongs to the native layer.
file(GLOB LUMTAR_PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
