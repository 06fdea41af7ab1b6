#!/usr/bin/env bash
# Makes the release an artist installs, then checks it as a user would get it.
#   build/package/tintwell-<version>-win32.zip          the package
#   build/package/tintwell-<version>-win32-symbols.zip  tintwell.dll.debug, the
#       stripped DLL's symbols (its debug link names that file)
# Steps: the native build renders the panel pictures; numbered callouts are
# drawn onto them and the guides (docs/guide-*.md) become HTML pages next to
# them (build/guide); the win32 build makes the stripped DLL; `cmake --install`
# rules and CPack's ZIP generator make the package. The check unpacks it,
# compares its file list with what the guides name, makes sure the DLL inside
# is stripped, exports the same eight entry points as the built one and
# imports only system DLLs, and runs it through the stand-in host and the DLL
# tests (version resource read back through the Windows version API) under wine.
# Prints the package's path last. --check-only skips building.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export WINEDEBUG=-all
jobs=$(nproc 2>/dev/null || echo 2)
major=$(sed -n 's/^#define TINTWELL_VERSION_MAJOR \([0-9]*\).*/\1/p' src/core/version.h)
minor=$(sed -n 's/^#define TINTWELL_VERSION_MINOR \([0-9]*\).*/\1/p' src/core/version.h)
name="tintwell-$major.$minor-win32"
out=build/package
log=$(mktemp)
trap 'rm -f "$log"' EXIT

run() {  # quiet unless it fails
  if ! "$@" >"$log" 2>&1; then cat "$log"; echo "package: failed: $*" >&2; exit 1; fi
}

if [ "${1:-}" != "--check-only" ]; then
  bash tools/install-deps.sh
  echo "# guide: panel pictures (native build), callouts, HTML pages"
  run cmake --preset default
  run cmake --build --preset default -j"$jobs" --target panel_pictures
  rm -rf build/guide build/guide-rendered
  mkdir -p build/guide-rendered build/guide/pictures
  run build/default/panel_pictures build/guide-rendered
  python3 docs/tools/label_pictures.py build/guide-rendered build/guide/pictures
  for lang in en zh-CN; do
    python3 docs/tools/guide_html.py "docs/guide-$lang.md" "build/guide/guide-$lang.html"
  done

  echo "# release DLL and package (win32 build, cmake --install rules, CPack ZIP)"
  run cmake --preset win32 -DTINTWELL_GUIDE_DIR="$root/build/guide"
  run cmake --build --preset win32 -j"$jobs" --target tintwell tintwell_release simhost_session tintwell_dll_tests
  rm -f "$out/$name.zip" "$out/$name-symbols.zip"
  run cpack --config build/win32/CPackConfig.cmake -B "$out"
  rm -rf "$out/_CPack_Packages"
  symbols=$(mktemp -d)
  run cmake --install build/win32 --component symbols --prefix "$symbols"
  (cd "$symbols" && cmake -E tar cf "$root/$out/$name-symbols.zip" --format=zip tintwell.dll.debug)
  rm -rf "$symbols"
fi

# ---------------------------------------------------------------- the check
echo "# checking $out/$name.zip"
fail() { echo "package check FAILED: $*" >&2; exit 1; }
[ -f "$out/$name.zip" ] || fail "no $out/$name.zip"
[ -f "$out/$name-symbols.zip" ] || fail "no $out/$name-symbols.zip"
unpacked=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$unpacked"' EXIT
python3 - "$out/$name.zip" "$unpacked" "$name" <<'PY' || fail "contents"
import re, sys, zipfile
archive, target, top = sys.argv[1:4]
with zipfile.ZipFile(archive) as z:
    names = sorted(n for n in z.namelist() if not n.endswith("/"))
    z.extractall(target)
expected = {top + "/" + n for n in ("tintwell.dll", "INSTALL.txt", "CHANGES.txt",
                                    "guide/guide-en.html", "guide/guide-zh-CN.html")}
sections = {}
for lang in ("en", "zh-CN"):
    page = open("%s/%s/guide/guide-%s.html" % (target, top, lang), encoding="utf-8").read()
    pictures = set(re.findall(r'<img src="(pictures/[^"]+)"', page))
    sections[lang] = len(re.findall(r"<h2 ", page))
    expected |= {top + "/guide/" + p for p in pictures}
missing, extra = sorted(expected - set(names)), sorted(set(names) - expected)
if missing or extra:
    sys.exit("missing %s, unexpected %s" % (missing, extra))
if sections["en"] != sections["zh-CN"] or sections["en"] < 10:
    sys.exit("guide sections: %s" % sections)
print("# %d files; guide sections: %s" % (len(names), sections))
PY
dll="$unpacked/$name/tintwell.dll"
objdump=i686-w64-mingw32-objdump
if $objdump -h "$dll" | grep -q '\.debug_'; then fail "the packaged DLL carries debug sections"; fi
$objdump -h "$dll" | grep -q '\.gnu_debuglink' || fail "the packaged DLL has no debug link"
exports() { $objdump -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -o 'PI_[A-Za-z]*' | sort; }
[ "$(exports "$dll")" = "$(exports build/win32/tintwell.dll)" ] || fail "exports differ from the built DLL's"
[ "$(exports "$dll" | tr '\n' ' ')" = "PI_About PI_Close PI_Finish PI_Msg PI_Open PI_Parameters PI_Start PI_Work " ] ||
  fail "exports are not the eight entry points: $(exports "$dll" | tr '\n' ' ')"
imports=$($objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
for i in $imports; do
  case "$i" in kernel32.dll|msvcrt.dll|user32.dll|advapi32.dll) ;; *) fail "imports a non-system DLL: $i";; esac
done
# The packaged DLL in the stand-in host and under the DLL tests: the programs
# load tintwell.dll from their own directory.
cp build/win32/simhost_session.exe build/win32/tintwell_dll_tests.exe "$unpacked/$name/"
(cd "$unpacked/$name" && wine ./simhost_session.exe >session.txt 2>&1) || { cat "$unpacked/$name/session.txt"; fail "session"; }
grep -q 'PI_Close' "$unpacked/$name/session.txt" || fail "the session did not reach PI_Close"
(cd "$unpacked/$name" && wine ./tintwell_dll_tests.exe >tests.txt 2>&1) || { cat "$unpacked/$name/tests.txt"; fail "DLL tests"; }
tr -d '\r' <"$unpacked/$name/tests.txt" | grep '^version resource:' | sed 's/^/# /'
echo "# stripped DLL: $(stat -c %s "$dll") bytes (built: $(stat -c %s build/win32/tintwell.dll)); imports: $imports"
echo "# exports: $(exports "$dll" | tr '\n' ' ')"
echo "# symbols: $root/$out/$name-symbols.zip"
echo "# package ($(stat -c %s "$out/$name.zip") bytes):"
echo "$root/$out/$name.zip"
