// The toolchain's shared command line, once for every command group: --help answers 0 with the
// usage on standard output; wrong usage answers 2 with the reason and the usage on standard
// error; each command's own checks of its options and operands answer the same way.
#include <gtest/gtest.h>

#include <string>

#include "support/test_data.h"

namespace {

TEST(ToolCommandLine, HelpAndWrongUsageAnswerAlike) {
  const struct {
    const char* args;
    int status;
    const char* says;  // on standard output for status 0, on standard error otherwise
  } cases[] = {
      {"--help", 0, "'lntr3tool COMMAND --help' describes a command"},
      {"--version", 0, "lntr3tool "},
      {"", 2, "usage: lntr3tool COMMAND"},
      {"frobnicate", 2, "unknown command 'frobnicate'"},
      {"pack", 2, "extract PAK DIR"},
      {"pack --help", 0, "extract PAK DIR"},
      {"pack frobnicate", 2, "pack: unknown subcommand 'frobnicate'"},
      {"pack create -h", 0, "lntr3tool pack create"},
      {"pack extract X.PAK --help", 0, "lntr3tool pack extract"},
      {"pack list A.PAK B.PAK", 2, "pack list: too many arguments"},
      {"pack extract X.PAK", 2, "too few arguments\nusage: lntr3tool pack extract"},
      {"pack list -- --help", 1, "--help"},  // after "--", an operand: the file to list
      {"tz2 --help", 0, "--first-index"},
      {"tz2 encode in.png X.TZ2 --bogus", 2, "unknown option '--bogus'"},
      {"tz2 encode in.png X.TZ2 --pos", 2, "--pos needs a value"},
      {"tz2 decode X.TZ2 out.png --frame=1", 2, "--frame takes no value"},
      {"tz2 encode in.png X.TZ2 --pos 1", 2, "--pos wants X,Y"},
      {"tz2 encode in.png X.TZ2 --transparent 256", 2, "--transparent wants"},
      {"tz2 encode in.png X.TZ2 --first-index 236", 2, "--first-index wants 0..235"},
      {"tz2 encode in.png X.TZ2 --colors 1", 2, "--colors wants 2..236"},
      {"tz2 encode in.png X.TZ2 --colors 16 --dither 2", 2, "--dither wants 0..1"},
      {"tz2 encode in.png X.TZ2 in.png --colors 16", 2, "files go in pairs"},
      {"tz2 encode in.png X.TZ2 --colors 16 --transparent 3", 2, "transparency comes from alpha"},
      {"tz2 encode a.png A.TZ2 b.png B.TZ2", 2, "one IN.png OUT.TZ2 pair without --colors"},
      {"tz2 encode in.png X.TZ2 --colors 200 --first-index 124", 2, "passes palette entry 235"},
      {"tz2 encode in.png X.TZ2 --each", 2, "--each goes with --colors"},
      {"tz2 encode in.png X.TZ2 --dither 0.5", 2, "--dither goes with --colors"},
      {"pack frob\x1b[2J", 2, "unknown subcommand 'frob\\x1B[2J'"},
      {"tzg encode in.png X.TZG --pos 3,0", 2, "X a multiple of 8"},
      {"tzg encode in.png X.TZG --layout diagonal", 2, "--layout wants 'rows' or 'strips'"},
      {"tzg encode in.png X.TZG --transparent 16", 2, "--transparent wants a colour 0..15"},
      {"scn disasm X.SCN -o", 2, "-o needs a value"},
      {"scn disasm X.SCN -o ''", 2, "-o wants a file name"},
      {"font build X.KNJ", 2, "--font names the font"},
      {"font build --font f.ttf --size 30 X.KNJ", 2, "--size wants 16..24"},
      {"font build --font f.ttf --face 256 X.KNJ", 2, "--face wants 0..255"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    const std::string command = "cd '" + dir.path.string() + "' && '" + kToolBinary + "' " + c.args;
    std::string out, err;
    EXPECT_EQ(RunCommand("((" + command + ") 2>/dev/null)", out), c.status) << c.args;
    RunCommand("((" + command + ") 2>&1 >/dev/null)", err);
    const std::string& said = c.status == 0 ? out : err;
    EXPECT_NE(said.find(c.says), std::string::npos) << c.args << ":\n" << said;
    EXPECT_EQ(c.status == 0 ? err : out, "") << c.args;
  }
}

}  // namespace
