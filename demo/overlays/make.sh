#!/usr/bin/env bash
# Paints the 16-colour overlays of the screen effects and the opening from their recipes
# (name.txt) and stages them: each line of overlays.txt names a picture, its transparent
# colour (a number, or none) and, when it has one, its position. A name without an extension
# is a TZG picture (NAME.TZG); a name ending in .TZ2 is stored as that TZ2 picture, with the
# recipe's colours as its palette.
set -euo pipefail
: "${TOOL:?}" "${GEN:?}" "${SRC:?}" "${DAT:?}" "${WORK:?}"
while read -r name transparent pos; do
  case "$name" in '' | '#'*) continue ;; esac
  base=${name%.TZ2}
  "$GEN" paint overlay "$SRC/${base,,}.txt" "$WORK/$base.png"
  if [ "$base" != "$name" ]; then
    "$TOOL" tz2 encode "$WORK/$base.png" "$DAT/$name" --transparent "$transparent" \
      ${pos:+--pos "$pos"}
  else
    "$TOOL" tzg encode "$WORK/$name.png" "$DAT/$name.TZG" --transparent "$transparent" \
      ${pos:+--pos "$pos"}
  fi
done <"$SRC/overlays.txt"
