#!/usr/bin/env bash
# A scripted session of the desktop host in a virtual X server (Xvfb),
# driven with real pointer and key events (xdotool): the tour of the
# desktop test (tests/desktop/desktop_tour.sh: every shortcut letter and
# every part of the panel, each checked), with a screenshot of the whole
# window at each of its key moments and the end of the host's dialogue with
# the plug-in, written into the folder given (the session's pictures); then the quick help in English and in the texts
# built into the plug-in (Chinese), each in a fresh run. The settings folder
# starts empty each time, so the session is the same on every run. The
# tour's failed checks are printed and make the session fail.
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

echo "# the desktop tour (its checks, then its screenshots):"
tour_status=0
bash "$here/tests/desktop/desktop_tour.sh" "$program" "$plugin" "$out" || tour_status=$?
[ "$tour_status" = 77 ] && exit 0  # no Xvfb or xdotool: said by the tour

DRIVE_WORK=$(mktemp -d)
. "$here/tests/desktop/desktop_drive.sh"
cleanup() {
  drive_stop
  if [ -n "${KEEP_DESKTOP_SESSION:-}" ]; then echo "work folder: $DRIVE_WORK"; else rm -rf "$DRIVE_WORK"; fi
}
trap cleanup EXIT

shot() {  # shot NAME [X Y W H SCALE]
  local file="$out/desktop-$1.png"
  shift
  rm -f "$file"
  drive_send "shot $file $*" && drive_wait_file "$file" && echo "$file"
}
hover_help() {  # the pointer resting on the hue ring
  drive_xdo mousemove $((cx + 70)) $((cy - 30))
  drive_xdo mousemove $((cx + 72)) $((cy - 32))
  sleep 0.8
}

drive_start_x 1024x700 || exit 1
drive_start "$program" "$plugin" "$DRIVE_WORK/home" --size 1024x700 --loc english || exit 1
panel=$(drive_line ready '$1 == "requester"')
palette=$(drive_line ready '$1 == "gadget" && $3 == 110')
if [ -z "$panel" ] || [ -z "$palette" ]; then
  echo "desktop session: the plug-in shows no panel with a palette"
  exit 1
fi
read -r _ _ rx ry rw rh _ <<<"$panel"
read -r _ _ _ px py _ <<<"$palette"
cx=$((px + 91))
cy=$((py + 92))
hover_help
shot quick-help
# The README's picture: the panel and its quick help, close up.
if [ -n "$readme_images" ]; then
  mkdir -p "$readme_images"
  rm -f "$readme_images/readme-panel-quick-help.png"
  drive_send "shot $readme_images/readme-panel-quick-help.png $((rx - 2)) $((ry - 24)) $((rw + 390)) $((rh + 26)) 1" &&
    drive_wait_file "$readme_images/readme-panel-quick-help.png" && echo "$readme_images/readme-panel-quick-help.png"
fi
# The texts built into the plug-in: the same hover in a fresh run.
drive_stop
drive_start_x 1024x700 || exit 1
drive_start "$program" "$plugin" "$DRIVE_WORK/home-builtin" --size 1024x700 --loc builtin || exit 1
hover_help
shot builtin-texts-quick-help
[ "$tour_status" = 0 ] || echo "desktop session: the tour had failed checks (above)"
exit "$tour_status"
