# tarnovex_instrumented_libmikmod(<target> SOURCE <unpacked source> COMPILER <C compiler>
#                                 FLAGS <compile flags...> [ENABLE <options...>] [LIBS <libraries...>])
# Builds Debian's libmikmod source here as a static library with the given
# instruments, so that the sanitizers see inside its loaders and player, and
# makes <target> an imported library of it (linking LIBS). Of the output
# drivers and other parts it can leave out, only those named in ENABLE
# (SDL, WAV, THREADS, ...) are built.
include(ExternalProject)

function(tarnovex_instrumented_libmikmod target)
  cmake_parse_arguments(ARG "" "SOURCE;COMPILER" "FLAGS;ENABLE;LIBS" ${ARGN})
  set(build ${CMAKE_CURRENT_BINARY_DIR}/${target})
  list(JOIN ARG_FLAGS " " flags)
  set(options -DCMAKE_C_COMPILER=${ARG_COMPILER} -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENABLE_STATIC=1
    "-DCMAKE_C_FLAGS=${flags}")
  foreach(option ALSA OSS PULSE SDL OPENAL STDOUT PIPE AIFF WAV RAW THREADS DL SIMD)
    if(option IN_LIST ARG_ENABLE)
      list(APPEND options -DENABLE_${option}=1)
    else()
      list(APPEND options -DENABLE_${option}=0)
    endif()
  endforeach()
  ExternalProject_Add(${target}_build
    SOURCE_DIR ${ARG_SOURCE}
    BINARY_DIR ${build}
    CMAKE_ARGS ${options}
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${build} --target mikmod-static
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${build}/libmikmod.a)
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${build}/libmikmod.a
    INTERFACE_INCLUDE_DIRECTORIES ${ARG_SOURCE}/include INTERFACE_LINK_LIBRARIES "${ARG_LIBS}")
  add_dependencies(${target} ${target}_build)
endfunction()
