# The scene script parser, the scenario loader and the title scene that plays it.
target_sources(tavri_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScenarioLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptArgs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleButtons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleScenes.cpp
)
