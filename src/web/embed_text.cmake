# Writes a C++ source that holds a text file as a null-terminated array.
#   cmake -DINPUT=FILE -DOUTPUT=SOURCE -DNAME=SYMBOL -P embed_text.cmake
file(READ ${INPUT} text HEX)
string(REGEX REPLACE "(..)" "0x\\1," bytes "${text}")
file(WRITE ${OUTPUT} "extern const char ${NAME}[] = {${bytes}0};\n")
