#!/usr/bin/env bash
# A tour of the desktop host as a painter takes it, under Xvfb with real
# pointer and key events (xdotool): every shortcut letter and every part of
# the panel, each checked by what a person would see: canvas pixels that
# must change and pixels that must not, the pens, the tool's settings, the
# host's windows, and the settings and colour-scheme files across a restart.
# The checks run in order on one canvas; each says what it expected and what
# it got.
#
# Usage: desktop_tour.sh PROGRAM PLUGIN [SHOTS]
# With SHOTS (a folder), the tour's key moments are written there as
# screenshots of the whole window (desktop-NN-NAME.png), and the end of the
# host's dialogue with the plug-in (desktop-dialogue.txt).
# Exit 77 (skipped) when Xvfb or xdotool is missing.
set -uo pipefail
program=$1
plugin=$2
shots=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (tools/install-deps.sh installs it)"
    exit 77
  fi
done

DRIVE_WORK=$(mktemp -d)
. "$here/desktop_drive.sh"
# Every step ends in a report, which waits for the program to have seen it:
# short rests do.
DRIVE_REST=0.05
DRIVE_STEP=0.005
home="$DRIVE_WORK/home"
failures=0
checks=0
got=""  # what the last check looked at, said when it fails
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  checks=$((checks + 1))
  if ("$@"); then  # in a subshell: a check that breaks counts as failed
    echo "ok: $what"
  else
    echo "FAILED: $what${got:+ (got: $got)}"
    failures=$((failures + 1))
  fi
  got=""
}
finish() {
  drive_stop
  if [ "$DRIVE_STATUS" -ne 0 ]; then
    echo "FAILED: the program exited with status $DRIVE_STATUS"
    failures=$((failures + 1))
  fi
  if [ "${KEEP_DESKTOP_TEST:-}" = "" ]; then rm -rf "$DRIVE_WORK"; else echo "work folder: $DRIVE_WORK"; fi
}
trap finish EXIT
step=0
[ -n "$shots" ] && mkdir -p "$shots"
shot() {  # shot NAME: a screenshot of this moment, when the tour keeps them
  [ -n "$shots" ] || return 0
  step=$((step + 1))
  local file
  file=$(printf '%s/desktop-%02d-%s.png' "$shots" "$step" "$1")
  drive_shot "$file" && echo "screenshot: $file"
}

# ---- reading reports
rep() { drive_report "$@" || exit 1; }
rep_until() {  # rep_until NAME PATTERN: report until a line matches (a menu takes a frame or two to show)
  local tries=30
  rep "$1"
  while ! grep -q "$2" "$DRIVE_WORK/$1.txt" && [ "$tries" -gt 0 ]; do
    sleep 0.05
    rep "$1"
    tries=$((tries - 1))
  done
}
apen() { awk '$1 == "apen" { print $2, $3, $4; exit }' "$DRIVE_WORK/$1.txt"; }
bpen() { awk '$1 == "bpen" { print $2, $3, $4; exit }' "$DRIVE_WORK/$1.txt"; }
probe() { awk -v x="$2" -v y="$3" '$1 == "probe" && $2 == x && $3 == y { print $4, $5, $6; exit }' "$DRIVE_WORK/$1.txt"; }
setting() { awk -v k="$2" '$1 == "tool-setting" && $2 == k { print $3; exit }' "$DRIVE_WORK/$1.txt"; }
digest() { awk -v id="$2" '$1 == "gadget" && $3 == id { print $9; exit }' "$DRIVE_WORK/$1.txt"; }
widget() { awk -v n="$2" '$1 == "widget" && $2 == n { print $3 + int($5 / 2), $4 + int($6 / 2); exit }' "$DRIVE_WORK/$1.txt"; }
value() { drive_value "$@"; }
has_gadget() { grep -q "^gadget [0-9]* $2 " "$DRIVE_WORK/$1.txt"; }
no_gadget() { ! has_gadget "$@"; }
gadget_height() { awk -v id="$2" '$1 == "gadget" && $3 == id { print $7; exit }' "$DRIVE_WORK/$1.txt"; }
slider_at() {  # slider_at REPORT NAME FRACTION: a point on a slider of the layers window (its frame is 120 wide)
  awk -v n="$2" -v f="$3" '$1 == "widget" && $2 == n { print $3 + int(120 * f), $4 + int($6 / 2); exit }' "$DRIVE_WORK/$1.txt"; }
panel_open() { grep -q "^requester [0-9]* .* 1 $panel_title\$" "$DRIVE_WORK/$1.txt"; }

# ---- colour arithmetic on "R G B" texts
hue() {  # the CIE LCh hue in degrees (the panel's hue), -1 for a grey
  awk -v c="$1" 'function lin(v) { v /= 255; return v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ^ 2.4 }
  function f(t) { return t > 0.008856 ? t ^ (1 / 3) : 7.787 * t + 16 / 116 }
  BEGIN { split(c, p); r = lin(p[1]); g = lin(p[2]); b = lin(p[3]);
    x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047; y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    A = 500 * (f(x) - f(y)); B = 200 * (f(y) - f(z));
    if (A * A + B * B < 9) { print -1; exit }
    h = atan2(B, A) * 180 / 3.14159265; if (h < 0) h += 360; printf "%d\n", h }'
}
near_hue() {  # near_hue "R G B" "R G B" DEGREES
  awk -v a="$(hue "$1")" -v b="$(hue "$2")" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; if (d > 180) d = 360 - d;
    exit !(a >= 0 && b >= 0 && d <= t) }'; }
far_hue() { ! near_hue "$@"; }
all_grey() { for c in "$@"; do grey "$c" || return 1; done; }
all_same() { local want=$1; shift; for c in "$@"; do same "$c" "$want" || return 1; done; }
luma() { awk -v c="$1" 'BEGIN { split(c, p); printf "%d\n", 0.299 * p[1] + 0.587 * p[2] + 0.114 * p[3] }'; }
dist() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, p); split(b, q); s = 0; for (i = 1; i <= 3; i++) s += (p[i] - q[i]) ^ 2;
  printf "%d\n", sqrt(s) }'; }
