# The OpenGL backend of the Direct3D 9 substitute.
target_sources(tavri_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GlCore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDeviceDraw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDeviceState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDirect3D.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDrawBatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlDrawCounters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlFixedFunction.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlFormats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlModule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlPresentParams.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlProbe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlShaders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlStateCache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlSubBufferCopy.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlSurface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlTexture.cpp
)
