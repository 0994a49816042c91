# The screen effects: fade, peephole, cut-in and flowing text.
target_sources(tavri_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CutIn.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Fade.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlowFont.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Peephole.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QuadEffect.cpp
)
