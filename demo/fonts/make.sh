#!/usr/bin/env bash
# The demo's font files, rendered from Debian's Japanese TrueType fonts: KNJ_ALL.KNJ (gothic)
# goes into the data archive, LNTR3_01.KNJ (mincho) and LNTR3_02.KNJ (rounded) lie beside it.
set -euo pipefail
gothic=${LNTR3_FONT_GOTHIC:-/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf}
mincho=${LNTR3_FONT_MINCHO:-/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf}
rounded=${LNTR3_FONT_ROUNDED:-/usr/share/fonts/truetype/motoya-l-maruberi/MTLmr3m.ttf}
for font in "$gothic" "$mincho" "$rounded"; do
  if [ ! -r "$font" ]; then
    echo "demo/fonts: $font is missing (packages fonts-ipafont-gothic, fonts-ipafont-mincho," \
      "fonts-motoya-l-maruberi)" >&2
    exit 1
  fi
done
# Every charset character must come out; the gothic face fills the few the others lack.
"$TOOL" font build --strict --font "$gothic" "$DAT/KNJ_ALL.KNJ" >/dev/null
"$TOOL" font build --strict --font "$mincho" --fallback "$gothic" "$OUT/LNTR3_01.KNJ" >/dev/null
"$TOOL" font build --strict --font "$rounded" --fallback "$gothic" "$OUT/LNTR3_02.KNJ" >/dev/null
