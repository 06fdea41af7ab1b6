#!/usr/bin/env bash
# The guide's screen pictures: the desktop host (tintwell_desktop) in a
# virtual X server, driven with real pointer and key events (xdotool) and its
# control FIFO, exactly as the desktop test and the scripted session drive it
# (tests/desktop/desktop_drive.sh). The plug-in runs with the texts built
# into it (--loc builtin), so a guide shows what its build shows: the English
# build for the English guide, the default build for the Chinese one. Text is
# drawn by the host's real font, not the stand-in host's 3 x 5 one.
#
# Usage: guide_shots.sh PROGRAM PLUGIN OUTPUT_FOLDER LANG
# Writes into OUTPUT_FOLDER, each name ending in -LANG.png:
#   screen-panel       the whole panel window, 2x (the labelled picture's source;
#                      screen-panel-LANG.txt gives the panel's place inside it)
#   screen-quick-help  the panel with the quick help of the hue ring
#   screen-option-menu the option menu with its Options submenu open
#   screen-waveform    the scope window's waveform while picking from the canvas
#   screen-vectorscope the same window switched to the vectorscope
#   screen-pick-ring   the pick mode's ring on the canvas, 2x
#   screen-brush-disc  the brush mode's disc on the canvas, 2x
#   screen-lab-dialog  the LAB reference dialog, 2x
#   screen-pressure-question  the question asked when mouse pressure mode goes off
# Exit status non-zero when a step fails (a picture would be missing).
set -uo pipefail
if [ $# -ne 4 ]; then
  echo "usage: guide_shots.sh PROGRAM PLUGIN OUTPUT_FOLDER LANG" >&2
  exit 2
fi
program=$1
plugin=$2
out=$3
lang=$4
here=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$out"

DRIVE_WORK=$(mktemp -d)
. "$here/tests/desktop/desktop_drive.sh"
cleanup() {
  drive_stop
  if [ -n "${KEEP_GUIDE_SHOTS:-}" ]; then echo "work folder: $DRIVE_WORK" >&2; else rm -rf "$DRIVE_WORK"; fi
}
trap cleanup EXIT

fail() {
  echo "guide_shots ($lang): $*" >&2
  exit 1
}
shot() {  # shot NAME X Y W H SCALE
  local file="$out/$1-$lang.png"
  shift
  rm -f "$file"
  drive_send "shot $file $*" && drive_wait_file "$file" || fail "no picture $file"
}
away() {
  drive_xdo mousemove 1010 690
  sleep 0.3
}
# await NAME PATTERN: reports NAME until one of its lines matches the awk
# PATTERN (for 4 seconds at most, the host may be slow on a busy machine) and
# prints that line.
await() {
  local tries=20 line
  while [ "$tries" -gt 0 ]; do
    drive_report "$1" || return 1
    line=$(drive_line "$1" "$2")
    if [ -n "$line" ]; then
      echo "$line"
      return 0
    fi
    sleep 0.2
    tries=$((tries - 1))
  done
  return 1
}
# The smallest rectangle around every menu entry of report NAME, with a margin.
menu_box() {
  awk -v m="$2" '$1 == "menu-item" { x = $3; y = $4; w = $5; h = $6 }
                 $1 == "menu-submenu" { x = $2; y = $3; w = $4; h = $5 }
                 $1 == "menu-item" || $1 == "menu-submenu" {
                   if (n++ == 0 || x < x0) x0 = x; if (n == 1 || y < y0) y0 = y
                   if (n == 1 || x + w > x1) x1 = x + w; if (n == 1 || y + h > y1) y1 = y + h }
                 END { if (n) print x0 - m, y0 - m, x1 + m, y1 + m }' "$DRIVE_WORK/$1.txt"
}

drive_start_x 1024x700 || fail "no X server"
drive_start "$program" "$plugin" "$DRIVE_WORK/home" --size 1024x700 --loc builtin || fail "the host did not start"
panel=$(drive_line ready '$1 == "requester" && $7 == 1')
palette=$(drive_line ready '$1 == "gadget" && $3 == 110')
swatch=$(drive_line ready '$1 == "gadget" && $3 == 100')
[ -n "$panel" ] && [ -n "$palette" ] && [ -n "$swatch" ] || fail "the panel shows no palette"
read -r _ _ rx ry rw rh _ <<<"$panel"
read -r _ _ _ px py _ <<<"$palette"
read -r _ _ _ sx sy _ <<<"$swatch"
cx=$((px + 91))
cy=$((py + 92))

# A warm colour first: the hue ring at orange, then a place in the square.
read -r x y < <(awk -v cx="$cx" -v cy="$cy" 'BEGIN { t = 25 * 3.14159265 / 180; printf "%d %d\n", cx + 75 * cos(t), cy - 75 * sin(t) }')
drive_xdo mousemove "$x" "$y" mousedown 1
drive_xdo mousemove $((x + 1)) $((y - 1))
drive_xdo mouseup 1
drive_xdo mousemove $((cx + 10)) $((cy - 5)) mousedown 1
drive_xdo mousemove $((cx + 22)) $((cy - 18))
drive_xdo mouseup 1
away
# The panel window with its title bar, twice its size.
# (The window's frame is 1 pixel wide, its title bar 21 high above the panel.)
shot screen-panel $((rx - 1)) $((ry - 22)) $((rw + 1)) $((rh + 22)) 2
echo "panel-origin $((1 * 2)) $((22 * 2)) 2" >"$out/screen-panel-$lang.txt"

# Quick help: resting on the hue ring.
drive_xdo mousemove $((cx + 70)) $((cy - 30))
drive_xdo mousemove $((cx + 72)) $((cy - 32))
sleep 0.8
shot screen-quick-help $((rx - 1)) $((ry - 22)) $((rw + 345)) $((rh + 22)) 1
away

# The option menu, its Options submenu open.
drive_xdo mousemove $((sx + 40)) $((sy + 30)) click 3
options=$(await menu '$1 == "menu-submenu" && $6 == "Options"') || fail "the menu has no Options submenu"
read -r _ ox0 oy0 _ oh _ <<<"$options"
ex=$((ox0 + 20))
ey=$((oy0 + oh / 2))
drive_xdo mousemove "$ex" "$ey"
await submenu '$1 == "menu-item" && $2 == 23' >/dev/null || fail "the Options submenu did not open"
read -r mx0 my0 mx1 my1 < <(menu_box submenu 6)
[ -n "${mx1:-}" ] || fail "no menu entries reported"
bx0=$((rx - 1 < mx0 ? rx - 1 : mx0))
by0=$((ry - 22 < my0 ? ry - 22 : my0))
bx1=$((rx + rw > mx1 ? rx + rw : mx1))
by1=$((ry + rh > my1 ? ry + rh : my1))
shot screen-option-menu "$bx0" "$by0" $((bx1 - bx0)) $((by1 - by0)) 1
# Its Vectorscope entry switches the scope window on.
scope=$(awk '$1 == "menu-item" && $2 == 23 { print $3 + 20, $4 + int($6 / 2); exit }' "$DRIVE_WORK/submenu.txt")
[ -n "$scope" ] || fail "no Vectorscope entry"
read -r vx vy <<<"$scope"
drive_xdo mousemove "$vx" "$ey"
drive_xdo mousemove "$vx" "$vy"
drive_xdo click 1
away

# The pick mode over the canvas's picture: the ring follows the pointer and
# the scope window shows the colours. Started with a right click, which keeps
# the base colour (still the black of the start), so the ring's three bands
# differ: the red under the pointer, the current colour, the base colour.
drive_report canvas || fail "no canvas report"
read -r ox oy < <(awk '$1 == "project-origin" { print $2, $3 }' "$DRIVE_WORK/canvas.txt")
drive_xdo mousemove $((sx + 140)) $((sy + 20)) mousedown 3
drive_xdo mouseup 3
drive_xdo mousemove $((ox + 175)) $((oy + 330))
drive_xdo mousemove $((ox + 180)) $((oy + 334))
sleep 0.3
shot screen-pick-ring $((ox + 180 - 50)) $((oy + 334 - 50)) 100 100 2
scopewin=$(await picking '$1 == "requester" && $7 == 0 && $6 > 100') || fail "the scope window did not open"
read -r _ _ wx wy ww wh _ <<<"$scopewin"
shot screen-waveform $((wx)) $((wy - 22)) $((ww - 3)) $((wh + 22)) 2
# A click on the scope's picture switches it to the vectorscope; the next
# pointer move over the canvas shows the colours there.
drive_xdo mousemove $((wx + ww / 2)) $((wy + wh / 2)) click 1
drive_xdo mousemove $((ox + 175)) $((oy + 330))
drive_xdo mousemove $((ox + 180)) $((oy + 334))
sleep 0.3
shot screen-vectorscope $((wx)) $((wy - 22)) $((ww - 3)) $((wh + 22)) 2
drive_xdo key Escape
away

# The brush mode ("S") over the canvas.
drive_send "shortcut S"
drive_xdo mousemove $((ox + 450)) $((oy + 330))
drive_xdo mousemove $((ox + 460)) $((oy + 335))
sleep 0.3
shot screen-brush-disc $((ox + 460 - 80)) $((oy + 335 - 80)) 160 160 2
drive_xdo key Escape
away

# The LAB reference dialog: a right click on the CIE option box.
drive_xdo mousemove $((px + 172)) $((py + 174)) click 3
away
labwin=$(await lab '$1 == "requester" && $7 == 1 && $6 < 120') || fail "the LAB dialog did not open"
read -r _ _ lx ly lw lh _ <<<"$labwin"
shot screen-lab-dialog $((lx - 1)) $((ly - 22)) $((lw + 1)) $((lh + 22)) 2

# The pressure question: Options, Mouse pressure mode (on at a fresh start)
# switched off.
drive_xdo mousemove $((sx + 40)) $((sy + 30)) click 3
await menu2 '$1 == "menu-submenu" && $6 == "Options"' >/dev/null || fail "the menu did not open again"
drive_xdo mousemove "$ex" "$ey"
pressure=$(await submenu2 '$1 == "menu-item" && $2 == 40') || fail "no Mouse pressure entry"
read -r _ _ px0 py0 _ ph <<<"$pressure"
qx=$((px0 + 20))
qy=$((py0 + ph / 2))
drive_xdo mousemove "$qx" "$ey"
drive_xdo mousemove "$qx" "$qy"
drive_xdo click 1
await question '$1 == "question" && $2 == "integer"' >/dev/null || fail "no pressure question"
# The host centres its question in the window (1024 x 700).
shot screen-pressure-question $((512 - 130)) $((350 - 60)) 260 120 1
drive_xdo key Escape
exit 0
