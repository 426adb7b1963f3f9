// The colour quantiser behind "tz2 encode --colors": libimagequant builds the palette (one
// histogram over all pictures when they share it) and remaps with error diffusion.
#include "tools/tz2/quantise.h"

#include <dlfcn.h>
#include <libimagequant.h>

#include <memory>

namespace {

// libimagequant may split its work over OpenMP threads, and its k-means sums then depend on
// the thread count. One thread gives the same palette on every machine; the demo build runs
// several pictures side by side instead.
void QuantSingleThread() {
  using SetThreads = void (*)(int);
  static const auto set = reinterpret_cast<SetThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads"));
  if (set) set(1);
}

struct AttrDeleter {
  void operator()(liq_attr* a) const { liq_attr_destroy(a); }
};
struct ImageDeleter {
  void operator()(liq_image* i) const { liq_image_destroy(i); }
};
struct ResultDeleter {
  void operator()(liq_result* r) const { liq_result_destroy(r); }
};
struct HistogramDeleter {
  void operator()(liq_histogram* h) const { liq_histogram_destroy(h); }
};
using AttrPtr = std::unique_ptr<liq_attr, AttrDeleter>;
using ImagePtr = std::unique_ptr<liq_image, ImageDeleter>;
using ResultPtr = std::unique_ptr<liq_result, ResultDeleter>;
using HistogramPtr = std::unique_ptr<liq_histogram, HistogramDeleter>;

}  // namespace

bool QuantReduce(std::span<const QuantPicture> pictures, int colours, float dither,
                 QuantResult& result, std::string& error) {
  result = QuantResult{};
  if (pictures.empty() || colours < 2 || colours > 256) {
    error = "the quantiser wants pictures and 2..256 colours";
    return false;
  }
  QuantSingleThread();
  // Transparency is all or nothing in a palette picture: every transparent pixel becomes the
  // same colour, so they all share one entry.
  std::vector<std::vector<uint8_t>> inputs;
  bool anyTransparent = false;
  for (const QuantPicture& p : pictures) {
    if (p.width == 0 || p.height == 0 ||
        p.rgba.size() != static_cast<size_t>(p.width) * p.height * 4) {
      error = "a picture's pixels do not match its size";
      return false;
    }
    std::vector<uint8_t> rgba(p.rgba.begin(), p.rgba.end());
    for (size_t i = 0; i < rgba.size(); i += 4) {
      if (rgba[i + 3] < 128) {
        rgba[i] = rgba[i + 1] = rgba[i + 2] = rgba[i + 3] = 0;
        anyTransparent = true;
      } else {
        rgba[i + 3] = 255;
      }
    }
    inputs.push_back(std::move(rgba));
  }
  AttrPtr attr(liq_attr_create());
  if (!attr || liq_set_max_colors(attr.get(), colours) != LIQ_OK) {
    error = "the quantiser cannot be set up";
    return false;
  }
  liq_set_speed(attr.get(), 8);
  std::vector<ImagePtr> images;
  for (size_t i = 0; i < pictures.size(); i++) {
    images.emplace_back(liq_image_create_rgba(attr.get(), inputs[i].data(),
                                              static_cast<int>(pictures[i].width),
                                              static_cast<int>(pictures[i].height), 0));
    if (!images.back()) {
      error = "the quantiser refuses a picture";
      return false;
    }
  }
  liq_result* raw = nullptr;
  liq_error status;
  if (images.size() == 1) {
    status = liq_image_quantize(images[0].get(), attr.get(), &raw);
  } else {
    HistogramPtr histogram(liq_histogram_create(attr.get()));
    status = histogram ? LIQ_OK : LIQ_OUT_OF_MEMORY;
    for (size_t i = 0; i < images.size() && status == LIQ_OK; i++) {
      status = liq_histogram_add_image(histogram.get(), attr.get(), images[i].get());
    }
    if (status == LIQ_OK) status = liq_histogram_quantize(histogram.get(), attr.get(), &raw);
  }
  ResultPtr quantised(raw);
  if (status != LIQ_OK || !quantised) {
    error = "the quantiser failed (libimagequant error " + std::to_string(status) + ")";
    return false;
  }
  liq_set_dithering_level(quantised.get(), dither);
  std::vector<std::vector<uint8_t>> remapped;
  for (size_t i = 0; i < images.size(); i++) {
    std::vector<uint8_t> indices(static_cast<size_t>(pictures[i].width) * pictures[i].height);
    if (liq_write_remapped_image(quantised.get(), images[i].get(), indices.data(),
                                 indices.size()) != LIQ_OK) {
      error = "the quantiser cannot remap a picture";
      return false;
    }
    remapped.push_back(std::move(indices));
  }
  const liq_palette* palette = liq_get_palette(quantised.get());
  // The transparent entry goes first; the others keep their order after it.
  const int count = static_cast<int>(palette->count);
  int clear = -1;
  for (int i = 0; i < count && anyTransparent; i++) {
    if (palette->entries[i].a < 128) clear = i;
  }
  std::vector<uint8_t> order(count);
  int next = clear >= 0 ? 1 : 0;
  for (int i = 0; i < count; i++) order[i] = static_cast<uint8_t>(i == clear ? 0 : next++);
  // Each entry becomes the mean of the picture colours it stands for: the quantiser works in
  // linear light, and its round trip can miss a colour by one step; a picture that had few
  // enough colours then comes back exactly.
  std::vector<uint64_t> sums(static_cast<size_t>(count) * 4, 0);
  for (size_t p = 0; p < remapped.size(); p++) {
    const std::vector<uint8_t>& rgba = inputs[p];
    for (size_t i = 0; i < remapped[p].size(); i++) {
      uint64_t* s = &sums[static_cast<size_t>(remapped[p][i]) * 4];
      for (int k = 0; k < 3; k++) s[k] += rgba[i * 4 + k];
      s[3]++;
    }
  }
  result.palette.assign(count, PalEntry{});
  for (int i = 0; i < count; i++) {
    const liq_color& c = palette->entries[i];
    const uint64_t* s = &sums[static_cast<size_t>(i) * 4];
    const auto mean = [&](int k) { return static_cast<uint8_t>((s[k] + s[3] / 2) / s[3]); };
    PalEntry e = s[3] ? PalEntry{mean(0), mean(1), mean(2), 0} : PalEntry{c.r, c.g, c.b, 0};
    result.palette[order[i]] = i == clear ? PalEntry{0, 0, 0, 0} : e;
  }
  result.transparent = clear >= 0 ? 0 : -1;
  for (std::vector<uint8_t>& indices : remapped) {
    for (uint8_t& v : indices) v = order[v];
  }
  result.pixels = std::move(remapped);
  return true;
}
