#!/usr/bin/env bash
# A tour of the desktop host as a painter takes it, under Xvfb with real
# pointer and key events (xdotool): every shortcut letter and every part of
# the panel, each checked by what a person would see: canvas pixels that
# must change and pixels that must not, the pens, the tool's settings, the
# host's windows, and the settings and colour-scheme files across a restart.
# The checks run in order on one canvas; a failed one prints what it compared.
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
DRIVE_REST=0.05  # every step ends in a report, which waits for the program to have seen it
DRIVE_STEP=0.005
home="$DRIVE_WORK/home"
failures=0
checks=0
check() {  # check DESCRIPTION COMMAND...: in a subshell, so a check that breaks counts as failed
  checks=$((checks + 1))
  if ("${@:2}"); then echo "ok: $1"; else echo "FAILED: $1 (checked: ${*:2})"; failures=$((failures + 1)); fi
}
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
finish() {
  drive_stop
  [ "$DRIVE_STATUS" -eq 0 ] || fail "the program exited with status $DRIVE_STATUS"
  if [ -z "${KEEP_DESKTOP_TEST:-}" ]; then rm -rf "$DRIVE_WORK"; else echo "work folder: $DRIVE_WORK"; fi
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

# ---- reports: rep NAME [X Y]... writes NAME.txt; look is the same with the pointer away
rep() { drive_report "$@" || exit 1; }
look() { away; rep "$@"; }
rep_until() {  # rep_until NAME PATTERN: report until a line matches (a menu takes a frame or two)
  local tries=60
  rep "$1"
  while ! grep -q "$2" "$DRIVE_WORK/$1.txt" && [ $((tries -= 1)) -gt 0 ]; do sleep 0.05; rep "$1"; done
}
field() { awk -v k="$2" -v n="${3:-2}" '$1 == k { print $n; exit }' "$DRIVE_WORK/$1.txt"; }
apen() { awk '$1 == "apen" { print $2, $3, $4; exit }' "$DRIVE_WORK/$1.txt"; }
bpen() { awk '$1 == "bpen" { print $2, $3, $4; exit }' "$DRIVE_WORK/$1.txt"; }
probe() { awk -v x="$2" -v y="$3" '$1 == "probe" && $2 == x && $3 == y { print $4, $5, $6; exit }' "$DRIVE_WORK/$1.txt"; }
probes() { grep '^probe' "$DRIVE_WORK/$1.txt"; }
setting() { awk -v k="$2" '$1 == "tool-setting" && $2 == k { print $3; exit }' "$DRIVE_WORK/$1.txt"; }
digest() { awk -v id="$2" '$1 == "gadget" && $3 == id { print $9; exit }' "$DRIVE_WORK/$1.txt"; }
height() { awk -v id="$2" '$1 == "gadget" && $3 == id { print $7; exit }' "$DRIVE_WORK/$1.txt"; }
has_gadget() { grep -q "^gadget [0-9]* $2 " "$DRIVE_WORK/$1.txt"; }
no_gadget() { ! has_gadget "$@"; }
widget() { awk -v n="$2" '$1 == "widget" && $2 == n { print $3 + int($5 / 2), $4 + int($6 / 2); exit }' "$DRIVE_WORK/$1.txt"; }
slider_at() {  # slider_at REPORT NAME FRACTION: a place on a layers-window slider (its frame is 120 wide)
  awk -v n="$2" -v f="$3" '$1 == "widget" && $2 == n { print $3 + int(120 * f), $4 + int($6 / 2); exit }' "$DRIVE_WORK/$1.txt"
}

# ---- comparisons; colours are "R G B" texts
hue() {  # the CIE LCh hue in degrees (the panel's hue), -1 for a grey
  awk -v c="$1" 'function lin(v) { v /= 255; return v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ^ 2.4 }
    function f(t) { return t > 0.008856 ? t ^ (1 / 3) : 7.787 * t + 16 / 116 }
    BEGIN { split(c, p); r = lin(p[1]); g = lin(p[2]); b = lin(p[3]); y = f(0.2126 * r + 0.7152 * g + 0.0722 * b)
      A = 500 * (f((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047) - y); B = 200 * (y - f((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883))
      if (A * A + B * B < 9) { print -1; exit } h = atan2(B, A) * 180 / 3.14159265; printf "%d\n", h < 0 ? h + 360 : h }'
}
near_hue() {  # near_hue "R G B" "R G B" DEGREES
  awk -v a="$(hue "$1")" -v b="$(hue "$2")" -v t="$3" 'BEGIN { d = a - b; if (d < 0) d = -d; if (d > 180) d = 360 - d
    exit !(a >= 0 && b >= 0 && d <= t) }'
}
far_hue() { ! near_hue "$@"; }
luma() { awk -v c="$1" 'BEGIN { split(c, p); printf "%d\n", 0.299 * p[1] + 0.587 * p[2] + 0.114 * p[3] }'; }
dist() { awk -v a="$1" -v b="$2" 'BEGIN { split(a, p); split(b, q); for (i = 1; i <= 3; i++) s += (p[i] - q[i]) ^ 2; printf "%d\n", sqrt(s) }'; }
near() { [ -n "$1" ] && [ -n "$2" ] && [ "$(dist "$1" "$2")" -le "$3" ]; }  # near "R G B" "R G B" TOLERANCE
same() { [ -n "$1" ] && [ "$1" = "$2" ]; }
differ() { [ -n "$1" ] && [ -n "$2" ] && [ "$1" != "$2" ]; }
lt() { [ -n "$1" ] && [ -n "$2" ] && [ "$1" -lt "$2" ]; }
between() { awk -v v="$1" -v a="$2" -v b="$3" 'BEGIN { exit !(v != "" && v >= a && v <= b) }'; }
grey() { for c in "$@"; do awk -v c="$c" 'BEGIN { split(c, p); exit !(c != "" && (p[1] - p[2]) ^ 2 <= 9 && (p[2] - p[3]) ^ 2 <= 9) }' || return 1; done; }
both() {  # both CHECK ARGS... -- CHECK ARGS...
  local first=()
  while [ "$1" != -- ]; do first+=("$1"); shift; done
  "${first[@]}" && "${@:2}"
}

# ---- pointer and keys
away() { drive_xdo mousemove 990 300; }  # over the layers window: no canvas event, no brush outline
key() { drive_xdo key "$@"; }
# A click: the pointer rests a frame before the button goes down, as a hand
# brings it (Dear ImGui takes hover and press from whole frames).
click() { drive_xdo mousemove "$2" "$3" sleep 0.05 mousedown "$1" sleep 0.03 mouseup "$1"; }  # click BUTTON X Y
ctrl_click() { drive_xdo keydown ctrl; click "$@"; drive_xdo keyup ctrl; }
C() { echo $((ox + $1)) $((oy + $2)); }  # canvas pixel to window pixel (zoom 1)
line() {  # line X0 Y0 X1 Y1 STEPS: window points along a line
  awk -v a="$1" -v b="$2" -v c="$3" -v d="$4" -v n="$5" 'BEGIN { for (i = 0; i <= n; i++) printf "%d %d ", a + (c - a) * i / n, b + (d - b) * i / n }'
}
stroke() { drive_path 1 $(line $(C "$1" "$2") $(C "$3" "$4") "$5"); }  # on the canvas, in canvas pixels
hover() { drive_path 0 $(line $(C "$1" "$2") $(C "$3" "$4") "$5"); }
ring() {  # a drag on the hue ring from angle A0 to A1 (degrees, counter-clockwise from the right)
  drive_path 1 $(awk -v a="$1" -v b="$2" -v cx="$pcx" -v cy="$pcy" 'BEGIN { for (i = 0; i <= 3; i++) {
    t = (a + (b - a) * i / 3) * 3.14159265 / 180; printf "%d %d ", cx + 75 * cos(t), cy - 75 * sin(t) } }')
}
menu() {  # menu ID [SUBMENU...]: the option menu (right click on the B swatch), its submenus, the item
  local id=$1 entry="" item="" try
  for try in 1 2; do  # a busy machine may take a while to show a menu: once more after Escape
    entry="" item=""
    click 3 $((sx + 40)) $((sy + 10))
    for sub in "${@:2}"; do
      rep_until menu "^menu-submenu .* $sub\$"
      entry=$(awk -v s="$sub" '$1 == "menu-submenu" { l = $6; for (i = 7; i <= NF; i++) l = l " " $i
        if (l == s) { print $2 + 20, $3 + int($5 / 2); exit } }' "$DRIVE_WORK/menu.txt")
      [ -n "$entry" ] || break
      drive_xdo mousemove $entry
    done
    rep_until menu "^menu-item $id "
    item=$(awk -v id="$id" '$1 == "menu-item" && $2 == id { print $3 + 20, $4 + int($6 / 2); exit }' "$DRIVE_WORK/menu.txt")
    [ -n "$item" ] && break
    key Escape
    away
  done
  [ -n "$item" ] || { fail "no item $id in the option menu"; return 1; }
  [ -n "$entry" ] && drive_xdo mousemove "${item% *}" "${entry#* }"  # along the submenu's row first
  drive_xdo mousemove $item
  [ -n "${menu_shot:-}" ] && shot "$menu_shot" && menu_shot=""
  click 1 $item
  away
}
host_menu() {  # host_menu MENU ITEM: the host's menu bar
  click 1 $(widget ready "menu/$1")
  rep_until hostmenu "^widget $1/$2 "
  local at
  at=$(widget hostmenu "$1/$2")
  [ -n "$at" ] || { fail "no item $2 in the host's $1 menu"; key Escape; return 1; }
  click 1 $at
  away
}

# ================================================================ start
drive_start_x 1024x700 || exit 1
drive_start "$program" "$plugin" "$home" --size 1024x700 --loc english || exit 1
panel=$(drive_line ready '$1 == "requester" && $7 == 1')
read -r _ _ _ sx sy _ <<<"$(drive_line ready '$1 == "gadget" && $3 == 100')"
read -r _ _ _ px py _ <<<"$(drive_line ready '$1 == "gadget" && $3 == 110')"
gadget_at() { drive_line ready "\$1 == \"gadget\" && \$3 == $1" | awk '{ print $4 + int($6 / 2), $5 + int($7 / 2) }'; }
lamp=$(gadget_at 150) dirt=$(gadget_at 151) load=$(gadget_at 152) rot=$(gadget_at 153)
read -r ox oy < <(awk '$1 == "project-origin" { print $2, $3 }' "$DRIVE_WORK/ready.txt")
if [ -z "$panel" ] || [ -z "$px" ] || [ -z "$lamp" ] || [ -z "$ox" ]; then
  fail "the panel with its palette and FX-brush row is not shown"
  exit 1
fi
pcx=$((px + 92)) pcy=$((py + 94))  # the picker's centre
current_swatch="$((sx + 136)) $((sy + 21))"
base_swatch="$((sx + 40)) $((sy + 36))"
lamp_corner="$((pcx + 74)) $((pcy - 76))"
single_box="$((pcx + 80)) $((pcy + 70))"
menubar=$(field ready canvas 3)
shot start

# ================================================================ autosample on one layer
# The square's bright corner, then the ring; the single-layer box on, then
# the hue's autosample (right click on the ring).
drive_path 1 $((pcx + 38)) $((pcy - 38)) $((pcx + 41)) $((pcy - 41))
ring 0 2
look c1
p1=$(apen c1)
check "the square and ring set a colour" differ "$p1" "0 0 0"
click 1 $single_box
rep single
check "the single-layer box shows it is on" differ "$(digest single 110)" "$(digest c1 110)"
click 3 $((pcx + 75)) "$pcy"
look auto
check "right click on the ring: autosample's dotted ring shows" differ "$(digest auto 110)" "$(digest single 110)"
# Over the teal disc, on another layer: the current layer (Ink) is empty there.
hover 280 346 360 346 16
look over-disc
check "single layer: the teal disc on another layer is not sampled" near_hue "$(apen over-disc)" "$p1" 12
# A stroke, another colour on the ring, the pointer along the stroke: the
# hue comes back from what was just painted.
stroke 380 205 560 205 18
ring 135 137
look c2
check "the ring chose a different hue" far_hue "$p1" "$(apen c2)" 60
hover 390 205 480 205 18
look sampled1 $current_swatch
check "autosample (single layer) takes the hue just painted" near_hue "$(apen sampled1)" "$p1" 12
check "the current swatch still shows the panel's colour" near "$(probe sampled1 $current_swatch)" "$(apen c2)" 2
shot autosample-single-layer
key r
rep refreshed $current_swatch $base_swatch
check "r: the current and base swatches show the A pen" both near "$(probe refreshed $current_swatch)" "$(apen refreshed)" 2 -- \
  near "$(probe refreshed $base_swatch)" "$(apen refreshed)" 2

# ================================================================ autosample on all layers
click 1 $single_box  # off
ring 270 272
# From the panel straight to the stroke's start: the first canvas event
# looks two steps ahead, off the canvas, so the pen keeps the ring's colour.
rep c3
stroke 60 440 200 440 14
away
hover 66 440 150 440 21
look sampled2
check "autosample (all layers) takes the hue just painted" near_hue "$(apen sampled2)" "$(apen c3)" 12
hover 280 346 360 346 20
look sampled3
check "autosample (all layers) takes the teal disc's hue" near_hue "$(apen sampled3)" "40 128 132" 12
shot autosample-all-layers
click 3 $((pcx + 75)) "$pcy"  # autosample off

# ================================================================ R: the brush size
key R
rep r-on
check "R: the brush-size mode takes the canvas" [ "$(field r-on canvas-events)" = 1 ]
read -r bx by <<<"$(C 450 330)"
drive_xdo mousemove "$bx" "$by" mousedown 1
drive_path 0 $(line "$bx" "$by" $((bx + 30)) "$by" 6)
shot brush-size-circle
drive_xdo mouseup 1
look r-done
check "R: the release sets the size to the circle's radius, and ends" both between "$(setting r-done size)" 28 33 -- \
  [ "$(field r-done canvas-events)" = 0 ]
stroke 430 110 560 110 10
look wide "$(C 500 90)"
check "R: the wider brush paints 20 pixels off the stroke's line" same "$(probe wide $(C 500 90))" "$(apen wide)"
key R
drive_path 1 "$bx" "$by" $((bx + 3)) "$by" $((bx + 6)) "$by"
look r-small
check "R: a short drag makes the brush small again" between "$(setting r-small size)" 5 8

# ================================================================ Smart Fill
key T
read -r fx fy <<<"$(C 330 330)"
inside="$fx $fy" near_line="$(C 345 330)" on_line="$(C 370 330)" outside="$(C 395 330)"
rep fill-before $inside $near_line $on_line $outside
loop=$(awk -v cx="$fx" -v cy="$fy" 'BEGIN { for (i = 0; i <= 26; i++) { t = i * 6.2831853 / 24; printf "%d %d ", cx + 40 * cos(t), cy + 40 * sin(t) } }')
drive_path 1 $loop
rep fill-loop $on_line
check "Smart Fill: the loop is painted" same "$(probe fill-loop $on_line)" "$(apen fill-loop)"
shot smart-fill-loop
click 1 $inside
look filled $inside $near_line $on_line $outside
check "Smart Fill: the click inside fills the loop up to the line" both same "$(probe filled $inside)" "$(apen filled)" -- \
  same "$(probe filled $near_line)" "$(apen filled)"
check "Smart Fill: outside the loop is left alone, the line trimmed away" \
  both same "$(probe filled $outside)" "$(probe fill-before $outside)" -- same "$(probe filled $on_line)" "$(probe fill-before $on_line)"
check "Smart Fill: one undo step, the freehand line the shape again" \
  both [ "$(field filled undo-steps)" = $(($(field fill-before undo-steps) + 1)) ] -- [ "$(field filled shape)" = freehandline ]
shot smart-fill-filled
key ctrl+z
rep fill-undone $inside
check "Smart Fill: Ctrl+Z takes the fill back" same "$(probe fill-undone $inside)" "$(probe fill-before $inside)"
key u
drive_path 1 $loop
click 1 $inside
look nofill $inside $on_line
check "u: Smart Fill off, the click fills nothing and the loop stays" both same "$(probe nofill $inside)" "$(probe fill-before $inside)" -- \
  same "$(probe nofill $on_line)" "$(apen nofill)"
key U
click 1 $inside
look refill $inside
check "U: Smart Fill on, the click fills" same "$(probe refill $inside)" "$(apen refill)"
key ctrl+z
key u

# ================================================================ d and l, and the lightbulb
click 1 $(widget ready layer-2)
look colours-layer
check "the layers window makes Colours the current layer" grep -q '^layer 2 1 1 ' "$DRIVE_WORK/colours-layer.txt"
drive_path 1 $((pcx - 42)) "$pcy" $((pcx - 43)) "$pcy"  # a mid grey from the square's left edge
dark="$(C 150 172)" light="$(C 522 172)"  # the grey strip at 20 % and 85 %
look grey $dark $light
d0=$(probe grey $dark) l0=$(probe grey $light)
check "a grey between the strip's dark and light ends" between "$(luma "$(apen grey)")" $(($(luma "$d0") + 1)) $(($(luma "$l0") - 1))
passes() {  # passes NAME [SHOT]: "d" then "l", each checked and undone
  key d
  rep "d-$1" $dark $light
  [ -n "${2:-}" ] && shot "$2"
  check "d ($1): the light end darkens, the dark end stays" both lt "$(luma "$(probe "d-$1" $light)")" "$(luma "$l0")" -- \
    same "$(probe "d-$1" $dark)" "$d0"
  key ctrl+z
  key l
  rep "l-$1" $dark $light
  check "l ($1): the dark end lightens, the light end stays" both lt "$(luma "$d0")" "$(luma "$(probe "l-$1" $dark)")" -- \
    same "$(probe "l-$1" $light)" "$l0"
  key ctrl+z
}
passes lightbulb-off
click 1 $lamp_corner
look bulb-lighten
check "the lightbulb's left click: the host paints lighten" [ "$(field bulb-lighten drawmode)" = lighten ]
passes lightbulb-lighten darken-with-the-lightbulb-on-lighten
click 3 $lamp_corner  # off (the host was in a lighten mode)
click 3 $lamp_corner  # darken
look bulb-darken
check "the lightbulb's right click: the host paints darken" [ "$(field bulb-darken drawmode)" = darken ]
passes lightbulb-darken
click 3 $lamp_corner
look bulb-off
check "the lightbulb's click on the lit side: colour again" [ "$(field bulb-off drawmode)" = color ]
# Ctrl+click: the draw mode follows the colour, darken for darker, lighten for lighter.
ctrl_click 1 $lamp_corner
drive_path 1 $((pcx - 10)) "$pcy" $((pcx - 10)) $((pcy + 15)) $((pcx - 10)) $((pcy + 30))
look auto-darker
drive_path 1 $((pcx - 10)) $((pcy - 20)) $((pcx - 10)) $((pcy - 35))
look auto-lighter
check "Ctrl on the lightbulb: a darker colour paints darken, a lighter one lighten" \
  both [ "$(field auto-darker drawmode)" = darken ] -- [ "$(field auto-lighter drawmode)" = lighten ]
click 1 $lamp_corner
look auto-off
check "the lightbulb's click ends the automatic mode" [ "$(field auto-off drawmode)" = color ]
drive_path 1 $((pcx - 42)) "$pcy" $((pcx - 43)) "$pcy"  # the mid grey again

# ================================================================ the lamp: CIE lighten paints only lighter
menu_shot=option-menu-cie-lightbulb
menu 101 Options "Lightbulb button"
click 1 $lamp_corner
look cie-on
check "CIE lighten: the host paints merge, the lamp lights" both [ "$(field cie-on drawmode)" = merge ] -- \
  differ "$(digest cie-on 150)" "$(digest bulb-off 150)"
stroke 140 172 570 172 25
look cie-stroke $dark $light
check "CIE lighten: the stroke lightens the dark end and leaves the light end" \
  both lt "$(luma "$d0")" "$(luma "$(probe cie-stroke $dark)")" -- same "$(probe cie-stroke $light)" "$l0"
shot lamp-lighter-strokes
click 1 $lamp_corner
stroke 140 150 570 150 25
look plain "$(C 150 150)" "$(C 522 150)"
check "CIE lighten off: colour, and strokes plain again" both [ "$(field plain drawmode)" = color ] -- \
  both same "$(probe plain $(C 150 150))" "$(apen plain)" -- same "$(probe plain $(C 522 150))" "$(apen plain)"

# ================================================================ the lamp button: the FX stack's paint
click 1 $lamp
look lamp-on "$(C 150 150)"
check "lamp button: merge, and the painter's last stroke stays" both [ "$(field lamp-on drawmode)" = merge ] -- \
  both [ "$(field lamp-on undo-steps)" = "$(field plain undo-steps)" ] -- same "$(probe lamp-on $(C 150 150))" "$(apen plain)"
stroke 140 60 560 60 25
look lamp-stroke "$(C 200 60)" "$(C 450 60)"
check "lamp button: the stroke paints the FX stack's grey" grey "$(probe lamp-stroke $(C 200 60))" "$(probe lamp-stroke $(C 450 60))"
shot lamp-button-fx-stack
click 3 $lamp
look lamp-lime
check "lamp button: a right click renews on every change (lime)" differ "$(digest lamp-lime 150)" "$(digest lamp-stroke 150)"
click 1 $lamp
look lamp-off
check "lamp button off: colour, the lamp dark" both [ "$(field lamp-off drawmode)" = color ] -- \
  same "$(digest lamp-off 150)" "$(digest bulb-off 150)"

# ================================================================ Load, Rot, Dirt
click 1 $load
away
stroke 40 462 600 462 18
paper_at="$(C 580 475)"
look loaded "$(C 60 462)" "$(C 580 462)" $paper_at
paper=$(probe loaded $paper_at)
check "Load: the stroke starts with full paint" near "$(probe loaded $(C 60 462))" "$(apen loaded)" 12
check "Load: the paint runs out along the stroke" lt "$(dist "$(probe loaded $(C 580 462))" "$paper")" $(($(dist "$(apen loaded)" "$paper") / 2))
shot load
hover 300 250 300 320 70
look reloaded
check "Load: between strokes the paint comes back" both lt "$(setting loaded power)" 60 -- [ "$(setting reloaded power)" = 100 ]
click 1 $load
# Rot: a flat brush (aspect), turned by the pointer's way between strokes.
click 1 $(slider_at loaded brush-aspect 0.2)
look flat
check "the layers window flattens the brush" between "$(setting flat aspect)" 5 40
click 1 $rot
drive_path 0 $(C 140 300) $(C 140 240) $(C 140 222)
rep rot-up
drive_path 1 $(line $(C 140 222) $(C 240 222) 10)
drive_path 0 $(C 200 240) $(C 260 240) $(C 260 222)
rep rot-right
drive_path 1 $(line $(C 260 222) $(C 360 222) 10)
look rotated "$(C 190 218)" "$(C 310 218)" "$(C 310 222)" $paper_at
check "Rot: an upward move turns the brush upright, one to the right flat" \
  both [ "$(setting rot-up angle)" = 90 ] -- [ "$(setting rot-right angle)" = 180 ]
check "Rot: the upright brush paints a tall stroke, the flat one a thin one" \
  both same "$(probe rotated $(C 190 218))" "$(apen rotated)" -- \
  both same "$(probe rotated $(C 310 218))" "$(probe rotated $paper_at)" -- same "$(probe rotated $(C 310 222))" "$(apen rotated)"
shot rot
click 1 $rot
click 1 $(slider_at loaded brush-aspect 0.98)
click 1 $dirt
rep dirt-before
red="196 62 48"
stroke 150 330 30 330 15  # out of the red disc
look dirt-after
check "Dirt: the brush picks up the red it crosses" lt "$(dist "$(apen dirt-after)" "$red")" "$(dist "$(apen dirt-before)" "$red")"
shot dirt
click 1 $dirt
look dirt-off
check "Dirt off: the pen is the panel's colour again" same "$(apen dirt-off)" "$(apen dirt-before)"

# ================================================================ re-stroke
stroke 140 195 360 195 12
look painted
drive_xdo keydown ctrl
ring 45 47
drive_xdo keyup ctrl
look restroked "$(C 250 195)"
check "re-stroke: Ctrl on the ring repaints the last stroke in the new colour, one step" \
  both same "$(probe restroked $(C 250 195))" "$(apen restroked)" -- \
  both differ "$(apen restroked)" "$(apen painted)" -- [ "$(field restroked undo-steps)" = "$(field painted undo-steps)" ]

# ================================================================ picking from the canvas
rep notes-before
ctrl_click 1 $current_swatch  # the host has no colour bins for it, and says so
look notes-after
check "Ctrl+click on the current swatch: the host says it keeps no colour bins" \
  [ "$(field notes-after notes)" = $(($(field notes-before notes) + 1)) ]
yellow_at="$(C 499 317)"
read -r yx yy <<<"$yellow_at"
rep before-pick $yellow_at
yellow=$(probe before-pick $yellow_at)
click 1 $current_swatch
rep pick-on
drive_xdo mousemove $yellow_at mousedown 1
drive_path 0 $(line $yellow_at $((yx + 12)) $((yy + 12)) 12)
shot pick-mode
drive_xdo mouseup 1
look picked
check "pick: the current swatch starts it, dragging over the yellow mixes yellow in, lifting ends it" \
  both [ "$(field pick-on canvas-events)" = 1 ] -- \
  both lt "$(dist "$(apen picked)" "$yellow")" "$(dist "$(apen pick-on)" "$yellow")" -- [ "$(field picked canvas-events)" = 0 ]
key s
rep s-on
key s
rep s-off
check "s: the pick mode starts and ends" both [ "$(field s-on canvas-events)" = 1 ] -- [ "$(field s-off canvas-events)" = 0 ]

# ================================================================ the brush mode
key S
drive_path 0 $yellow_at $((yx + 1)) "$yy"
rep brush-mode
check "S: the canvas colour under the control becomes the A pen" near "$(apen brush-mode)" "$yellow" 3
shot brush-mode
drive_path 1 $((yx + 31)) "$yy" $((yx + 30)) $((yy + 8)) $((yx + 28)) $((yy + 16))
rep brush-drag
key Escape
look brush-off
check "S: a drag on the control's disc changes the colour; Escape ends" \
  both differ "$(apen brush-drag)" "$(apen brush-mode)" -- [ "$(field brush-off canvas-events)" = 0 ]

# ================================================================ pens and swatches
key x
rep swapped
click 1 $((pcx - 74)) $((pcy - 76))
look swapped-back
check "x swaps the A and B pens, the swap corner swaps them back" \
  both same "$(apen swapped) $(bpen swapped)" "$(bpen brush-off) $(apen brush-off)" -- \
  same "$(apen swapped-back) $(bpen swapped-back)" "$(apen brush-off) $(bpen brush-off)"
drive_path 1 $((sx + 30)) $((sy + 10)) $((sx + 34)) $((sy + 12)) $((sx + 38)) $((sy + 10)) $((sx + 42)) $((sy + 12))
look b-mixed
check "a drag on the B swatch mixes B into the colour" \
  lt "$(dist "$(apen b-mixed)" "$(bpen b-mixed)")" "$(dist "$(apen swapped-back)" "$(bpen b-mixed)")"
drive_xdo keydown ctrl
click 1 $((sx + 40)) $((sy + 10))
click 1 $base_swatch
drive_xdo keyup ctrl
look stored $base_swatch
check "Ctrl+click on the B and base swatches: they take the A colour" both same "$(bpen stored)" "$(apen stored)" -- \
  near "$(probe stored $base_swatch)" "$(apen stored)" 2

# ================================================================ the palette's bars and boxes
drive_path 1 $((pcx - 52)) "$pcy" $((pcx - 52)) $((pcy + 10)) $((pcx - 52)) $((pcy + 20))
look sat-bar
drive_path 1 "$pcx" $((pcy - 52)) $((pcx + 10)) $((pcy - 52)) $((pcx + 20)) $((pcy - 52))
look value-bar
check "a drag on the saturation bar changes the colour, one on the value bar darkens it" \
  both differ "$(apen sat-bar)" "$(apen stored)" -- lt "$(luma "$(apen value-bar)")" "$(luma "$(apen sat-bar)")"
last=value-bar
toggles() {  # toggles NAME ID BUTTON X Y: gadget ID shows the change, and the same click takes it back
  click "$3" "$4" "$5"
  rep "$1-on"
  click "$3" "$4" "$5"
  look "$1-off"
  check "$1: the panel shows it on, and off again" both differ "$(digest "$1-on" "$2")" "$(digest "$last" "$2")" -- \
    differ "$(digest "$1-off" "$2")" "$(digest "$1-on" "$2")"
  last="$1-off"
}
toggles dynamic-ring-box 110 1 $((pcx - 80)) $((pcy + 70))
toggles cie-ring 110 3 $((pcx - 80)) $((pcy + 70))
toggles background-box 110 1 $((pcx - 80)) $((pcy + 80))
toggles cie-box 110 1 $((pcx + 80)) $((pcy + 80))
toggles freeze 110 3 $single_box
toggles autosample-saturation 110 3 $((pcx - 52)) "$pcy"
toggles autosample-value 110 3 "$pcx" $((pcy - 52))
toggles autosample-all 110 3 $((pcx - 74)) $((pcy - 76))

# ================================================================ the value slider and a colour scheme
slider_y=$((sy + 62))
P() { awk -v p="$1" -v x="$sx" 'BEGIN { printf "%d", x + 2 + p * 177 }'; }  # a place along the slider, 0..1
rep slider-0
drive_path 1 $((sx + 60)) "$slider_y" $((sx + 50)) "$slider_y" $((sx + 40)) "$slider_y"
look slider-lab
check "the LAB slider darkens the colour" lt "$(luma "$(apen slider-lab)")" "$(luma "$(apen slider-0)")"
last=slider-lab
drive_xdo keydown ctrl
toggles slider-lock 100 1 $((sx + 150)) "$slider_y"
click 3 $((sx + 90)) "$slider_y"
drive_xdo keyup ctrl
look slider-scheme
check "Ctrl+right click: the slider shows the colour scheme" differ "$(digest slider-scheme 100)" "$(digest slider-lab 100)"
click 3 "$(P 0.1)" "$slider_y"
look scheme-edited "$(P 0.1)" "$slider_y"
scheme_colour=$(apen scheme-edited)
check "a right click on the scheme gives its point the current colour" near "$(probe scheme-edited "$(P 0.1)" "$slider_y")" "$scheme_colour" 2
places="$(P 0.2) $slider_y $(P 0.6) $slider_y $(P 0.85) $slider_y"
apart() { sleep 0.35; }  # presses on the scheme closer than 300 ms make a double click
ring 100 102
look c4
c4=$(apen c4)
drive_xdo mousemove "$(P 0.7)" "$slider_y" click --repeat 2 --delay 15 1
look point-added $places
check "scheme: a double click adds a point of the current colour" both near "$(probe point-added "$(P 0.85)" "$slider_y")" "$c4" 2 -- \
  near "$(probe point-added "$(P 0.2)" "$slider_y")" "$scheme_colour" 2
apart
click 1 "$(P 0.2)" "$slider_y"
look point-taken
check "scheme: a click on a stretch takes its colour" near "$(apen point-taken)" "$scheme_colour" 2
apart
drive_path 1 "$(P 0.71)" "$slider_y" "$(P 0.65)" "$slider_y" "$(P 0.55)" "$slider_y"
look boundary-moved $places
check "scheme: a drag at a boundary moves it (and shows at once)" near "$(probe boundary-moved "$(P 0.6)" "$slider_y")" "$c4" 2
apart
drive_path 3 "$(P 0.1)" "$slider_y" "$(P 0.3)" "$slider_y" "$(P 0.5)" "$slider_y"
look other-slot $places
apart
drive_path 3 "$(P 0.5)" "$slider_y" "$(P 0.3)" "$slider_y" "$(P 0.1)" "$slider_y"
look slot-back $places
check "scheme: a right drag shows another slot, and back" both differ "$(digest other-slot 100)" "$(digest boundary-moved 100)" -- \
  same "$(probes slot-back)" "$(probes boundary-moved)"
apart
drive_xdo mousemove "$(P 0.85)" "$slider_y" click --repeat 2 --delay 15 3
look point-deleted $places
check "scheme: a right double click deletes a point" near "$(probe point-deleted "$(P 0.85)" "$slider_y")" "$scheme_colour" 2
menu 24 Options Slider
rep gradient
menu 25 Options Slider
rep scheme-again
check "the menu's slider modes: the A-B gradient, then the edited scheme again" \
  both differ "$(digest gradient 100)" "$(digest point-deleted 100)" -- same "$(digest scheme-again 100)" "$(digest point-deleted 100)"
ring 200 202  # a colour other than the scheme's for the rest of the tour

# ================================================================ the option menu
menu 22
rep no-slider
menu 22
rep slider
check "Show/Hide Value-Slider" lt "$(height no-slider 100)" "$(height slider 100)"
menu 25 Options Slider  # the colour scheme on the slider again, for the restart
menu 60 Options "NTSC gamut warning"
rep gamut
menu 60 Options "NTSC gamut warning"
rep no-gamut
check "the NTSC gamut warning hatches the palette, and goes" both differ "$(digest gamut 110)" "$(digest slider 110)" -- \
  same "$(digest no-gamut 110)" "$(digest slider 110)"
menu 50 Options  # the XYZ picker off and aggressive autosample on: seen in the settings file at the end
menu 51 Options
menu 40 Options
rep_until pressure-question '^question integer '
check "Mouse pressure mode off asks for the sensitivity" grep -q '^question integer ' "$DRIVE_WORK/pressure-question.txt"
key ctrl+a
drive_xdo type 200
key Return
menu 85
rep about
check "About shows its message" grep -q '^message .*7\.5' "$DRIVE_WORK/about.txt"
key Return
menu 102 Options "Lightbulb button"
click 1 $lamp_corner
look additive
check "Additive-Colorize: the lightbulb's left click paints add" [ "$(field additive drawmode)" = add ]
click 1 $lamp_corner
menu 100 Options "Lightbulb button"

# ================================================================ the vectorscope and the LAB dialog, inside the work area
menu 23 Options
click 1 $current_swatch
hover 470 400 500 420 4  # the scope follows the colour under the pointer
look scope
read -r _ _ vx vy vw vh _ <<<"$(drive_line scope '$1 == "requester" && $7 == 0 && $5 > 20')"
check "the vectorscope opens inside the work area, below the menu bar" both [ "${vy:-0}" -gt $((menubar + 10)) ] -- [ "${vx:--1}" -ge 0 ]
shot vectorscope
click 1 $((vx + vw / 2)) $((vy + vh / 2))
rep scope-switched
key Escape
menu 23 Options
rep scope-off
check "a click on the scope switches its display; Escape ends the pick and closes it" \
  both differ "$(digest scope 130)" - -- both differ "$(digest scope-switched 130)" "$(digest scope 130)" -- \
  both [ "$(field scope-off canvas-events)" = 0 ] -- no_gadget scope-off 130
click 3 $((pcx + 80)) $((pcy + 80))
look lab
read -r _ labh lx ly lw _ <<<"$(drive_line lab '$1 == "requester" && $7 == 1 && $2 != '"$(echo "$panel" | cut -d' ' -f2)")"
check "the LAB dialog opens inside the work area" [ "${ly:-0}" -gt $((menubar + 10)) ]
click 1 $(awk '$1 == "gadget" && $3 == 400 { print $4 + 40, $5 + int($7 / 2); exit }' "$DRIVE_WORK/lab.txt")
drive_xdo type 90.5
key Return
click 1 $(awk '$1 == "gadget" && $3 == 403 { print $4 + int($6 / 2), $5 + 3; exit }' "$DRIVE_WORK/lab.txt")
shot lab-dialog
click 1 $((lx + lw - 9)) $((ly - 10))
look lab-closed
check "the LAB dialog closes from its title bar" eval "! grep -q '^requester ${labh:-x} ' '$DRIVE_WORK/lab-closed.txt'"

# ================================================================ rooms
# The FX-brush row hidden in Room-1 shows in Room-2 (a first visit shows
# every section) and is hidden again back in Room-1.
menu 90
rep no-fx
host_menu Room Room-2
rep room2
host_menu Room Room-1
rep room1
menu 90
rep fx
check "Room-2: the host's room, with every section of the panel" \
  both [ "$(field room2 room)" = Room-2 ] -- both has_gadget room2 151 -- has_gadget room2 110
check "Show/Hide FXBrush Section; Room-1 keeps its row hidden" \
  both no_gadget no-fx 151 -- both [ "$(field room1 room)" = Room-1 ] -- both no_gadget room1 151 -- has_gadget fx 151

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
click 5 "$zx" "$zy"
sweep 24
look unzoomed
key k
scaled() { awk -v s="$size0" -v f="$1" -v d="$2" 'BEGIN { print s * f + d }'; }
check "k: zoomed in, the locked brush shrinks to 80 %" between "$(setting zoomed size)" "$(scaled 0.8 -0.02)" "$(scaled 0.8 0.02)"
check "k: zoomed back, the brush is its old size" between "$(setting unzoomed size)" "$(scaled 1 -0.02)" "$(scaled 1 0.02)"

# ================================================================ t
key t
rep t-closed
key t
rep t-open
check "t closes the panel and opens it again" both no_gadget t-closed 110 -- has_gadget t-open 110

# ================================================================ quit, and start again
[ -n "$shots" ] && drive_send "log $shots/desktop-dialogue.txt" && echo "dialogue: $shots/desktop-dialogue.txt"
slider_places="$(P 0.1) $slider_y $(P 0.5) $slider_y $(P 0.9) $slider_y"
rep before-quit $slider_places
check "no host protocol fault" [ "$(field before-quit faults)" = 0 ]
drive_xdo key ctrl+q
for _ in $(seq 100); do kill -0 "$DRIVE_PID" 2>/dev/null || break; sleep 0.1; done
wait "$DRIVE_PID"
check "Ctrl+Q quits cleanly" [ $? = 0 ]
DRIVE_PID=""
ini() { awk -v s="[$1]" -v k="$2" '$0 == s { on = 1; next } /^\[/ { on = 0 } on && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }' "$home/user-settings.ini"; }
check "the host kept its A and B pens" same "$(ini Main apen) / $(ini Main bpen)" "$(apen before-quit) / $(bpen before-quit)"
check "the settings: pressure 200, XYZ picker off, aggressive autosample on, LAB white X 90.5" \
  same "$(ini Tintwell mousemode) $(ini Tintwell scropXYZ) $(ini Tintwell agautosample) $(ini Tintwell lab_ref_x)" "200 0 1 90.500000"
# The scheme's first point as the file holds it: alpha, red, green and blue in one number.
point=$(awk -F= '$1 == "csP_0" { split($2, v, " "); n = v[1]; printf "%d %d %d", int(n / 65536) % 256, int(n / 256) % 256, n % 256; exit }' \
  "$home/ColourScheme.cfg" 2>/dev/null)
check "the colour scheme file holds the edited point" same "$point" "$scheme_colour"
drive_start "$program" "$plugin" "$home" --size 1024x700 --loc english || exit 1
rep restarted $slider_places
check "after a restart both pens are back" same "$(apen restarted) / $(bpen restarted)" "$(apen before-quit) / $(bpen before-quit)"
check "after a restart the edited colour scheme is back on the slider" \
  both same "$(probes restarted)" "$(probes before-quit)" -- near "$(probe restarted "$(P 0.1)" "$slider_y")" "$scheme_colour" 2
shot restarted

echo "$checks checks, $failures failed"
finish
trap - EXIT
[ "$failures" -eq 0 ]
