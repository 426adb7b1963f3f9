#!/usr/bin/env bash
# Stages a neutral CHR_PAL.DAT until the character art brings its own: for each character
# number 0..15, five records (one per background group) of 48 colours as blue, green, red,
# all the same grey ramp from black to white.
set -euo pipefail
characters=16
record=""
for ((i = 0; i < 48; i++)); do
  v=$(((i * 255 + 23) / 47))
  printf -v grey '\\x%02x' "$v"
  record+="$grey$grey$grey"
done
: >"$DAT/CHR_PAL.DAT"
for ((r = 0; r < characters * 5; r++)); do
  printf "$record" >>"$DAT/CHR_PAL.DAT"
done
