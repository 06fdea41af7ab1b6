#!/usr/bin/env bash
# The desktop host in a real window under Xvfb, driven with real pointer
# events (xdotool): a drag on the SATVAL square, then a drag on the hue
# ring. After each, the A pen must have changed, the plug-in's palette
# picture must have changed, every picture gadget must be on screen pixel
# for pixel as the plug-in drew it, and the current swatch on screen must
# show exactly the A pen. Then the option menu: a right click opens it, the
# item chosen in a submenu reaches the plug-in (its palette hides). The
# pointer resting on the ring shows the ring's quick help in the panel's
# title, and leaving the panel brings the display title back. The program
# must end cleanly with no protocol fault.
#
# Usage: desktop_xvfb_test.sh PROGRAM PLUGIN
# Exit 77 (skipped) when Xvfb or xdotool is missing, or when the plug-in
# shows no palette picture to press on.
set -uo pipefail
program=$1
plugin=$2
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (tools/install-deps.sh installs it)"
    exit 77
  fi
done

DRIVE_WORK=$(mktemp -d)
. "$here/desktop_drive.sh"
failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}
finish() {
  drive_stop
  if [ "$DRIVE_STATUS" -ne 0 ]; then
    echo "FAILED: the program exited with status $DRIVE_STATUS"
    sed 's/^/  program: /' "$DRIVE_WORK/program.log" | tail -40
    failures=$((failures + 1))
  fi
  if [ "${KEEP_DESKTOP_TEST:-}" = "" ]; then rm -rf "$DRIVE_WORK"; else echo "work folder: $DRIVE_WORK"; fi
}
trap finish EXIT

drive_start_x 1024x700 || exit 1
drive_start "$program" "$plugin" "$DRIVE_WORK/home" --size 1024x700 || exit 1

# Where the palette picture is: gadget 110 of the panel.
palette=$(drive_line ready '$1 == "gadget" && $3 == 110')
swatch=$(drive_line ready '$1 == "gadget" && $3 == 100')
if [ -z "$palette" ] || [ "$(echo "$palette" | awk '{print $9}')" = "-" ]; then
  echo "SKIPPED: the plug-in shows no palette picture yet"
  exit 77
fi
read -r _ _ _ px py _ _ _ digest0 <<<"$palette"
read -r _ _ _ sx sy _ _ _ _ <<<"$swatch"
# The picker's centre within the gadget is (91, 92); the current swatch's
# middle is at (136, 21).
cx=$((px + 91))
cy=$((py + 92))
away_x=1000
away_y=680
swatch_probe="$((sx + 136)) $((sy + 21))"

apen() { awk '$1 == "apen" { print $2, $3, $4; exit }' "$DRIVE_WORK/$1.txt"; }
probe() { awk -v x="$2" -v y="$3" '$1 == "probe" && $2 == x && $3 == y { print $4, $5, $6; exit }' "$DRIVE_WORK/$1.txt"; }
near() {  # near "R G B" "R G B" TOLERANCE
  awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { split(a, p); split(b, q);
    for (i = 1; i <= 3; i++) { d = p[i] - q[i]; if (d < 0) d = -d; if (d > t || p[i] == "") exit 1 } }'
}
all_on_screen() { ! grep -q '^onscreen .* differs' "$DRIVE_WORK/$1.txt" && grep -q '^onscreen ' "$DRIVE_WORK/$1.txt"; }
digest() { awk '$1 == "gadget" && $3 == 110 { print $9; exit }' "$DRIVE_WORK/$1.txt"; }

# 1. The SATVAL square: press left of the centre, drag to upper right
#    (saturation and value up), release.
drive_xdo mousemove $((cx - 20)) $((cy + 10)) mousedown 1
for step in 1 2 3 4 5 6; do
  drive_xdo mousemove $((cx - 20 + (44 * step) / 6)) $((cy + 10 - (40 * step) / 6))
done
drive_xdo mouseup 1
drive_xdo mousemove "$away_x" "$away_y"
sleep 0.3
drive_report square $swatch_probe || exit 1
pen0=$(apen ready)
pen1=$(apen square)
echo "A pen: $pen0 -> $pen1"
check "the square drag changed the A pen" [ "$pen1" != "$pen0" ]
check "the current swatch on screen shows the A pen" near "$(probe square $swatch_probe)" "$pen1" 0
check "the palette picture changed" [ "$(digest square)" != "$digest0" ]
check "every picture gadget on screen as the plug-in drew it" all_on_screen square

