#!/usr/bin/env bash
# Regenerates every picture of the skinned main window (resources/pictures at
# 100 %, resources/pictures/200 at 200 %), their table
# (resources/art/pictures.tsv, the 100 % set) and the four icon groups
# (resources/icons) from the drawing commands below. Both sets come from the
# same commands: every coordinate and size is in 100 % pixels and multiplied
# by K, so the 200 % pictures are drawn afresh, not enlarged.
# The generated files are committed, so a build never needs ImageMagick; run
# this only after changing the artwork.  The output is byte-for-byte
# reproducible: no randomness, no timestamps, no metadata.
#
#   bash resources/art/make-art.sh           regenerate pictures and icons
#   bash resources/art/make-art.sh --check   regenerate into a scratch folder and
#                                            compare with the committed files
#
# Needs ImageMagick 6 (convert) and the WenQuanYi Micro Hei font.
set -euo pipefail
export LC_ALL=C.UTF-8 MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1

ART=$(cd "$(dirname "$0")" && pwd)
RES=$(dirname "$ART")
FONT=${ART_FONT:-/usr/share/fonts/truetype/wqy/wqy-microhei.ttc}
[[ -r $FONT ]] || { echo "make-art: font $FONT not found" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-art: ImageMagick convert not found" >&2; exit 1; }

CHECK=0
[[ ${1:-} == --check ]] && CHECK=1

TMP=$(mktemp -d)
# ART_KEEP=1 keeps the intermediate layers for inspection.
if [[ -n ${ART_KEEP:-} ]]; then echo "make-art: layers in $TMP"; else trap 'rm -rf "$TMP"' EXIT; fi
if ((CHECK)); then
  PIC=$TMP/out/pictures ICO=$TMP/out/icons
else
  PIC=$RES/pictures ICO=$RES/icons
fi
PIC1=$PIC PIC2=$PIC/200
mkdir -p "$PIC1" "$PIC2" "$ICO"
# Start clean so a renamed picture leaves no stale file behind.
rm -f "$PIC1"/[0-9][0-9][0-9][0-9]_* "$PIC2"/[0-9][0-9][0-9][0-9]_*

# Palette.  The three text colours are the layout's COLORREF values, so the
# painted status figures, the version text and the home-page link match the
# picture texts around them.
BRAND='#025BA4'        # linkColor 2,91,164: brand blue, links
VALUE='#2C2C2C'        # statusTextColor 44,44,44: values
TEXT='#3C3C3C'         # aboutTextColor 60,60,60: labels and captions
MUTED='#7A8591'        # secondary text
CONTENT='#FFFFFF'      # flat content area (white survives JPEG exactly)
FOOTER_WANT='#F3F6F9'  # footer strip before JPEG rounding
RULE='#D9E0E8'
TRACK_FILL='#E4E9EF' TRACK_EDGE='#C8D1DB'
GREEN_TOP='#48C774' GREEN_BOTTOM='#1F9D4F' GREEN_EDGE='#17873F'

# Strip everything that could make two runs differ.
NOMETA=(+set date:create +set date:modify +set date:timestamp -strip)

# The scale being drawn: 1 for the 100 % set, 2 for the 200 % set.  Every
# size and position below is given in 100 % pixels; the helpers multiply.
K=1
sz() { echo "$(($1 * K))x$(($2 * K))"; }   # sz W H: a -size argument
at() { echo "+$(($1 * K))+$(($2 * K))"; }  # at X Y: a -geometry or -repage offset

# Vector drawing is done at 4x (of the scale drawn) and box-averaged down.
# The affine maps a 100 % coordinate p to 4Kp + 2K - 0.5 so that, after
# averaging, integer coordinates are pixel centres exactly as in a direct
# drawing: 4p+1.5 at 100 %, 8p+3.5 at 200 %.
SS='affine 4,0,0,4,1.5,1.5'
set_scale() {
  K=$1
  SS="affine $((4 * K)),0,0,$((4 * K)),$(awk "BEGIN{print 2 * $K - 0.5}"),$(awk "BEGIN{print 2 * $K - 0.5}")"
}

# ss W H OUT MVG...: anti-aliased vector layer on transparent ground.
ss() {
  local w=$1 h=$2 out=$3; shift 3
  convert -size $((w * 4 * K))x$((h * 4 * K)) xc:none -draw "$SS $*" -scale 25% "$out"
}

# ssgrad W H TOP BOTTOM OUT MVG...: vertical gradient cut to the drawn shape.
ssgrad() {
  local w=$1 h=$2 top=$3 bottom=$4 out=$5; shift 5
  convert -size $((w * 4 * K))x$((h * 4 * K)) "gradient:$top-$bottom" \
    \( -size $((w * 4 * K))x$((h * 4 * K)) xc:black -fill white -stroke none -draw "$SS $*" \) \
    -alpha off -compose CopyOpacity -composite -scale 25% "$out"
}

# text W H OUT SIZE COLOUR GRAVITY X Y TEXT [bold]: one line of text on
# transparent ground.  Normal text is rendered at its real size (crisper
# hinting); "bold" is rendered at 4x with an outline and averaged down, which
# gives a semibold weight the font itself lacks.
text() {
  local w=$1 h=$2 out=$3 size=$4 colour=$5 gravity=$6 x=$7 y=$8 str=$9 weight=${10:-normal}
  if [[ $weight == bold ]]; then
    convert -size $((w * 4 * K))x$((h * 4 * K)) xc:none -font "$FONT" -pointsize $((size * 4 * K)) \
      -fill "$colour" -stroke "$colour" -strokewidth "$(awk "BEGIN{print 1.5 * $K}")" -gravity "$gravity" \
      -annotate "+$((x * 4 * K))+$((y * 4 * K))" "$str" -scale 25% "$out"
  else
    convert -size "$(sz "$w" "$h")" xc:none -font "$FONT" -pointsize "$((size * K))" -fill "$colour" \
      -gravity "$gravity" -annotate "$(at "$x" "$y")" "$str" "$out"
  fi
}

# gif OUT W H INPUT...: flatten layers onto nothing and write a GIF of exactly
# W x H (times K).  Gradients can exceed 256 colours; quantising without dither keeps
# the result stable.
gif() {
  local out=$1 w=$2 h=$3; shift 3
  convert "$@" -background none -flatten +repage -alpha off \
    +dither -colors 256 "${NOMETA[@]}" "GIF:$out"
  local got
  got=$(identify -format '%wx%h' "$out")
  [[ $got == "$(sz "$w" "$h")" ]] || { echo "make-art: $out is $got, not $(sz "$w" "$h")" >&2; exit 1; }
}

# label ID NAME W H BG TEXT [gravity]: a one-line label or caption picture.
# Labels in front of a field are right-aligned so their colons line up next to
# the fields; captions and about texts are left-aligned.
label() {
  local id=$1 name=$2 w=$3 h=$4 bg=$5 str=$6 gravity=${7:-East}
  local x=1; [[ $gravity == West ]] && x=0
  text "$w" "$h" "$TMP/t.png" 12 "$TEXT" "$gravity" "$x" 0 "$str"
  gif "$PIC/${id}_$name.gif" "$w" "$h" -size "$(sz "$w" "$h")" "xc:$bg" "$TMP/t.png"
}

# ---------------------------------------------------------------- icons ---
# Each icon is designed on a 64-unit grid and drawn per size at 8x, so thin
# parts can be made heavier at 16 px where a single pixel matters.
icon_png() {  # NAME SIZE OUT
  local name=$1 s=$2 out=$3 k sw
  k=$(awk "BEGIN{printf \"%.6f\", $s * 8 / 64}")
  # Grid 0..64 spans the image edge to edge (pixel centres sit half a pixel in).
  local big=$((s * 8)) aff="affine $k,0,0,$k,-0.5,-0.5"
  # Stroke widths in grid units: 8 is exactly 2 px at 16 px.
  if ((s <= 16)); then sw=8; elif ((s <= 32)); then sw=7; else sw=6; fi
  local base glyph
  case $name in
    app)
      base=("gradient:#2F95E8-$BRAND" "roundrectangle 2,2 61,61 15,15")
      glyph="fill white stroke none polygon 30,7 45,7 36,26 49,26 22,59 28,35 15,35" ;;
    connected)
      base=("gradient:#4FD17C-#1B9148" "circle 32,32 32,2.5")
      glyph="fill none stroke white stroke-width $sw stroke-linecap round stroke-linejoin round polyline 17,33 28,44 47,21" ;;
    connecting)
      base=("gradient:#FFBE4D-#E3860B" "circle 32,32 32,2.5")
      # three dots: work in progress; larger at 16 px so they stay apart
      local e=37.5; ((s <= 16)) && e=38.5
      glyph="fill white stroke none circle 17,32 17,$e circle 32,32 32,$e circle 47,32 47,$e" ;;
    idle)
      base=("gradient:#AEB6C0-#78828E" "circle 32,32 32,2.5")
      # power sign: not connected, ready to connect
      glyph="fill none stroke white stroke-width $sw stroke-linecap round path 'M 22,20.5 A 15,15 0 1,0 42,20.5' line 32,12 32,31" ;;
  esac
  convert -size ${big}x${big} "${base[0]}" \
    \( -size ${big}x${big} xc:black -fill white -draw "$aff ${base[1]}" \) \
    -alpha off -compose CopyOpacity -composite -compose Over \
    -draw "$aff $glyph" -scale 12.5% "${NOMETA[@]}" "png32:$out"
}

