// The command groups of lntr3tool, each defined in its format's folder.
#pragma once

#include "tools/common/tool.h"

extern const ToolGroup kPackGroup;
extern const ToolGroup kLzssGroup;
extern const ToolGroup kTz2Group;
extern const ToolGroup kTzgGroup;
extern const ToolGroup kScnGroup;
extern const ToolGroup kFontGroup;
extern const ToolGroup kSaveGroup;
extern const ToolGroup kAlbumGroup;
