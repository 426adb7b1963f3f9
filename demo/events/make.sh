#!/usr/bin/env bash
# Paints the event pictures from their recipes (VNN-name.txt, HNN-name.txt, NN the picture
# number in hexadecimal) and stages them as VNN.TZ2 and HNN.TZ2: full 640 x 480 pictures that
# take the palette entries of the background and both character ranges, 0..219. V80 (shown as
# V pictures 128..134) keeps to 0..209: the engine puts the colours of the number shown into
# entries 210..216. hero.txt is a character recipe the pictures use and is not staged itself.
set -euo pipefail
: "${TOOL:?}" "${GEN:?}" "${SRC:?}" "${DAT:?}" "${WORK:?}"
jobs=$(nproc 2>/dev/null || echo 2)

paint_event() {  # paint_event RECIPE
  local recipe=$1 name number colors=220
  name=$(basename "$recipe" .txt)
  number=${name%%-*}
  [ "$number" = V80 ] && colors=210
  "$GEN" paint event "$recipe" "$WORK/$name.png"
  "$TOOL" tz2 encode "$WORK/$name.png" "$DAT/$number.TZ2" --colors "$colors" --first-index 0
}
export -f paint_event

printf '%s\n' "$SRC"/[VH][0-9A-F][0-9A-F]-*.txt | xargs -P "$jobs" -I{} bash -c 'paint_event "$1"' _ {}
