# The window console over the in-memory console (memory_console.h): the unit
# tests and the fuzz targets link it instead of the real console device.
# Included by both, which the fuzz build configures without the other tests.
include_guard(GLOBAL)
add_library(suite_window_memory_console OBJECT ${CMAKE_CURRENT_LIST_DIR}/memory_console.cpp)
target_include_directories(suite_window_memory_console PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(suite_window_memory_console PUBLIC suite_core PRIVATE suite_window_logic)