le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16 & 65535)); }

# 16 and 32 px are stored as 32-bit bitmaps, which every Windows reads; 48 and
# 64 px as PNG (Vista and later read those), a quarter of the program's size
# less. ImageMagick writes PNG only for 256 px, so the file is put together here:
# the directory, one 16-byte entry a size, then the images.
make_icon() {  # NAME: the four sizes into one .ico
  local name=$1 s images=() offset=$((6 + 4 * 16)) size
  for s in 16 32 48 64; do
    icon_png "$name" "$s" "$TMP/icon-$name-$s.png"
    if ((s <= 32)); then
      convert "$TMP/icon-$name-$s.png" "${NOMETA[@]}" "ICO:$TMP/one.ico"
      tail -c +23 "$TMP/one.ico" >"$TMP/icon-$name-$s.img"  # the bitmap without its one-entry directory
    else
      cp "$TMP/icon-$name-$s.png" "$TMP/icon-$name-$s.img"
    fi
    images+=("$TMP/icon-$name-$s.img")
  done
  {
    le16 0; le16 1; le16 4
    for s in 16 32 48 64; do
      size=$(stat -c %s "$TMP/icon-$name-$s.img")
      printf "$(printf '\\x%02x\\x%02x' "$s" "$s")"; le16 0; le16 1; le16 32; le32 "$size"; le32 "$offset"
      offset=$((offset + size))
    done
    cat "${images[@]}"
  } >"$ICO/$name.ico"
}

