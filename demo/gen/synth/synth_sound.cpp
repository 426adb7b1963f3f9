// The synthesiser's sound effects and voices: chimes, steps, knocks and weather from noise and
// tones; short wordless voices (a giggle, a gasp, a sigh) from a glottal source and formants.
#include <algorithm>
#include <cmath>

#include "demo/gen/synth/synth.h"

namespace {

constexpr int kRate = 22050;

// [SECTION] Filters

// A two-pole resonator (band-pass) at `frequency` with bandwidth `width` Hz.
struct Resonator {
  float a1 = 0, a2 = 0, gain = 0, y1 = 0, y2 = 0;
  void Tune(float frequency, float width) {
    const float r = std::exp(static_cast<float>(-M_PI) * width / kRate);
    a1 = 2 * r * std::cos(2 * static_cast<float>(M_PI) * frequency / kRate);
    a2 = -r * r;
    gain = 1 - r;
  }
  float Run(float x) {
    const float y = gain * x + a1 * y1 + a2 * y2;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// One-pole low-pass: `amount` 0..1 of the new sample taken each step.
struct Smoother {
  float value = 0;
  float Run(float x, float amount) { return value += (x - value) * amount; }
};

size_t Samples(double seconds) {
  return static_cast<size_t>(seconds * kRate);
}

// Crossfades the last `overlap` samples into the first ones and drops them, so the buffer
// repeats without a click.
void MakeSeamless(SynthBuffer& out, size_t overlap) {
  const size_t keep = out.samples.size() - overlap;
  for (size_t i = 0; i < overlap; i++) {
    const float w = static_cast<float>(i) / overlap;
    out.samples[i] = out.samples[i] * w + out.samples[keep + i] * (1 - w);
  }
  out.samples.resize(keep);
}

// [SECTION] Effects

// Two bell tones, high then low.
void Chime(SynthBuffer& out) {
  SynthNote(out, SynthInstrument::Bell, 0.0, 0.9, 88, 0.9f);
  SynthNote(out, SynthInstrument::Bell, 0.45, 1.2, 84, 0.9f);
  SynthReserve(out, Samples(2.2));
  out.samples.resize(Samples(2.2));
  SynthReverb(out, 0.25f, 0.8f);
}

// A calendar page torn off: a dry crackle of paper rising and stopping short, then its rustle.
void Page(SynthBuffer& out, SynthRandom& random) {
  out.samples.assign(Samples(0.6), 0.0f);
  Resonator paper;
  paper.Tune(2600, 1800);
  Smoother rustle;
  for (size_t i = 0; i < out.samples.size(); i++) {
    const float t = static_cast<float>(i) / kRate;
    // The tear: crackles that come thicker up to 0.18 s; the rustle of the page after it.
    const float tear =
        t < 0.18f ? (random.Unit() < 0.05f + t * 1.5f ? random.Signed() : 0.0f) : 0.0f;
    const float swing = rustle.Run(random.Signed(), 0.2f) * std::exp(-std::abs(t - 0.3f) * 14);
    out.samples[i] = paper.Run(tear) * 9.0f + swing * 0.8f;
  }
  SynthReverb(out, 0.1f, 0.4f);
}

// A wall clock striking: a soft tick, then two low strokes of its gong.
void Clock(SynthBuffer& out) {
  SynthNote(out, SynthInstrument::Bell, 0.05, 1.4, 67, 0.8f);
  SynthNote(out, SynthInstrument::Bell, 0.85, 1.8, 67, 0.7f);
  SynthReserve(out, Samples(2.8));
  out.samples.resize(Samples(2.8));
  SynthReverb(out, 0.3f, 0.85f);
}

// Four footsteps on a wooden floor: a thud and a short scuff each.
void Steps(SynthBuffer& out, SynthRandom& random) {
  out.samples.assign(Samples(2.0), 0.0f);
  for (int step = 0; step < 4; step++) {
    const size_t at = Samples(0.1 + step * 0.46 + random.Unit() * 0.03);
    Resonator body;
    body.Tune(140 + random.Unit() * 30, 60);
    Smoother scuff;
    for (size_t i = 0; i < Samples(0.2) && at + i < out.samples.size(); i++) {
      const float t = static_cast<float>(i) / kRate;
      const float noise = random.Signed();
      out.samples[at + i] += body.Run(noise) * 6.0f * std::exp(-t * 28) +
                             scuff.Run(noise, 0.3f) * 0.25f * std::exp(-t * 45);
    }
  }
}

// Three knocks on a door.
void Knock(SynthBuffer& out, SynthRandom& random) {
  out.samples.assign(Samples(1.3), 0.0f);
  static constexpr double kTimes[] = {0.05, 0.3, 0.5};
  for (double time : kTimes) {
    Resonator panel, ring;
    panel.Tune(180, 50);
    ring.Tune(520, 90);
    const size_t at = Samples(time);
    for (size_t i = 0; i < Samples(0.25); i++) {
      const float t = static_cast<float>(i) / kRate;
      const float impulse = (i < 40 ? random.Signed() : 0.0f);
      out.samples[at + i] +=
          panel.Run(impulse) * 14.0f + ring.Run(impulse) * 5.0f * std::exp(-t * 30);
    }
  }
  SynthReverb(out, 0.15f, 0.5f);
}

// Steady rain: dense soft noise with drops, made to repeat seamlessly.
void Rain(SynthBuffer& out, SynthRandom& random) {
  const size_t overlap = Samples(0.25);
  out.samples.assign(Samples(3.0) + overlap, 0.0f);
  Smoother hiss, body;
  for (float& s : out.samples) {
    const float noise = random.Signed();
    s = (hiss.Run(noise, 0.5f) - body.Run(noise, 0.05f)) * 0.35f;
  }
  for (int drop = 0; drop < 220; drop++) {
    const size_t at = random.Below(static_cast<int>(out.samples.size() - Samples(0.03)));
    Resonator r;
    r.Tune(1800 + random.Unit() * 2500, 400);
    const float level = 0.6f + random.Unit();
    for (size_t i = 0; i < Samples(0.03); i++) {
      out.samples[at + i] += r.Run(i < 8 ? random.Signed() : 0.0f) * level * 3.0f;
    }
  }
  MakeSeamless(out, overlap);
}

// A distant crack and a long rumble.
void Thunder(SynthBuffer& out, SynthRandom& random) {
  out.samples.assign(Samples(4.5), 0.0f);
  Smoother low, lower;
  for (size_t i = 0; i < out.samples.size(); i++) {
    const float t = static_cast<float>(i) / kRate;
    const float noise = random.Signed();
    // The rumble swells and rolls: a few slow bumps on a long decay.
    const float roll = 0.6f + 0.4f * std::sin(t * 5.3f) * std::sin(t * 2.1f + 1);
    const float envelope = std::min(1.0f, t * 8) * std::exp(-t * 0.9f) * roll;
    out.samples[i] = lower.Run(low.Run(noise, 0.02f), 0.05f) * envelope * 9.0f;
    if (t < 0.35f) out.samples[i] += noise * 0.5f * std::exp(-t * 14);
  }
  SynthReverb(out, 0.3f, 1.4f);
}

// A heartbeat, lub-dub once a second; repeats by itself.
void Heartbeat(SynthBuffer& out) {
  out.samples.assign(Samples(1.0), 0.0f);
  SynthDrumHit(out, SynthDrum::Kick, 0.0, 0.9f, 1);
  SynthDrumHit(out, SynthDrum::Kick, 0.22, 0.6f, 2);
  out.samples.resize(Samples(1.0));
}

// Wind: band-passed noise whose pitch and strength wander; repeats seamlessly.
void Wind(SynthBuffer& out, SynthRandom& random) {
  const size_t overlap = Samples(0.5);
  out.samples.assign(Samples(4.0) + overlap, 0.0f);
  Resonator band;
  for (size_t i = 0; i < out.samples.size(); i++) {
    const float t = static_cast<float>(i) / kRate;
    if (i % 64 == 0) band.Tune(500 + 300 * std::sin(t * 1.3f) + 150 * std::sin(t * 3.1f), 180);
    const float gust = 0.55f + 0.45f * std::sin(t * 1.7f + std::sin(t * 0.6f) * 2);
    out.samples[i] = band.Run(random.Signed()) * gust * 4.0f;
  }
  MakeSeamless(out, overlap);
}

// [SECTION] Voices

// Formant frequencies of the vowels.
struct Vowel {
  float f1, f2, f3;
};
constexpr Vowel kVowelA = {800, 1250, 2600};
constexpr Vowel kVowelU = {350, 1300, 2300};
constexpr Vowel kVowelM = {250, 1100, 2400};

// One voiced sound: a glottal pulse train at `pitch` (start to end, Hz) through the vowel's
// formants, with `breath` of aspiration noise, `onset` seconds of a breathy "h" before it.
void Voice(SynthBuffer& out, SynthRandom& random, double start, double length, float pitchFrom,
           float pitchTo, const Vowel& vowel, float breath, double onset, float level) {
  const size_t first = Samples(start);
  const size_t count = Samples(onset + length);
  SynthReserve(out, first + count);
  Resonator f1, f2, f3;
  f1.Tune(vowel.f1, 90);
  f2.Tune(vowel.f2, 110);
  f3.Tune(vowel.f3, 170);
  double phase = 0;
  const size_t voicedFrom = Samples(onset);
  for (size_t i = 0; i < count; i++) {
    float source = random.Signed() * breath;
    float voicing = 0;
    if (i >= voicedFrom) {
      const float u = static_cast<float>(i - voicedFrom) / Samples(length);
      const float pitch = pitchFrom + (pitchTo - pitchFrom) * u;
      phase += pitch * (1 + 0.01f * random.Signed()) / kRate;
      if (phase >= 1) phase -= 1;
      // A falling saw is a fair glottal pulse once the formants have shaped it.
      voicing = static_cast<float>(1 - 2 * phase);
      const float envelope = std::min(1.0f, u * 12) * std::min(1.0f, (1 - u) * 5);
      source = source * (0.3f + envelope) + voicing * envelope;
    } else {
      source *= static_cast<float>(i) / std::max<size_t>(1, voicedFrom);  // the "h" swells
    }
    const float sample = f1.Run(source) * 1.0f + f2.Run(source) * 0.6f + f3.Run(source) * 0.25f;
    out.samples[first + i] += sample * level;
  }
}

void Giggle(SynthBuffer& out, SynthRandom& random) {
  // "fu-fu-fu": three soft breathy syllables, falling.
  static constexpr float kPitches[] = {330, 310, 285};
  for (int i = 0; i < 3; i++) {
    Voice(out, random, 0.05 + i * 0.19, 0.1, kPitches[i], kPitches[i] - 25, kVowelU, 0.35f, 0.05,
          1.0f);
  }
  SynthReserve(out, out.samples.size() + Samples(0.2));  // room for the echo
  SynthReverb(out, 0.12f, 0.5f);
}

void Surprise(SynthBuffer& out, SynthRandom& random) {
  // "a!": a short rising-then-falling open vowel after a quick breath in.
  Voice(out, random, 0.02, 0.16, 300, 380, kVowelA, 0.15f, 0.04, 1.0f);
  Voice(out, random, 0.22, 0.12, 380, 320, kVowelA, 0.12f, 0.0, 0.6f);
  SynthReserve(out, out.samples.size() + Samples(0.2));
  SynthReverb(out, 0.12f, 0.5f);
}

void Sigh(SynthBuffer& out, SynthRandom& random) {
  // "haa...": mostly breath, the voice sinking and fading, then a hum.
  Voice(out, random, 0.0, 1.0, 260, 190, kVowelA, 0.9f, 0.25, 0.8f);
  Voice(out, random, 1.15, 0.35, 200, 185, kVowelM, 0.1f, 0.0, 0.35f);
  SynthReserve(out, out.samples.size() + Samples(0.2));
  SynthReverb(out, 0.15f, 0.6f);
}

}  // namespace

bool SynthRenderSound(const std::string& kind, uint32_t seed, SynthBuffer& out) {
  out = SynthBuffer{};
  out.rate = kRate;
  SynthRandom random(seed);
  if (kind == "chime") {
    Chime(out);
  } else if (kind == "page") {
    Page(out, random);
  } else if (kind == "clock") {
    Clock(out);
  } else if (kind == "steps") {
    Steps(out, random);
  } else if (kind == "knock") {
    Knock(out, random);
  } else if (kind == "rain") {
    Rain(out, random);
  } else if (kind == "thunder") {
    Thunder(out, random);
  } else if (kind == "heartbeat") {
    Heartbeat(out);
  } else if (kind == "wind") {
    Wind(out, random);
  } else if (kind == "giggle") {
    Giggle(out, random);
  } else if (kind == "surprise") {
    Surprise(out, random);
  } else if (kind == "sigh") {
    Sigh(out, random);
  } else {
    return false;
  }
  SynthNormalise(out, 0.16f, 0.9f);
  return true;
}
