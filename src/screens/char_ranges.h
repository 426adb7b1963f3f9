// The two character colour ranges of the palette: which character holds each, and which held
// each before a scene change that keeps characters on screen.
#pragma once

#include <cstdint>

constexpr int kCharRanges = 2;  // range A (124..171) and range B (172..219)
constexpr int32_t kRangeFree = -1;

// The character (code & 0xFF00) whose colours fill range A and range B; kRangeFree = none.
extern int32_t RangeChar[kCharRanges];
// The characters remembered for the two ranges by CharRangesRemember; kRangeFree = none.
extern int32_t RangePrevChar[kCharRanges];
