#!/usr/bin/env bash
# Paints the places from their recipes (places/NN-name.txt, NN the scene number in decimal)
# under the five lights and stages them as backgrounds S%02d%c.TZ2: scene NN in the groups
# D (day), E (evening), N (night), X (rain) and Z (midnight), each reduced to its own 124
# colours for the background entries 0..123; the title picture TITLE.TZ2 from title.txt; and
# the calendar and clock pictures (cbak*.tz2, cmon_, clno_, csno_, cweek_, oc_) from
# calendar.txt over the desk of calendar-desk.txt; and the maker's picture of the endings,
# tazu.tz2, from maker.txt.
set -euo pipefail
: "${TOOL:?}" "${GEN:?}" "${SRC:?}" "${DAT:?}" "${WORK:?}"
jobs=$(nproc 2>/dev/null || echo 2)

paint_place() {  # paint_place RECIPE
  local recipe=$1 name number group pairs=()
  name=$(basename "$recipe" .txt)
  number=$((10#${name%%-*}))
  "$GEN" paint scene "$recipe" "$WORK/$name-%c.png"
  for group in D E N X Z; do
    pairs+=("$WORK/$name-$group.png" "$(printf '%s/S%02d%s.TZ2' "$DAT" "$number" "$group")")
  done
  "$TOOL" tz2 encode "${pairs[@]}" --colors 124 --first-index 0 --each
}
export -f paint_place

printf '%s\n' "$SRC"/places/[0-9]*.txt | xargs -P "$jobs" -I{} bash -c 'paint_place "$1"' _ {}

# The title picture, under the night's light, with the background's colours too.
"$GEN" paint scene "$SRC/title.txt" "$WORK/title-%c.png" --moods N
"$TOOL" tz2 encode "$WORK/title-N.png" "$DAT/TITLE.TZ2" --colors 124 --first-index 0

# The desk calendar and the clock faces: every picture of the calendar and clock interludes.
"$GEN" paint calendar "$SRC/calendar.txt" "$SRC/calendar-desk.txt" "$DAT"

# The maker's picture of the endings, its colour numbers fixed by the engine (ground 124).
"$GEN" paint maker "$SRC/maker.txt" "$DAT/tazu.tz2"
