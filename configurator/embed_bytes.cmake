# Writes a C++ source holding a file's bytes:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=Symbol -P embed_bytes.cmake
# gives  extern const char Symbol[]  (terminated) and  extern const size_t SymbolSize.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "(................................)" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REPLACE "\n" "\n  " bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp "// Made from ${INPUT} by embed_bytes.cmake.\n#include <cstddef>\n"
  "extern const char ${NAME}[] = {\n  ${bytes}0};\nextern const size_t ${NAME}Size = ${size};\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
