// Plain files of the data directory: whole-file loads into memory blocks, overlaying saves,
// and the existence test. Names carry no directory; they are looked up case-insensitively.
#pragma once

#include <cstdint>
#include <string>

#include "resources/memory.h"

// The host path of a data file: DataDir joined with `name` (Shift-JIS) by '/'. An existing
// file whose name matches exactly wins; otherwise one that differs only in ASCII letter case;
// otherwise the plain join (where a new file would be created).
std::string DataPath(const char* name);

// Reads the whole file into a new unlocked block labelled with the name; `size` (may be null)
// gets the file's size. Fatal when the file cannot be opened or read.
MemHandle FileLoad(const char* name, uint32_t* size);
// Writes `count` bytes at the start of the file, creating it when missing; bytes of an older,
// longer file behind them stay. The file is replaced in one step (temporary file, flush,
// rename), so a failure leaves the old contents whole. True; fatal when it cannot be written.
bool FileSave(const char* name, const void* bytes, uint32_t count);
// Whether the name is a regular file that can be opened for reading.
bool FileExists(const char* name);

// The fatal end of a file operation: `utf8Format` (one of the fixed messages, at most one %s)
// formatted with the Shift-JIS `sjisArg`, then ExitGame. `sjisAbout`, when given, names what the
// message is about on a line of its own below it (the file, or "ARCHIVE : ENTRY"), for the
// messages that name nothing themselves. Shared with the archive reader.
[[noreturn]] void FileFatal(const char* utf8Format, const char* sjisArg,
                            const char* sjisAbout = nullptr);
