// The synthesiser's composer: a recipe line (mood, key, tempo, chord progression) becomes a
// melody in two-bar motifs over an accompaniment, bass and drums, rendered as a looping piece.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "demo/gen/synth/synth.h"

namespace {

// [SECTION] Recipe

struct MoodDefaults {
  const char* name;
  int tempo;
  bool minor;
  SynthInstrument lead;
  const char* accompaniment;
  const char* drums;
  float reverb;
};
constexpr MoodDefaults kMoods[] = {
    {"bright", 120, false, SynthInstrument::Flute, "comp", "pop", 0.18f},
    {"calm", 80, false, SynthInstrument::Flute, "arpeggio", "none", 0.3f},
    {"warm", 84, false, SynthInstrument::EPiano, "ballad", "soft", 0.28f},
    {"sad", 68, true, SynthInstrument::Oboe, "piano", "none", 0.35f},
    {"tense", 132, true, SynthInstrument::Strings, "ostinato", "tension", 0.2f},
    {"mystery", 88, true, SynthInstrument::Bell, "pad", "none", 0.4f},
    {"playful", 132, false, SynthInstrument::Marimba, "pizz", "shuffle", 0.15f},
    {"solemn", 72, false, SynthInstrument::Strings, "organ", "none", 0.38f},
    {"march", 112, false, SynthInstrument::Oboe, "march", "march", 0.18f},
};

const std::map<std::string, SynthInstrument>& Instruments() {
  static const std::map<std::string, SynthInstrument> names = {
      {"piano", SynthInstrument::Piano},    {"epiano", SynthInstrument::EPiano},
      {"bell", SynthInstrument::Bell},      {"flute", SynthInstrument::Flute},
      {"oboe", SynthInstrument::Oboe},      {"strings", SynthInstrument::Strings},
      {"organ", SynthInstrument::Organ},    {"harp", SynthInstrument::Harp},
      {"pizz", SynthInstrument::Pizz},      {"bass", SynthInstrument::Bass},
      {"marimba", SynthInstrument::Marimba}};
  return names;
}

// "C", "F#", "Bb", "Am", "C#m": the tonic's pitch class and the scale.
bool ParseKey(const std::string& text, int& key, bool& minor) {
  static const std::string kLetters = "C D EF G A B";
  if (text.empty() || kLetters.find(text[0]) == std::string::npos || text[0] == ' ') return false;
  key = static_cast<int>(kLetters.find(text[0]));
  size_t at = 1;
  if (at < text.size() && (text[at] == '#' || text[at] == 'b')) {
    key += text[at] == '#' ? 1 : -1;
    at++;
  }
  key = (key + 12) % 12;
  minor = at < text.size() && text[at] == 'm';
  return at + (minor ? 1 : 0) == text.size();
}

// A chord as pitch classes (root first) from a roman numeral relative to the key:
// "I" major, "ii" minor, "viio" diminished, "V7" with a seventh, "bVII" on a lowered degree,
// "IVM7" with a major seventh, "Isus4".
bool ParseChord(const std::string& text, int key, std::vector<int>& pcs) {
  static constexpr int kDegrees[] = {0, 2, 4, 5, 7, 9, 11};
  static const char* const kNumerals[] = {"vii", "iii", "vi", "iv", "ii", "v", "i"};
  static constexpr int kNumeralDegree[] = {6, 2, 5, 3, 1, 4, 0};
  size_t at = 0;
  int shift = 0;
  if (at < text.size() && (text[at] == 'b' || text[at] == '#')) shift = text[at++] == 'b' ? -1 : 1;
  std::string rest = text.substr(at);
  std::string lower = rest;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (int n = 0; n < 7; n++) {
    const std::string numeral = kNumerals[n];
    if (lower.compare(0, numeral.size(), numeral) != 0) continue;
    const bool major = std::isupper(static_cast<unsigned char>(rest[0]));
    const std::string suffix = rest.substr(numeral.size());
    const int root = (key + kDegrees[kNumeralDegree[n]] + shift + 12) % 12;
    int third = major ? 4 : 3, fifth = 7;
    int seventh = -1;
    if (suffix == "o") {
      third = 3;
      fifth = 6;
    } else if (suffix == "7") {
      seventh = 10;
    } else if (suffix == "M7") {
      seventh = 11;
    } else if (suffix == "sus4") {
      third = 5;
    } else if (suffix == "add9") {
      seventh = 14;
    } else if (!suffix.empty()) {
      return false;
    }
    pcs = {root, (root + third) % 12, (root + fifth) % 12};
    if (seventh >= 0) pcs.push_back((root + seventh) % 12);
    return true;
  }
  return false;
}

std::string StripComment(const std::string& line) {
  const size_t hash = line.find('#');
  return hash == std::string::npos ? line : line.substr(0, hash);
}

}  // namespace

