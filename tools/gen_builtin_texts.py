#!/usr/bin/env python3
"""Tintwell build tool: turns the UTF-8 built-in texts into the bytes the
plug-in carries.

    python3 tools/gen_builtin_texts.py            # rewrite the generated files
    python3 tools/gen_builtin_texts.py --check    # exit 1 when they are stale
    python3 tools/gen_builtin_texts.py --english-table FILE  # build time
    python3 tools/gen_builtin_texts.py --english-loc FILE    # build time

Reads tools/builtin_texts.txt (format described at its top) and writes
  src/store/builtin_texts_gbk.inc  the table rows {number, "GBK bytes"},
                                   each with its UTF-8 original beside it;
  src/store/builtin_texts_ids.h    a named constant for every text number
                                   (texts::kPanelTitle, ...).
These two are kept in the source tree (--check compares them).

The English texts, tools/builtin_texts_en.txt, are one source for two files
the build writes into its own tree, never kept in the source tree:
  --english-table  the English build's table rows, in the same form;
  --english-loc    the desktop host's English localisation file
                   ("NUMBER text" lines, the localisable numbers only).
Both options may be given in one run. Every run checks that the English
source gives each number of the main source exactly once, in ASCII.

Non-ASCII bytes are written as three-digit octal escapes, so an escape can
never swallow the character after it. The output depends only on the input
files, so running the tool twice gives identical files.
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = os.path.join(ROOT, "tools", "builtin_texts.txt")
ENGLISH_SOURCE = os.path.join(ROOT, "tools", "builtin_texts_en.txt")
TABLE = os.path.join(ROOT, "src", "store", "builtin_texts_gbk.inc")
IDS = os.path.join(ROOT, "src", "store", "builtin_texts_ids.h")

LINE = re.compile(r"^(-?[1-9][0-9]*)\t([A-Z][A-Za-z0-9]*)\t(.*)$")
ENGLISH_LINE = re.compile(r"^(-?[1-9][0-9]*)\t(.*)$")


def fail(message):
    sys.stderr.write("gen_builtin_texts: " + message + "\n")
    sys.exit(2)


def unescape(text, where):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            nxt = text[i + 1] if i + 1 < len(text) else ""
            if nxt == "n":
                out.append("\n")
            elif nxt == "\\":
                out.append("\\")
            else:
                fail("%s: unknown escape \\%s" % (where, nxt))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_source():
    entries = []
    numbers = set()
    names = set()
    with open(SOURCE, encoding="utf-8") as f:
        for lineno, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            m = LINE.match(line)
            where = "%s:%d" % (os.path.relpath(SOURCE, ROOT), lineno)
            if not m:
                fail(where + ": expected NUMBER<tab>Name<tab>text")
            number, name, text = int(m.group(1)), m.group(2), unescape(m.group(3), where)
            if number in numbers:
                fail("%s: number %d given twice" % (where, number))
            if name in names:
                fail("%s: name %s given twice" % (where, name))
            if "\0" in text:
                fail(where + ": NUL inside a text")
            try:
                gbk = text.encode("gbk")
            except UnicodeEncodeError as e:
                fail("%s: not representable in GBK: %s" % (where, e))
            numbers.add(number)
            names.add(name)
            entries.append((number, name, text, gbk))
    entries.sort(key=lambda e: e[0])
    return entries


def read_english(entries):
    """The English texts as (number, name, text, bytes), in the order of the
    main source's entries; fails unless every number is given once, in ASCII."""
    names = {number: name for number, name, _text, _bytes in entries}
    texts = {}
    with open(ENGLISH_SOURCE, encoding="utf-8") as f:
        for lineno, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            where = "%s:%d" % (os.path.relpath(ENGLISH_SOURCE, ROOT), lineno)
            m = ENGLISH_LINE.match(line)
            if not m:
                fail(where + ": expected NUMBER<tab>text")
            number, text = int(m.group(1)), unescape(m.group(2), where)
            if number not in names:
                fail("%s: number %d is not in %s" % (where, number, os.path.relpath(SOURCE, ROOT)))
            if number in texts:
                fail("%s: number %d given twice" % (where, number))
            if not text or "\0" in text:
                fail(where + ": an empty text or a NUL inside it")
            try:
                data = text.encode("ascii")
            except UnicodeEncodeError as e:
                fail("%s: not plain ASCII (the host reads the bytes in its own code page): %s" % (where, e))
            texts[number] = (text, data)
    missing = sorted(set(names) - set(texts))
    if missing:
        fail("%s lacks the numbers %s" % (os.path.relpath(ENGLISH_SOURCE, ROOT), missing))
    return [(number, names[number]) + texts[number] for number, _n, _t, _b in entries]


