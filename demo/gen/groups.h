// The command groups of demogen.
#pragma once

#include "tools/common/tool.h"

extern const ToolGroup kPaintGroup;
extern const ToolGroup kSynthGroup;
