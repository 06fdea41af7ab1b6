#!/usr/bin/env bash
# Makes the release an artist installs, then checks it as a user would get it.
#   build/package/tintwell-<version>-win32.zip          the package
#   build/package/tintwell-<version>-win32-symbols.zip  Chinese/ and English/
#       tintwell.dll.debug, the stripped DLLs' symbols (each debug link names
#       the file beside it)
# Steps: the native build renders the panel pictures (panel_pictures) and
# the desktop host, in a virtual X server, shows the screens the guide
# pictures (docs/tools/guide_shots.sh, once per language with that language's
# build); docs/tools/label_pictures.py labels and crops them (Pillow) and
# docs/tools/guide_html.py makes the guides (docs/guide-*.md) HTML pages next
# to them (Python-Markdown) in build/guide; the win32 build makes both stripped
# DLLs, the install text and the change list; `cmake --install` rules and
# CPack's ZIP generator make the package.
# The check unpacks it and fails on: a file list other than the two DLLs
# (Chinese/, English/), the two texts, the two guide pages and exactly the
# pictures the pages name; literal Markdown in a page; texts without CR LF
# line ends and a byte-order mark; a DLL that is not stripped, exports other
# than the eight entry points, imports a non-system DLL or lacks its version
# resource's LegalCopyright or CompanyName; a DLL whose texts read back under
# wine (title, quick help, shortcut labels, through tests/package/texts_probe)
# are not its language's built-in texts; a failing session in the stand-in host
# or failing DLL tests with the default (Chinese) DLL.
# Prints the package's path last. --check-only skips building.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export WINEDEBUG=-all
jobs=$(nproc 2>/dev/null || echo 2)
# Debian's Python, which has the Markdown and imaging packages
# (tools/install-deps.sh), even where another python3 comes first on PATH.
py=/usr/bin/python3
[ -x "$py" ] || py=python3
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
  echo "# guide: panel pictures (native build), desktop screens under Xvfb, callouts, HTML pages"
  run cmake --preset default
  run cmake --build --preset default -j"$jobs" --target panel_pictures tintwell tintwell_en tintwell_desktop
  [ -x build/default/tintwell_desktop ] || { echo "package: the desktop host was not built (SDL2, Dear ImGui?)" >&2; exit 1; }
  rm -rf build/guide build/guide-rendered build/guide-screens
  mkdir -p build/guide-rendered build/guide-screens build/guide/pictures
  run build/default/panel_pictures build/guide-rendered
  run bash docs/tools/guide_shots.sh build/default/tintwell_desktop build/default/english/tintwell.so build/guide-screens en
  run bash docs/tools/guide_shots.sh build/default/tintwell_desktop build/default/tintwell.so build/guide-screens zh-CN
  run "$py" docs/tools/label_pictures.py build/guide-rendered build/guide-screens build/guide/pictures en zh-CN
  for lang in en zh-CN; do
    run "$py" docs/tools/guide_html.py "docs/guide-$lang.md" "build/guide/guide-$lang.html"
  done
  # Only what the pages show goes into the package.
  "$py" - build/guide <<'PY'
import os, re, sys
folder = sys.argv[1]
named = set()
for lang in ("en", "zh-CN"):
    page = open(os.path.join(folder, "guide-%s.html" % lang), encoding="utf-8").read()
    named |= set(re.findall(r'<img [^>]*src="pictures/([^"]+)"', page))
for picture in os.listdir(os.path.join(folder, "pictures")):
    if picture not in named:
        os.remove(os.path.join(folder, "pictures", picture))
PY

  echo "# release DLLs and package (win32 build, cmake --install rules, CPack ZIP)"
  run cmake --preset win32 -DTINTWELL_GUIDE_DIR="$root/build/guide"
  run cmake --build --preset win32 -j"$jobs" --target tintwell tintwell_en tintwell_release simhost_session \
    tintwell_dll_tests texts_probe
  rm -f "$out/$name.zip" "$out/$name-symbols.zip"
  run cpack --config build/win32/CPackConfig.cmake -B "$out"
  rm -rf "$out/_CPack_Packages"
  symbols=$(mktemp -d)
  run cmake --install build/win32 --component symbols --prefix "$symbols"
  (cd "$symbols" && cmake -E tar cf "$root/$out/$name-symbols.zip" --format=zip Chinese English)
  rm -rf "$symbols"
fi

