// lntr3tool: the authoring toolchain's entry point. Each command group lives in its own folder
// and hands its table of subcommands to the shared command line.
#include "tools/groups.h"

int main(int argc, char** argv) {
  const ToolGroup groups[] = {kPackGroup, kLzssGroup, kTz2Group,  kTzgGroup,
                              kScnGroup,  kFontGroup, kSaveGroup, kAlbumGroup};
  return ToolMain("lntr3tool", groups, argc, argv);
}