both() {  # both CHECK ARGS... -- CHECK ARGS...: both hold
  local first=()
  while [ "$1" != -- ]; do first+=("$1"); shift; done
  shift
  "${first[@]}" && "$@"
}
near() { [ -n "$1" ] && [ -n "$2" ] && [ "$(dist "$1" "$2")" -le "$3" ]; }  # near "R G B" "R G B" TOLERANCE
same() { [ -n "$1" ] && [ "$1" = "$2" ]; }
differ() { [ -n "$1" ] && [ -n "$2" ] && [ "$1" != "$2" ]; }
grey() { awk -v c="$1" 'BEGIN { split(c, p); d1 = p[1] - p[2]; d2 = p[2] - p[3]; if (d1 < 0) d1 = -d1; if (d2 < 0) d2 = -d2;
  exit !(c != "" && d1 <= 3 && d2 <= 3) }'; }
lt() { [ -n "$1" ] && [ -n "$2" ] && [ "$1" -lt "$2" ]; }
between() { awk -v v="$1" -v a="$2" -v b="$3" 'BEGIN { exit !(v != "" && v >= a && v <= b) }'; }

# ---- pointer and keys
away_x=990
away_y=300  # over the layers window: no canvas event, no brush outline
away() { drive_xdo mousemove "$away_x" "$away_y"; }
key() { drive_xdo key "$@"; }
# A click: the pointer is there for a frame before the button goes down,
# as a hand brings it (Dear ImGui takes hover and press from whole frames).
click() { drive_xdo mousemove "$2" "$3" sleep 0.05 mousedown "$1" sleep 0.03 mouseup "$1"; }  # click BUTTON X Y
C() { echo $((ox + $1)) $((oy + $2)); }  # canvas pixel to window pixel (zoom 1)
line() {  # line X0 Y0 X1 Y1 STEPS: window points along a line
  awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" -v n="$5" \
    'BEGIN { for (i = 0; i <= n; i++) printf "%d %d ", a + (c - a) * i / n, b + (d - b) * i / n }'
}
stroke() { drive_path 1 $(line $(C "$1" "$2") $(C "$3" "$4") "$5"); }  # stroke on the canvas, canvas pixels
hover() { drive_path 0 $(line $(C "$1" "$2") $(C "$3" "$4") "$5"); }
ring() {  # a drag on the hue ring from angle A0 to A1 (degrees, counter-clockwise from the right)
  drive_path 1 $(awk -v a="$1" -v b="$2" -v cx="$pcx" -v cy="$pcy" 'BEGIN { for (i = 0; i <= 3; i++) {
    t = (a + (b - a) * i / 3) * 3.14159265 / 180; printf "%d %d ", cx + 75 * cos(t), cy - 75 * sin(t) } }')
}
# The option menu: a right click on the B swatch, through the submenus
# named, then a click on the item with that id.
menu() {  # menu ID [SUBMENU...]
  local id=$1 entry="" item
  shift
  click 3 $((sx + 40)) $((sy + 10))
  for sub in "$@"; do
    rep_until menu "^menu-submenu .* $sub\$"
    entry=$(awk -v s="$sub" '$1 == "menu-submenu" { l = $6; for (i = 7; i <= NF; i++) l = l " " $i;
      if (l == s) { print $2 + 20, $3 + int($5 / 2); exit } }' "$DRIVE_WORK/menu.txt")
    [ -n "$entry" ] || { echo "FAILED: no submenu $sub in the option menu"; failures=$((failures + 1)); key Escape; return 1; }
    drive_xdo mousemove $entry
  done
  rep_until menu "^menu-item $id "
  item=$(awk -v id="$id" '$1 == "menu-item" && $2 == id { print $3 + 20, $4 + int($6 / 2); exit }' "$DRIVE_WORK/menu.txt")
  [ -n "$item" ] || { echo "FAILED: no item $id in the option menu"; failures=$((failures + 1)); key Escape; return 1; }
  # Along the submenu's row first, so the pointer never crosses another entry.
  [ -n "$entry" ] && drive_xdo mousemove "${item% *}" "${entry#* }"
  drive_xdo mousemove $item
  [ -n "${menu_shot:-}" ] && shot "$menu_shot"
  menu_shot=""
  click 1 $item
  away
}
host_menu() {  # host_menu MENU ITEM: the host's menu bar
  local at
  at=$(widget ready "menu/$1")
  click 1 $at
  rep_until hostmenu "^widget $1/$2 "
  at=$(widget hostmenu "$1/$2")
  [ -n "$at" ] || { echo "FAILED: no item $2 in the host's $1 menu"; failures=$((failures + 1)); key Escape; return 1; }
  click 1 $at
  away
}

# ================================================================ start
drive_start_x 1024x700 || exit 1
drive_start "$program" "$plugin" "$home" --size 1024x700 --loc english || exit 1
panel=$(drive_line ready '$1 == "requester" && $7 == 1')
read -r _ _ rx ry rw rh _ <<<"$panel"
panel_title=$(echo "$panel" | cut -d' ' -f8-)
read -r _ _ _ sx sy _ <<<"$(drive_line ready '$1 == "gadget" && $3 == 100')"
read -r _ _ _ px py _ <<<"$(drive_line ready '$1 == "gadget" && $3 == 110')"
gadget_at() { drive_line ready "\$1 == \"gadget\" && \$3 == $1" | awk '{ print $4 + int($6 / 2), $5 + int($7 / 2) }'; }
lamp=$(gadget_at 150)
dirt=$(gadget_at 151)
load=$(gadget_at 152)
rot=$(gadget_at 153)
read -r ox oy < <(awk '$1 == "project-origin" { print $2, $3 }' "$DRIVE_WORK/ready.txt")
if [ -z "$panel" ] || [ -z "$px" ] || [ -z "$lamp" ] || [ -z "$ox" ]; then
  echo "FAILED: the panel with its palette and FX-brush row is not shown"
  exit 1
fi
pcx=$((px + 92))  # the picker's centre
pcy=$((py + 94))
current_swatch="$((sx + 136)) $((sy + 21))"
base_swatch="$((sx + 40)) $((sy + 36))"
menubar=$(awk '$1 == "canvas" { print $3; exit }' "$DRIVE_WORK/ready.txt")
shot start

