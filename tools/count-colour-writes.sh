#!/usr/bin/env bash
# Counts the places in src/ outside the current colour's owner
# (src/colour/current_colour.cpp) that write one of its records (CurrentPixel,
# CurrentRgb, CurrentHsv, HueRingHsv, SliderCoords): an assignment to a
# record or to one of its members, an increment, or a non-const reference or
# pointer taken to one. It also counts the calls that send a pen to the host
# (SetAPen, SetBPen) outside the owner and the file that sends them
# (src/colour/pens.cpp), and the files in src/colour/ that read GState
# besides the owner and the binding layer (panel_models).
#
#   bash tools/count-colour-writes.sh          # the three counts
#   bash tools/count-colour-writes.sh --list   # and every place counted
# Exits non-zero when a count is not 0.
set -euo pipefail
cd "$(dirname "$0")/.."

records='(CurrentPixel|CurrentRgb|CurrentHsv|HueRingHsv|SliderCoords)'
owner='src/colour/current_colour.cpp'
assign="GState\.$records(\.[A-Za-z0-9_]+)?[[:space:]]*([-+*/|&^]?=[^=]|\+\+|--)"
reference="&[[:space:]]*[A-Za-z0-9_]+[[:space:]]*=[[:space:]]*GState\.$records"
address="&[[:space:]]*GState\.$records"

list=0
[ "${1:-}" = "--list" ] && list=1

writes="$(grep -rnE "$assign|$address" src --include='*.cpp' --include='*.h' | grep -v "^$owner:" || true)"
refs="$(grep -rnE "$reference" src --include='*.cpp' --include='*.h' | grep -v "^$owner:" |
        grep -vE "const[[:space:]]+[A-Za-z0-9_:<>]+[[:space:]]*&" || true)"
places="$(printf '%s\n%s\n' "$writes" "$refs" | sed '/^$/d' | sort -t: -k1,1 -k2,2n -u)"
pens="$(grep -rnE "\bSet[AB]Pen[[:space:]]*\(" src --include='*.cpp' |
        grep -vE "^($owner|src/colour/pens.cpp):" || true)"
readers="$(grep -rlE "\bGState\b" src/colour --include='*.cpp' --include='*.h' |
           grep -vE "^(src/colour/current_colour\.(cpp|h)|src/colour/panel_models\.(cpp|h))$" || true)"

count() { printf '%s\n' "$1" | grep -c . || true; }
nWrites=$(count "$places")
nPens=$(count "$pens")
nReaders=$(count "$readers")

if [ $list -eq 1 ]; then
  [ -n "$places" ] && printf 'writes:\n%s\n' "$places"
  [ -n "$pens" ] && printf 'pens sent:\n%s\n' "$pens"
  [ -n "$readers" ] && printf 'GState read in colour/:\n%s\n' "$readers"
fi
echo "current-colour records written outside $owner: $nWrites"
echo "pens sent outside the owner and src/colour/pens.cpp: $nPens"
echo "files in src/colour/ reading GState besides the owner and panel_models: $nReaders"
[ "$nWrites" -eq 0 ] && [ "$nPens" -eq 0 ] && [ "$nReaders" -eq 0 ]
