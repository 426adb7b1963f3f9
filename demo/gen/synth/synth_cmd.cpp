// demogen synth: renders the demo game's music tracks and sound entries from text recipes
// with the demo's own synthesiser (see demo/sound/).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "demo/gen/groups.h"
#include "demo/gen/synth/synth.h"
#include "tools/common/tool.h"

namespace {

constexpr const char* kSynthUsage =
    "usage: demogen synth list MUSIC.TXT\n"
    "       demogen synth music MUSIC.TXT INDEX OUT.WAV\n"
    "       demogen synth sounds SOUNDS.TXT DIR\n"
    "\n"
    "list    prints 'INDEX TRACK' for every piece of a music recipe file: the music index and\n"
    "        the CD track the engine plays it from (track file TRACKnn.OGG or .WAV)\n"
    "music   renders music INDEX as a 22050 Hz mono WAV: the looping bars, then 2 seconds and\n"
    "        37 CD frames in which the sound dies away (a looped play stops before them)\n"
    "sounds  renders every 'NUMBER KIND [SEED]' line of a sound list into DIR/MR_VDnn.P16\n"
    "        (raw signed 16-bit mono samples at 22050 Hz)\n"
    "\n"
    "A music line is 'INDEX MOOD [key=K] [tempo=BPM] [meter=3|4] [bars=N] [prog=I-vi-IV-V]\n"
    "[lead=INSTRUMENT] [acc=STYLE] [drums=KIT] [seed=N] [reverb=0..1]'; '#' starts a comment.\n";

// What a looped play leaves out at the end of a track: 2 seconds and 37 frames.
constexpr double kLoopTail = 2.0 + 37.0 / 75.0;

bool ReadText(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

int List(const ToolArgs& args) {
  const char* path = args.operands[0].c_str();
  std::string text;
  if (!ReadText(path, text)) return ToolFail(std::string("cannot read ") + path);
  for (int index : SynthMusicIndices(text)) {
    if (index < 0 || index >= kMusicCount) {
      return ToolFail(std::string(path) + ": no music index " + std::to_string(index));
    }
    std::printf("%d %d\n", index, MusicTrackTable[index] + 2);
  }
  return 0;
}

int Music(const ToolArgs& args) {
  const char* path = args.operands[0].c_str();
  const char* indexText = args.operands[1].c_str();
  const std::string& outPath = args.operands[2];
  int32_t index = 0;
  if (!ToolParseNumber(indexText, 0, kMusicCount - 1, index)) {
    return ToolUsageError(args, "INDEX wants a music index 0.." + std::to_string(kMusicCount - 1));
  }
  std::string text, error;
  if (!ReadText(path, text)) return ToolFail(std::string("cannot read ") + path);
  SynthMusicRecipe recipe;
  if (!SynthReadMusicRecipe(text, index, recipe, error)) {
    return ToolFail(std::string(path) + ": " + error);
  }
  SynthBuffer buffer;
  buffer.rate = 22050;
  if (!SynthRenderMusic(recipe, kLoopTail, buffer, error)) {
    return ToolFail(std::string(path) + ": music " + indexText + ": " + error);
  }
  if (!ToolWriteBytes(outPath, SynthWav(buffer))) return ToolFail("cannot write " + outPath);
  return 0;
}

int Sounds(const ToolArgs& args) {
  const char* path = args.operands[0].c_str();
  const std::string& dir = args.operands[1];
  std::string text;
  if (!ReadText(path, text)) return ToolFail(std::string("cannot read ") + path);
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    number++;
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
    std::istringstream words(line);
    int entry;
    std::string kind;
    if (!(words >> entry)) continue;
    uint32_t seed = static_cast<uint32_t>(entry);
    if (!(words >> kind) || entry < 0 || entry > 99) {
      return ToolFail(std::string(path) + ": line " + std::to_string(number) +
                      ": want NUMBER (0..99) KIND [SEED]");
    }
    words >> seed;
    SynthBuffer buffer;
    if (!SynthRenderSound(kind, seed, buffer)) {
      return ToolFail(std::string(path) + ": line " + std::to_string(number) + ": unknown sound '" +
                      kind + "'");
    }
    char name[16];
    std::snprintf(name, sizeof name, "MR_VD%02d.P16", entry);
    if (!ToolWriteBytes(dir + "/" + name, SynthPcm16(buffer))) {
      return ToolFail("cannot write " + dir + "/" + name);
    }
  }
  return 0;
}

const ToolSubcommand kSynthCommands[] = {
    {"list", List, nullptr, {}, 1, 1},
    {"music", Music, nullptr, {}, 3, 3},
    {"sounds", Sounds, nullptr, {}, 2, 2},
};

}  // namespace

const ToolGroup kSynthGroup = {"synth", "render the demo's music tracks and sound entries",
                               kSynthUsage, kSynthCommands};
