// The synthesiser's instruments: additive voices for the sustained and plucked ones, two FM
// voices, the drum kit, a room reverb and the buffer helpers.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>

#include "demo/gen/synth/synth.h"

namespace {

// [SECTION] Oscillators

constexpr int kTableBits = 12;
constexpr int kTableSize = 1 << kTableBits;

const std::array<float, kTableSize + 1>& SineTable() {
  static const auto table = [] {
    std::array<float, kTableSize + 1> t{};
    for (int i = 0; i <= kTableSize; i++) {
      t[i] = static_cast<float>(std::sin(2 * M_PI * i / kTableSize));
    }
    return t;
  }();
  return table;
}

// Sine of a 32-bit phase (a full turn is 2^32), linearly interpolated.
inline float Sine(const float* table, uint32_t phase) {
  const uint32_t index = phase >> (32 - kTableBits);
  const float frac = static_cast<float>(phase & ((1u << (32 - kTableBits)) - 1)) /
                     static_cast<float>(1u << (32 - kTableBits));
  return table[index] + (table[index + 1] - table[index]) * frac;
}

uint32_t PhaseStep(double frequency, int rate) {
  const double step = frequency / rate;
  if (step <= 0 || step >= 0.5) return 0;  // above the output's band: leave it out
  return static_cast<uint32_t>(step * 4294967296.0);
}

// [SECTION] Additive voices

struct Partial {
  float ratio;  // of the fundamental
  float amp;
  float decay;  // exponential decay per second (0: sustained)
};

struct AdditiveVoice {
  std::array<Partial, 8> partials;
  int count;
  float attack, release;                  // seconds
  float vibrato, vibratoRate, vibratoAt;  // semitones, Hz, seconds before it starts
  float chorus;                           // cents of a second, detuned copy (0: none)
  float breath;                           // noise level of the attack
  float maxLength;                        // seconds a note may ring
};

constexpr AdditiveVoice kPiano = {{{{1, 1, 0.9f},
                                    {2, 0.55f, 1.4f},
                                    {3, 0.3f, 2.0f},
                                    {4, 0.18f, 2.8f},
                                    {5, 0.1f, 3.6f},
                                    {6, 0.06f, 4.5f},
                                    {7, 0.03f, 5.5f}}},
                                  7,
                                  0.004f,
                                  0.18f,
                                  0,
                                  0,
                                  0,
                                  0,
                                  0.02f,
                                  4.0f};
constexpr AdditiveVoice kFlute = {{{{1, 1, 0}, {2, 0.22f, 0}, {3, 0.07f, 0}, {4, 0.025f, 0}}},
                                  4,
                                  0.07f,
                                  0.14f,
                                  0.13f,
                                  5.2f,
                                  0.25f,
                                  0,
                                  0.05f,
                                  8.0f};
constexpr AdditiveVoice kOboe = {{{{1, 0.55f, 0},
                                   {2, 1, 0},
                                   {3, 0.75f, 0},
                                   {4, 0.45f, 0},
                                   {5, 0.3f, 0},
                                   {6, 0.16f, 0},
                                   {7, 0.1f, 0},
                                   {8, 0.06f, 0}}},
                                 8,
                                 0.05f,
                                 0.12f,
                                 0.1f,
                                 5.0f,
                                 0.3f,
                                 0,
                                 0.02f,
                                 8.0f};
constexpr AdditiveVoice kStrings = {{{{1, 1, 0},
                                      {2, 0.5f, 0},
                                      {3, 0.33f, 0},
                                      {4, 0.24f, 0},
                                      {5, 0.18f, 0},
                                      {6, 0.12f, 0},
                                      {7, 0.08f, 0}}},
                                    7,
                                    0.28f,
                                    0.45f,
                                    0.08f,
                                    5.5f,
                                    0.35f,
                                    9,
                                    0,
                                    12.0f};
constexpr AdditiveVoice kOrgan = {{{{0.5f, 0.45f, 0},
                                    {1, 1, 0},
                                    {2, 0.7f, 0},
                                    {3, 0.35f, 0},
                                    {4, 0.3f, 0},
                                    {6, 0.15f, 0},
                                    {8, 0.12f, 0}}},
                                  7,
                                  0.03f,
                                  0.12f,
                                  0,
                                  0,
                                  0,
                                  4,
                                  0,
                                  12.0f};
constexpr AdditiveVoice kHarp = {
    {{{1, 1, 1.1f}, {2, 0.45f, 2.2f}, {3, 0.22f, 3.5f}, {4, 0.12f, 5}, {5, 0.06f, 7}}},
    5,
    0.003f,
    0.3f,
    0,
    0,
    0,
    0,
    0.03f,
    3.0f};
constexpr AdditiveVoice kPizz = {{{{1, 1, 7}, {2, 0.5f, 10}, {3, 0.25f, 14}, {4, 0.12f, 18}}},
                                 4,
                                 0.002f,
                                 0.05f,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0.03f,
                                 0.6f};
constexpr AdditiveVoice kBass = {
    {{{1, 1, 0.8f}, {2, 0.5f, 1.6f}, {3, 0.22f, 2.5f}, {4, 0.1f, 3.5f}}},
    4,
    0.008f,
    0.09f,
    0,
    0,
    0,
    0,
    0.01f,
    3.0f};
constexpr AdditiveVoice kMarimba = {{{{1, 1, 3.2f}, {3.93f, 0.3f, 9}, {9.24f, 0.08f, 18}}},
                                    3,
                                    0.002f,
                                    0.1f,
                                    0,
                                    0,
                                    0,
                                    0,
                                    0.04f,
                                    1.5f};

// One period of a voice's wave, band-limited for notes up to `top` Hz: `bright` holds every
// partial, `mellow` the partials as they are once the quick ones have died away.
struct WaveTables {
  std::vector<float> bright, mellow;
};

constexpr int kWaveBits = 11;
constexpr int kWaveSize = 1 << kWaveBits;
constexpr int kBands = 10;  // one table pair an octave

// The wave tables of a voice for octave band `band` (notes below 32.7 Hz * 2^(band + 1)).
const WaveTables& Tables(const AdditiveVoice& voice, int band, int rate) {
  static std::map<std::pair<const AdditiveVoice*, int>, WaveTables> cache;
  const auto key = std::make_pair(&voice, band);
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  WaveTables t;
  t.bright.assign(kWaveSize + 1, 0.0f);
  t.mellow.assign(kWaveSize + 1, 0.0f);
  const double top = 32.7 * std::pow(2.0, band + 1);
  // The table's period is the lowest partial's; every partial becomes a whole harmonic of it
  // (a bar's 3.93 rounds to 4), so the wave repeats without a seam.
  const double lowest = std::min(1.0f, voice.partials[0].ratio);
  for (int p = 0; p < voice.count; p++) {
    const Partial& partial = voice.partials[p];
    if (partial.ratio * top >= 0.45 * rate) continue;  // would fold back below the top
    const double harmonic = std::round(partial.ratio / lowest);
    const double mellow = partial.amp * std::exp(-(partial.decay - voice.partials[0].decay) * 0.4);
    for (int i = 0; i <= kWaveSize; i++) {
      const double s = std::sin(2 * M_PI * harmonic * i / kWaveSize);
      t.bright[i] += static_cast<float>(partial.amp * s);
      t.mellow[i] += static_cast<float>(mellow * s);
    }
  }
  return cache.emplace(key, std::move(t)).first->second;
}

void RenderAdditive(SynthBuffer& out, const AdditiveVoice& voice, double start, double length,
                    double frequency, float velocity, uint32_t seed) {
  const int rate = out.rate;
  const double ring = std::min<double>(length + voice.release, voice.maxLength);
  const size_t first = static_cast<size_t>(start * rate);
  const size_t count = static_cast<size_t>(ring * rate);
  SynthReserve(out, first + count);
  float* const dst = out.samples.data() + first;

  // Partial ratios below 1 (an organ's sub-octave) need the period of the lowest one.
  const double base = frequency * std::min(1.0f, voice.partials[0].ratio);
  const int band = std::clamp(static_cast<int>(std::log2(frequency / 32.7)), 0, kBands - 1);
  const WaveTables& tables = Tables(voice, band, rate);
  const float* const bright = tables.bright.data();
  const float* const mellow = tables.mellow.data();

  const uint32_t step = PhaseStep(base, rate);
  if (step == 0) return;
  const uint32_t chorusStep =
      voice.chorus > 0 ? PhaseStep(base * std::pow(2.0, voice.chorus / 1200.0), rate) : 0;
  uint32_t phase = seed * 2654435761u, chorusPhase = phase + 0x40000000u;

  // The body decays at the fundamental's rate; the brightness on top of it faster. Higher
  // notes ring shorter, as on real strings and bars.
  const double pitchFactor = std::pow(frequency / 262.0, 0.35);
  double brightDecay = 0;
  for (int p = 1; p < voice.count; p++) brightDecay += voice.partials[p].decay;
  brightDecay = voice.count > 1 ? brightDecay / (voice.count - 1) : 0;
  const float bodyFade =
      static_cast<float>(std::exp(-voice.partials[0].decay * pitchFactor / rate));
  const float brightFade = static_cast<float>(
      std::exp(-std::max(0.0, brightDecay - voice.partials[0].decay) * pitchFactor / rate));
  float norm = 0;
  for (int p = 0; p < voice.count; p++) norm += voice.partials[p].amp;
  float amp = velocity * 0.5f / std::max(norm, 1.0f) / (chorusStep ? 2 : 1);
  float brightness = 1;

  const size_t attack = std::max<size_t>(1, static_cast<size_t>(voice.attack * rate));
  const size_t held = static_cast<size_t>(length * rate);
  const size_t release = std::max<size_t>(1, static_cast<size_t>(voice.release * rate));
  const size_t end = std::min(count, held + release);
  const size_t vibratoAt = static_cast<size_t>(voice.vibratoAt * rate);
  const uint32_t vibratoStep = PhaseStep(voice.vibratoRate, rate);
  uint32_t vibratoPhase = 0;
  uint32_t bent = step, chorusBent = chorusStep;
  const float* const sine = SineTable().data();
  SynthRandom noise(seed);
  float breath = voice.breath;
  const float breathFade = static_cast<float>(std::exp(-30.0 / rate));
  constexpr int kShift = 32 - kWaveBits;
  constexpr float kFrac = 1.0f / (1u << kShift);

  for (size_t i = 0; i < end; i++) {
    // Vibrato bends both oscillators a little, recomputed every 32 samples.
    if (voice.vibrato > 0 && (i & 31) == 0 && i >= vibratoAt) {
      const float depth = std::min(1.0f, static_cast<float>(i - vibratoAt) / (0.3f * rate));
      const float bend = 1.0f + depth * voice.vibrato * 0.0578f * Sine(sine, vibratoPhase);
      bent = static_cast<uint32_t>(step * bend);
      chorusBent = static_cast<uint32_t>(chorusStep * bend);
      vibratoPhase += vibratoStep * 32;
    }
    uint32_t index = phase >> kShift;
    float frac = static_cast<float>(phase & ((1u << kShift) - 1)) * kFrac;
    float a = bright[index] + (bright[index + 1] - bright[index]) * frac;
    float b = mellow[index] + (mellow[index + 1] - mellow[index]) * frac;
    float sample = b + (a - b) * brightness;
    phase += bent;
    if (chorusStep) {
      index = chorusPhase >> kShift;
      frac = static_cast<float>(chorusPhase & ((1u << kShift) - 1)) * kFrac;
      a = bright[index] + (bright[index + 1] - bright[index]) * frac;
      b = mellow[index] + (mellow[index + 1] - mellow[index]) * frac;
      sample += b + (a - b) * brightness;
      chorusPhase += chorusBent;
    }
    sample *= amp;
    amp *= bodyFade;
    brightness *= brightFade;
    if (breath > 0.0005f) {
      sample += noise.Signed() * breath * velocity * 0.3f;
      breath *= breathFade;
    }
    if (i < attack) sample *= static_cast<float>(i) / attack;
    if (i >= held) sample *= 1.0f - static_cast<float>(i - held) / release;
    dst[i] += sample;
  }
}

// [SECTION] FM voices

struct FmVoice {
  float ratio;       // modulator frequency / carrier frequency
  float index;       // modulation depth at the attack
  float indexDecay;  // per second
  float ampDecay;    // per second
  float release;
  float maxLength;
};
constexpr FmVoice kEPiano = {1.0f, 1.6f, 2.5f, 0.9f, 0.2f, 4.0f};
constexpr FmVoice kBell = {3.5f, 2.2f, 4.0f, 1.3f, 0.4f, 4.0f};

void RenderFm(SynthBuffer& out, const FmVoice& voice, double start, double length, double frequency,
              float velocity) {
  const int rate = out.rate;
  const double ring = std::min<double>(length + voice.release, voice.maxLength);
  const size_t first = static_cast<size_t>(start * rate);
  const size_t count = static_cast<size_t>(ring * rate);
  SynthReserve(out, first + count);
  float* dst = out.samples.data() + first;
  const float* table = SineTable().data();
  const uint32_t carrierStep = PhaseStep(frequency, rate);
  const uint32_t modStep = PhaseStep(frequency * voice.ratio, rate);
  if (carrierStep == 0) return;
  uint32_t carrier = 0, modulator = 0;
  float index = voice.index * 0.159f;  // radians to turns
  float amp = velocity * 0.4f;
  const float indexFade = static_cast<float>(std::exp(-voice.indexDecay / rate));
  const float ampFade = static_cast<float>(std::exp(-voice.ampDecay / rate));
  const size_t held = static_cast<size_t>(length * rate);
  const size_t release = std::max<size_t>(1, static_cast<size_t>(voice.release * rate));
  const size_t attack = static_cast<size_t>(0.002 * rate) + 1;
  for (size_t i = 0; i < count; i++) {
    const float m = Sine(table, modulator) * index;
    const uint32_t offset = static_cast<uint32_t>(static_cast<int32_t>(m * 4294967296.0f));
    float sample = Sine(table, carrier + offset) * amp;
    if (i < attack) sample *= static_cast<float>(i) / attack;
    if (i >= held) {
      const size_t after = i - held;
      if (after >= release) break;
      sample *= 1.0f - static_cast<float>(after) / release;
    }
    dst[i] += sample;
    carrier += carrierStep;
    modulator += modStep;
    index *= indexFade;
    amp *= ampFade;
  }
}

}  // namespace

