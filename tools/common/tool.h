// lntr3tool: the authoring toolchain. Each subcommand group lives in its own file and is
// entered with the arguments that follow its name (argv[0] is the group name).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Each answers the process exit status: 0 done, 1 failed (a line on standard error says why),
// 2 wrong usage.
int ToolPackMain(int argc, char** argv);  // pack create | list | extract
int ToolLzssMain(int argc, char** argv);  // lzss pack | unpack
int ToolTz2Main(int argc, char** argv);   // tz2 encode | decode
int ToolTzgMain(int argc, char** argv);   // tzg encode | decode
int ToolScnMain(int argc, char** argv);   // scn asm | disasm
int ToolFontMain(int argc, char** argv);  // font build | show

// synth list | music | sounds
int ToolSynthMain(int argc, char** argv);
// paint scene | figure | poses | check | chrpal | sheet
int ToolPaintMain(int argc, char** argv);

// Prints "lntr3tool: <message>" on standard error and answers 1.
int ToolFail(const std::string& message);
// A whole argument as a decimal number in min..max; false for anything else.
bool ToolParseNumber(const char* text, int32_t min, int32_t max, int32_t& value);
// The picture decoders' "decode IN OUT [--frame]" arguments from argv[2] on: false on another
// option or another number of files.
bool ToolDecodeArgs(int argc, char** argv, std::vector<const char*>& files, bool& frame);
// A picture that did not decode: "PATH: MEANING (DECODER TEXT)" as a failure.
int ToolPictureFailure(const std::string& path, const char* meaning, const char* decoderText);