make_icon app          # 1000: the program
make_icon connected    # 1001: connected
make_icon connecting   # 1002: connecting or disconnecting
make_icon idle         # 1003: idle

# ------------------------------------------------------------ pictures ----
# The whole picture set at scale K into the folder PIC.
draw_pictures() {
set_scale "$1"
PIC=$2

# ------------------------------------------------------------ background ---
# 500 x 300: title strip (y 0-24), toolbar band (25-77), white content area
# (78-258) under the views, a thin rule at y 259 and the footer (260-299)
# that carries the support link and the connect/cancel/disconnect buttons.
B=$TMP/bg
mkdir -p "$B"

# Header: brand gradient, a darker title strip, soft light shapes for depth.
convert -size "$(sz 500 78)" gradient:'#1877C8-#0357A0' \
  \( -size "$(sz 500 25)" xc:'rgba(0,30,70,0.22)' \) -geometry +0+0 -composite \
  "$B/header.png"
ss 500 78 "$B/header-deco.png" \
  "fill rgba(255,255,255,0.07) stroke none circle 455,98 455,8" \
  "fill rgba(255,255,255,0.05) circle 372,-40 372,40" \
  "fill rgba(255,255,255,0.10) rectangle 0,25 500,25.5" \
  "fill rgba(0,20,60,0.25) rectangle 0,77 500,77.5"
# Soft shadow the header casts on the top rows of the content area.
convert -size "$(sz 500 4)" gradient:'rgba(20,60,110,0.10)-rgba(20,60,110,0)' "$B/shadow.png"

# Title-bar marks, each exactly inside its 16 x 16 zone: minimise at
# (457,4), close at (479,4).
ss 500 78 "$B/marks.png" \
  "fill rgba(255,255,255,0.16) stroke rgba(255,255,255,0.45) stroke-width 1 circle 464.5,11.5 464.5,4.5" \
  "fill none stroke white stroke-width 1.6 stroke-linecap round line 461,12 468,12" \
  "fill #E5533C stroke rgba(255,255,255,0.55) stroke-width 1 circle 486.5,11.5 486.5,4.5" \
  "fill none stroke white stroke-width 1.6 stroke-linecap round line 483.5,8.5 489.5,14.5 line 489.5,8.5 483.5,14.5"

# Small program mark in the title strip, the same drawing as icon 1000.
icon_png app $((16 * K)) "$B/logo.png"
text 200 25 "$B/title.png" 13 white West 0 0 "Lumora Zephal" bold

# Toolbar: five white line icons in the 24 x 24 top part of each 29 x 45 zone,
# captions below; zone x positions are register 14, login 58, settings 97,
# view 138, top up 178, all at y 28.
ICON_MVG=()
# register: a person with a plus
ICON_MVG+=("circle 9,7 9,3.2 path 'M 2.5,20.5 C 2.5,15.5 5.2,12.8 9,12.8 C 12.8,12.8 15.5,15.5 15.5,20.5 Z' line 20,8.5 20,16.5 line 16,12.5 24,12.5")
# login: an arrow entering a door
ICON_MVG+=("path 'M 13,3.5 L 19.5,3.5 Q 21.5,3.5 21.5,5.5 L 21.5,18.5 Q 21.5,20.5 19.5,20.5 L 13,20.5' line 2.5,12 14.5,12 polyline 10,7.5 14.5,12 10,16.5")
# settings: a gear
GEAR=""
for a in 0 45 90 135 180 225 270 315; do
  GEAR+=$(awk -v a=$a 'BEGIN{r=a*3.14159265/180; printf " line %.3f,%.3f %.3f,%.3f", 12+6.6*cos(r), 12+6.6*sin(r), 12+10*cos(r), 12+10*sin(r)}')
done
ICON_MVG+=("circle 12,12 12,5.6 circle 12,12 12,9.3 stroke-width 3.2 stroke-linecap butt$GEAR")
# view: a magnifier
ICON_MVG+=("circle 10,10 10,3.5 stroke-width 2.8 line 15,15 21,21")
# top up: a coin with the yuan sign
ICON_MVG+=("circle 12,12 12,2.5 stroke-width 1.6 polyline 8.5,6.5 12,11.5 15.5,6.5 line 12,11.5 12,18 line 8.5,12.5 15.5,12.5 line 8.5,15.3 15.5,15.3")
ZONES=(14 58 97 138 178)
CAPTIONS=(注册 登录 设置 查看 充值)
TOOL_MVG=""
for i in 0 1 2 3 4; do
  # 24-unit icon centred on the zone's middle pixel column (zone x + 14).
  TOOL_MVG+=" push graphic-context translate $((ZONES[i] + 2)),29 fill none stroke white stroke-width 2 stroke-linecap round stroke-linejoin round ${ICON_MVG[i]} pop graphic-context"
done
ss 500 78 "$B/tools.png" "$TOOL_MVG"
for i in 0 1 2 3 4; do
  text 29 16 "$B/cap$i.png" 12 white Center 0 0 "${CAPTIONS[i]}"
done

# Banner at the right of the toolbar: a framed card with a speed gauge and
# the service's slogan.
ss 500 78 "$B/banner.png" \
  "fill rgba(255,255,255,0.10) stroke rgba(255,255,255,0.22) stroke-width 1 roundrectangle 238.5,31.5 488.5,70.5 6,6" \
  "fill none stroke rgba(255,255,255,0.35) stroke-width 3 stroke-linecap round path 'M 252,60 A 14,14 0 0,1 280,60'" \
  "stroke #7FE0A0 path 'M 252,60 A 14,14 0 0,1 270.5,46.8'" \
  "stroke white stroke-width 2 line 266,60 274.5,49.5" \
  "fill white stroke none circle 266,60 266,62.2"
text 200 20 "$B/slogan1.png" 15 white West 0 0 "全球节点 · 智能加速" bold
text 200 16 "$B/slogan2.png" 12 '#CFE6FB' West 0 0 "网游不卡顿   网页秒打开   一键连接"

# Content, rule and footer.  The frame lines are one pixel at 100 %; at 200 %
# they are filled two-pixel bands, which a stroked line would smear.
if ((K == 1)); then
  FRAME=(-fill none -stroke '#0A4C86' -draw 'rectangle 0,0 499,77'
    -stroke '#B9C4D0' -draw 'line 0,78 0,299 line 499,78 499,299 line 0,299 499,299')
else
  FRAME=(-stroke none -fill '#0A4C86'
    -draw "rectangle 0,0 $((500 * K - 1)),$((K - 1)) rectangle 0,$((77 * K)) $((500 * K - 1)),$((78 * K - 1))"
    -draw "rectangle 0,0 $((K - 1)),$((78 * K - 1)) rectangle $((499 * K)),0 $((500 * K - 1)),$((78 * K - 1))"
    -fill '#B9C4D0'
    -draw "rectangle 0,$((78 * K)) $((K - 1)),$((300 * K - 1)) rectangle $((499 * K)),$((78 * K)) $((500 * K - 1)),$((300 * K - 1))"
    -draw "rectangle 0,$((299 * K)) $((500 * K - 1)),$((300 * K - 1))")
fi
convert -size "$(sz 500 300)" "xc:$CONTENT" \
  -fill "$FOOTER_WANT" -draw "rectangle 0,$((260 * K)) $((500 * K - 1)),$((300 * K - 1))" \
  -fill "$RULE" -draw "rectangle 0,$((259 * K)) $((500 * K - 1)),$((260 * K - 1))" \
  "$B/header.png" -geometry +0+0 -composite \
  "$B/shadow.png" -geometry "$(at 0 78)" -composite \
  "$B/header-deco.png" -geometry +0+0 -composite \
  "$B/banner.png" -geometry +0+0 -composite \
  "$B/marks.png" -geometry +0+0 -composite \
  "$B/tools.png" -geometry +0+0 -composite \
  "$B/logo.png" -geometry "$(at 8 5)" -composite \
  "$B/title.png" -geometry "$(at 30 0)" -composite \
  "$B/cap0.png" -geometry "$(at 14 56)" -composite \
  "$B/cap1.png" -geometry "$(at 58 56)" -composite \
  "$B/cap2.png" -geometry "$(at 97 56)" -composite \
  "$B/cap3.png" -geometry "$(at 138 56)" -composite \
  "$B/cap4.png" -geometry "$(at 178 56)" -composite \
  "$B/slogan1.png" -geometry "$(at 292 32)" -composite \
  "$B/slogan2.png" -geometry "$(at 292 51)" -composite \
  "${FRAME[@]}" \
  -alpha off "$B/background.png"
convert "$B/background.png" -sampling-factor 1x1 -quality 95 -interlace none \
  "${NOMETA[@]}" "JPEG:$PIC/1100_background.jpg"
[[ $(identify -format '%wx%h' "$PIC/1100_background.jpg") == "$(sz 500 300)" ]]

# Pictures over the footer take the footer colour as the JPEG decoder gives
# it back, so no seam shows around them.
FOOTER=$(convert "$PIC/1100_background.jpg" -format "%[pixel:p{$((250 * K)),$((284 * K))}]" info:)

# ------------------------------------------------------- login view ------
label 1134 label_service     60 14 "$CONTENT" "服务类型:"
label 1102 label_user        47 14 "$CONTENT" "用户名:"
label 1103 label_password    33 14 "$CONTENT" "密码:"
label 1104 caption_save_login     84 14 "$CONTENT" "保存登陆信息" West
label 1105 caption_save_password  84 14 "$CONTENT" "记录登陆密码" West

# Small secondary button beside the user-name edit.
ssgrad 61 20 '#FFFFFF' '#E6F0FA' "$TMP/reg-fill.png" "roundrectangle 0,0 60,19 4,4"
ss 61 20 "$TMP/reg-edge.png" "fill none stroke #5E97CF stroke-width 1 roundrectangle 0,0 60,19 3.5,3.5"
text 61 20 "$TMP/reg-text.png" 12 "$BRAND" Center 0 0 "注 册"
gif "$PIC/1142_button_register.gif" 61 20 -size "$(sz 61 20)" "xc:$CONTENT" \
  "$TMP/reg-fill.png" "$TMP/reg-edge.png" "$TMP/reg-text.png"

# Support link: a chat bubble and the link text on the footer.
ss 163 19 "$TMP/sup-icon.png" \
  "fill $BRAND stroke none path 'M 1,3.5 Q 1,1 3.5,1 L 13.5,1 Q 16,1 16,3.5 L 16,10.5 Q 16,13 13.5,13 L 7,13 L 3.2,16.5 L 3.8,13 L 3.5,13 Q 1,13 1,10.5 Z'" \
  "fill white circle 5,7 5,8.2 circle 8.5,7 8.5,8.2 circle 12,7 12,8.2"
text 80 19 "$TMP/sup-a.png" 12 "$MUTED" West 0 0 "加速不给力？"
text 60 19 "$TMP/sup-b.png" 12 "$BRAND" West 0 0 "联系客服"
gif "$PIC/1143_link_support.gif" 163 19 -size "$(sz 163 19)" "xc:$FOOTER" \
  "$TMP/sup-icon.png" \
  \( "$TMP/sup-a.png" -repage "$(at 21 0)" \) \
  \( "$TMP/sup-b.png" -repage "$(at 93 0)" \) \
  \( -size "$(sz 48 1)" "xc:$BRAND" -repage "$(at 93 16)" \)

# Green pill buttons, all three at the same footer spot.
ssgrad 81 24 "$GREEN_TOP" "$GREEN_BOTTOM" "$TMP/pill-fill.png" "roundrectangle 0,0 80,23 11.5,11.5"
ss 81 24 "$TMP/pill-edge.png" \
  "fill none stroke $GREEN_EDGE stroke-width 1 roundrectangle 0,0 80,23 11.5,11.5" \
  "stroke rgba(255,255,255,0.35) line 10,1.2 70,1.2"
pill() {  # ID NAME TEXT
  text 81 24 "$TMP/pill-shadow.png" 13 'rgba(0,70,20,0.45)' Center 0 1 "$3" bold
  text 81 24 "$TMP/pill-text.png" 13 white Center 0 0 "$3" bold
  gif "$PIC/${1}_$2.gif" 81 24 -size "$(sz 81 24)" "xc:$FOOTER" \
    "$TMP/pill-fill.png" "$TMP/pill-edge.png" "$TMP/pill-shadow.png" "$TMP/pill-text.png"
}
pill 1116 button_connect    "连 接"
pill 1117 button_disconnect "断 开"
pill 1118 button_cancel     "取 消"

# Progress strip: a light grey groove; the slider (2 px below the track's top
# edge, see progressSlider) is a blue bar with light diagonal stripes.
ss 480 12 "$TMP/track.png" \
  "fill $TRACK_FILL stroke $TRACK_EDGE stroke-width 1 roundrectangle 0,0 479,11 5.5,5.5" \
  "stroke none fill rgba(0,40,80,0.06) roundrectangle 1,0.5 478,2.5 2,2"
gif "$PIC/1119_progress_track.gif" 480 12 -size "$(sz 480 12)" "xc:$CONTENT" "$TMP/track.png"
STRIPES=""
for x in -8 0 8 16 24 32 40 48 56 64; do
  STRIPES+=" polygon $x,9 $((x + 4)),9 $((x + 9)),-1 $((x + 5)),-1"
done
ssgrad 63 9 '#3FA0F0' "$BRAND" "$TMP/slider-fill.png" "roundrectangle 0,0 62,8 4,4"
ss 63 9 "$TMP/slider-stripes.png" "fill rgba(255,255,255,0.18) stroke none $STRIPES"
convert "$TMP/slider-stripes.png" "$TMP/slider-fill.png" -compose DstIn -composite "$TMP/slider-stripes2.png"
gif "$PIC/1124_progress_slider.gif" 63 9 -size "$(sz 63 9)" "xc:$TRACK_FILL" \
  "$TMP/slider-fill.png" "$TMP/slider-stripes2.png"

# ------------------------------------------------------- settings view ---
label 1106 caption_autorun        131 14 "$CONTENT" "电脑启动，启动本软件" West
label 1107 caption_auto_login     356 14 "$CONTENT" "连接到互联网时自动登陆，保存登陆信息和密码后才可使用" West
label 1108 caption_important_only 126 14 "$CONTENT" "仅显示重要提示信息" West
label 1109 caption_write_log      352 14 "$CONTENT" "保存连接日志，以帮助解决连接问题，选择后影响连接速度" West

# ------------------------------------------------------- about view ------
text 194 15 "$TMP/t.png" 13 "$BRAND" West 0 0 "Lumora Zephal 网络加速器" bold
gif "$PIC/1110_about_name.gif" 194 15 -size "$(sz 194 15)" "xc:$CONTENT" "$TMP/t.png"
label 1111 about_version 33 14 "$CONTENT" "版本:" West
text 258 17 "$TMP/n1.png" 12 "$TEXT" West 0 0 "运营商：卢墨拉网络科技有限公司"
text 258 17 "$TMP/n2.png" 12 "$TEXT" West 0 0 "版权所有：泽法尔数码技术有限公司"
gif "$PIC/1112_about_notice.gif" 258 35 -size "$(sz 258 35)" "xc:$CONTENT" \
  "$TMP/n1.png" \( "$TMP/n2.png" -repage "$(at 0 18)" \)
# Full-width colon: it brings the label closer to the link drawn at x 158.
label 1113 about_homepage 74 14 "$CONTENT" "官方网站：" West

# ------------------------------------------------------- connected view --
label 1132 label_user_type    60 14 "$CONTENT" "用户类型:"
label 1128 label_content      60 14 "$CONTENT" "加速内容:"
label 1129 label_minutes      62 15 "$CONTENT" "剩余分钟:"
label 1133 label_expiry       61 15 "$CONTENT" "到期时间:"
label 1120 label_address      33 14 "$CONTENT" "地址:"
label 1121 label_conn_time    61 14 "$CONTENT" "连接时间:"
label 1122 label_recv_data    61 14 "$CONTENT" "接收数据:"
label 1123 label_sent_data    61 14 "$CONTENT" "发送数据:"
label 1125 label_recv_rate    61 14 "$CONTENT" "接收带宽:"
label 1126 label_sent_rate    61 14 "$CONTENT" "发送带宽:"

# Values shown next to the labels: semibold, the account types with a small
# badge in front.
value() {  # ID NAME W H TEXT [badge colour]
  local id=$1 name=$2 w=$3 h=$4 str=$5 badge=${6:-} x=0
  local layers=(-size "$(sz "$w" "$h")" "xc:$CONTENT")
  if [[ -n $badge ]]; then
    # a small cut gem, its colour marking the account level
    local c
    c=$(awk "BEGIN{print ($h - 1) / 2}")
    ss "$w" "$h" "$TMP/badge.png" \
      "translate 0,$c fill $badge stroke none polygon 0,-1.5 2.3,-4.3 6.7,-4.3 9,-1.5 4.5,4.5" \
      "fill rgba(255,255,255,0.45) polygon 2.3,-4.3 6.7,-4.3 4.5,-1.5" \
      "fill rgba(255,255,255,0.25) polygon 0,-1.5 9,-1.5 4.5,4.5 4.5,-1.5"
    layers+=("$TMP/badge.png")
    x=11
  fi
  text "$((w - x))" "$h" "$TMP/v.png" 12 "$VALUE" West 0 0 "$str" bold
  layers+=(\( "$TMP/v.png" -repage "$(at "$x" 0)" \))
  gif "$PIC/${id}_$name.gif" "$w" "$h" "${layers[@]}"
}
value 1137 value_free_user 90 14 "免费用户" '#9AA4AF'
value 1140 value_web_user  83 15 "上网加速用户" '#2F8FE0'
value 1138 value_vip       83 15 "VIP 用户" '#F0A020'
value 1139 value_platinum  83 15 "白金 VIP 用户" '#8C7AE6'
value 1135 value_web       56 15 "上网加速"
value 1136 value_game      56 15 "游戏加速"
}