std::vector<int> SynthMusicIndices(const std::string& text) {
  std::vector<int> indices;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(StripComment(line));
    int index;
    if (words >> index) indices.push_back(index);
  }
  return indices;
}

bool SynthReadMusicRecipe(const std::string& text, int index, SynthMusicRecipe& recipe,
                          std::string& error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    number++;
    std::istringstream words(StripComment(line));
    int lineIndex;
    std::string mood;
    if (!(words >> lineIndex) || lineIndex != index) continue;
    const std::string where = "line " + std::to_string(number) + ": ";
    if (!(words >> mood)) {
      error = where + "no mood";
      return false;
    }
    const MoodDefaults* defaults = nullptr;
    for (const MoodDefaults& m : kMoods) {
      if (mood == m.name) defaults = &m;
    }
    if (!defaults) {
      error = where + "unknown mood '" + mood + "'";
      return false;
    }
    recipe = SynthMusicRecipe{};
    recipe.index = index;
    recipe.mood = mood;
    recipe.tempo = defaults->tempo;
    recipe.minor = defaults->minor;
    recipe.lead = defaults->lead;
    recipe.accompaniment = defaults->accompaniment;
    recipe.drums = defaults->drums;
    recipe.reverb = defaults->reverb;
    recipe.seed = static_cast<uint32_t>(index + 1);
    recipe.progression = recipe.minor ? std::vector<std::string>{"i", "iv", "V", "i"}
                                      : std::vector<std::string>{"I", "IV", "V", "I"};
    std::string field;
    while (words >> field) {
      const size_t equals = field.find('=');
      if (equals == std::string::npos) {
        error = where + "'" + field + "' is not NAME=VALUE";
        return false;
      }
      const std::string name = field.substr(0, equals), value = field.substr(equals + 1);
      const int number = std::atoi(value.c_str());
      if (name == "key") {
        if (!ParseKey(value, recipe.key, recipe.minor)) {
          error = where + "bad key '" + value + "'";
          return false;
        }
      } else if (name == "tempo" && number >= 30 && number <= 240) {
        recipe.tempo = number;
      } else if (name == "meter" && (number == 3 || number == 4)) {
        recipe.meter = number;
      } else if (name == "bars" && number >= 1 && number <= 64) {
        recipe.bars = number;
      } else if (name == "seed") {
        recipe.seed = static_cast<uint32_t>(number);
      } else if (name == "reverb") {
        recipe.reverb = static_cast<float>(std::atof(value.c_str()));
      } else if (name == "lead" && Instruments().count(value)) {
        recipe.lead = Instruments().at(value);
      } else if (name == "acc") {
        recipe.accompaniment = value;
      } else if (name == "drums") {
        recipe.drums = value;
      } else if (name == "prog") {
        recipe.progression.clear();
        std::istringstream chords(value);
        std::string chord;
        while (std::getline(chords, chord, '-')) recipe.progression.push_back(chord);
      } else {
        error = where + "bad field '" + field + "'";
        return false;
      }
    }
    std::vector<int> pcs;
    for (const std::string& chord : recipe.progression) {
      if (!ParseChord(chord, recipe.key, pcs)) {
        error = where + "bad chord '" + chord + "'";
        return false;
      }
    }
    return true;
  }
  error = "no recipe for music " + std::to_string(index);
  return false;
}

namespace {

// [SECTION] Composition

struct Event {
  double start, length;  // seconds
  double midi;
  float velocity;
  SynthInstrument instrument;
};

struct Composer {
  const SynthMusicRecipe& recipe;
  SynthRandom random;
  double sixteenth;  // seconds
  int steps;         // sixteenths a bar
  std::vector<Event> events;
  std::vector<std::vector<int>> chords;  // pitch classes a bar

