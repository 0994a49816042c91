# The GDI text substitute over FreeType and fontconfig.
target_sources(tavri_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FaceCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontModule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FreeTypeFont.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FreeTypeModule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Gdi.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SurfaceDc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SurfaceDraw.cpp
)
