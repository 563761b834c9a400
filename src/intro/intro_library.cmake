# add_intro_library(<name> <height> <libmikmod target> [XM_ONLY]): the
# intro's sources for one screen height, shared by the desktop programs and
# the web edition. With XM_ONLY the music registers only libmikmod's XM
# loader, so the others stay out of the program.
function(add_intro_library name height mikmod)
  cmake_parse_arguments(PARSE_ARGV 3 intro "XM_ONLY" "" "")
  add_library(${name} STATIC
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/driver.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/assets.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/music.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/music_file.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/rotozoom.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/multiscroll.cpp
    ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/plasma.cpp)
  target_compile_definitions(${name} PUBLIC TARNOVEX_SCREEN_HEIGHT=${height})
  if(intro_XM_ONLY)
    target_compile_definitions(${name} PRIVATE TARNOVEX_XM_ONLY)
  endif()
  target_link_libraries(${name} PUBLIC img raster font laser ${mikmod})
endfunction()
