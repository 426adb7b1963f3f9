// The resident scenario's state.
#include "scenario/scenario.h"

uint16_t SkipAllowed;
