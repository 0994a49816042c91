# The scene script parser, the scenario loader and the title scene that plays it.
target_sources(tavri_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Backlog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Buttons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScenarioLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScriptArgs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SliderDrag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SoundChannels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeakerLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleActions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleDraw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleSaves.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleScenes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TitleSetUp.cpp
)
# GCC 12 warns wrongly about std::function members inside <regex> when it
# inlines the pattern compiler; the warning is switched off for this file alone.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/SpeakerLine.cpp PROPERTIES
    COMPILE_OPTIONS -Wno-maybe-uninitialized)
endif()
