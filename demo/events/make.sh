#!/usr/bin/env bash
# Paints the event pictures from their recipes (VNN-name.txt, HNN-name.txt, NN the picture
# number in hexadecimal) and stages them as VNN.TZ2 and HNN.TZ2: full 640 x 480 pictures that
# take the palette entries of the background and both character ranges, 0..219. A picture with
# a tinted figure (V80, shown as V pictures 128..134) comes out of the painter with its palette
# made: its own colours in 0..209 and the tinted outfit in 210..216, where the engine puts the
# colours of the number shown. hero.txt is a character recipe the pictures use, not a picture.
set -euo pipefail
: "${TOOL:?}" "${GEN:?}" "${SRC:?}" "${DAT:?}" "${WORK:?}"
jobs=$(nproc 2>/dev/null || echo 2)

paint_event() {  # paint_event RECIPE
  local recipe=$1 name number
  name=$(basename "$recipe" .txt)
  number=${name%%-*}
  "$GEN" paint event "$recipe" "$WORK/$name.png"
  if grep -q 'tint=' "$recipe"; then
    "$TOOL" tz2 encode "$WORK/$name.png" "$DAT/$number.TZ2"
  else
    "$TOOL" tz2 encode "$WORK/$name.png" "$DAT/$number.TZ2" --colors 220 --first-index 0
  fi
}
export -f paint_event

printf '%s\n' "$SRC"/[VH][0-9A-F][0-9A-F]-*.txt | xargs -P "$jobs" -I{} bash -c 'paint_event "$1"' _ {}
