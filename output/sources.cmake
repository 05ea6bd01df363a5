set(LUMTAR_OUTPUT_SOURCES
  output/clipboard.cpp
)
