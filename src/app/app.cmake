# The main window, its dialogs and the korvex program; also the one-off artwork generators.

# Generators of the tool bar glyphs and the wiring picture (run by hand; their output is kept
# in resources/).
add_executable(korvex_glyphs ${PROJECT_SOURCE_DIR}/tools/glyphs/GlyphMaker.cpp)
target_link_libraries(korvex_glyphs PRIVATE Qt6::Gui)
add_executable(korvex_wiring ${PROJECT_SOURCE_DIR}/tools/wiring/WiringMaker.cpp)
target_link_libraries(korvex_wiring PRIVATE Qt6::Gui)

# korvex_dialogs: the dialogs, the cursor arithmetic and the wiring picture decoder; they know
# the record but not the controller.
add_library(korvex_dialogs STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Alarm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Cp936Validator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CursorInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogButtons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DialogRunner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Filapara.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Inputinfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JpegImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Portchoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Printchoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Printerchoice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Resources.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Yrpicture.cpp
  ${PROJECT_SOURCE_DIR}/resources/korvex.qrc
)
target_include_directories(korvex_dialogs PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(korvex_dialogs PUBLIC korvex_record korvex_eval Qt6::Widgets Qt6::PrintSupport JPEG::JPEG)

# korvex_app: the main window wired to the controller, the pages and the canvases.
add_library(korvex_app STATIC
  ${CMAKE_CURRENT_LIST_DIR}/KorvexForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PaintBox.cpp
)
target_link_libraries(korvex_app PUBLIC korvex_dialogs korvex_link korvex_pages korvex_appcanvas)

add_executable(korvex ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(korvex PRIVATE korvex_app)
