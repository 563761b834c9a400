# Writes a C++ source that holds a file's bytes as an array and its size.
#   cmake -DINPUT=FILE -DOUTPUT=SOURCE -DNAME=SYMBOL -P embed_file.cmake
file(READ ${INPUT} content HEX)
string(LENGTH "${content}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "(..)" "0x\\1," bytes "${content}")
file(WRITE ${OUTPUT} "#include <cstddef>\n#include <cstdint>\n"
  "extern const uint8_t ${NAME}[] = {${bytes}};\nextern const size_t ${NAME}_size = ${size};\n")
