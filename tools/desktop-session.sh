#!/usr/bin/env bash
# A scripted session of the desktop host in a virtual X server (Xvfb),
# driven with real pointer and key events (xdotool): what a person would do
# with the panel, the canvas and the plug-in's menus, with a screenshot of
# the whole window after each step, written into the folder given (the
# session's pictures). The settings folder starts empty each time, so the
# session is the same on every run. The session runs with the host's English
# texts; at its end one more screenshot shows the texts built into the
# plug-in (the quick help in Chinese), so both are seen.
#
# Usage: tools/desktop-session.sh PROGRAM PLUGIN OUTPUT_FOLDER [README_IMAGES]
# With README_IMAGES (docs/images), the README's picture is written there
# too (readme-panel-quick-help.png: the panel with the quick help of the hue
# ring, in English).
set -uo pipefail
program=$1
plugin=$2
out=$3
readme_images=${4:-}
here=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
rm -f "$out"/desktop-*.png

DRIVE_WORK=$(mktemp -d)
. "$here/tests/desktop/desktop_drive.sh"
cleanup() {
  drive_stop
  if [ -n "${KEEP_DESKTOP_SESSION:-}" ]; then echo "work folder: $DRIVE_WORK"; else rm -rf "$DRIVE_WORK"; fi
}
trap cleanup EXIT

step=0
shot() {  # shot NAME [X Y W H SCALE]
  step=$((step + 1))
  local file
  file=$(printf '%s/desktop-%02d-%s.png' "$out" "$step" "$1")
  shift
  rm -f "$file"
  drive_send "shot $file $*" && drive_wait_file "$file" && echo "$file"
}
away() {
  drive_xdo mousemove 1010 690
  sleep 0.5
}

drive_start_x 1024x700 || exit 1
drive_start "$program" "$plugin" "$DRIVE_WORK/home" --size 1024x700 --loc english || exit 1
panel=$(drive_line ready '$1 == "requester"')
palette=$(drive_line ready '$1 == "gadget" && $3 == 110')
swatch=$(drive_line ready '$1 == "gadget" && $3 == 100')
if [ -z "$panel" ] || [ -z "$palette" ] || [ -z "$swatch" ]; then
  echo "desktop session: the plug-in shows no panel with a palette; only the first screenshot is taken"
  shot start
  exit 0
fi
read -r _ _ rx ry rw rh _ <<<"$panel"
read -r _ _ _ px py _ <<<"$palette"
read -r _ _ _ sx sy _ <<<"$swatch"
cx=$((px + 91))
cy=$((py + 92))
closeup="$((rx - 2)) $((ry - 24)) $((rw + 4)) $((rh + 26)) 2"
away
shot start

# Quick help: resting on the hue ring shows its help.
drive_xdo mousemove $((cx + 70)) $((cy - 30))
drive_xdo mousemove $((cx + 72)) $((cy - 32))
sleep 0.8
shot hover-help
# The README's picture: the panel and its quick help, close up.
panel_help="$((rx - 2)) $((ry - 24)) $((rw + 390)) $((rh + 26)) 1"
if [ -n "$readme_images" ]; then
  mkdir -p "$readme_images"
  rm -f "$readme_images/readme-panel-quick-help.png"
  drive_send "shot $readme_images/readme-panel-quick-help.png $panel_help" &&
    drive_wait_file "$readme_images/readme-panel-quick-help.png" && echo "$readme_images/readme-panel-quick-help.png"
fi

# Colours from the square and the hue ring.
drive_xdo mousemove $((cx - 20)) $((cy + 10)) mousedown 1
for i in 1 2 3 4 5 6; do drive_xdo mousemove $((cx - 20 + 7 * i)) $((cy + 10 - 7 * i)); done
drive_xdo mouseup 1
for angle in 0 15 30 45 60 75 90 105 120; do
  read -r x y < <(awk -v a="$angle" -v cx="$cx" -v cy="$cy" \
    'BEGIN { t = a * 3.14159265 / 180; printf "%d %d\n", cx + 75 * cos(t), cy - 75 * sin(t) }')
  if [ "$angle" = 0 ]; then drive_xdo mousemove "$x" "$y" mousedown 1; else drive_xdo mousemove "$x" "$y"; fi
done
drive_xdo mouseup 1
away
shot panel-after-picking $closeup