# ---------------------------------------------------------------- the check
echo "# checking $out/$name.zip"
fail() { echo "package check FAILED: $*" >&2; exit 1; }
[ -f "$out/$name.zip" ] || fail "no $out/$name.zip"
[ -f "$out/$name-symbols.zip" ] || fail "no $out/$name-symbols.zip"
unpacked=$(mktemp -d)
trap 'rm -f "$log"; rm -rf "$unpacked"' EXIT
"$py" - "$out/$name.zip" "$unpacked" "$name" "$out/$name-symbols.zip" <<'PY' || fail "contents"
import re, sys, zipfile
archive, target, top, symbols = sys.argv[1:5]
with zipfile.ZipFile(archive) as z:
    names = sorted(n for n in z.namelist() if not n.endswith("/"))
    z.extractall(target)
expected = {top + "/" + n for n in ("Chinese/tintwell.dll", "English/tintwell.dll", "INSTALL.txt", "CHANGES.txt",
                                    "guide/guide-en.html", "guide/guide-zh-CN.html")}
sections = {}
for lang in ("en", "zh-CN"):
    page = open("%s/%s/guide/guide-%s.html" % (target, top, lang), encoding="utf-8").read()
    pictures = set(re.findall(r'<img [^>]*src="(pictures/[^"]+)"', page))
    sections[lang] = len(re.findall(r"<h2[ >]", page))
    expected |= {top + "/guide/" + p for p in pictures}
missing, extra = sorted(expected - set(names)), sorted(set(names) - expected)
if missing or extra:
    sys.exit("the guides name pictures the package lacks, or files are missing: %s; unexpected: %s" % (missing, extra))
if sections["en"] != sections["zh-CN"] or sections["en"] < 10:
    sys.exit("guide sections: %s" % sections)
for text in ("INSTALL.txt", "CHANGES.txt"):
    data = open("%s/%s/%s" % (target, top, text), "rb").read()
    if not data.startswith(b"\xef\xbb\xbf"):
        sys.exit(text + ": no UTF-8 byte-order mark")
    if data.replace(b"\r\n", b"").count(b"\n") or data.replace(b"\r\n", b"").count(b"\r") or not data.endswith(b"\r\n"):
        sys.exit(text + ": not every line ends in CR LF")
    data[3:].decode("utf-8")
with zipfile.ZipFile(symbols) as z:
    debug = sorted(n for n in z.namelist() if not n.endswith("/"))
if debug != ["Chinese/tintwell.dll.debug", "English/tintwell.dll.debug"]:
    sys.exit("symbols: %s" % debug)
print("# %d files; guide sections: %s" % (len(names), sections))
for n in names:
    print("#   " + n[len(top) + 1:])
PY
"$py" docs/tools/check_guide_html.py "$unpacked/$name/guide/guide-en.html" "$unpacked/$name/guide/guide-zh-CN.html" ||
  fail "the guide pages"
objdump=i686-w64-mingw32-objdump
exports() { $objdump -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -o 'PI_[A-Za-z]*' | sort; }
# One resource string of a DLL (UTF-16 in the version resource).
resource_string() {
  "$py" - "$1" "$2" <<'PY'
import sys
data, key = open(sys.argv[1], "rb").read(), sys.argv[2].encode("utf-16-le") + b"\0\0"
at = data.find(key)
if at < 0:
    sys.exit(0)
at += len(key)
at += (4 - at % 4) % 4  # values start on a 32-bit boundary
end = at
while end + 1 < len(data) and data[end:end + 2] != b"\0\0":
    end += 2
print(data[at:end].decode("utf-16-le"))
PY
}
for folder in Chinese English; do
  dll="$unpacked/$name/$folder/tintwell.dll"
  case "$folder" in Chinese) built=build/win32/tintwell.dll ;; *) built=build/win32/english/tintwell.dll ;; esac
  if $objdump -h "$dll" | grep -q '\.debug_'; then fail "$folder: the packaged DLL carries debug sections"; fi
  $objdump -h "$dll" | grep -q '\.gnu_debuglink' || fail "$folder: the packaged DLL has no debug link"
  [ "$(exports "$dll")" = "$(exports "$built")" ] || fail "$folder: exports differ from the built DLL's"
  [ "$(exports "$dll" | tr '\n' ' ')" = "PI_About PI_Close PI_Finish PI_Msg PI_Open PI_Parameters PI_Start PI_Work " ] ||
    fail "$folder: exports are not the eight entry points: $(exports "$dll" | tr '\n' ' ')"
  imports=$($objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
  for i in $imports; do
    case "$i" in kernel32.dll|msvcrt.dll|user32.dll|advapi32.dll) ;; *) fail "$folder: imports a non-system DLL: $i";; esac
  done
  for key in CompanyName LegalCopyright FileDescription; do
    value=$(resource_string "$dll" "$key")
    [ -n "$value" ] || fail "$folder: the version resource has no $key"
    echo "# $folder/tintwell.dll $key: $value"
  done
  echo "# $folder/tintwell.dll stripped: $(stat -c %s "$dll") bytes (built: $(stat -c %s "$built")); imports: $imports"
  # Its texts as the host gets them: read back under wine and compared with
  # the build's own source of built-in texts.
  cp build/win32/texts_probe.exe "$unpacked/$name/$folder/"
  (cd "$unpacked/$name/$folder" && wine ./texts_probe.exe >texts.txt 2>texts.err) ||
    { cat "$unpacked/$name/$folder/texts.err"; fail "$folder: texts_probe"; }
  "$py" - "$folder" "$unpacked/$name/$folder/texts.txt" <<'PY' || fail "$folder: texts"
