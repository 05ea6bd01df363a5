# The picture pipeline, every format and their exports (BarToWmf and BarToBmp
# among them): the writers made from the recorded drawing on both targets; the faces, the face
# programs the PDF embeds, the PNG and TIFF encoders and the EMF natively from
# fontconfig, FreeType, HarfBuzz, libpng and libtiff, on Windows from GDI and
# WIC (windowscodecs.dll).
set(LUMTAR_FORMATS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/scene.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/svg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/eps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../api/formats.cpp
)
if(WIN32)
  list(APPEND LUMTAR_FORMATS_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/faces_windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pdf_fonts_windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/emf_windows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../platform/wmf.cpp # the records the scene reader decodes
  )
else()
  list(APPEND LUMTAR_FORMATS_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/png.cpp
    ${CMAKE_CURRENT_LIST_DIR}/faces.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pdf_fonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tiff.cpp
    ${CMAKE_CURRENT_LIST_DIR}/emf.cpp
  )
endif()
