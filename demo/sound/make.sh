#!/usr/bin/env bash
# The demo's sound: sound entries go into the data archive, music tracks lie beside it as
# TRACKnn.OGG (nn the CD track the engine plays the music index from). Everything is rendered
# by "demogen synth" from the recipes here and encoded with oggenc (package vorbis-tools),
# two pieces at a time. The same recipes give the same bytes.
set -euo pipefail
if ! command -v oggenc >/dev/null 2>&1; then
  echo "demo/sound: oggenc is missing (package vorbis-tools)" >&2
  exit 1
fi
"$GEN" synth sounds "$SRC/sounds.txt" "$DAT"
"$GEN" synth list "$SRC/music.txt" >"$WORK/pieces"
render() {  # render INDEX TRACK
  local wav=$WORK/music$1.wav
  "$GEN" synth music "$SRC/music.txt" "$1" "$wav"
  # A fixed stream serial number keeps the file the same from build to build.
  oggenc --quiet --quality 2 --serial "$((1000 + $1))" -o "$OUT/$(printf 'TRACK%02d.OGG' "$2")" "$wav"
  rm -f "$wav"
}
export -f render
xargs -P 2 -L 1 bash -c 'render "$0" "$1"' <"$WORK/pieces"
