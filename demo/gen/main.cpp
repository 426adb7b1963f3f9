// demogen: the demo game's own generators, run by the build to paint its pictures and render
// its sound from the recipes in demo/. It is a build tool of the demo, never installed.
#include "demo/gen/groups.h"

int main(int argc, char** argv) {
  const ToolGroup groups[] = {kPaintGroup, kSynthGroup};
  return ToolMain("demogen", groups, argc, argv);
}