# ================================================================ a colour, and autosample on one layer
# The square's bright corner, then the ring: the A pen takes the colour.
drive_path 1 $((pcx + 38)) $((pcy - 38)) $((pcx + 41)) $((pcy - 41))
ring 0 2
away
rep c1
p1=$(apen c1)
got="$p1"; check "the square and ring set a colour (the A pen is no longer black)" differ "$p1" "0 0 0"

# Autosample of the hue (right click on the ring), the single-layer box on.
d0=$(digest c1 110)
click 1 $((pcx + 80)) $((pcy + 70))
rep single
got="$(digest single 110)"; check "the single-layer box shows it is on" differ "$(digest single 110)" "$d0"
click 3 $((pcx + 75)) "$pcy"
away
rep auto
check "right click on the ring: autosample's dotted ring shows" differ "$(digest auto 110)" "$(digest single 110)"
# Over the teal disc, which lies on another layer: the current layer (Ink)
# is empty there, so nothing is sampled.
hover 280 346 360 346 16
away
rep over-disc
got="$(apen over-disc) for $p1"; check "single layer: the teal disc on another layer is not sampled" near_hue "$(apen over-disc)" "$p1" 12
# A stroke in that colour, then another colour on the ring, then the
# pointer along the stroke: the hue comes back from what was just painted.
stroke 380 205 560 205 18
ring 135 137
away
rep c2
p2=$(apen c2)
got="$p1 -> $p2"; check "the ring chose a different hue" far_hue "$p1" "$p2" 60
hover 390 205 480 205 18
away
rep sampled1 $current_swatch
got="$(apen sampled1) for $p1"; check "autosample (single layer) takes the hue just painted" near_hue "$(apen sampled1)" "$p1" 12
got="$(probe sampled1 $current_swatch)"; check "the current swatch still shows the panel's colour" near "$(probe sampled1 $current_swatch)" "$p2" 2
shot autosample-single-layer
# "r": the panel takes the A pen.
key r
rep refreshed $current_swatch $base_swatch
got="$(probe refreshed $current_swatch) for $(apen refreshed)"
check "r: the current swatch shows the A pen" near "$(probe refreshed $current_swatch)" "$(apen refreshed)" 2
check "r: the base swatch shows the A pen" near "$(probe refreshed $base_swatch)" "$(apen refreshed)" 2

# ================================================================ autosample on all layers
click 1 $((pcx + 80)) $((pcy + 70))  # the single-layer box off
ring 270 272
# From the panel straight to the stroke's start: the first canvas event
# looks two steps ahead, off the canvas, so the pen keeps the ring's colour.
rep c3
p3=$(apen c3)
stroke 60 440 200 440 14
away
hover 66 440 150 440 21
away
rep sampled2
got="$(apen sampled2) for $p3"; check "autosample (all layers) takes the hue just painted" near_hue "$(apen sampled2)" "$p3" 12
hover 280 346 360 346 20
away
rep sampled3
got="$(apen sampled3)"; check "autosample (all layers) takes the teal disc's hue" near_hue "$(apen sampled3)" "40 128 132" 12
shot autosample-all-layers
click 3 $((pcx + 75)) "$pcy"  # autosample off
away

# ================================================================ R: the brush size
key R
rep r-on
check "R: the brush-size mode takes the canvas" [ "$(value r-on canvas-events)" = 1 ]
read -r bx by <<<"$(C 450 330)"
drive_xdo mousemove "$bx" "$by" mousedown 1
drive_path 0 $(line "$bx" "$by" $((bx + 30)) "$by" 6)
shot brush-size-circle
drive_xdo mouseup 1
away
rep r-done
got="$(setting r-done size)"; check "R: the release sets the brush size to the circle's radius" between "$(setting r-done size)" 28 33
check "R: the mode ends with the release" [ "$(value r-done canvas-events)" = 0 ]
stroke 430 110 560 110 10  # over the hue strip: a wide stroke
away
rep wide "$(C 500 90)" "$(C 500 140)"
got="$(probe wide $(C 500 90))"; check "R: the wider brush paints 20 pixels off the stroke's line" same "$(probe wide $(C 500 90))" "$(apen wide)"
key R
read -r bx by <<<"$(C 450 330)"
drive_path 1 "$bx" "$by" $((bx + 3)) "$by" $((bx + 6)) "$by"
away
rep r-small
got="$(setting r-small size)"; check "R: a short drag makes the brush small again" between "$(setting r-small size)" 5 8

# ================================================================ Smart Fill
key T
rep fill-before "$(C 330 330)" "$(C 345 330)" "$(C 370 330)" "$(C 395 330)"
teal_in=$(probe fill-before $(C 330 330))
read -r fx fy <<<"$(C 330 330)"
loop=$(awk -v cx="$fx" -v cy="$fy" 'BEGIN { for (i = 0; i <= 26; i++) { t = i * 6.2831853 / 24;
  printf "%d %d ", cx + 40 * cos(t), cy + 40 * sin(t) } }')