def loc_text(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n")


def render_loc(entries):
    lines = [
        "# Tintwell in English: the desktop host's localisation file (UTF-8).\n",
        "# GENERATED by tools/gen_builtin_texts.py from tools/builtin_texts_en.txt,\n",
        "# the same source as the English build's built-in texts. Do not edit.\n",
        "#\n",
        "# Format: one \"NUMBER text\" line per text; \"\\n\" is a line break and \"\\\\\" a\n",
        "# backslash. Lines that are empty or start with \"#\" are skipped. The texts\n",
        "# that are always built in (shortcut labels, the option dialogs' texts)\n",
        "# are not looked up, so they are not here.\n",
    ]
    for number, _name, text, _data in sorted(entries, key=lambda e: e[0]):
        if number > 0:
            lines.append("%d %s\n" % (number, loc_text(text)))
    return "".join(lines)


def c_literal(data):
    out = ['"']
    for b in data:
        if b == 0x0A:
            out.append("\\n")
        elif b == 0x22:
            out.append('\\"')
        elif b == 0x5C:
            out.append("\\\\")
        elif b == 0x3F:
            out.append("\\?")  # no trigraph can ever form
        elif 0x20 <= b < 0x7F:
            out.append(chr(b))
        else:
            out.append("\\%03o" % b)
    out.append('"')
    return "".join(out)


def comment_text(text):
    # One line, never ending in a backslash (which would splice the next line).
    return '"' + text.replace("\\", "\\\\").replace("\n", "\\n") + '"'


HEADER = (
    "// Tintwell store: GENERATED by tools/gen_builtin_texts.py from\n"
    "// tools/builtin_texts.txt. Do not edit; change the source file and re-run.\n"
)


def render_table(entries, header=HEADER, what="GBK bytes"):
    lines = [header, "// Rows {number, %s}, ascending by number; the UTF-8 original above each.\n" % what]
    for number, name, text, gbk in entries:
        lines.append("// %d %s %s\n" % (number, name, comment_text(text)))
        lines.append("{%d, %s},\n" % (number, c_literal(gbk)))
    return "".join(lines)


def render_ids(entries):
    lines = [HEADER, "#pragma once\n\n#include <cstdint>\n\n"]
    lines.append("// Text numbers. Positive: looked up in the localisation file first;\n")
    lines.append("// negative: private, always the built-in text.\n")
    lines.append("namespace texts {\n\n")
    for number, name, _text, _gbk in entries:
        lines.append("constexpr int32_t k%s = %d;\n" % (name, number))
    lines.append("\n}  // namespace texts\n")
    lines.append("\nconstexpr int kBuiltinTextCount = %d;\n" % len(entries))
    return "".join(lines)


ENGLISH_HEADER = (
    "// Tintwell store: GENERATED at build time by tools/gen_builtin_texts.py from\n"
    "// tools/builtin_texts_en.txt: the English build's built-in texts.\n"
)


def write_file(path, content):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(content)


def main():
    args = sys.argv[1:]
    check = "--check" in args
    entries = read_source()
    english = read_english(entries)
    built = {"--english-table": lambda: render_table(english, ENGLISH_HEADER, "ASCII bytes"),
             "--english-loc": lambda: render_loc(english)}
    wanted = [a for a in args if a in built]
    if wanted:
        for option in wanted:
            position = args.index(option)
            if position + 1 >= len(args):
                fail(option + " needs a file name")
            write_file(args[position + 1], built[option]())
        return
    outputs = {TABLE: render_table(entries), IDS: render_ids(entries)}
    stale = False
    for path, content in outputs.items():
        current = None
        if os.path.exists(path):
            with open(path, encoding="utf-8") as f:
                current = f.read()
        if current == content:
            continue
        stale = True
        if not check:
            with open(path, "w", encoding="utf-8", newline="\n") as f:
                f.write(content)
    if check and stale:
        sys.stderr.write("gen_builtin_texts: generated files are stale; run python3 tools/gen_builtin_texts.py\n")
        sys.exit(1)


if __name__ == "__main__":
    main()
