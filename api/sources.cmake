set(LUMTAR_API_SOURCES
  api/exports.cpp
)
