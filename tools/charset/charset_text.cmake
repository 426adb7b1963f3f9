# Turns the charset text (demo/charset) into a C++ source holding it verbatim, so the tools
# carry the table the build was made from. Run with -DIN=charset -DOUT=file.cpp.
file(READ "${IN}" text)
if(text MATCHES "\\)lntr3charset\"")
  message(FATAL_ERROR "${IN} contains the raw-string delimiter")
endif()
file(WRITE "${OUT}"
  "// Generated from demo/charset by tools/charset_text.cmake; edit that file instead.\n"
  "#include <cstddef>\n\n"
  "extern const char kCharsetText[];\n"
  "extern const size_t kCharsetTextSize;\n"
  "const char kCharsetText[] = R\"lntr3charset(${text})lntr3charset\";\n"
  "const size_t kCharsetTextSize = sizeof(kCharsetText) - 1;\n")
