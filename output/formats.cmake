# PNG, SVG, PDF, EPS, TIFF and EMF (native build only) and their exports.
set(LUMTAR_FORMATS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/png.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scene.cpp
  ${CMAKE_CURRENT_LIST_DIR}/faces.cpp
  ${CMAKE_CURRENT_LIST_DIR}/svg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_fonts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/eps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tiff.cpp
  ${CMAKE_CURRENT_LIST_DIR}/emf.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../api/formats.cpp
)
