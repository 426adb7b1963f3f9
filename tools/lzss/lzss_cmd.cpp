// lntr3tool lzss: packs files into LZSS packed blocks (count, then stream) and unpacks them,
// through the engine's own packer and unpacker.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "resources/lzss.h"
#include "tools/common/tool.h"
#include "tools/groups.h"

namespace {

constexpr const char* kLzssUsage =
    "usage: lntr3tool lzss pack IN OUT\n"
    "       lntr3tool lzss unpack IN OUT\n"
    "\n"
    "A packed block is a 4-byte little-endian count of unpacked bytes followed by the LZSS\n"
    "stream, the form of the event and message blocks inside scenario files.\n"
    "  pack    writes IN as a packed block\n"
    "  unpack  writes the bytes a packed block holds (a count of 0 or below: an empty file)\n";

int Pack(const ToolArgs& args) {
  const std::string &in = args.operands[0], &out = args.operands[1];
  std::vector<uint8_t> data;
  if (!ToolReadBytes(in, data)) return ToolFail("cannot read " + in);
  if (data.size() > INT32_MAX) return ToolFail(in + " is too large for a packed block");
  if (!ToolWriteBytes(out, LzssPack(data))) return ToolFail("cannot write " + out);
  return 0;
}

int Unpack(const ToolArgs& args) {
  const std::string &in = args.operands[0], &out = args.operands[1];
  std::vector<uint8_t> block;
  if (!ToolReadBytes(in, block)) return ToolFail("cannot read " + in);
  if (block.size() < 4) return ToolFail(in + " is too short for a packed block");
  std::vector<uint8_t> data;
  if (static_cast<int32_t>(ReadLe32(block.data())) > 0) {
    const uint32_t size = LzssBlockSize(block);
    data.resize(size);
    if (size == 0 || !LzssUnpack(data, block)) {
      return ToolFail(in + ": damaged block, the stream ends before the " +
                      std::to_string(ReadLe32(block.data())) + " bytes it announces");
    }
  }
  if (!ToolWriteBytes(out, data)) return ToolFail("cannot write " + out);
  return 0;
}

const ToolSubcommand kLzssCommands[] = {
    {"pack", Pack, nullptr, {}, 2, 2},
    {"unpack", Unpack, nullptr, {}, 2, 2},
};

}  // namespace

const ToolGroup kLzssGroup = {"lzss", "pack and unpack LZSS packed blocks", kLzssUsage,
                              kLzssCommands};
