// Shift-JIS literals: the engine keeps its texts as code page 932 bytes, while the sources are
// UTF-8. Sjis("...") converts a literal once and keeps the bytes for the rest of the run.
#pragma once

// The Shift-JIS form of a UTF-8 text; the pointer stays valid until the process ends.
const char* Sjis(const char* utf8);
