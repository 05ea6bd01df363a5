# Label sheets (native build, beside the PDF writer): templates built in and
# read from glabels' files (expat), CSV records, the placement and the export.
find_package(EXPAT REQUIRED)
target_sources(lumtar_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/templates.cpp
  ${CMAKE_CURRENT_LIST_DIR}/glabels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/records.cpp
  ${CMAKE_CURRENT_LIST_DIR}/place.cpp
  ${CMAKE_CURRENT_LIST_DIR}/symbol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/draw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/export.cpp
)
target_link_libraries(lumtar_core PUBLIC EXPAT::EXPAT)
