#!/usr/bin/env bash
# Paints the 16-colour overlays of the screen effects and the opening from their recipes
# (name.txt) and stages them as TZG pictures: each line of overlays.txt names a picture, its
# transparent colour (a number, or none) and, when it has one, its position.
set -euo pipefail
: "${TOOL:?}" "${GEN:?}" "${SRC:?}" "${DAT:?}" "${WORK:?}"
while read -r name transparent pos; do
  case "$name" in '' | '#'*) continue ;; esac
  "$GEN" paint overlay "$SRC/${name,,}.txt" "$WORK/$name.png"
  "$TOOL" tzg encode "$WORK/$name.png" "$DAT/$name.TZG" --transparent "$transparent" \
    ${pos:+--pos "$pos"}
done <"$SRC/overlays.txt"