drive_path 1 $loop
rep fill-loop "$(C 330 330)" "$(C 370 330)"
got="$(probe fill-loop $(C 370 330))"; check "Smart Fill: the loop is painted" same "$(probe fill-loop $(C 370 330))" "$(apen fill-loop)"
shot smart-fill-loop
click 1 "$fx" "$fy"
away
rep filled "$(C 330 330)" "$(C 345 330)" "$(C 370 330)" "$(C 395 330)"
got="$(probe filled $(C 330 330))"; check "Smart Fill: the click inside fills the loop" same "$(probe filled $(C 330 330))" "$(apen filled)"
check "Smart Fill: the fill reaches toward the line" same "$(probe filled $(C 345 330))" "$(apen filled)"
got="$(probe filled $(C 395 330))"; check "Smart Fill: outside the loop is left alone" same "$(probe filled $(C 395 330))" "$(probe fill-before $(C 395 330))"
check "Smart Fill: the line itself is trimmed away" same "$(probe filled $(C 370 330))" "$(probe fill-before $(C 370 330))"
got="$(value fill-before undo-steps) -> $(value filled undo-steps)"
check "Smart Fill: one undo step" [ "$(value filled undo-steps)" = $(( $(value fill-before undo-steps) + 1 )) ]
check "Smart Fill: the freehand line is the shape again" [ "$(value filled shape)" = freehandline ]
shot smart-fill-filled
key ctrl+z
rep fill-undone "$(C 330 330)"
check "Smart Fill: Ctrl+Z takes the fill back" same "$(probe fill-undone $(C 330 330))" "$teal_in"
# Off ("u"): the click inside fills nothing; on again ("U"): it fills.
key u
drive_path 1 $loop
click 1 "$fx" "$fy"
away
rep nofill "$(C 330 330)" "$(C 370 330)"
check "u: Smart Fill off, the click fills nothing" same "$(probe nofill $(C 330 330))" "$teal_in"
check "u: the loop stays as drawn" same "$(probe nofill $(C 370 330))" "$(apen nofill)"
key U
click 1 "$fx" "$fy"
away
rep refill "$(C 330 330)"
check "U: Smart Fill on, the click fills" same "$(probe refill $(C 330 330))" "$(apen refill)"
key ctrl+z
key u

# ================================================================ d and l
click 1 $(widget ready layer-2)
away
rep colours-layer
check "the layers window makes Colours the current layer" grep -q '^layer 2 1 1 ' "$DRIVE_WORK/colours-layer.txt"
# A mid grey from the square's left edge.
drive_path 1 $((pcx - 42)) "$pcy" $((pcx - 43)) "$pcy"
away
dark="$(C 150 172)"   # the grey strip at 20 %
light="$(C 522 172)"  # and at 85 %
rep grey $dark $light
d0=$(probe grey $dark)
l0=$(probe grey $light)
al=$(luma "$(apen grey)")
got="$(apen grey)"; check "a grey between the strip's dark and light ends" between "$al" $(( $(luma "$d0") + 1 )) $(( $(luma "$l0") - 1 ))
passes() {  # passes NAME [SHOT]: "d" then "l", each checked and undone
  key d
  rep "d-$1" $dark $light
  [ -n "${2:-}" ] && shot "$2"
  got="$(probe "d-$1" $light) from $l0"
  check "d ($1): the light end darkens" lt "$(luma "$(probe "d-$1" $light)")" "$(luma "$l0")"
  check "d ($1): the dark end stays" same "$(probe "d-$1" $dark)" "$d0"
  key ctrl+z
  key l
  rep "l-$1" $dark $light
  got="$(probe "l-$1" $dark) from $d0"
  check "l ($1): the dark end lightens" lt "$(luma "$d0")" "$(luma "$(probe "l-$1" $dark)")"
  check "l ($1): the light end stays" same "$(probe "l-$1" $light)" "$l0"
  key ctrl+z
}
passes lightbulb-off
lamp_corner="$((pcx + 74)) $((pcy - 76))"
click 1 $lamp_corner
away
rep bulb-lighten
check "the lightbulb's left click: the host paints lighten" [ "$(value bulb-lighten drawmode)" = lighten ]
passes lightbulb-lighten darken-with-the-lightbulb-on-lighten
click 3 $lamp_corner   # off (the host was in a lighten mode)
click 3 $lamp_corner   # darken
away
rep bulb-darken
check "the lightbulb's right click: the host paints darken" [ "$(value bulb-darken drawmode)" = darken ]
passes lightbulb-darken
click 3 $lamp_corner
away
rep bulb-off
check "the lightbulb's click on the lit side: colour again" [ "$(value bulb-off drawmode)" = color ]
# Ctrl+click: the draw mode follows the colour, darken for a darker one and
# lighten for a lighter one.
drive_xdo keydown ctrl
click 1 $lamp_corner
drive_xdo keyup ctrl
drive_path 1 $((pcx - 10)) "$pcy" $((pcx - 10)) $((pcy + 15)) $((pcx - 10)) $((pcy + 30))
away
rep auto-darker
drive_path 1 $((pcx - 10)) $((pcy - 20)) $((pcx - 10)) $((pcy - 35))
away
rep auto-lighter
got="$(value auto-darker drawmode) $(value auto-lighter drawmode)"
check "Ctrl on the lightbulb: a darker colour paints darken, a lighter one lighten" \
  both [ "$(value auto-darker drawmode)" = darken ] -- [ "$(value auto-lighter drawmode)" = lighten ]
click 1 $lamp_corner
away
rep auto-off
check "the lightbulb's click ends the automatic mode" [ "$(value auto-off drawmode)" = color ]
drive_path 1 $((pcx - 42)) "$pcy" $((pcx - 43)) "$pcy"  # the mid grey again

# ================================================================ the lamp: CIE lighten paints only lighter
menu_shot=option-menu-cie-lightbulb
menu 101 Options "Lightbulb button"
click 1 $lamp_corner
away
rep cie-on $dark $light
check "CIE lighten: the host paints merge" [ "$(value cie-on drawmode)" = merge ]
check "CIE lighten: the lamp lights" differ "$(digest cie-on 150)" "$(digest bulb-off 150)"
stroke 140 172 570 172 25
away
rep cie-stroke $dark $light "$(C 330 172)"
got="$(probe cie-stroke $dark) from $d0"
check "CIE lighten: the stroke lightens the dark end" lt "$(luma "$d0")" "$(luma "$(probe cie-stroke $dark)")"
got="$(probe cie-stroke $light) from $l0"
check "CIE lighten: the stroke leaves the light end" same "$(probe cie-stroke $light)" "$l0"
shot lamp-lighter-strokes
click 1 $lamp_corner
away
rep cie-off
check "CIE lighten off: the host paints colour" [ "$(value cie-off drawmode)" = color ]
stroke 140 150 570 150 25
away
rep plain "$(C 150 150)" "$(C 522 150)"
got="$(probe plain $(C 150 150)) for $(apen plain)"
check "after the lamp, strokes are plain again" all_same "$(apen plain)" "$(probe plain $(C 150 150))" "$(probe plain $(C 522 150))"

