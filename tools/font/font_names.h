// lntr3tool font names: the name entry's character lists as a header of font codes.
#pragma once

#include "tools/common/tool.h"

// "font names DIR OUT.h".
int FontNames(const ToolArgs& args);
extern const char kFontNamesUsage[];
