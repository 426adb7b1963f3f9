// The resident scenario: which one is loaded and whether it counts as already read.
#pragma once

#include <cstdint>

// 1 when the resident scenario was read before: skipping is allowed.
extern uint16_t SkipAllowed;