# ================================================================ the lamp button: the FX stack's paint
click 1 $lamp
away
rep lamp-on "$(C 150 150)"
check "lamp button: the host paints merge" [ "$(value lamp-on drawmode)" = merge ]
got="$(value lamp-on undo-steps) after $(value plain undo-steps)"
check "lamp button: the painter's last stroke stays" [ "$(value lamp-on undo-steps)" = "$(value plain undo-steps)" ]
check "lamp button: its stroke is still on the canvas" same "$(probe lamp-on $(C 150 150))" "$(apen plain)"
stroke 140 60 560 60 25
away
rep lamp-stroke "$(C 200 60)" "$(C 450 60)"
got="$(probe lamp-stroke $(C 200 60)) $(probe lamp-stroke $(C 450 60))"
check "lamp button: the stroke paints the FX stack's grey" all_grey "$(probe lamp-stroke $(C 200 60))" "$(probe lamp-stroke $(C 450 60))"
shot lamp-button-fx-stack
click 3 $lamp
away
rep lamp-lime
check "lamp button: a right click renews on every change (lime)" differ "$(digest lamp-lime 150)" "$(digest lamp-stroke 150)"
click 1 $lamp
away
rep lamp-off
check "lamp button off: the host paints colour" [ "$(value lamp-off drawmode)" = color ]
check "lamp button off: the lamp is dark" same "$(digest lamp-off 150)" "$(digest bulb-off 150)"

# ================================================================ Load, Rot, Dirt
click 1 $load
away
stroke 40 462 600 462 18
away
rep loaded "$(C 60 462)" "$(C 580 462)" "$(C 580 475)"
start_colour=$(probe loaded $(C 60 462))
end_colour=$(probe loaded $(C 580 462))
paper=$(probe loaded $(C 580 475))
got="start $start_colour, end $end_colour, pen $(apen loaded), paper $paper"
check "Load: the stroke starts with full paint" near "$start_colour" "$(apen loaded)" 12
check "Load: the paint runs out along the stroke" lt "$(dist "$end_colour" "$paper")" $(( $(dist "$(apen loaded)" "$paper") / 2 ))
shot load
# Between strokes the brush fills up again, a step each move.
hover 300 250 300 320 70
away
rep reloaded
got="$(setting loaded power) -> $(setting reloaded power)"
check "Load: between strokes the paint comes back" both lt "$(setting loaded power)" 60 -- [ "$(setting reloaded power)" = 100 ]
click 1 $load
# Rot: a flat brush (aspect), turned by the pointer's way between strokes.
click 1 $(slider_at loaded brush-aspect 0.2)
away
rep flat
got="$(setting flat aspect)"; check "the layers window flattens the brush" between "$(setting flat aspect)" 5 40
click 1 $rot
drive_path 0 $(C 140 300) $(C 140 240) $(C 140 222)
rep rot-up
got="$(setting rot-up angle)"; check "Rot: an upward move turns the brush upright" [ "$(setting rot-up angle)" = 90 ]
drive_path 1 $(line $(C 140 222) $(C 240 222) 10)
drive_path 0 $(C 200 240) $(C 260 240) $(C 260 222)
rep rot-right
got="$(setting rot-right angle)"; check "Rot: a move to the right turns it flat" [ "$(setting rot-right angle)" = 180 ]
drive_path 1 $(line $(C 260 222) $(C 360 222) 10)
away
rep rotated "$(C 190 218)" "$(C 310 218)" "$(C 310 222)" "$(C 580 475)"
got="$(probe rotated $(C 190 218)) / $(probe rotated $(C 310 218))"
check "Rot: the upright brush paints a tall stroke" same "$(probe rotated $(C 190 218))" "$(apen rotated)"
check "Rot: the flat brush paints a thin stroke" same "$(probe rotated $(C 310 218))" "$(probe rotated $(C 580 475))"
check "Rot: ... on its line" same "$(probe rotated $(C 310 222))" "$(apen rotated)"
shot rot
click 1 $rot
click 1 $(slider_at loaded brush-aspect 0.98)
# Dirt: a stroke out of the red disc picks up red.
click 1 $dirt
rep dirt-before
red="196 62 48"
stroke 150 330 30 330 15
away
rep dirt-after
got="$(apen dirt-before) -> $(apen dirt-after)"
check "Dirt: the brush picks up the red it crosses" lt "$(dist "$(apen dirt-after)" "$red")" "$(dist "$(apen dirt-before)" "$red")"
shot dirt
click 1 $dirt
away
rep dirt-off
got="$(apen dirt-off)"; check "Dirt off: the pen is the panel's colour again" same "$(apen dirt-off)" "$(apen dirt-before)"


# ================================================================ re-stroke
stroke 140 195 360 195 12
away
rep painted "$(C 250 195)"
drive_xdo keydown ctrl
ring 45 47
drive_xdo keyup ctrl
away
rep restroked "$(C 250 195)"
got="$(probe painted $(C 250 195)) -> $(probe restroked $(C 250 195)) for $(apen restroked)"
check "re-stroke: Ctrl on the ring repaints the last stroke in the new colour" both same "$(probe restroked $(C 250 195))" "$(apen restroked)" -- \
  differ "$(apen restroked)" "$(apen painted)"
check "re-stroke: still one step to undo" [ "$(value restroked undo-steps)" = "$(value painted undo-steps)" ]

# ================================================================ picking from the canvas
# Ctrl+click on the current swatch asks the host to store the colour in its
# colour bins; this host has none and says so in its dialogue.
rep notes-before
drive_xdo keydown ctrl
click 1 $current_swatch
drive_xdo keyup ctrl
away
rep notes-after
got="$(value notes-before notes) -> $(value notes-after notes)"
check "Ctrl+click on the current swatch: the host says it keeps no colour bins" \
  [ "$(value notes-after notes)" = $(( $(value notes-before notes) + 1 )) ]

