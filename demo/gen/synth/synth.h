// The demo's own synthesiser: instruments, drums and voices rendered into float buffers, a
// composer that turns a one-line recipe into a looping piece, and the sound-effect makers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// [SECTION] Output

// Mono samples, nominally within -1..1, at `rate` samples a second.
struct SynthBuffer {
  int rate = 22050;
  std::vector<float> samples;
};

// Makes sure the buffer holds at least `count` samples.
void SynthReserve(SynthBuffer& out, size_t count);
// Scales to an RMS of `rms` over the first `measured` samples (all when 0), keeping the peak
// below `peak`.
void SynthNormalise(SynthBuffer& out, float rms, float peak, size_t measured = 0);
// Signed 16-bit little-endian samples, rounded and clipped.
std::vector<uint8_t> SynthPcm16(const SynthBuffer& buffer);
// A mono 16-bit WAV file around the samples.
std::vector<uint8_t> SynthWav(const SynthBuffer& buffer);

// [SECTION] Randomness
// One small generator, so every build makes the same bytes.
struct SynthRandom {
  uint32_t state;
  explicit SynthRandom(uint32_t seed) : state(seed * 2654435761u + 0x9E3779B9u) {
    if (state == 0) state = 1;
  }
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  // Uniform in [0, 1).
  float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
  // Uniform in [-1, 1).
  float Signed() { return Unit() * 2 - 1; }
  // Uniform in [0, n).
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
};

// [SECTION] Instruments

enum class SynthInstrument {
  Piano,
  EPiano,  // electric piano, FM
  Bell,    // glockenspiel-like, FM
  Flute,
  Oboe,     // reedy, for sad leads
  Strings,  // bowed pad, slow attack
  Organ,
  Harp,  // plucked string
  Pizz,  // short plucked string
  Bass,  // round finger bass
  Marimba,
};

// Adds one note: `start` and `length` in seconds, `midi` note number, `velocity` 0..1.
void SynthNote(SynthBuffer& out, SynthInstrument instrument, double start, double length,
               double midi, float velocity);

enum class SynthDrum { Kick, Snare, Hat, Shaker, Tom, Timpani, Crash };
void SynthDrumHit(SynthBuffer& out, SynthDrum drum, double start, float velocity, uint32_t seed);

// Schroeder reverb over the whole buffer; `wet` 0..1 of reverberated sound mixed in.
void SynthReverb(SynthBuffer& buffer, float wet, float size);

// The frequency of a MIDI note number.
double SynthFrequency(double midi);

// [SECTION] Music

// One piece: the recipe line's fields with its mood's defaults filled in.
struct SynthMusicRecipe {
  int index = 0;
  std::string mood;
  int key = 0;         // pitch class of the tonic, 0 = C
  bool minor = false;  // the melody's scale
  int tempo = 100;
  int meter = 4;  // beats a bar
  int bars = 16;
  std::vector<std::string> progression;  // one chord a bar, repeated
  SynthInstrument lead = SynthInstrument::Flute;
  std::string accompaniment;  // arpeggio, comp, pad, ostinato, waltz, march, organ
  std::string drums;          // none, soft, pop, march, shuffle, tension
  uint32_t seed = 1;
  float reverb = 0.25f;
};

// Reads the recipe of music `index` from a recipe file's text. False with a reason when the
// index is missing or a field is wrong.
bool SynthReadMusicRecipe(const std::string& text, int index, SynthMusicRecipe& recipe,
                          std::string& error);
// The music indices a recipe file describes, in file order.
std::vector<int> SynthMusicIndices(const std::string& text);
// Composes and renders a piece: the looping bars, then `tail` seconds in which the last notes
// and the reverb die away (the part a looped play leaves out).
bool SynthRenderMusic(const SynthMusicRecipe& recipe, double tail, SynthBuffer& out,
                      std::string& error);

// [SECTION] Sound effects and voices

// Renders sound effect `kind` ("chime", "page", "clock", "steps", "knock", "rain", "thunder",
// "heartbeat", "wind", "giggle", "surprise", "sigh") at 22050 samples a second. False for an
// unknown kind.
bool SynthRenderSound(const std::string& kind, uint32_t seed, SynthBuffer& out);