  Composer(const SynthMusicRecipe& r)
      : recipe(r), random(r.seed), sixteenth(60.0 / r.tempo / 4), steps(r.meter * 4) {
    for (int bar = 0; bar < r.bars; bar++) {
      std::vector<int> pcs;
      ParseChord(r.progression[bar % r.progression.size()], r.key, pcs);
      chords.push_back(pcs);
    }
  }

  double At(int bar, double step) const { return (bar * steps + step) * sixteenth; }

  void Add(int bar, double step, double length16, double midi, float velocity,
           SynthInstrument instrument) {
    events.push_back(Event{At(bar, step), length16 * sixteenth, midi, velocity, instrument});
  }

  // The scale of a bar: the key's, with the chord's own tones replacing their neighbours
  // (the raised seventh under V in a minor key).
  std::vector<int> Scale(int bar) const {
    static constexpr int kMajor[] = {0, 2, 4, 5, 7, 9, 11};
    static constexpr int kMinor[] = {0, 2, 3, 5, 7, 8, 10};
    std::vector<int> pcs;
    for (int i = 0; i < 7; i++)
      pcs.push_back((recipe.key + (recipe.minor ? kMinor : kMajor)[i]) % 12);
    for (int tone : chords[bar]) {
      if (std::find(pcs.begin(), pcs.end(), tone) != pcs.end()) continue;
      // A raised tone takes its lower neighbour's place (C sharp for C under A major in D
      // minor, never the tonic above it); a lowered one its upper neighbour's.
      auto below = std::find(pcs.begin(), pcs.end(), (tone + 11) % 12);
      auto above = std::find(pcs.begin(), pcs.end(), (tone + 1) % 12);
      if (below != pcs.end()) {
        *below = tone;
      } else if (above != pcs.end()) {
        *above = tone;
      }
    }
    return pcs;
  }

  // Every note of the bar's scale within the lead's range, low to high.
  std::vector<int> Ladder(int bar, int low, int high) const {
    const std::vector<int> scale = Scale(bar);
    std::vector<int> notes;
    for (int n = low; n <= high; n++) {
      if (std::find(scale.begin(), scale.end(), n % 12) != scale.end()) notes.push_back(n);
    }
    return notes;
  }

  bool ChordTone(int bar, int midi) const {
    const auto& pcs = chords[bar];
    return std::find(pcs.begin(), pcs.end(), midi % 12) != pcs.end();
  }

