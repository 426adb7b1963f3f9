// The character colour ranges. Only the state exists so far; the background module that
// assigns the ranges comes later.
#include "screens/char_ranges.h"

int32_t RangeChar[kCharRanges] = {kRangeFree, kRangeFree};
int32_t RangePrevChar[kCharRanges] = {kRangeFree, kRangeFree};
