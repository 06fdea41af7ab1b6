#!/usr/bin/env python3
"""Turns a guide written in Markdown (docs/guide-*.md) into one HTML page an
artist opens with a double click, with Python-Markdown (Debian's
python3-markdown) and its tables and table-of-contents extensions.

The page's language comes from a first line "<!-- lang: xx -->", its title
from the "#" heading, and a table of contents of the "##" headings follows
that heading. Every picture named must exist in the output's folder: a guide
that names a missing picture is an error, not a broken page.

Usage: guide_html.py GUIDE.md OUTPUT.html
"""
import html
import os
import re
import sys
from html.parser import HTMLParser

import markdown
from markdown.extensions.toc import slugify_unicode

STYLE = """body{font-family:"Segoe UI","Microsoft YaHei",sans-serif;max-width:54em;margin:2em auto;padding:0 1em;
line-height:1.5;color:#222}h1{border-bottom:2px solid #c81e28}h2{margin-top:2em;border-bottom:1px solid #ccc}
img{max-width:100%;border:1px solid #ddd;margin:.5em .3em .5em 0;vertical-align:middle}
table{border-collapse:collapse;margin:.8em 0}td,th{border:1px solid #ccc;padding:.25em .6em;vertical-align:top}
th{background:#f3f3f3}code{background:#f3f3f3;padding:0 .2em}.toc ul{columns:2}"""


class Pictures(HTMLParser):
    def __init__(self):
        super().__init__()
        self.sources = []

    def handle_starttag(self, tag, attrs):
        if tag == "img":
            self.sources.append(dict(attrs).get("src", ""))


def convert(text, folder):
    lang = "en"
    m = re.match(r"\s*<!-- lang: ([\w-]+) -->\n", text)
    if m:
        lang, text = m.group(1), text[m.end():]
    title = re.search(r"^# (.+)$", text, re.M)
    if not title:
        raise SystemExit("guide_html: the guide has no \"#\" title")
    # The contents list right under the title.
    text = text[:title.end()] + "\n\n[TOC]\n" + text[title.end():]
    md = markdown.Markdown(extensions=["tables", "toc", "sane_lists"],
                           extension_configs={"toc": {"toc_depth": "2-2", "slugify": slugify_unicode,
                                                      "title": ""}},
                           output_format="html")
    body = md.convert(text)
    pictures = Pictures()
    pictures.feed(body)
    for source in pictures.sources:
        if not os.path.isfile(os.path.join(folder, source)):
            raise SystemExit("guide_html: picture %s is missing next to the guide" % source)
    page = ('<!DOCTYPE html>\n<html lang="%s"><head><meta charset="utf-8"><title>%s</title><style>%s</style>'
            "</head><body>\n%s\n</body></html>\n" % (lang, html.escape(title.group(1).strip()), STYLE, body))
    return page, pictures.sources


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: guide_html.py GUIDE.md OUTPUT.html")
    with open(sys.argv[1], encoding="utf-8") as f:
        text = f.read()
    page, _ = convert(text, os.path.dirname(os.path.abspath(sys.argv[2])))
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as f:
        f.write(page)


if __name__ == "__main__":
    main()
