#!/usr/bin/env bash
# Assembles the demo's scenario sources (NNNN.scs, the scenario number in hexadecimal) into
# scenario files for LNTR3SCN.PAK.
set -euo pipefail
for source in "$SRC"/[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f].scs; do
  [ -e "$source" ] || continue
  name=$(basename "$source" .scs)
  "$TOOL" scn asm "$source" "$SCN/${name^^}.SCN"
done
