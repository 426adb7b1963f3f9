// The settings store of the SDL backend: one INI file in the user's configuration directory
// standing in for the registry key. Free of SDL, so the tests can reach every piece.
#pragma once

#include <map>
#include <string>
#include <string_view>

using SdlIniValues = std::map<std::string, std::string>;

// The registry key the game keeps its settings under, used as the section name.
inline constexpr const char* kSdlIniSection = "SoftWare\\Tazu\\Mirabel";

// Reads the values of `section` (its name compared without regard to case; a section given twice
// counts as one, the later value of a name winning). Answers whether the section is there.
bool SdlIniParse(std::string_view text, std::string_view section, SdlIniValues& values);

// The file text with `section` holding exactly `values`, every other section and line of
// `oldText` kept as it was. False (and `out` untouched) when a name or value cannot be written
// so that it reads back the same: line breaks, NUL, '=' or leading brackets in a name.
bool SdlIniMerge(std::string_view oldText, std::string_view section, const SdlIniValues& values,
                 std::string& out);

// Where the file lies: $XDG_CONFIG_HOME (when absolute), else $HOME/.config, then
// "lanternia3/lanternia3.ini". Empty when neither directory is known.
std::string SdlIniPath(const char* xdgConfigHome, const char* home);

// Reads a whole file. False when it cannot be read; `missing` tells whether it simply is not there.
bool SdlIniReadFile(const std::string& path, std::string& text, bool& missing);

// Replaces the file in one step: the text goes to a temporary file in the same directory, is
// flushed to the disk and renamed over the old one. Creates the directories on the way.
bool SdlIniWriteFile(const std::string& path, std::string_view text);

// The backend hooks: the whole section in and out of the settings map.
void SdlSettingsLoad(SdlIniValues& values, bool& exists);
bool SdlSettingsSave(const SdlIniValues& values);
