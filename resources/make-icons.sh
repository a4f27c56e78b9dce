#!/usr/bin/env bash
# Regenerates the window and tray icons (16, 32, 48 and 64 px) reproducibly.
# The committed .ico files are what the build uses; ImageMagick is needed only here.
set -euo pipefail
cd "$(dirname "$0")/icons"
make_icon() {  # name fill-colour mark-colour
  local name=$1 fill=$2 mark=$3 sizes=()
  for s in 16 32 48 64; do
    local w=$((s > 16 ? s / 10 : 2))
    convert -size ${s}x${s} xc:none -fill "$fill" -draw "circle $((s/2)),$((s/2)) $((s/2)),1" \
      -stroke "$mark" -strokewidth "$w" -fill none \
      -draw "polyline $((s*3/10)),$((s*3/10)) $((s*7/10)),$((s*3/10)) $((s*3/10)),$((s*7/10)) $((s*7/10)),$((s*7/10))" \
      +set date:create +set date:modify -define png:exclude-chunk=time "png32:/tmp/icon-$name-$s.png"
    sizes+=("/tmp/icon-$name-$s.png")
  done
  convert "${sizes[@]}" "$name.ico"
  rm -f "${sizes[@]}"
}
make_icon app '#1f9d55' white          # 1000: the program
make_icon connected '#1f9d55' white    # 1001: connected
make_icon connecting '#f0a020' white   # 1002: connecting or disconnecting
make_icon idle '#8a8f98' white         # 1003: idle
