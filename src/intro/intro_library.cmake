# add_intro_library(<name> <height> <libmikmod target>): the intro's sources
# for one screen height, shared by the desktop programs and the web edition.
function(add_intro_library name height mikmod)
  add_library(${name} STATIC
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/driver.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/assets.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/music.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/music_file.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/rotozoom.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/multiscroll.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/plasma.cpp)
  target_compile_definitions(${name} PUBLIC TARNOVEX_SCREEN_HEIGHT=${height})
  target_link_libraries(${name} PUBLIC img raster font laser ${mikmod})
endfunction()
