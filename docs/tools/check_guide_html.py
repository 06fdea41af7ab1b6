#!/usr/bin/env python3
"""Checks a guide page as the reader gets it: no Markdown left showing in its
text, and every picture it names present beside it.

Markdown that a converter did not understand reaches the page as literal
characters: "**bold**", "L\\*a\\*b\\*", "`code`", "[link](#x)", "![alt](p.png)",
"## heading", "|---|". The page's text (outside <code>, <pre>, <style> and
<script>) must hold none of them. Prints each finding with the text around
it and exits 1 when there is any.

Usage: check_guide_html.py PAGE.html...
"""
import os
import re
import sys
from html.parser import HTMLParser

LITERAL = [
    (re.compile(r"\*\*|__\w"), "strong emphasis markers"),
    (re.compile(r"\\[\\`*_{}\[\]()#+\-.!|<>]"), "a backslash escape"),
    (re.compile(r"!\[|\]\(|\]\["), "link or picture brackets"),
    (re.compile(r"`"), "a code backtick"),
    (re.compile(r"(?m)^\s*#{1,6}\s"), "a heading marker"),
    (re.compile(r"\|\s*:?-{3,}"), "a table rule"),
]
SKIPPED = {"code", "pre", "style", "script"}


class PageText(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.depth = 0
        self.chunks = []
        self.pictures = []

    def handle_starttag(self, tag, attrs):
        if tag in SKIPPED:
            self.depth += 1
        if tag == "img":
            self.pictures.append(dict(attrs).get("src") or "")

    def handle_endtag(self, tag):
        if tag in SKIPPED and self.depth:
            self.depth -= 1

    def handle_data(self, data):
        if not self.depth:
            self.chunks.append(data)


def check(path):
    with open(path, encoding="utf-8") as f:
        page = f.read()
    parser = PageText()
    parser.feed(page)
    findings = []
    for chunk in parser.chunks:
        for pattern, what in LITERAL:
            for m in pattern.finditer(chunk):
                around = chunk[max(0, m.start() - 30):m.end() + 30].replace("\n", " ")
                findings.append("%s: literal Markdown (%s): ...%s..." % (path, what, around))
    folder = os.path.dirname(os.path.abspath(path))
    for source in parser.pictures:
        if not source or not os.path.isfile(os.path.join(folder, source)):
            findings.append("%s: names the picture %r, which is not beside it" % (path, source))
    if not parser.pictures:
        findings.append("%s: shows no picture at all" % path)
    return findings


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: check_guide_html.py PAGE.html...")
    findings = [f for path in sys.argv[1:] for f in check(path)]
    for finding in findings:
        print(finding)
    sys.exit(1 if findings else 0)


if __name__ == "__main__":
    main()
