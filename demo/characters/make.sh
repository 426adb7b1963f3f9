#!/usr/bin/env bash
# Paints the characters from their recipes (NN-name.txt, NN the character number in decimal)
# and stages their sprites and the character palette file:
#   C%04X.TZ2    character NN, picture PP: all of a character's pictures share one palette of
#                48 entries (entry 0 transparent), made for character colour range A (124..171)
#   CHR_PAL.DAT  records c x 5 + group, the palette lit for the five background groups;
#                character 0 wears character 1's colours (it is drawn from character 1's
#                pictures)
set -euo pipefail
: "${TOOL:?}" "${GEN:?}" "${SRC:?}" "${DAT:?}" "${WORK:?}"
jobs=$(nproc 2>/dev/null || echo 2)

paint_character() {  # paint_character RECIPE
  local recipe=$1 name number pairs=()
  name=$(basename "$recipe" .txt)
  number=$((10#${name%%-*}))
  "$GEN" paint figure "$recipe" "$WORK/$name-%02X.png"
  for pose in $("$GEN" paint poses "$recipe"); do
    pairs+=("$WORK/$name-$pose.png" "$(printf '%s/C%02X%s.TZ2' "$DAT" "$number" "$pose")")
  done
  "$TOOL" tz2 encode "${pairs[@]}" --colors 48 --first-index 124 --dither 0.5
}
export -f paint_character

printf '%s\n' "$SRC"/[0-9]*.txt | xargs -P "$jobs" -I{} bash -c 'paint_character "$1"' _ {}

sprites=(0="$DAT/C0101.TZ2")
for recipe in "$SRC"/[0-9]*.txt; do
  name=$(basename "$recipe" .txt)
  number=$((10#${name%%-*}))
  first=$("$GEN" paint poses "$recipe" | head -n 1)
  sprites+=("$number=$(printf '%s/C%02X%s.TZ2' "$DAT" "$number" "$first")")
done
"$GEN" paint chrpal "$DAT/CHR_PAL.DAT" --count 32 "${sprites[@]}"