import re, sys
folder, path = sys.argv[1:3]
def unescape(s):
    return re.sub(r"\\x([0-9a-f]{2})", lambda m: chr(int(m.group(1), 16)), s).encode("latin-1")
got = {}
shortcuts = []
for line in open(path, encoding="ascii").read().replace("\r", "").splitlines():
    m = re.match(r'^(name|title|help-title|help|shortcut (\S+)) "(.*)"$', line)
    if not m:
        sys.exit("unreadable line: " + line)
    value = unescape(m.group(3))
    if m.group(2):
        shortcuts.append((m.group(2), value))
    else:
        got[m.group(1)] = value
def source(path, english):
    texts = {}
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if not line or line.startswith("#"):
            continue
        parts = line.split("\t")
        texts[int(parts[0])] = (parts[-1] if english else parts[2]).replace("\\n", "\n").replace("\\\\", "\\")
    return texts
english = folder == "English"
texts = source("tools/builtin_texts_en.txt" if english else "tools/builtin_texts.txt", english)
encoding = "ascii" if english else "gbk"
want = {"name": texts[100], "title": texts[10000], "help-title": texts[50002], "help": texts[50003]}
for key, text in want.items():
    if got.get(key) != text.encode(encoding):
        sys.exit("%s: got %r, want %r" % (key, got.get(key, b"").decode(encoding, "replace"), text))
keys = [k for k, _ in shortcuts]
if keys != list("sSRxrdlkKTUut"):
    sys.exit("shortcut keys %s" % keys)
for i, (key, label) in enumerate(shortcuts):
    if label != texts[-(i + 1)].encode(encoding):
        sys.exit("shortcut %s: got %r, want %r" % (key, label.decode(encoding, "replace"), texts[-(i + 1)]))
if texts[100] != "Tintwell":
    sys.exit("the plug-in's name (its settings section) is %r" % texts[100])
show = lambda b: b.decode(encoding).replace("\n", "\\n")
print("# %s/tintwell.dll texts read back under wine: name \"%s\", title \"%s\", quick help \"%s\" / \"%s\", "
      "shortcut s \"%s\"" % (folder, show(got["name"]), show(got["title"]), show(got["help-title"]),
                             show(got["help"]), show(shortcuts[0][1])))
PY
  # The stand-in host's session with each DLL.
  cp build/win32/simhost_session.exe "$unpacked/$name/$folder/"
  (cd "$unpacked/$name/$folder" && wine ./simhost_session.exe >session.txt 2>&1) ||
    { cat "$unpacked/$name/$folder/session.txt"; fail "$folder: session"; }
  grep -q 'PI_Close' "$unpacked/$name/$folder/session.txt" || fail "$folder: the session did not reach PI_Close"
  grep -q '^# 0 faults' <(tr -d '\r' <"$unpacked/$name/$folder/session.txt") || fail "$folder: the session had faults"
done
# The black-box DLL tests run on the default (Chinese) DLL, whose built-in
# texts they expect; they load tintwell.dll from their own folder.
cp build/win32/tintwell_dll_tests.exe "$unpacked/$name/Chinese/"
(cd "$unpacked/$name/Chinese" && wine ./tintwell_dll_tests.exe >tests.txt 2>&1) ||
  { cat "$unpacked/$name/Chinese/tests.txt"; fail "DLL tests"; }
tr -d '\r' <"$unpacked/$name/Chinese/tests.txt" | grep '^version resource:' | sed 's/^/# Chinese: /'
echo "# exports: $(exports "$unpacked/$name/Chinese/tintwell.dll" | tr '\n' ' ')"
echo "# symbols: $root/$out/$name-symbols.zip"
echo "# package ($(stat -c %s "$out/$name.zip") bytes):"
echo "$root/$out/$name.zip"
