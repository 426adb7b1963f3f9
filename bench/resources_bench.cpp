// Decoding speed of packed blocks and TZ2 pictures. Every decode is also given as ratios to two
// yardsticks timed in the same loop, so that the figures read the same on any machine and under
// any load: a plain memcpy of the output size, and a decoder written the obvious way, a byte at
// a time through a 4096-byte ring (kept here, not in the engine).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "graphics/frame.h"
#include "resources/lzss.h"
#include "resources/pack.h"
#include "resources/tz2.h"

namespace {

// [SECTION] Pictures

// A background-like 640 x 480 picture: a diagonal gradient over 200 colours with dithering
// noise, a few filled circles and rectangles, a band of fine stripes.
std::vector<uint8_t> BackgroundPixels() {
  std::mt19937 rng(1998);
  std::vector<uint8_t> pixels(kFramePixelCount);
  for (int y = 0; y < kFrameHeight; y++) {
    for (int x = 0; x < kFrameWidth; x++) {
      int v = (x + 2 * y) * 120 / (kFrameWidth + 2 * kFrameHeight);
      if (rng() % 4 == 0) v += static_cast<int>(rng() % 3) - 1;
      pixels[y * kFrameWidth + x] = static_cast<uint8_t>(std::clamp(v, 0, 123));
    }
  }
  for (int c = 0; c < 12; c++) {
    const int cx = static_cast<int>(rng() % 640), cy = static_cast<int>(rng() % 480);
    const int r = 10 + static_cast<int>(rng() % 60);
    const auto colour = static_cast<uint8_t>(124 + rng() % 76);
    for (int y = std::max(0, cy - r); y < std::min(480, cy + r); y++) {
      for (int x = std::max(0, cx - r); x < std::min(640, cx + r); x++) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r) pixels[y * 640 + x] = colour;
      }
    }
  }
  for (int y = 300; y < 340; y++) {
    for (int x = 0; x < 640; x++) pixels[y * 640 + x] = static_cast<uint8_t>(200 + (x / 3) % 5);
  }
  return pixels;
}

std::vector<PalEntry> BenchColours() {
  std::vector<PalEntry> colours(205);
  for (size_t i = 0; i < colours.size(); i++) {
    colours[i] = PalEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 90, 0};
  }
  return colours;
}

const std::vector<uint8_t>& PictureFile() {
  static const std::vector<uint8_t> file = [] {
    const std::vector<uint8_t> pixels = BackgroundPixels();
    const std::vector<PalEntry> colours = BenchColours();
    return Tz2Encode(Tz2Picture{pixels, 640, 480, colours});
  }();
  return file;
}

// The demo background with the most items to decode (literals and references), read from the
// demo's data archive. Empty when the demo data is not where the build was told it is.
constexpr const char* kDemoBackground = "S21N.TZ2";

const std::vector<uint8_t>& DemoBackgroundFile();

void SkipWithoutDemoData(benchmark::State& state) {
  static const std::string why =
      std::string("no ") + kDemoBackground + " in the demo data at " LNTR3_BENCH_DATA;
  state.SkipWithError(why.c_str());
}

const std::vector<uint8_t>& DemoBackgroundFile() {
  static const std::vector<uint8_t> file = [] {
    const std::string path = std::string(LNTR3_BENCH_DATA) + "/" + kPackFileNames[kPackData];
    std::vector<uint8_t> index, bytes;
    uint16_t count = 0;
    uint64_t fileSize = 0;
    if (PackReadIndex(path, index, count, fileSize) != PackIndexResult::Ok) return bytes;
    char key[12];
    PackMakeKey(kDemoBackground, key);
    for (uint32_t i = 0; i < count; i++) {
      const PackRecord record = PackRecordAt(index, i);
      if (std::memcmp(record.key, key, kPackKeyLength) != 0) continue;
      if (uint64_t{record.offset} + record.size > fileSize) break;
      std::ifstream in(path, std::ios::binary);
      bytes.resize(record.size);
      in.seekg(record.offset);
      in.read(reinterpret_cast<char*>(bytes.data()), record.size);
      if (!in) bytes.clear();
      PackUnscramble(bytes);
      break;
    }
    return bytes;
  }();
  return file;
}

// The stream of a TZ2 file and the bytes it decodes to.
struct Tz2Stream {
  std::span<const uint8_t> stream;
  uint32_t count;
};
Tz2Stream StreamOf(const std::vector<uint8_t>& file) {
  Tz2Header h;
  Tz2ParseHeader(file, h);
  return {std::span<const uint8_t>(file).subspan(kTz2HeaderSize + 3 * h.colourCount),
          uint32_t{h.width} * h.height};
}

// [SECTION] Yardsticks