yellow_at="$(C 499 317)"
rep before-pick $yellow_at
yellow=$(probe before-pick $yellow_at)
click 1 $current_swatch
rep pick-on
check "the current swatch starts the pick mode" [ "$(value pick-on canvas-events)" = 1 ]
read -r yx yy <<<"$yellow_at"
drive_xdo mousemove "$yx" "$yy" mousedown 1
drive_path 0 $(line "$yx" "$yy" $((yx + 12)) $((yy + 12)) 12)
shot pick-mode
drive_xdo mouseup 1
away
rep picked
got="$(apen pick-on) -> $(apen picked), yellow $yellow"
check "pick: dragging over the yellow mixes yellow in" lt "$(dist "$(apen picked)" "$yellow")" "$(dist "$(apen pick-on)" "$yellow")"
check "pick: lifting the pen ends the pick mode" [ "$(value picked canvas-events)" = 0 ]
key s
rep s-on
key s
rep s-off
check "s: the pick mode starts and ends" both [ "$(value s-on canvas-events)" = 1 ] -- [ "$(value s-off canvas-events)" = 0 ]

# ================================================================ the brush mode
key S
drive_xdo mousemove "$yx" "$yy"
drive_xdo mousemove $((yx + 1)) "$yy"
rep brush-mode
got="$(apen brush-mode) for $yellow"; check "S: the canvas colour under the control becomes the A pen" near "$(apen brush-mode)" "$yellow" 3
shot brush-mode
drive_path 1 $((yx + 31)) "$yy" $((yx + 30)) $((yy + 8)) $((yx + 28)) $((yy + 16))
rep brush-drag
check "S: a drag on the control's disc changes the colour" differ "$(apen brush-drag)" "$(apen brush-mode)"
key Escape
away
rep brush-off
check "Escape ends the brush mode" [ "$(value brush-off canvas-events)" = 0 ]

# ================================================================ pens and swatches
key x
rep swapped
check "x: the A and B pens swap" both same "$(apen swapped)" "$(bpen brush-off)" -- same "$(bpen swapped)" "$(apen brush-off)"
click 1 $((pcx - 74)) $((pcy - 76))
away
rep swapped-back
check "the swap corner swaps them back" both same "$(apen swapped-back)" "$(apen brush-off)" -- same "$(bpen swapped-back)" "$(bpen brush-off)"
drive_path 1 $((sx + 30)) $((sy + 10)) $((sx + 34)) $((sy + 12)) $((sx + 38)) $((sy + 10)) $((sx + 42)) $((sy + 12))
away
rep b-mixed
got="$(apen swapped-back) -> $(apen b-mixed), B $(bpen b-mixed)"
check "a drag on the B swatch mixes B into the colour" lt "$(dist "$(apen b-mixed)" "$(bpen b-mixed)")" "$(dist "$(apen swapped-back)" "$(bpen b-mixed)")"
drive_xdo keydown ctrl
click 1 $((sx + 40)) $((sy + 10))
click 1 $base_swatch
drive_xdo keyup ctrl
away
rep stored $base_swatch
check "Ctrl+click on the B swatch: B takes the A colour" same "$(bpen stored)" "$(apen stored)"
check "Ctrl+click on the base swatch: it shows the A colour" near "$(probe stored $base_swatch)" "$(apen stored)" 2

# ================================================================ the palette's bars and boxes
drive_path 1 $((pcx - 52)) "$pcy" $((pcx - 52)) $((pcy + 10)) $((pcx - 52)) $((pcy + 20))
away
rep sat-bar
check "a drag on the saturation bar changes the colour" differ "$(apen sat-bar)" "$(apen stored)"
drive_path 1 "$pcx" $((pcy - 52)) $((pcx + 10)) $((pcy - 52)) $((pcx + 20)) $((pcy - 52))
away
rep value-bar
got="$(apen sat-bar) -> $(apen value-bar)"
check "a drag on the value bar darkens the colour" lt "$(luma "$(apen value-bar)")" "$(luma "$(apen sat-bar)")"
toggles() {  # toggles NAME BUTTON X Y: the palette shows the change, and the same click takes it back
  click "$2" "$3" "$4"
  rep "$1-on"
  click "$2" "$3" "$4"
  away
  rep "$1-off"
  check "$1: the palette shows it on, and off again" both differ "$(digest "$1-on" 110)" "$(digest "$last" 110)" -- \
    differ "$(digest "$1-off" 110)" "$(digest "$1-on" 110)"
  last="$1-off"
}
last=value-bar
toggles dynamic-ring-box 1 $((pcx - 80)) $((pcy + 70))
toggles cie-ring 3 $((pcx - 80)) $((pcy + 70))
toggles background-box 1 $((pcx - 80)) $((pcy + 80))
toggles cie-box 1 $((pcx + 80)) $((pcy + 80))
toggles freeze 3 $((pcx + 80)) $((pcy + 70))
toggles autosample-saturation 3 $((pcx - 52)) "$pcy"
toggles autosample-value 3 "$pcx" $((pcy - 52))
toggles autosample-all 3 $((pcx - 74)) $((pcy - 76))

# ================================================================ the value slider and a colour scheme
toggles_swatch() {  # as toggles, for the swatch band
  rep "$1-0"
  click "$2" "$3" "$4"
  rep "$1-1"
  click "$2" "$3" "$4"
  away
  rep "$1-2"
  check "$1: the swatch band shows it on, and off again" both differ "$(digest "$1-1" 100)" "$(digest "$1-0" 100)" -- \
    differ "$(digest "$1-2" 100)" "$(digest "$1-1" 100)"
}
slider_y=$((sy + 62))
rep slider-0
drive_path 1 $((sx + 60)) "$slider_y" $((sx + 50)) "$slider_y" $((sx + 40)) "$slider_y"
away
rep slider-lab
got="$(apen slider-0) -> $(apen slider-lab)"
check "the LAB slider darkens the colour" lt "$(luma "$(apen slider-lab)")" "$(luma "$(apen slider-0)")"
drive_xdo keydown ctrl
toggles_swatch slider-lock 1 $((sx + 150)) "$slider_y"
click 3 $((sx + 90)) "$slider_y"
drive_xdo keyup ctrl
away
rep slider-scheme
check "Ctrl+right click: the slider shows the colour scheme" differ "$(digest slider-scheme 100)" "$(digest slider-lab 100)"
click 3 $((sx + 20)) "$slider_y"
away
rep scheme-edited $((sx + 20)) "$slider_y"
scheme_colour=$(apen scheme-edited)
got="$(probe scheme-edited $((sx + 20)) "$slider_y") for $scheme_colour"
check "a right click on the scheme gives its point the current colour" near "$(probe scheme-edited $((sx + 20)) "$slider_y")" "$scheme_colour" 2
# The scheme's other gestures, each seen on the slider (P: a place along it, 0..1).
P() { awk -v p="$1" -v x="$sx" 'BEGIN { printf "%d", x + 2 + p * 177 }'; }
at_places="$(P 0.2) $slider_y $(P 0.6) $slider_y $(P 0.85) $slider_y"
ring 100 102
away
rep c4
c4=$(apen c4)
drive_xdo mousemove "$(P 0.7)" "$slider_y" click --repeat 2 --delay 60 1
away
rep point-added $at_places
got="$(probe point-added $(P 0.85) "$slider_y") for $c4"
check "scheme: a double click adds a point of the current colour" both near "$(probe point-added $(P 0.85) "$slider_y")" "$c4" 2 -- \
  near "$(probe point-added $(P 0.2) "$slider_y")" "$scheme_colour" 2