# 2. The hue ring: press on its right, drag up and round over the top to
#    its left, release.
for angle in 0 20 40 60 80 100 120 140; do
  read -r x y < <(awk -v a="$angle" -v cx="$cx" -v cy="$cy" \
    'BEGIN { r = 75; t = a * 3.14159265 / 180; printf "%d %d\n", cx + r * cos(t), cy - r * sin(t) }')
  if [ "$angle" = 0 ]; then drive_xdo mousemove "$x" "$y" mousedown 1; else drive_xdo mousemove "$x" "$y"; fi
done
drive_xdo mouseup 1
drive_xdo mousemove "$away_x" "$away_y"
sleep 0.3
drive_report ring $swatch_probe || exit 1
drive_shot "$DRIVE_WORK/ring.png" || exit 1
pen2=$(apen ring)
echo "A pen: $pen1 -> $pen2"
check "the ring drag changed the A pen" [ "$pen2" != "$pen1" ]
check "the current swatch on screen shows the A pen" near "$(probe ring $swatch_probe)" "$pen2" 0
check "the palette picture changed again" [ "$(digest ring)" != "$(digest square)" ]
check "every picture gadget on screen as the plug-in drew it" all_on_screen ring

# 3. Quick help: the pointer over the hue ring names it in the panel's
#    title; leaving the panel (onto the canvas)
#    gives the title back.
handle=$(drive_line ready '$1 == "requester" && $7 == 1' | awk '{print $2}')
title() { awk -v h="$handle" '$1 == "requester" && $2 == h { $1 = $2 = $3 = $4 = $5 = $6 = $7 = ""; sub(/^ +/, ""); print; exit }' "$DRIVE_WORK/$1.txt"; }
drive_xdo mousemove $((cx + 70)) $((cy - 30))
drive_xdo mousemove $((cx + 72)) $((cy - 32))
drive_report hover || exit 1
drive_xdo mousemove "$away_x" "$away_y"
drive_report hover-out || exit 1
echo "panel title: '$(title ready)' -> '$(title hover)' -> '$(title hover-out)'"
check "the hover over the ring changed the panel's title" [ "$(title hover)" != "$(title ready)" ]
check "leaving the panel gave the display title back" [ "$(title hover-out)" = "$(title ready)" ]

# 4. The option menu (the host's pop-up menu, asked from inside the
#    plug-in's press): a right click on the left of the swatch band, into the
#    submenu that holds "Hide Palette" (item 10), a click on it. The panel
#    loses its palette section.
drive_xdo mousemove $((sx + 40)) $((sy + 30)) click 3
sleep 0.3
drive_report menu || exit 1
check "the option menu is open" grep -q '^menu-item ' "$DRIVE_WORK/menu.txt"
entry=$(awk '$1 == "menu-submenu" { print $2 + 20, $3 + int($5 / 2); exit }' "$DRIVE_WORK/menu.txt")
if [ -n "$entry" ]; then
  read -r ex ey <<<"$entry"
  drive_xdo mousemove "$ex" "$ey"
  sleep 0.3
  drive_report submenu || exit 1
fi
item=$(awk '$1 == "menu-item" && $2 == 10 { print $3 + 20, $4 + int($6 / 2); exit }' "$DRIVE_WORK/submenu.txt" 2>/dev/null)
check "the palette's menu item is shown" [ -n "$item" ]
if [ -n "$item" ]; then
  read -r ix iy <<<"$item"
  drive_xdo mousemove "$ix" "$ey"
  drive_xdo mousemove "$ix" "$iy"
  drive_xdo click 1
fi
drive_xdo mousemove "$away_x" "$away_y"
sleep 0.3
drive_report hidden || exit 1
check "the menu closed" sh -c "! grep -q '^menu-item ' '$DRIVE_WORK/hidden.txt'"
check "the chosen item hid the palette" sh -c "! grep -q '^gadget [0-9]* 110 ' '$DRIVE_WORK/hidden.txt'"
check "no host protocol fault" [ "$(drive_value hidden faults)" = 0 ]

finish
trap - EXIT
echo "$((failures == 0 ? 1 : 0)) passed, $((failures == 0 ? 0 : 1)) failed"
[ "$failures" -eq 0 ]
