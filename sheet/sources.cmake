# Label sheets (native build, beside the PDF writer): templates built in and
# read from glabels' files (expat), CSV records, the placement and the export.
find_package(EXPAT REQUIRED)
set(LUMTAR_SHEET_SOURCES templates.cpp glabels.cpp records.cpp place.cpp symbol.cpp draw.cpp export.cpp)
list(TRANSFORM LUMTAR_SHEET_SOURCES PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
target_sources(lumtar_core PRIVATE ${LUMTAR_SHEET_SOURCES})
target_link_libraries(lumtar_core PUBLIC EXPAT::EXPAT)
