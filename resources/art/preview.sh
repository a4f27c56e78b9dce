#!/usr/bin/env bash
# Composes a PNG of the main window as a view shows it: the background with
# every picture that view shows at its built-in position, plus stand-ins for
# the ordinary controls (combo box, edits, check boxes) and sample status
# figures, so the artwork can be judged as a whole.  Development aid only.
#
#   bash resources/art/preview.sh [VIEW] [OUT]
#     VIEW: login (default), connecting, connected, settings, about, icons
#     OUT:  /tmp/preview.png for login, else /tmp/preview-VIEW.png
set -euo pipefail
export LC_ALL=C.UTF-8

ART=$(cd "$(dirname "$0")" && pwd)
PIC=$(dirname "$ART")/pictures
ICO=$(dirname "$ART")/icons
FONT=${ART_FONT:-/usr/share/fonts/truetype/wqy/wqy-microhei.ttc}
BOLD=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf   # stands in for Arial bold
VIEW=${1:-login}
if [[ $VIEW == login ]]; then OUT=${2:-/tmp/preview.png}; else OUT=${2:-/tmp/preview-$VIEW.png}; fi

pic() { ls "$PIC/$1"_* ; }

if [[ $VIEW == icons ]]; then
  # Every icon at each of its sizes, shown at 1x and enlarged 4x on light and
  # dark ground (the tray can be either).
  rows=()
  for name in app connected connecting idle; do
    for ground in '#F0F0F0' '#202428'; do
      row=(-size 10x256 "xc:$ground")
      for i in 0 1 2 3; do
        row+=(\( -size 10x256 "xc:$ground" \) \( "$ICO/$name.ico[$i]" -background "$ground" -flatten -scale 400% -gravity center -background "$ground" -extent 256x256 \))
      done
      row+=(\( -size 10x256 "xc:$ground" \))
      for i in 0 1 2 3; do
        row+=(\( "$ICO/$name.ico[$i]" -background "$ground" -flatten -gravity center -extent 70x256 \))
      done
      rows+=(\( "${row[@]}" +append \))
    done
  done
  convert "${rows[@]}" -append "$OUT"
  echo "$OUT"
  exit 0
fi

args=("$(pic 1100)")
at() { args+=(\( "$(pic "$1")" -repage "+$2+$3" \)); }   # picture at dialog x, y
box() {  # stand-in for a standard control: x y w h [text]
  local x=$1 y=$2 w=$3 h=$4 t=${5:-}
  args+=(\( -size "${w}x${h}" xc:white -fill none -stroke '#7A7A7A' -draw "rectangle 0,0 $((w - 1)),$((h - 1))"
         -font "$FONT" -pointsize 12 -fill '#000000' -stroke none -gravity West -annotate +5+0 "$t"
         -repage "+$x+$y" \))
}
combo() {  # x y w h text
  box "$@"
  args+=(\( -size 17x$(($4 - 4)) xc:'#E9E9E9' -fill '#333333' -draw "polygon 5,$((($4 - 4) / 2 - 2)) 12,$((($4 - 4) / 2 - 2)) 8,$((($4 - 4) / 2 + 2))"
         -repage "+$(($1 + $3 - 19))+$(($2 + 2))" \))
}
check() {  # x y on|off
  args+=(\( -size 13x13 xc:white -fill none -stroke '#7A7A7A' -draw 'rectangle 0,0 12,12' -repage "+$1+$2" \))
  if [[ $3 == on ]]; then
    args+=(\( -size 13x13 xc:none -fill none -stroke '#202020' -strokewidth 1.6
           -draw 'polyline 3,6.5 5.5,9 10,3.5' -repage "+$1+$2" \))
  fi
}
value() {  # x y text: a status figure as the program paints it (bold 18 px)
  args+=(\( -size 150x20 xc:none -font "$BOLD" -pointsize 13 -fill '#2C2C2C' -gravity NorthWest
         -annotate +0+0 "$3" -repage "+$1+$2" \))
}

login_form() {
  at 1134 56 106; at 1102 70 151; at 1103 84 191
  combo 133 100 200 22 "上网加速"
  box 133 146 129 24 "player2013"
  box 133 186 200 24 "●●●●●●●●"
  check 133 225 on; check 253 225 off
  at 1104 153 223; at 1105 273 223
  at 1142 272 146
  at 1143 28 263
}
status_face() {
  at 1132 56 102; at 1138 131 102
  at 1128 56 131; at 1135 131 131
  at 1133 294 102; value 370 102 "2014-06-30"
  at 1120 84 161; value 131 159 "10.38.4.121"
  at 1121 294 161; value 370 159 "1:2:5"
  at 1122 56 195; value 131 193 "36.52MB"
  at 1123 56 227; value 131 224 "4.18MB"
  at 1125 294 195; value 370 193 "512.00Kbps"
  at 1126 294 227; value 370 224 "48.75Kbps"
  at 1143 28 263
}

case $VIEW in
  login)      login_form; at 1116 387 265 ;;
  connecting) login_form; at 1119 10 244; at 1124 120 246; at 1118 387 265 ;;
  connected)  status_face; at 1117 387 265 ;;
  settings)
    for row in 111:1106 143:1107 175:1108 207:1109; do
      check 56 "${row%:*}" off; at "${row#*:}" 76 "${row%:*}"
    done
    check 56 111 on ;;
  about)
    at 1112 74 152; at 1113 74 197; at 1110 74 104; at 1111 74 128
    # Drawn by the program on the about panel at (100,78): version text and link.
    value 116 128 "1.7.2.0058"
    args+=(\( -size 300x20 xc:none -font "$BOLD" -pointsize 12 -fill '#025BA4' -gravity NorthWest
           -annotate +0+0 "https://www.lumora-zephal.example/" -fill '#025BA4' -draw 'rectangle 0,15 255,15'
           -repage +158+195 \)) ;;
  *) echo "preview: unknown view $VIEW" >&2; exit 2 ;;
esac
convert "${args[@]}" -background white -flatten "$OUT"
echo "$OUT"