# A stroke with the A pen on the canvas.
drive_report canvas || exit 1
read -r ox oy < <(awk '$1 == "project-origin" { print $2, $3 }' "$DRIVE_WORK/canvas.txt")
drive_xdo mousemove $((ox + 330)) $((oy + 250)) mousedown 1
for i in $(seq 1 16); do
  read -r x y < <(awk -v i="$i" -v ox="$ox" -v oy="$oy" \
    'BEGIN { printf "%d %d\n", ox + 330 + i * 16, oy + 250 + 40 * sin(i / 2.5) }')
  drive_xdo mousemove "$x" "$y"
done
drive_xdo mouseup 1
away
shot stroke

# The option menu: a right click on the left of the swatch band.
drive_xdo mousemove $((sx + 40)) $((sy + 30)) click 3
sleep 0.4
drive_report menu || exit 1
shot option-menu
# Into the "Options" submenu, and its "Vectorscope" item.
entry=$(awk '$1 == "menu-submenu" && $6 == "Options" { print $2 + 20, $3 + int($5 / 2); exit }' "$DRIVE_WORK/menu.txt")
if [ -n "$entry" ]; then
  read -r ex ey <<<"$entry"
  drive_xdo mousemove "$ex" "$ey"
  sleep 0.4
  drive_report submenu || exit 1
  shot option-submenu
  scope=$(awk '$1 == "menu-item" && $2 == 23 { print $3 + 20, $4 + int($6 / 2); exit }' "$DRIVE_WORK/submenu.txt")
  if [ -n "$scope" ]; then
    read -r vx vy <<<"$scope"
    drive_xdo mousemove "$vx" "$ey"
    drive_xdo mousemove "$vx" "$vy"
    drive_xdo click 1
  fi
fi
drive_report after-menu || exit 1
if grep -q '^menu-item' "$DRIVE_WORK/after-menu.txt"; then drive_xdo key Escape; fi
away

# With the vectorscope option on, the scope shows while the hue ring is
# dragged.
drive_xdo mousemove $((cx + 75)) "$cy" mousedown 1
drive_xdo mousemove $((cx + 72)) $((cy + 20))
drive_xdo mousemove $((cx + 70)) $((cy + 30))
shot vectorscope
drive_xdo mouseup 1
away

# The pick mode: a click on the current swatch, then over the canvas.
drive_xdo mousemove $((sx + 140)) $((sy + 20)) click 1
drive_xdo mousemove $((ox + 300)) $((oy + 330))
drive_xdo mousemove $((ox + 320)) $((oy + 340))
sleep 0.3
shot pick-mode
# Pressing and moving over the teal: every event mixes more of it in.
drive_xdo mousedown 1
for i in 1 2 3 4 5 6; do drive_xdo mousemove $((ox + 320 + i)) $((oy + 340 + i)); done
drive_xdo mouseup 1
away
shot picked-from-canvas $closeup

# The brush mode (shortcut "S") over the canvas.
drive_send "shortcut S"
drive_xdo mousemove $((ox + 450)) $((oy + 330))
drive_xdo mousemove $((ox + 460)) $((oy + 335))
sleep 0.3
shot brush-mode
drive_xdo key Escape
away

# The LAB reference dialog: a right click on the CIE option box.
drive_xdo mousemove $((px + 1 + 171)) $((py + 2 + 172)) click 3
away
drive_report lab || exit 1
field=$(awk '$1 == "gadget" && $3 == 400 { print $4 + 40, $5 + int($7 / 2); exit }' "$DRIVE_WORK/lab.txt")
arrows=$(awk '$1 == "gadget" && $3 == 403 { print $4 + int($6 / 2), $5 + 3; exit }' "$DRIVE_WORK/lab.txt")
if [ -n "$field" ] && [ -n "$arrows" ]; then
  # A new X typed into its field, and Y stepped up twice with its arrows.
  read -r fx fy <<<"$field"
  read -r ax ay <<<"$arrows"
  drive_xdo mousemove "$fx" "$fy" click 1
  drive_xdo type "90.5"
  drive_xdo key Return
  drive_xdo mousemove "$ax" "$ay" click 1
  drive_xdo click 1
  away
fi
shot lab-dialog

# The whole dialogue between the host and the plug-in, for reading.
drive_send "log $out/desktop-dialogue.txt"
drive_report end || exit 1
echo "$out/desktop-dialogue.txt"

# The texts built into the plug-in: the same hover in a fresh run.
drive_stop
drive_start_x 1024x700 || exit 1
drive_start "$program" "$plugin" "$DRIVE_WORK/home-builtin" --size 1024x700 --loc builtin || exit 1
drive_xdo mousemove $((cx + 70)) $((cy - 30))
drive_xdo mousemove $((cx + 72)) $((cy - 32))
sleep 0.8
shot builtin-texts-hover-help