draw_pictures 1 "$PIC1"
draw_pictures 2 "$PIC2"
PIC=$PIC1
set_scale 1

# ------------------------------------------------------- picture table ---
# pictures.tsv: id, file, width, height, description; one line per picture,
# sizes read back from the files.  The resource script and the tests are
# generated from it.
declare -A DESC=(
  [1100]="background: title strip with product name, minimise and close marks, toolbar 注册 登录 设置 查看 充值, banner, rule above the footer"
  [1102]="label 用户名:"
  [1103]="label 密码:"
  [1104]="caption 保存登陆信息"
  [1105]="caption 记录登陆密码"
  [1106]="caption 电脑启动，启动本软件"
  [1107]="caption 连接到互联网时自动登陆，保存登陆信息和密码后才可使用"
  [1108]="caption 仅显示重要提示信息"
  [1109]="caption 保存连接日志，以帮助解决连接问题，选择后影响连接速度"
  [1110]="about: product display name Lumora Zephal 网络加速器"
  [1111]="about: label 版本:"
  [1112]="about: publisher notice, operator and rights holder"
  [1113]="about: home-page label 官方网站："
  [1116]="green pill button 连 接"
  [1117]="green pill button 断 开"
  [1118]="green pill button 取 消"
  [1119]="progress track, light grey bar"
  [1120]="label 地址:"
  [1121]="label 连接时间:"
  [1122]="label 接收数据:"
  [1123]="label 发送数据:"
  [1124]="progress slider, blue bar"
  [1125]="label 接收带宽:"
  [1126]="label 发送带宽:"
  [1128]="label 加速内容:"
  [1129]="label 剩余分钟:"
  [1132]="label 用户类型:"
  [1133]="label 到期时间:"
  [1134]="label 服务类型:"
  [1135]="value 上网加速"
  [1136]="value 游戏加速"
  [1137]="user type 免费用户"
  [1138]="user type VIP 用户"
  [1139]="user type 白金 VIP 用户"
  [1140]="user type 上网加速用户"
  [1142]="small button 注 册"
  [1143]="link 加速不给力？联系客服 with a chat icon"
)
TSV=$ART/pictures.tsv
((CHECK)) && TSV=$TMP/out/pictures.tsv
: >"$TSV"
for f in "$PIC"/[0-9][0-9][0-9][0-9]_*; do
  file=${f##*/} id=${file%%_*}
  [[ -n ${DESC[$id]:-} ]] || { echo "make-art: no description for $file" >&2; exit 1; }
  printf '%s\t%s\t%s\t%s\t%s\n' "$id" "$file" \
    "$(identify -format '%w' "$f")" "$(identify -format '%h' "$f")" "${DESC[$id]}" >>"$TSV"
done
[[ $(wc -l <"$TSV") -eq ${#DESC[@]} ]] || { echo "make-art: pictures and descriptions differ" >&2; exit 1; }

# ------------------------------------------------------- check mode ------
if ((CHECK)); then
  status=0
  for f in "$PIC1"/* "$PIC2"/* "$ICO"/*; do
    [[ -f $f ]] || continue
    rel=${f#"$TMP/out/"}
    if ! cmp -s "$f" "$RES/$rel"; then echo "differs: resources/$rel"; status=1; fi
  done
  cmp -s "$TSV" "$ART/pictures.tsv" || { echo "differs: resources/art/pictures.tsv"; status=1; }
  ((status == 0)) && echo "make-art: committed pictures and icons are up to date"
  exit $status
fi
pics=("$PIC1"/[0-9][0-9][0-9][0-9]_* "$PIC2"/[0-9][0-9][0-9][0-9]_*)
echo "make-art: wrote ${#pics[@]} pictures (100 % and 200 %) and 4 icons"