// Processor time of the whole process, in nanoseconds.
double ProcessNs() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// The obvious decoder of an inverted stream: a byte at a time through a cleared ring, every
// stream byte checked for as it is read.
bool NaiveDecode(std::span<const uint8_t> src, uint8_t* out, uint32_t count) {
  uint8_t ring[kLzssRingSize] = {};
  uint32_t r = kLzssRingStart, done = 0, flags = 0, flagsLeft = 0;
  const uint8_t* p = src.data();
  const uint8_t* const end = p + src.size();
  while (done < count) {
    if (flagsLeft == 0) {
      if (p == end) return false;
      flags = *p++;
      flagsLeft = 8;
    }
    const bool reference = flags & 0x80;
    flags <<= 1;
    flagsLeft--;
    if (!reference) {
      if (p == end) return false;
      const auto v = static_cast<uint8_t>(~*p++);
      ring[r] = v;
      r = (r + 1) & kLzssRingMask;
      out[done++] = v;
      continue;
    }
    if (end - p < 2) return false;
    const uint32_t word = ReadLe16(p) ^ 0xFFFF;
    p += 2;
    const uint32_t pos = word >> 4, len = (word & 15) + kLzssMinMatch;
    for (uint32_t k = 0; k < len && done < count; k++) {
      const uint8_t v = ring[(pos + k) & kLzssRingMask];
      ring[r] = v;
      r = (r + 1) & kLzssRingMask;
      out[done++] = v;
    }
  }
  return true;
}

// A memcpy of one frame's bytes, at the fastest of a few placements of source and destination
// (a copy can fall on a much slower path for some alignments and distances between the two).
struct FrameCopy {
  static constexpr size_t kBytes = kFramePixelCount;
  static constexpr size_t kRoom = 2 * kBytes + 3 * 4096;
  static constexpr int kBatch = 16;  // copies per timing, so the clock's cost does not count
  std::vector<uint8_t> arena = std::vector<uint8_t>(kRoom, 7);
  size_t from = 0, to = 0;
  double slowestNs = 0;

  // Nanoseconds per copy in the fastest of `rounds` batches at the chosen placement.
  double FastestNs(int rounds) {
    double best = std::numeric_limits<double>::infinity();
    for (int round = 0; round < rounds; round++) {
      const double start = ProcessNs();
      for (int i = 0; i < kBatch; i++) {
        std::memcpy(arena.data() + to, arena.data() + from, kBytes);
        benchmark::ClobberMemory();
      }
      best = std::min(best, (ProcessNs() - start) / kBatch);
    }
    return best;
  }

  FrameCopy() {
    // Destination first, source after it; aligned alike, one byte apart, a page apart.
    const size_t placements[][2] = {{kBytes + 4096, 0},     {kBytes + 4096 + 64, 32},
                                    {kBytes + 4096 + 1, 0}, {kBytes + 4096, 17},
                                    {kBytes + 8192, 4096},  {kBytes + 2048, 0}};
    double best = std::numeric_limits<double>::infinity();
    size_t bestFrom = 0, bestTo = 0;
    for (const auto& [source, destination] : placements) {
      from = source;
      to = destination;
      const double ns = FastestNs(20);
      slowestNs = std::max(slowestNs, ns);
      if (ns < best) {
        best = ns;
        bestFrom = source;
        bestTo = destination;
      }
    }
    from = bestFrom;
    to = bestTo;
  }
};

FrameCopy& TheFrameCopy() {
  static FrameCopy copy;
  return copy;
}

// The middle one of `samples` (which it reorders); one odd reading of the clock moves it
// little, whichever way it errs.
double Median(std::vector<double>& samples) {
  if (samples.empty()) return 0;
  const auto middle = samples.begin() + static_cast<ptrdiff_t>(samples.size() / 2);
  std::nth_element(samples.begin(), middle, samples.end());
  return *middle;
}

// Runs `decode` as the benchmark's work and, between its rounds with the benchmark's clock
// stopped, the two yardsticks on the same stream. The counters compare the median round of
// each (processor time of the whole process): `x_naive`, how many times faster than the naive
// decoder the decode is (above 1 is faster); `x_memcpy`, how many frame copies one decode
// costs; `median_us`, the decode's median round.
template <typename Decode>
void RunBesideYardsticks(benchmark::State& state, Tz2Stream s, Decode&& decode) {
  FrameCopy& copy = TheFrameCopy();
  std::vector<uint8_t> naiveOut(s.count);
  std::vector<double> decodeNs, naiveNs, copyNs;
  for (auto _ : state) {
    const double start = ProcessNs();
    decode();
    decodeNs.push_back(ProcessNs() - start);
    if (decodeNs.size() % 4 == 1) {
      state.PauseTiming();
      const double naiveStart = ProcessNs();
      benchmark::DoNotOptimize(NaiveDecode(s.stream, naiveOut.data(), s.count));
      naiveNs.push_back(ProcessNs() - naiveStart);
      copyNs.push_back(copy.FastestNs(1));
      state.ResumeTiming();
    }
  }
  const double median = Median(decodeNs);
  state.counters["median_us"] = median / 1000;
  state.counters["x_naive"] = Median(naiveNs) / median;
  state.counters["x_memcpy"] = median / Median(copyNs);
  state.SetBytesProcessed(state.iterations() * int64_t{s.count});
}

// [SECTION] Benchmarks

