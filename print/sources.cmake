# The print call: a code with its style record laid out on a picture of its
# own (add-on, quiet zones, X-dimension, bearer bars, turn, colours).
set(LUMTAR_PRINT_SOURCES
  print/resolve.cpp
  print/layout.cpp
  print/marks.cpp
  print/records.cpp
  print/picture.cpp
  print/style.cpp
  api/print.cpp
)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../include/lumtar32_print.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
