#!/usr/bin/env bash
# Paints the places from their recipes (places/NN-name.txt, NN the scene number in decimal)
# under the five lights and stages them as backgrounds S%02d%c.TZ2: scene NN in the groups
# D (day), E (evening), N (night), X (rain) and Z (midnight), each reduced to its own 124
# colours for the background entries 0..123; the title picture TITLE.TZ2 from title.txt, which
# shares its colours with S19D and S17D for the opening; the opening's framed pictures
# OP00..OP03.TZ2; the closing picture TITLE2.TZ2 from title2.txt; the calendar and clock
# pictures (cbak*.tz2, cmon_, clno_, csno_, cweek_, oc_) from calendar.txt over the desk of
# calendar-desk.txt; and the maker's picture of the endings, tazu.tz2, from maker.txt.
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

# The opening's open sky (19) by day, the cherry slope it scrolls down to (17) and the title
# picture, the same slope with the game's name, in one palette laid out for the opening's
# lights (S19D, S17D, TITLE.TZ2); and its four framed pictures of the town, OP00..OP03, from
# the middle of four places, each with 96 colours of its own for the entries 124..219 (the
# opening draws them over a background).
"$GEN" paint scene "$SRC/title.txt" "$WORK/title-%c.png" --moods D
"$GEN" paint sky "$WORK/19-sky-D.png" "$DAT/S19D.TZ2" "$WORK/17-slope-bloom-D.png" \
  "$DAT/S17D.TZ2" "$WORK/title-D.png" "$DAT/TITLE.TZ2" --ink "#1a2440"
pairs=()
for shot in 0:03-shopfront-D 1:21-street-E 2:23-festival-E 3:22-bridge-N; do
  "$GEN" paint vignette "$WORK/${shot#*:}.png" "$WORK/op${shot%%:*}.png" --size 400,300
  pairs+=("$WORK/op${shot%%:*}.png" "$DAT/OP0${shot%%:*}.TZ2")
done
"$TOOL" tz2 encode "${pairs[@]}" --colors 96 --first-index 124 --each

# The closing picture, by day, in 96 colours: the engine draws it from entry 124 on, below the
# petals' colours.
"$GEN" paint scene "$SRC/title2.txt" "$WORK/title2-%c.png" --moods D
"$TOOL" tz2 encode "$WORK/title2-D.png" "$DAT/TITLE2.TZ2" --colors 96 --first-index 0

# The desk calendar and the clock faces: every picture of the calendar and clock interludes.
"$GEN" paint calendar "$SRC/calendar.txt" "$SRC/calendar-desk.txt" "$DAT"

# The maker's picture of the endings, its colour numbers fixed by the engine (ground 124).
"$GEN" paint maker "$SRC/maker.txt" "$DAT/tazu.tz2"