// [SECTION] Notes and drums

double SynthFrequency(double midi) {
  return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

void SynthNote(SynthBuffer& out, SynthInstrument instrument, double start, double length,
               double midi, float velocity) {
  const double f = SynthFrequency(midi);
  const uint32_t seed = static_cast<uint32_t>(start * 1000) * 31u + static_cast<uint32_t>(midi);
  switch (instrument) {
    case SynthInstrument::Piano:
      return RenderAdditive(out, kPiano, start, length, f, velocity, seed);
    case SynthInstrument::EPiano:
      return RenderFm(out, kEPiano, start, length, f, velocity);
    case SynthInstrument::Bell:
      return RenderFm(out, kBell, start, length, f, velocity * 0.7f);
    case SynthInstrument::Flute:
      return RenderAdditive(out, kFlute, start, length, f, velocity, seed);
    case SynthInstrument::Oboe:
      return RenderAdditive(out, kOboe, start, length, f, velocity, seed);
    case SynthInstrument::Strings:
      return RenderAdditive(out, kStrings, start, length, f, velocity, seed);
    case SynthInstrument::Organ:
      return RenderAdditive(out, kOrgan, start, length, f, velocity, seed);
    case SynthInstrument::Harp:
      return RenderAdditive(out, kHarp, start, length, f, velocity, seed);
    case SynthInstrument::Pizz:
      return RenderAdditive(out, kPizz, start, length, f, velocity, seed);
    case SynthInstrument::Bass:
      return RenderAdditive(out, kBass, start, length, f, velocity, seed);
    case SynthInstrument::Marimba:
      return RenderAdditive(out, kMarimba, start, length, f, velocity, seed);
  }
}

void SynthDrumHit(SynthBuffer& out, SynthDrum drum, double start, float velocity, uint32_t seed) {
  const int rate = out.rate;
  struct Shape {
    double length;
    float toneFrom, toneTo, toneSweep, toneDecay, toneLevel;  // a swept sine
    float noiseDecay, noiseLevel, brightness;  // noise, high-passed by `brightness` (0..1)
  };
  static constexpr Shape kShapes[] = {
      {0.45, 150, 48, 28, 7, 1.0f, 60, 0.08f, 0},       // kick
      {0.3, 230, 180, 30, 22, 0.35f, 16, 0.55f, 0.5f},  // snare
      {0.09, 0, 0, 0, 0, 0, 55, 0.25f, 0.95f},          // hat
      {0.12, 0, 0, 0, 0, 0, 35, 0.12f, 0.8f},           // shaker
      {0.6, 160, 95, 8, 6, 0.8f, 40, 0.05f, 0.3f},      // tom
      {1.4, 90, 82, 3, 2.2f, 0.9f, 25, 0.06f, 0.1f},    // timpani
      {1.8, 0, 0, 0, 0, 0, 2.2f, 0.22f, 0.9f},          // crash
  };
  const Shape& s = kShapes[static_cast<int>(drum)];
  const size_t first = static_cast<size_t>(start * rate);
  const size_t count = static_cast<size_t>(s.length * rate);
  SynthReserve(out, first + count);
  float* dst = out.samples.data() + first;
  const float* table = SineTable().data();
  SynthRandom noise(seed);
  uint32_t phase = 0;
  float previous = 0;
  for (size_t i = 0; i < count; i++) {
    const float t = static_cast<float>(i) / rate;
    float sample = 0;
    if (s.toneLevel > 0) {
      const float f = s.toneTo + (s.toneFrom - s.toneTo) * std::exp(-t * s.toneSweep);
      phase += PhaseStep(f, rate);
      sample += Sine(table, phase) * s.toneLevel * std::exp(-t * s.toneDecay);
    }
    const float white = noise.Signed();
    const float coloured = white - s.brightness * previous;  // one-zero high-pass
    previous = white;
    sample += coloured * s.noiseLevel * std::exp(-t * s.noiseDecay);
    dst[i] += sample * velocity * 0.5f;
  }
}

// [SECTION] Reverb

void SynthReverb(SynthBuffer& buffer, float wet, float size) {
  if (wet <= 0) return;
  const double scale = buffer.rate / 44100.0 * size;
  static constexpr int kCombs[4] = {1116, 1188, 1277, 1356};
  static constexpr int kAllPasses[2] = {556, 441};
  // Four parallel damped combs, then two all-passes in series; plain arrays keep the loop lean.
  std::vector<float> memory;
  size_t length[6], offset[6], at[6] = {};
  for (int i = 0; i < 6; i++) {
    length[i] =
        std::max<size_t>(1, static_cast<size_t>((i < 4 ? kCombs[i] : kAllPasses[i - 4]) * scale));
    offset[i] = memory.size();
    memory.resize(memory.size() + length[i], 0.0f);
  }
  float* const m = memory.data();
  float damped[4] = {};
  const float feedback = 0.8f, damping = 0.3f, dry = 1 - wet * 0.5f;
  float* const samples = buffer.samples.data();
  const size_t count = buffer.samples.size();
  for (size_t n = 0; n < count; n++) {
    const float input = samples[n] * 0.25f;
    float sum = 0;
    for (int c = 0; c < 4; c++) {
      float* const slot = m + offset[c] + at[c];
      const float delayed = *slot;
      damped[c] = delayed * (1 - damping) + damped[c] * damping;
      *slot = input + damped[c] * feedback;
      sum += delayed;
      if (++at[c] == length[c]) at[c] = 0;
    }
    for (int p = 4; p < 6; p++) {
      float* const slot = m + offset[p] + at[p];
      const float delayed = *slot;
      *slot = sum + delayed * 0.5f;
      sum = delayed - sum * 0.5f;
      if (++at[p] == length[p]) at[p] = 0;
    }
    samples[n] = samples[n] * dry + sum * wet;
  }
}

// [SECTION] Buffers

void SynthReserve(SynthBuffer& out, size_t count) {
  if (out.samples.size() < count) out.samples.resize(count, 0.0f);
}

void SynthNormalise(SynthBuffer& out, float rms, float peak, size_t measured) {
  if (measured == 0 || measured > out.samples.size()) measured = out.samples.size();
  double energy = 0;
  float highest = 0;
  for (size_t i = 0; i < out.samples.size(); i++) {
    if (i < measured) energy += static_cast<double>(out.samples[i]) * out.samples[i];
    highest = std::max(highest, std::fabs(out.samples[i]));
  }
  if (energy <= 0 || highest <= 0) return;
  float gain = rms / static_cast<float>(std::sqrt(energy / measured));
  gain = std::min(gain, peak / highest);
  for (float& s : out.samples) s *= gain;
}

std::vector<uint8_t> SynthPcm16(const SynthBuffer& buffer) {
  std::vector<uint8_t> bytes(buffer.samples.size() * 2);
  for (size_t i = 0; i < buffer.samples.size(); i++) {
    const float clipped = std::clamp(buffer.samples[i], -1.0f, 1.0f);
    const auto value = static_cast<int16_t>(std::lround(clipped * 32767.0f));
    bytes[2 * i] = static_cast<uint8_t>(value & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
  }
  return bytes;
}

std::vector<uint8_t> SynthWav(const SynthBuffer& buffer) {
  const std::vector<uint8_t> data = SynthPcm16(buffer);
  std::vector<uint8_t> out;
  out.reserve(44 + data.size());
  auto put = [&out](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  // Byte by byte: a ranged insert of a string literal trips a false overflow warning at -O2.
  auto tag = [&out](const char* text) {
    for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(text[i]));
  };
  tag("RIFF");
  put(static_cast<uint32_t>(36 + data.size()), 4);
  tag("WAVE");
  tag("fmt ");
  put(16, 4);
  put(1, 2);  // PCM
  put(1, 2);  // mono
  put(static_cast<uint32_t>(buffer.rate), 4);
  put(static_cast<uint32_t>(buffer.rate * 2), 4);
  put(2, 2);
  put(16, 2);
  tag("data");
  put(static_cast<uint32_t>(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}
