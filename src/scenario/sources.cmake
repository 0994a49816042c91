# The scene script parser and the scenario loader.
target_sources(tavri_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScenarioLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptArgs.cpp
)