  // The chord tone of the ladder nearest to `target`.
  int NearestChordTone(int bar, const std::vector<int>& ladder, int target) const {
    int best = ladder.front(), distance = 1000;
    for (int n : ladder) {
      if (ChordTone(bar, n) && std::abs(n - target) < distance) {
        best = n;
        distance = std::abs(n - target);
      }
    }
    return best;
  }
};

// Rhythms of one bar in sixteenths; a negative value is a rest.
using Rhythm = std::vector<int>;

std::vector<Rhythm> Rhythms(const std::string& mood, int meter) {
  if (meter == 3) return {{8, 4}, {4, 4, 4}, {6, 2, 4}, {4, 2, 2, 4}, {-4, 4, 4}};
  if (mood == "bright" || mood == "march") {
    return {{4, 2, 2, 4, 4}, {2, 2, 2, 2, 4, 4}, {4, 4, 2, 2, 4}, {3, 3, 2, 4, 4}, {6, 2, 4, 4}};
  }
  if (mood == "playful") {
    return {{2, 2, 2, 2, 4, 4}, {3, 3, 2, 3, 3, 2}, {2, -2, 2, 2, 4, 4}, {4, 2, 2, 2, 2, 4}};
  }
  if (mood == "tense") return {{2, 2, 2, 2, 8}, {4, 2, 2, 8}, {-2, 2, 2, 2, 4, 4}, {6, 2, 6, 2}};
  if (mood == "sad" || mood == "solemn") return {{8, 8}, {6, 2, 8}, {12, 4}, {4, 4, 8}};
  return {{8, 4, 4}, {4, 4, 8}, {6, 2, 8}, {12, 4}, {4, 4, 4, 4}};  // calm, warm, mystery
}

// The lead's comfortable range.
void LeadRange(SynthInstrument lead, int& low, int& high) {
  switch (lead) {
    case SynthInstrument::Bell:
      low = 76, high = 93;
      break;
    case SynthInstrument::Flute:
    case SynthInstrument::Marimba:
      low = 72, high = 89;
      break;
    case SynthInstrument::Organ:
      low = 60, high = 79;
      break;
    default:
      low = 67, high = 86;
  }
}

// One bar of melody on `rhythm`, walking from `current`. Strong beats take chord tones; the
// last note of a cadence bar lands on `goal` pitch class when given.
std::vector<int> MelodyBar(Composer& c, int bar, const Rhythm& rhythm, int& current, int low,
                           int high, int goal) {
  const std::vector<int> ladder = c.Ladder(bar, low, high);
  std::vector<int> pitches;
  int step = 0;
  for (size_t i = 0; i < rhythm.size(); i++) {
    const int length = std::abs(rhythm[i]);
    if (rhythm[i] < 0) {
      pitches.push_back(-1);
      step += length;
      continue;
    }
    auto position = std::lower_bound(ladder.begin(), ladder.end(), current) - ladder.begin();
    const bool strong = step % 8 == 0 || length >= 8;
    const bool last = i + 1 == rhythm.size();
    int next;
    if (last && goal >= 0) {
      // The closing note: the goal tone nearest the walk.
      next = current;
      int distance = 1000;
      for (int n : ladder) {
        if (n % 12 == goal && std::abs(n - current) < distance) {
          next = n;
          distance = std::abs(n - current);
        }
      }
    } else {
      // A step or a small leap, leaning back toward the middle of the range.
      const int middle = (low + high) / 2;
      int move = c.random.Below(10) < 6 ? 1 : (c.random.Below(10) < 7 ? 2 : 0);
      int direction = c.random.Below(2) ? 1 : -1;
      if (current > middle + 5) direction = c.random.Below(4) ? -1 : 1;
      if (current < middle - 5) direction = c.random.Below(4) ? 1 : -1;
      position =
          std::clamp<long>(position + move * direction, 0, static_cast<long>(ladder.size()) - 1);
      next = ladder[position];
      if (strong) next = c.NearestChordTone(bar, ladder, next);
    }
    pitches.push_back(next);
    current = next;
    step += length;
  }
  return pitches;
}

void PlayMelodyBar(Composer& c, int bar, const Rhythm& rhythm, const std::vector<int>& pitches,
                   SynthInstrument instrument, float level, int transpose) {
  int step = 0;
  const bool detached = instrument == SynthInstrument::Marimba ||
                        instrument == SynthInstrument::Pizz || instrument == SynthInstrument::Bell;
  for (size_t i = 0; i < rhythm.size(); i++) {
    const int length = std::abs(rhythm[i]);
    if (rhythm[i] > 0 && pitches[i] >= 0) {
      const float accent = step == 0 ? 1.0f : (step % 4 == 0 ? 0.9f : 0.8f);
      const double held = detached ? std::min(length, 2) : length * 0.94;
      c.Add(bar, step, held, pitches[i] + transpose,
            level * accent * (0.92f + 0.08f * c.random.Unit()), instrument);
    }
    step += length;
  }
}

// The melody: eight-bar periods of two four-bar phrases. Bar 1's motif comes back in bar 3
// (moved onto its chord) and bar 5; bar 4 ends open on the fifth, bar 8 closes on the tonic.
void ComposeMelody(Composer& c) {
  const SynthMusicRecipe& r = c.recipe;
  int low, high;
  LeadRange(r.lead, low, high);
  const std::vector<Rhythm> rhythms = Rhythms(r.mood, r.meter);
  const Rhythm motif = rhythms[c.random.Below(static_cast<int>(rhythms.size()))];
  const Rhythm answer = rhythms[c.random.Below(static_cast<int>(rhythms.size()))];
  const Rhythm cadence = r.meter == 3 ? Rhythm{8, 4}
                         : (r.mood == "bright" || r.mood == "playful" || r.mood == "march")
                             ? Rhythm{4, 4, 8}
                             : Rhythm{4, 12};
  int current = (low + high) / 2;
  std::vector<std::vector<int>> period(8);
  std::vector<Rhythm> shapes(8);
  for (int bar = 0; bar < std::min(8, r.bars); bar++) {
    const int phraseBar = bar % 4;
    int goal = -1;
    if (phraseBar == 3) {
      // The phrase ends on the tonic (or, half-way, the fifth) when the chord has it, else on
      // the chord's root.
      const int wanted = bar == 7 || r.bars <= 4 ? r.key : (r.key + 7) % 12;
      const auto& pcs = c.chords[bar];
      goal = std::find(pcs.begin(), pcs.end(), wanted) != pcs.end() ? wanted : pcs[0];
    }
    Rhythm rhythm = phraseBar == 0 || phraseBar == 2 ? motif : (phraseBar == 1 ? answer : cadence);
    if (bar == 4 && r.bars > 4) {
      // The second phrase opens like the first.
      shapes[bar] = shapes[0];
      period[bar] = period[0];
      const std::vector<int> ladder = c.Ladder(bar, low, high);
      for (int& p : period[bar]) {
        if (p >= 0 && !c.ChordTone(bar, p) && c.ChordTone(0, p))
          p = c.NearestChordTone(bar, ladder, p);
      }
      current = period[bar].back() >= 0 ? period[bar].back() : current;
      continue;
    }
    shapes[bar] = rhythm;
    period[bar] = MelodyBar(c, bar, rhythm, current, low, high, goal);
  }
  // Sections after the first repeat the period; from the second on a lower voice joins a
  // third below and the drums fill out (see the accompaniment).
  for (int bar = 0; bar < r.bars; bar++) {
    const int source = bar % 8;
    if (source >= static_cast<int>(period.size()) || period[source].empty()) continue;
    PlayMelodyBar(c, bar, shapes[source], period[source], r.lead, 0.8f, 0);
    if (bar >= 8) {
      // The harmony voice: the next chord tone below each melody note.
      std::vector<int> lower;
      for (int p : period[source]) {
        int h = p - 3;
        while (h > p - 10 && !(c.ChordTone(bar, h) && h < p - 2)) h--;
        lower.push_back(p < 0 ? -1 : h);
      }
      const SynthInstrument second =
          r.lead == SynthInstrument::Strings ? SynthInstrument::Flute : SynthInstrument::Strings;
      PlayMelodyBar(c, bar, shapes[source], lower, second, 0.35f, 0);
    }
  }
}

// The chord's tones placed between G3 and G4, for the accompaniment.
std::vector<int> Voicing(const std::vector<int>& pcs, int low = 55) {
  std::vector<int> notes;
  for (int pc : pcs) {
    int n = low + ((pc - low % 12) + 12) % 12;
    notes.push_back(n);
  }
  std::sort(notes.begin(), notes.end());
  return notes;
}

int BassNote(int pc) {
  return 36 + ((pc - 36 % 12) + 12) % 12;  // C2..B2
}

void ComposeAccompaniment(Composer& c) {
  const SynthMusicRecipe& r = c.recipe;
  const std::string& style = r.accompaniment;
  const int beat = 4;  // sixteenths
  for (int bar = 0; bar < r.bars; bar++) {
    const std::vector<int>& pcs = c.chords[bar];
    const std::vector<int> chord = Voicing(pcs);
    const int root = BassNote(pcs[0]);
    const int fifth = BassNote(pcs[2]) < root ? BassNote(pcs[2]) + 12 : BassNote(pcs[2]);
    const int barLength = c.steps;
    const bool full = bar >= 8;  // the repeat of the period is fuller
    if (style == "arpeggio") {
      std::vector<int> notes = {root + 12};
      for (int n : chord) notes.push_back(n);
      notes.push_back(chord[0] + 12);
      static constexpr int kPattern[] = {0, 1, 2, 3, 4, 3, 2, 1};
      for (int step = 0; step < barLength; step += 2) {
        const int n = notes[kPattern[(step / 2) % 8] % notes.size()];
        c.Add(bar, step, 6, n, 0.42f, SynthInstrument::Harp);
      }
      for (int n : chord)
        c.Add(bar, 0, barLength, n, full ? 0.2f : 0.14f, SynthInstrument::Strings);
      c.Add(bar, 0, barLength, root, 0.5f, SynthInstrument::Bass);
    } else if (style == "ballad") {
      for (int half = 0; half < barLength; half += barLength / 2) {
        for (int n : chord) c.Add(bar, half, barLength / 2, n, 0.32f, SynthInstrument::EPiano);
      }
      for (int n : chord)
        c.Add(bar, 0, barLength, n + 12, full ? 0.16f : 0.1f, SynthInstrument::Strings);
      c.Add(bar, 0, 3 * beat, root, 0.6f, SynthInstrument::Bass);
      c.Add(bar, 3 * beat, beat, fifth, 0.5f, SynthInstrument::Bass);
    } else if (style == "comp") {
      for (int step = 2; step < barLength; step += 4) {
        for (int n : chord) c.Add(bar, step, 1.5, n, 0.3f, SynthInstrument::Piano);
      }
      static constexpr int kSteps[] = {0, 6, 8, 12, 14};
      for (int s : kSteps) {
        if (s >= barLength) continue;
        c.Add(bar, s, s == 0 || s == 8 ? 3.5 : 1.5, s == 12 ? fifth : (s == 6 ? root + 12 : root),
              0.62f, SynthInstrument::Bass);
      }
      if (full) {
        for (int n : chord) c.Add(bar, 0, barLength, n + 12, 0.12f, SynthInstrument::Strings);
      }
    } else if (style == "piano") {
      std::vector<int> notes = {root + 12};
      for (int n : chord) notes.push_back(n);
      for (int step = 0; step < barLength; step += beat) {
        c.Add(bar, step, 6, notes[(step / beat) % notes.size()], 0.38f, SynthInstrument::Piano);
      }
      for (int n : chord)
        c.Add(bar, 0, barLength, n, full ? 0.18f : 0.12f, SynthInstrument::Strings);
      c.Add(bar, 0, barLength, root, 0.42f, SynthInstrument::Bass);
    } else if (style == "pad") {
      for (int n : chord) c.Add(bar, 0, barLength, n, 0.22f, SynthInstrument::Strings);
      c.Add(bar, 0, barLength, BassNote(r.key), 0.45f, SynthInstrument::Bass);
      for (int step = 0; step < barLength; step += beat) {
        if (c.random.Below(3) == 0) continue;
        c.Add(bar, step + (c.random.Below(2) ? 2 : 0), 4, chord[c.random.Below(3)] + 12, 0.22f,
              SynthInstrument::Harp);
      }
    } else if (style == "ostinato") {
      for (int step = 0; step < barLength; step += 2) {
        const int n = step % 8 == 6 ? root + 12 : root;
        c.Add(bar, step, 1.2, n, step % 4 == 0 ? 0.62f : 0.48f, SynthInstrument::Pizz);
      }
      for (int n : chord)
        c.Add(bar, 0, barLength, n, full ? 0.24f : 0.17f, SynthInstrument::Strings);
      // A half step above the root, high and quiet: the unease.
      if (bar % 2 == 1) {
        c.Add(bar, 0, barLength, chord[0] + 13, 0.08f, SynthInstrument::Strings);
      }
    } else if (style == "pizz") {
      for (int step = 0; step < barLength; step += beat) {
        const bool down = (step / beat) % 2 == 0;
        if (down) {
          c.Add(bar, step, 2, step == 0 ? root : fifth, 0.65f, SynthInstrument::Pizz);
        } else {
          for (int n : chord) c.Add(bar, step, 2, n, 0.3f, SynthInstrument::Pizz);
        }
      }
      c.Add(bar, 0, barLength, root, 0.35f, SynthInstrument::Bass);
    } else if (style == "organ") {
      for (int n : chord) c.Add(bar, 0, barLength, n, 0.26f, SynthInstrument::Organ);
      c.Add(bar, 0, barLength, root, 0.4f, SynthInstrument::Organ);
    } else if (style == "waltz") {
      c.Add(bar, 0, beat, root, 0.6f, SynthInstrument::Bass);
      for (int b = 1; b < r.meter; b++) {
        for (int n : chord) c.Add(bar, b * beat, 2.5, n, 0.26f, SynthInstrument::Piano);
      }
      if (full) {
        for (int n : chord) c.Add(bar, 0, barLength, n + 12, 0.12f, SynthInstrument::Strings);
      }
    } else if (style == "march") {
      for (int b = 0; b < r.meter; b++) {
        c.Add(bar, b * beat, 3, b % 2 == 0 ? root : fifth, 0.6f, SynthInstrument::Bass);
        if (b % 2 == 1) {
          for (int n : chord) c.Add(bar, b * beat, 2, n, 0.3f, SynthInstrument::Piano);
        }
      }
    }
  }
}

void ComposeDrums(const Composer& c, SynthBuffer& out) {
  const SynthMusicRecipe& r = c.recipe;
  const std::string& kit = r.drums;
  if (kit == "none") return;
  uint32_t seed = r.seed * 977u;
  for (int bar = 0; bar < r.bars; bar++) {
    const bool full = bar >= 8;
    for (int step = 0; step < c.steps; step++) {
      const double t = c.At(bar, step);
      auto hit = [&](SynthDrum drum, float velocity) {
        SynthDrumHit(out, drum, t, velocity, seed++);
      };
      const bool beat = step % 4 == 0;
      if (kit == "soft") {
        if (step % 2 == 0) hit(SynthDrum::Shaker, step % 4 == 0 ? 0.5f : 0.32f);
        if (step == 0) hit(SynthDrum::Kick, 0.55f);
        if (full && step == 8) hit(SynthDrum::Snare, 0.25f);
      } else if (kit == "pop") {
        if (step % 2 == 0) hit(SynthDrum::Hat, step % 4 == 0 ? 0.45f : 0.3f);
        if (step == 0 || step == 8 || (full && step == 10)) hit(SynthDrum::Kick, 0.8f);
        if (step == 4 || step == 12) hit(SynthDrum::Snare, 0.6f);
        if (step == 0 && bar % 8 == 0 && bar > 0) hit(SynthDrum::Crash, 0.4f);
      } else if (kit == "shuffle") {
        if (step % 4 == 0 || step % 4 == 3) hit(SynthDrum::Hat, step % 4 == 0 ? 0.4f : 0.25f);
        if (step == 0 || step == 8) hit(SynthDrum::Kick, 0.6f);
        if (step == 4 || step == 12) hit(SynthDrum::Snare, 0.35f);
      } else if (kit == "march") {
        if (beat) hit(SynthDrum::Kick, step == 0 ? 0.7f : 0.45f);
        if (step == 4 || step == 12 || (step == 14 && bar % 2 == 1) || (full && step == 15)) {
          hit(SynthDrum::Snare, 0.5f);
        }
      } else if (kit == "tension") {
        hit(SynthDrum::Hat, step % 4 == 0 ? 0.22f : 0.12f);
        if (step == 0 && bar % 2 == 0) hit(SynthDrum::Timpani, 0.75f);
        if (step == 10 || (full && step == 14)) hit(SynthDrum::Tom, 0.45f);
      }
    }
  }
}

}  // namespace

// [SECTION] Rendering

bool SynthRenderMusic(const SynthMusicRecipe& recipe, double tail, SynthBuffer& out,
                      std::string& error) {
  if (recipe.progression.empty()) {
    error = "no chords";
    return false;
  }
  Composer composer(recipe);
  ComposeMelody(composer);
  ComposeAccompaniment(composer);
  // The loop is a whole number of CD frames long, so a looped play ends exactly on it.
  const int frame = out.rate / 75;
  const size_t loop =
      static_cast<size_t>(std::ceil(composer.At(recipe.bars, 0) * out.rate / frame) * frame);
  const size_t total = loop + static_cast<size_t>(std::llround(tail * out.rate));
  out.samples.assign(total, 0.0f);
  for (const Event& e : composer.events) {
    SynthNote(out, e.instrument, e.start, e.length, e.midi, e.velocity);
  }
  ComposeDrums(composer, out);
  out.samples.resize(total);
  SynthReverb(out, recipe.reverb, 1.0f);
  SynthNormalise(out, 0.13f, 0.85f, loop);
  return true;
}
