# korvex_pages: the canvas interface, the page conventions, the report pages and their dispatch.
# Plain C++ (no Qt); the Qt canvases are in src/app/canvas.
add_library(korvex_pages STATIC
  ${CMAKE_CURRENT_LIST_DIR}/RecordingCanvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageConventions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InputtestPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Phasetest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StartPrompt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Pages.cpp
)
target_include_directories(korvex_pages PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(korvex_pages PUBLIC korvex_eval korvex_record)
