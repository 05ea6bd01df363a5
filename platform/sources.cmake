set(LUMTAR_PLATFORM_SOURCES
  platform/kernel.cpp
)