click 1 "$(P 0.2)" "$slider_y"
away
rep point-taken
got="$(apen point-taken)"; check "scheme: a click on a stretch takes its colour" near "$(apen point-taken)" "$scheme_colour" 2
drive_path 1 "$(P 0.71)" "$slider_y" "$(P 0.65)" "$slider_y" "$(P 0.55)" "$slider_y"
away
rep boundary-moved $at_places
got="$(probe boundary-moved $(P 0.6) "$slider_y")"
check "scheme: a drag at a boundary moves it (and shows at once)" near "$(probe boundary-moved $(P 0.6) "$slider_y")" "$c4" 2
drive_path 3 "$(P 0.1)" "$slider_y" "$(P 0.3)" "$slider_y" "$(P 0.5)" "$slider_y"
away
rep other-slot $at_places
drive_path 3 "$(P 0.5)" "$slider_y" "$(P 0.3)" "$slider_y" "$(P 0.1)" "$slider_y"
away
rep slot-back $at_places
got="$(digest boundary-moved 100) $(digest other-slot 100) $(digest slot-back 100)"
check "scheme: a right drag shows another slot, and back" both differ "$(digest other-slot 100)" "$(digest boundary-moved 100)" -- \
  same "$(grep '^probe' "$DRIVE_WORK/slot-back.txt")" "$(grep '^probe' "$DRIVE_WORK/boundary-moved.txt")"
drive_xdo mousemove "$(P 0.85)" "$slider_y" click --repeat 2 --delay 60 3
away
rep point-deleted $at_places
got="$(probe point-deleted $(P 0.85) "$slider_y")"
check "scheme: a right double click deletes a point" near "$(probe point-deleted $(P 0.85) "$slider_y")" "$scheme_colour" 2
menu 24 Options Slider
rep gradient
check "the menu's A-B gradient slider" differ "$(digest gradient 100)" "$(digest scheme-edited 100)"
menu 25 Options Slider
rep scheme-again
check "the menu's palette slider shows the edited scheme again" same "$(digest scheme-again 100)" "$(digest point-deleted 100)"
ring 200 202  # a colour other than the scheme's for the rest of the tour
away

# ================================================================ the option menu
menu 22
rep no-slider
menu 22
rep slider
got="$(gadget_height no-slider 100) $(gadget_height slider 100)"
check "Show/Hide Value-Slider" lt "$(gadget_height no-slider 100)" "$(gadget_height slider 100)"
menu 25 Options Slider  # the colour scheme on the slider again, for the restart
menu 60 Options "NTSC gamut warning"
rep gamut
menu 60 Options "NTSC gamut warning"
rep no-gamut
check "the NTSC gamut warning hatches the palette, and goes" both differ "$(digest gamut 110)" "$(digest slider 110)" -- \
  same "$(digest no-gamut 110)" "$(digest slider 110)"
menu 50 Options
menu 51 Options
menu 40 Options
rep pressure-question
check "Mouse pressure mode off asks for the sensitivity" grep -q '^question integer ' "$DRIVE_WORK/pressure-question.txt"
key ctrl+a
drive_xdo type 200
key Return
menu 85
rep about
check "About shows its message" grep -q '^message .*7\.5' "$DRIVE_WORK/about.txt"
key Return
# The lightbulb's third mode paints add.
menu 102 Options "Lightbulb button"
click 1 $lamp_corner
away
rep additive
check "Additive-Colorize: the lightbulb's left click paints add" [ "$(value additive drawmode)" = add ]
click 1 $lamp_corner
menu 100 Options "Lightbulb button"

# ================================================================ the vectorscope, inside the work area
menu 23 Options
click 1 $current_swatch
hover 470 400 500 420 4  # the scope follows the colour under the pointer
away
rep scope
scope=$(drive_line scope '$1 == "requester" && $7 == 0 && $5 > 20')
read -r _ _ vx vy vw vh _ <<<"$scope"
got="$scope"; check "the vectorscope opens inside the work area, below the menu bar" \
  both [ -n "$scope" ] -- both [ "${vy:-0}" -gt $((menubar + 10)) ] -- [ "${vx:--1}" -ge 0 ]
shot vectorscope
click 1 $((vx + vw / 2)) $((vy + vh / 2))
rep scope-switched
got="$(digest scope 130) -> $(digest scope-switched 130)"
check "a click on the scope switches its display" both differ "$(digest scope 130)" - -- \
  differ "$(digest scope-switched 130)" "$(digest scope 130)"
key Escape
menu 23 Options
rep scope-off
check "Escape ends the pick and closes the scope" both [ "$(value scope-off canvas-events)" = 0 ] -- no_gadget scope-off 130

