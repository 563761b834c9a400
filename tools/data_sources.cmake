# The sources of the data files' generators, shared by the data tools and
# the web edition, which makes the same files in the browser.
set(TARNOVEX_PICTURE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/pictures/netpbm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures/glyphs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures/colour.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures/emblem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures/strips.cpp)
set(TARNOVEX_SONG_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/xm/xm_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xm/timing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xm/song_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xm/synth.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xm/score.cpp)
set(TARNOVEX_TOOLS_DIR ${CMAKE_CURRENT_LIST_DIR})
# The generators' results must not depend on the compiler fusing a multiply
# and an add where the processor can (portable_math.h).
set(TARNOVEX_GENERATOR_OPTIONS -ffp-contract=off)
