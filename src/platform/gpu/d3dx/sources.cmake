# The D3DX substitute: image loading, texture helpers and HLSL compilation.
target_sources(tavri_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Buffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DdsReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DxtDecode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FillTexture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageDecode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HlslGlobals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HlslText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegTables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Math.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PixelFormats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Resample.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShaderCompiler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShaderProfiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShaderSemantics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureFromFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextureRequirements.cpp
)
# glslang's package configuration needs the threads package found first.
find_package(Threads REQUIRED)
find_package(glslang CONFIG REQUIRED)
find_package(spirv_cross_core CONFIG REQUIRED)
find_package(spirv_cross_glsl CONFIG REQUIRED)
target_link_libraries(tavri_platform PUBLIC
  glslang::glslang glslang::SPIRV glslang::glslang-default-resource-limits spirv-cross-glsl)
# The installed glslang is built with its HLSL front end; this exposes the
# HLSL-only parts of its headers to the compiler's source.
# It is also built without run-time type information, which the sanitizer's
# dynamic-type check on its classes would need.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ShaderCompiler.cpp PROPERTIES
  COMPILE_DEFINITIONS ENABLE_HLSL=1
  COMPILE_OPTIONS -fno-sanitize=vptr)
# stb_image is header-only (libstb-dev) and compiled into ImageDecode.cpp.
# On damaged JPEG data its entropy decoding shifts by more than a word's width
# and multiplies coefficients past int's range (the bits come out as garbage
# pixels, no memory is touched wrongly); a PNG whose first data chunk is empty
# makes it copy nothing to a null buffer. Its file is built with wrapping
# signed arithmetic and with null checks kept, so the compiler cannot build
# on such a product or such a pointer being impossible, and without those
# three checks, so that such a picture decodes as a damaged picture instead
# of stopping a sanitizer build.
set(TAVRI_IMAGE_DECODE_OPTIONS -fwrapv -fno-delete-null-pointer-checks)
if(TAVRI_SANITIZE)
  list(APPEND TAVRI_IMAGE_DECODE_OPTIONS -fno-sanitize=shift,signed-integer-overflow,nonnull-attribute)
endif()
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ImageDecode.cpp PROPERTIES
  COMPILE_OPTIONS "${TAVRI_IMAGE_DECODE_OPTIONS}")
