# Debian packages of the native build, one per install component:
#   cpack -G DEB   (in the build directory)
# makes liblumtar32-1 (the shared library), liblumtar32-dev (headers, the
# development link, the pkg-config file and the CMake package) and lumtar (the
# tool and its man page), each at the project's version, with the run-time
# dependencies dpkg-shlibdeps finds and a shlibs file for the library.
if(WIN32)
  # The Windows download: cpack -G ZIP makes lumtar32-<version>-win32.zip or
  # -win64.zip with bin/ (DLL, lumtar.exe), lib/, include/, bindings/ (the
  # Python package with the DLL in its folder of this bitness), LICENSE and
  # README-windows.txt, stripped of debugging information.
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  set(folder x86)
  if(bits EQUAL 64)
    set(folder x64)
  endif()
  install(FILES LICENSE README-windows.txt DESTINATION . COMPONENT development)
  install(DIRECTORY bindings/vba bindings/dotnet bindings/pascal DESTINATION bindings COMPONENT development
          PATTERN ".gitattributes" EXCLUDE)
  install(DIRECTORY bindings/python DESTINATION bindings COMPONENT development
          PATTERN "__pycache__" EXCLUDE PATTERN "*.egg-info" EXCLUDE PATTERN ".gitignore" EXCLUDE)
  install(TARGETS lumtar32 RUNTIME DESTINATION bindings/python/src/lumtar32/${folder} COMPONENT development)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME lumtar32)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_FILE_NAME lumtar32-${PROJECT_VERSION}-win${bits})
  set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
  set(CPACK_STRIP_FILES ON)
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumtar32)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the lumtar32 developers")
set(CPACK_PACKAGE_CONTACT "the lumtar32 developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "barcode rendering library")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development tool)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # name_version_architecture.deb
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tool needs the library that the runtime package brings; dpkg-shlibdeps
# finds it in the build tree, the dependency comes from the components.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}) # where liblumtar32.so.1 is built
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=") # a later 1.x serves what was built against 1.0.0
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON) # the components' DEPENDS as "name (= version)"

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME liblumtar32-1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "barcode rendering library
 Draws EAN-13/ISBN, EAN-8, UPC-A, EAN-5, EAN-2, Interleaved 2 of 5, Code 39
 and Codabar symbols onto a device context, into WMF and BMP files or onto
 the clipboard, through a small GDI-compatible graphics layer of its own.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME liblumtar32-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "barcode rendering library (development files)
 The C headers, the development link, the pkg-config file lumtar32.pc and the
 CMake package lumtar32 (target lumtar32::lumtar32).")

set(CPACK_DEBIAN_TOOL_PACKAGE_NAME lumtar)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION graphics)
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
set(CPACK_COMPONENT_TOOL_DESCRIPTION "barcode rendering library (command-line tool)
 lumtar draws single barcodes and numbered batches into WMF and BMP files,
 detects code types and converts between ISBN-10 and EAN-13.")

include(CPack)
