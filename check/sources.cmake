set(LUMTAR_CHECK_SOURCES
  check/checkdigit.cpp
  check/detect.cpp
  check/isbn.cpp
  check/isbn_symbol.cpp
)
