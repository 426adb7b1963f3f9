// The settings file: parsing and rewriting the INI text, finding it in the XDG configuration
// directory, and replacing it atomically so a crash never leaves half a file behind.
#include "platform/sdl/sdl_ini.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/atomic_file.h"

namespace {

// Without blanks, tabs and carriage returns at either end.
std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// ASCII comparison ignoring case, as registry key names compare.
bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Splits into lines without their line ends; a final line without a break counts too.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The name of a "[section]" line, or nothing when the line is not a header.
bool SectionHeader(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  name = Trim(line.substr(1, line.size() - 2));
  return true;
}

// Blank lines and lines starting with ; or # carry nothing.
bool Comment(std::string_view line) {
  line = Trim(line);
  return line.empty() || line.front() == ';' || line.front() == '#';
}

// A name reads back the same only without edge blanks, = and line breaks.
bool NameWritable(std::string_view name) {
  if (name.empty() || Trim(name) != name) return false;
  if (name.front() == '[' || name.front() == ';' || name.front() == '#') return false;
  return name.find_first_of(std::string_view("=\n\r\0", 4)) == std::string_view::npos;
}

// A value must stay on its line.
bool ValueWritable(std::string_view value) {
  return value.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos;
}

// Values with edge blanks or an opening quote are quoted, so reading strips exactly one pair.
std::string ValueText(std::string_view value) {
  const bool quote = !value.empty() && (Trim(value) != value || value.front() == '"');
  std::string text;
  if (quote) text += '"';
  text += value;
  if (quote) text += '"';
  return text;
}

// Where the settings file lies now; read from the environment each time (it is cheap).
std::string SettingsPath() {
  const char* home = std::getenv("HOME");
  std::string passwdHome;
  if (!home || !*home) {
    // No HOME: ask the user database, as a login would.
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
      passwdHome = entry->pw_dir;
      home = passwdHome.c_str();
    }
  }
  return SdlIniPath(std::getenv("XDG_CONFIG_HOME"), home);
}

}  // namespace

// Collects the name=value lines of one section.
bool SdlIniParse(std::string_view text, std::string_view section, SdlIniValues& values) {
  bool found = false;
  bool inside = false;
  for (std::string_view line : Lines(text)) {
    std::string_view name;
    if (SectionHeader(line, name)) {
      inside = EqualNoCase(name, section);
      found = found || inside;
      continue;
    }
    if (!inside || Comment(line)) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    std::string_view value = Trim(line.substr(equals + 1));
    if (key.empty()) continue;
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    values[std::string(key)] = std::string(value);
  }
  return found;
}

// Rewrites one section in place, keeping the rest of the text.
bool SdlIniMerge(std::string_view oldText, std::string_view section, const SdlIniValues& values,
                 std::string& out) {
  std::string body;
  body.append("[").append(section).append("]\n");
  for (const auto& [name, value] : values) {
    if (!NameWritable(name) || !ValueWritable(value)) return false;
    body += name + "=" + ValueText(value) + "\n";
  }
  std::string text;
  bool written = false;
  bool inside = false;
  for (std::string_view line : Lines(oldText)) {
    std::string_view name;
    if (SectionHeader(line, name)) {
      inside = EqualNoCase(name, section);
      if (inside) {
        // The section goes where it first stood; later copies of it are dropped.
        if (!written) text += body;
        written = true;
        continue;
      }
    }
    if (inside) continue;
    text.append(line);
    text += '\n';
  }
  if (!written) {
    if (!text.empty() && !text.ends_with("\n\n")) text += '\n';
    text += body;
  }
  out = std::move(text);
  return true;
}

// The settings file path from XDG_CONFIG_HOME or HOME.
std::string SdlIniPath(const char* xdgConfigHome, const char* home) {
  std::string base;
  if (xdgConfigHome && xdgConfigHome[0] == '/') {
    base = xdgConfigHome;
  } else if (home && *home) {
    base = std::string(home);
    if (base.back() != '/') base += '/';
    base += ".config";
  } else {
    return {};
  }
  if (base.back() != '/') base += '/';
  return base + "lanternia3/lanternia3.ini";
}

// Reads a whole (small) file.
bool SdlIniReadFile(const std::string& path, std::string& text, bool& missing) {
  missing = false;
  text.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    missing = errno == ENOENT || errno == ENOTDIR;
    return false;
  }
  char buffer[4096];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
    // A settings file is a few hundred bytes; anything huge is not ours to load whole.
    if (text.size() > (1u << 20)) {
      ok = false;
      break;
    }
  }
  close(fd);
  return ok;
}

bool SdlIniWriteFile(const std::string& path, std::string_view text) {
  // A new settings file is private to the user, as the folder holding it.
  AtomicFileOptions options;
  options.newMode = 0600;
  options.makeFolders = true;
  return AtomicFileWrite(path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()},
                         options);
}

// Hook: fills the map from the section, telling whether it was there.
void SdlSettingsLoad(SdlIniValues& values, bool& exists) {
  exists = false;
  const std::string path = SettingsPath();
  if (path.empty()) return;
  // Writes cut short by a crash leave their temporary files; nothing else writes it now.
  AtomicFileRemoveStale(path);
  std::string text;
  bool missing = false;
  if (!SdlIniReadFile(path, text, missing)) {
    if (!missing) std::fprintf(stderr, "lanternia3: cannot read settings %s\n", path.c_str());
    return;
  }
  exists = SdlIniParse(text, kSdlIniSection, values);
}

// Hook: writes the whole map into the section, keeping the rest of the file.
bool SdlSettingsSave(const SdlIniValues& values) {
  const std::string path = SettingsPath();
  if (path.empty()) return false;
  // Merge with what is on the disk now, so other sections survive; a file that exists but
  // cannot be read is left alone rather than overwritten with our part only.
  std::string oldText;
  bool missing = false;
  if (!SdlIniReadFile(path, oldText, missing) && !missing) return false;
  std::string text;
  if (!SdlIniMerge(oldText, kSdlIniSection, values, text)) return false;
  return SdlIniWriteFile(path, text);
}