# ================================================================ the LAB dialog
click 3 $((pcx + 80)) $((pcy + 80))
away
rep lab
lab=$(drive_line lab '$1 == "requester" && $7 == 1 && $2 != '"$(echo "$panel" | cut -d' ' -f2)")
read -r _ labh lx ly lw lh _ <<<"$lab"
got="$lab"; check "the LAB dialog opens inside the work area" both [ -n "$lab" ] -- [ "${ly:-0}" -gt $((menubar + 10)) ]
field=$(awk '$1 == "gadget" && $3 == 400 { print $4 + 40, $5 + int($7 / 2); exit }' "$DRIVE_WORK/lab.txt")
arrows=$(awk '$1 == "gadget" && $3 == 403 { print $4 + int($6 / 2), $5 + 3; exit }' "$DRIVE_WORK/lab.txt")
click 1 $field
drive_xdo type 90.5
key Return
click 1 $arrows
shot lab-dialog
click 1 $((lx + lw - 9)) $((ly - 10))
away
rep lab-closed
check "the LAB dialog closes from its title bar" eval "! grep -q '^requester ${labh:-x} ' '$DRIVE_WORK/lab-closed.txt'"

# ================================================================ rooms
# Each room keeps its own panel: the FX-brush row hidden in Room-1 shows in
# Room-2 (a room's first visit shows every section) and is hidden again back
# in Room-1.
menu 90
rep no-fx
host_menu Room Room-2
rep room2
check "Room-2: the host's room, with every section of the panel" both [ "$(value room2 room)" = Room-2 ] -- \
  both has_gadget room2 151 -- has_gadget room2 110
host_menu Room Room-1
rep room1
check "Show/Hide FXBrush Section hides the row, and Room-1 keeps it hidden" both no_gadget no-fx 151 -- \
  both [ "$(value room1 room)" = Room-1 ] -- no_gadget room1 151
menu 90
rep fx
check "Show/Hide FXBrush Section shows the row again" has_gadget fx 151

# ================================================================ the brush size lock
rep size-before-lock
size0=$(setting size-before-lock size)
key k
read -r zx zy <<<"$(C 400 300)"
click 4 "$zx" "$zy"
sweep() { drive_path 0 $(for i in $(seq 1 "$1"); do echo $((zx + (i % 2) * 110)) "$zy"; done); }
sweep 12  # the first measurement after "k" only starts the count
key K     # the size before the zoom is the reference
sweep 12
rep zoomed
got="zoom $(value zoomed zoom): size $size0 -> $(setting zoomed size)"
check "k: zoomed in, the locked brush shrinks on the canvas (to 80 %)" \
  between "$(setting zoomed size)" "$(awk -v s="$size0" 'BEGIN { print s * 0.8 - 0.02 }')" "$(awk -v s="$size0" 'BEGIN { print s * 0.8 + 0.02 }')"
click 5 "$zx" "$zy"
sweep 24
rep unzoomed
got="$(setting unzoomed size) for $size0"
check "k: zoomed back, the brush is its old size" between "$(setting unzoomed size)" "$(awk -v s="$size0" 'BEGIN { print s - 0.02 }')" "$(awk -v s="$size0" 'BEGIN { print s + 0.02 }')"
key k
away

# ================================================================ t
key t
rep t-closed
key t
rep t-open
check "t closes the panel and opens it again" both no_gadget t-closed 110 -- has_gadget t-open 110

# ================================================================ quit, and start again
if [ -n "$shots" ]; then  # the end of the host's dialogue with the plug-in, for reading
  drive_send "log $shots/desktop-dialogue.txt" && echo "dialogue: $shots/desktop-dialogue.txt"
fi
rep before-quit $((sx + 20)) "$slider_y" $((sx + 100)) "$slider_y" $((sx + 170)) "$slider_y"
check "no host protocol fault" [ "$(value before-quit faults)" = 0 ]
drive_xdo key ctrl+q
tries=100
while kill -0 "$DRIVE_PID" 2>/dev/null && [ "$tries" -gt 0 ]; do sleep 0.1; tries=$((tries - 1)); done
wait "$DRIVE_PID"
check "Ctrl+Q quits cleanly" [ $? = 0 ]
DRIVE_PID=""
ini="$home/user-settings.ini"
ini_value() { awk -v s="[$1]" -v k="$2" '$0 == s { in_s = 1; next } /^\[/ { in_s = 0 } in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }' "$ini"; }
got="$(ini_value Main apen) / $(ini_value Main bpen)"
check "the host kept its A and B pens" both same "$(ini_value Main apen)" "$(apen before-quit)" -- same "$(ini_value Main bpen)" "$(bpen before-quit)"
got="$(ini_value Tintwell mousemode) $(ini_value Tintwell scropXYZ) $(ini_value Tintwell agautosample) $(ini_value Tintwell lab_ref_x)"
check "the settings: pressure 200, XYZ picker off, aggressive autosample on, LAB white X 90.5" \
  [ "$got" = "200 0 1 90.500000" ]
# The scheme's first point as the file holds it: alpha, red, green, blue in one number.
point=$(awk -F= '$1 == "csP_0" { split($2, v, " "); n = v[1]; printf "%d %d %d", int(n / 65536) % 256, int(n / 256) % 256, n % 256; exit }' \
  "$home/ColourScheme.cfg" 2>/dev/null)
got="$point for $scheme_colour"; check "the colour scheme file holds the edited point" same "$point" "$scheme_colour"
drive_start "$program" "$plugin" "$home" --size 1024x700 --loc english || exit 1
rep restarted $((sx + 20)) "$slider_y" $((sx + 100)) "$slider_y" $((sx + 170)) "$slider_y"
check "after a restart both pens are back" both same "$(apen restarted)" "$(apen before-quit)" -- same "$(bpen restarted)" "$(bpen before-quit)"
got="$(grep '^probe' "$DRIVE_WORK/restarted.txt" | tr '\n' ' ')"
check "after a restart the edited colour scheme is back on the slider" both \
  same "$(grep '^probe' "$DRIVE_WORK/restarted.txt")" "$(grep '^probe' "$DRIVE_WORK/before-quit.txt")" -- \
  near "$(probe restarted $((sx + 20)) "$slider_y")" "$scheme_colour" 2
shot restarted

echo "$checks checks, $failures failed"
finish
trap - EXIT
[ "$failures" -eq 0 ]
