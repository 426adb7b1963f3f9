// Files written in one step. The new contents go to a temporary file in the target's folder,
// which is flushed to the disk and renamed over the target, so a crash, a full disk or a
// failed write leaves either the old file or the new one whole, never a torn mix. Everything
// the engine and the tools write goes through here: settings, data files, archives, saves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

struct AtomicFileOptions {
  // Permission bits of a file that did not exist, less the umask; -1: 0666. A file that exists
  // keeps its own.
  int newMode = -1;
  // Creates missing folders on the way to the file.
  bool makeFolders = false;
};

// Hands the contents over piece by piece; false when they cannot be written.
using AtomicFileSink = std::function<bool(const void* data, size_t size)>;

// Replaces `path` with `bytes`. A symbolic link is followed: the file it names is replaced and
// the link stays. False, with `error` (may be null) naming the file and the reason and errno
// holding that reason, when anything failed; the old file is then untouched and no temporary
// file is left.
bool AtomicFileWrite(const std::string& path, std::span<const uint8_t> bytes,
                     const AtomicFileOptions& options = {}, std::string* error = nullptr);
// The same for contents made while writing: `produce` writes them into the sink it is given and
// answers false to give up (nothing is replaced then).
bool AtomicFileWriteWith(const std::string& path,
                         const std::function<bool(const AtomicFileSink& sink)>& produce,
                         const AtomicFileOptions& options = {}, std::string* error = nullptr);

// Removes the temporary files that writes of `path` left behind when the process was killed
// in the middle of one. Call it before the first write, while nothing else writes the file.
void AtomicFileRemoveStale(const std::string& path);