void BM_Memcpy307200(benchmark::State& state) {
  FrameCopy& copy = TheFrameCopy();
  for (auto _ : state) {
    std::memcpy(copy.arena.data() + copy.to, copy.arena.data() + copy.from, FrameCopy::kBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{FrameCopy::kBytes});
  state.counters["slowest_placement_us"] = copy.slowestNs / 1000;
}
BENCHMARK(BM_Memcpy307200)->MeasureProcessCPUTime();

void BM_NaiveDecodeDemoBackground(benchmark::State& state) {
  const std::vector<uint8_t>& file = DemoBackgroundFile();
  if (file.empty()) return SkipWithoutDemoData(state);
  const Tz2Stream s = StreamOf(file);
  std::vector<uint8_t> out(s.count);
  for (auto _ : state) {
    benchmark::DoNotOptimize(NaiveDecode(s.stream, out.data(), s.count));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{s.count});
}
BENCHMARK(BM_NaiveDecodeDemoBackground)->MeasureProcessCPUTime();

// A full-screen background of the demo, opaque, as a scene change draws it.
void BM_Tz2DecodeDemoBackground(benchmark::State& state) {
  const std::vector<uint8_t>& file = DemoBackgroundFile();
  if (file.empty()) return SkipWithoutDemoData(state);
  std::vector<uint8_t> frame(kFramePixelCount), naive(kFramePixelCount);
  std::vector<PalEntry> palette(kPaletteSize);
  // The bottom-up frame holds the pixels in stream order: both decoders must agree.
  const Tz2Stream s = StreamOf(file);
  if (Tz2DecodeQuiet(frame, palette, file, 640, 480, 0, 0, -1, 0, true) != PicError::None ||
      !NaiveDecode(s.stream, naive.data(), s.count) || frame != naive) {
    state.SkipWithError("the engine and the naive decoder disagree");
    return;
  }
  RunBesideYardsticks(state, s, [&] {
    const PicError e = Tz2DecodeQuiet(frame, palette, file, 640, 480, 0, 0, -1, 0, true);
    benchmark::DoNotOptimize(e);
    benchmark::ClobberMemory();
  });
  state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_Tz2DecodeDemoBackground)->MeasureProcessCPUTime();

void BM_Tz2Decode640x480(benchmark::State& state) {
  const std::vector<uint8_t>& file = PictureFile();
  std::vector<uint8_t> frame(kFramePixelCount);
  std::vector<PalEntry> palette(kPaletteSize);
  RunBesideYardsticks(state, StreamOf(file), [&] {
    const PicError e = Tz2DecodeQuiet(frame, palette, file, 640, 480, 0, 0, -1, 0, true);
    benchmark::DoNotOptimize(e);
    benchmark::ClobberMemory();
  });
  state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_Tz2Decode640x480)->MeasureProcessCPUTime();

void BM_Tz2DecodeTransparentOffset(benchmark::State& state) {
  // A sprite-like draw: transparency test and colour offset on every pixel.
  const std::vector<uint8_t>& file = PictureFile();
  std::vector<uint8_t> frame(kFramePixelCount);
  std::vector<PalEntry> palette(kPaletteSize);
  RunBesideYardsticks(state, StreamOf(file), [&] {
    const PicError e = Tz2DecodeQuiet(frame, palette, file, 640, 480, 0, 0, 0, 30, true);
    benchmark::DoNotOptimize(e);
    benchmark::ClobberMemory();
  });
}
BENCHMARK(BM_Tz2DecodeTransparentOffset)->MeasureProcessCPUTime();

// A packed block (the count, then the stream) of a picture's stream as it is.
std::vector<uint8_t> BlockOf(Tz2Stream s) {
  std::vector<uint8_t> block(4);
  for (int i = 0; i < 4; i++) block[i] = static_cast<uint8_t>(s.count >> 8 * i);
  block.insert(block.end(), s.stream.begin(), s.stream.end());
  return block;
}

void UnpackBeside(benchmark::State& state, const std::vector<uint8_t>& block) {
  const uint32_t count = LzssBlockSize(block);
  std::vector<uint8_t> out(count);
  RunBesideYardsticks(state, {std::span<const uint8_t>(block).subspan(4), count}, [&] {
    benchmark::DoNotOptimize(LzssUnpack(out, block));
    benchmark::ClobberMemory();
  });
  state.counters["block_bytes"] = static_cast<double>(block.size());
}

void BM_LzssUnpack307200(benchmark::State& state) {
  UnpackBeside(state, LzssPack(BackgroundPixels()));
}
BENCHMARK(BM_LzssUnpack307200)->MeasureProcessCPUTime();

void BM_LzssUnpackDemoBackground(benchmark::State& state) {
  const std::vector<uint8_t>& file = DemoBackgroundFile();
  if (file.empty()) return SkipWithoutDemoData(state);
  UnpackBeside(state, BlockOf(StreamOf(file)));
}
BENCHMARK(BM_LzssUnpackDemoBackground)->MeasureProcessCPUTime();

void BM_LzssPack307200(benchmark::State& state) {
  const std::vector<uint8_t> pixels = BackgroundPixels();
  for (auto _ : state) benchmark::DoNotOptimize(LzssPack(pixels));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFramePixelCount);
}
BENCHMARK(BM_LzssPack307200)->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
