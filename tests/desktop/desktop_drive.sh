# Shell functions that run tintwell_desktop in a virtual X server and drive
# it as a person would: real pointer events through xdotool, and the
# program's control FIFO for screenshots and reports (see
# desktop/desktop_control.cpp). Sourced by the desktop test and the session
# script; every function works inside the folder $DRIVE_WORK.
#
#   drive_start_x WxH            start Xvfb on a free display; sets DISPLAY
#   drive_start PROGRAM PLUGIN HOME [ARGS...]   start the program, wait until it answers
#   drive_report NAME [X Y]...   write $DRIVE_WORK/NAME.txt (waits for it)
#   drive_shot FILE              screenshot of the whole window (waits for it)
#   drive_send TEXT              one control command
#   drive_value NAME KEY [N]     field N (default 2) of the first line of report NAME starting with KEY
#   drive_line NAME PATTERN      the first line of report NAME matching the awk PATTERN
#   drive_xdo ARGS...            xdotool with a short rest afterwards
#   drive_path BUTTON X Y [X Y]...  one gesture: press BUTTON at the first point,
#                                move through the others, release (BUTTON 0: only move)
#   drive_stop                   quit the program (status in DRIVE_STATUS) and Xvfb
# DRIVE_REST (seconds, default 0.15) is the rest after each xdotool run,
# DRIVE_STEP (default 0.02) the pause between the moves of a path.

drive_fail() {
  echo "desktop drive: $*" >&2
  [ -f "$DRIVE_WORK/program.log" ] && sed 's/^/  program: /' "$DRIVE_WORK/program.log" | tail -40 >&2
  return 1
}

drive_wait_file() {
  local file=$1 tries=${2:-1000}
  while [ ! -s "$file" ]; do
    tries=$((tries - 1))
    if [ "$tries" -le 0 ]; then drive_fail "timed out waiting for $file"; return 1; fi
    if [ -n "${DRIVE_PID:-}" ] && ! kill -0 "$DRIVE_PID" 2>/dev/null; then
      drive_fail "the program ended while waiting for $file"
      return 1
    fi
    sleep 0.03
  done
}

drive_start_x() {
  local size=${1:-1280x800}
  : >"$DRIVE_WORK/display"
  Xvfb -displayfd 5 -screen 0 "${size}x24" -nolisten tcp 5>"$DRIVE_WORK/display" 2>"$DRIVE_WORK/xvfb.log" &
  DRIVE_XVFB_PID=$!
  local tries=100
  while [ ! -s "$DRIVE_WORK/display" ]; do
    tries=$((tries - 1))
    if [ "$tries" -le 0 ] || ! kill -0 "$DRIVE_XVFB_PID" 2>/dev/null; then
      drive_fail "Xvfb did not start: $(cat "$DRIVE_WORK/xvfb.log")"
      return 1
    fi
    sleep 0.1
  done
  export DISPLAY=":$(tr -d '\n' <"$DRIVE_WORK/display")"
}

drive_start() {
  local program=$1 plugin=$2 home=$3
  shift 3
  DRIVE_FIFO="$DRIVE_WORK/control"
  rm -f "$DRIVE_FIFO"
  mkfifo "$DRIVE_FIFO"
  # Software rendering: the same pixels on every machine.
  SDL_RENDER_DRIVER=software "$program" --plugin "$plugin" --home "$home" --control "$DRIVE_FIFO" "$@" \
    >"$DRIVE_WORK/program.log" 2>&1 &
  DRIVE_PID=$!
  DRIVE_REPORTS=0
  drive_report ready
}

drive_send() {
  # The FIFO is opened by the program; a write blocks until it reads, so
  # give up when the program has gone.
  if ! kill -0 "$DRIVE_PID" 2>/dev/null; then drive_fail "the program is not running"; return 1; fi
  timeout 20 bash -c 'echo "$1" >"$2"' _ "$1" "$DRIVE_FIFO" || drive_fail "can't send: $1"
}

drive_report() {
  local name=$1
  shift
  rm -f "$DRIVE_WORK/$name.txt"
  drive_send "report $DRIVE_WORK/$name.txt $*" && drive_wait_file "$DRIVE_WORK/$name.txt"
}

drive_shot() {
  rm -f "$1"
  drive_send "shot $1" && drive_wait_file "$1"
}

drive_value() {
  awk -v key="$2" -v n="${3:-2}" '$1 == key { print $n; exit }' "$DRIVE_WORK/$1.txt"
}

drive_line() {
  awk "$2 { print; exit }" "$DRIVE_WORK/$1.txt"
}

drive_xdo() {
  xdotool "$@" || drive_fail "xdotool $* failed"
  sleep "${DRIVE_REST:-0.15}"
}

drive_path() {
  # One xdotool run: the moves come as separate pointer events, a moment apart.
  local button=$1 args=()
  shift
  args+=(mousemove "$1" "$2")
  [ "$button" != 0 ] && args+=(mousedown "$button")
  args+=(sleep 0.03)
  shift 2
  while [ $# -ge 2 ]; do
    args+=(mousemove "$1" "$2" sleep "${DRIVE_STEP:-0.02}")
    shift 2
  done
  [ "$button" != 0 ] && args+=(mouseup "$button")
  drive_xdo "${args[@]}"
}

drive_stop() {
  DRIVE_STATUS=0
  if [ -n "${DRIVE_PID:-}" ]; then
    if kill -0 "$DRIVE_PID" 2>/dev/null; then drive_send quit || true; fi
    local tries=150
    while kill -0 "$DRIVE_PID" 2>/dev/null && [ "$tries" -gt 0 ]; do
      sleep 0.1
      tries=$((tries - 1))
    done
    if kill -0 "$DRIVE_PID" 2>/dev/null; then
      # SDL turns SIGTERM into a quit event, which a stuck program never
      # reads: end it for good.
      kill -9 "$DRIVE_PID" 2>/dev/null
      DRIVE_STATUS=124
    fi
    wait "$DRIVE_PID" 2>/dev/null || DRIVE_STATUS=$?
    DRIVE_PID=""
  fi
  if [ -n "${DRIVE_XVFB_PID:-}" ]; then
    kill "$DRIVE_XVFB_PID" 2>/dev/null
    wait "$DRIVE_XVFB_PID" 2>/dev/null
    DRIVE_XVFB_PID=""
  fi
  return 0
}
