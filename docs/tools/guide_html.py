#!/usr/bin/env python3
"""Turns a guide written in plain Markdown (docs/guide-*.md) into one HTML page
an artist opens with a double click.

The subset the guides use: "#", "##", "###" headings, paragraphs, "- " and
"1. " lists, "|" tables, pictures ![alt](pictures/NAME.png), **bold**,
`code` and [links](#anchor). A table of contents is made from the "##"
headings. Every picture named must exist in the output's pictures folder:
a guide that names a missing picture is an error, not a broken page.

Usage: guide_html.py GUIDE.md OUTPUT.html
"""
import html
import os
import re
import sys

STYLE = """body{font-family:"Segoe UI","Microsoft YaHei",sans-serif;max-width:54em;margin:2em auto;padding:0 1em;
line-height:1.5;color:#222}h1{border-bottom:2px solid #c81e28}h2{margin-top:2em;border-bottom:1px solid #ccc}
img{max-width:100%;border:1px solid #ddd;margin:.5em 0}table{border-collapse:collapse;margin:.8em 0}
td,th{border:1px solid #ccc;padding:.25em .6em;vertical-align:top}th{background:#f3f3f3}
code{background:#f3f3f3;padding:0 .2em}nav ol{columns:2}"""


def slug(text, seen):
    base = re.sub(r"[^\w\u4e00-\u9fff-]+", "-", text.lower()).strip("-") or "section"
    name, n = base, 2
    while name in seen:
        name, n = "%s-%d" % (base, n), n + 1
    seen.add(name)
    return name


def inline(text, pictures, folder):
    out, pos = [], 0
    pattern = re.compile(r"!\[([^\]]*)\]\(([^)]+)\)|\[([^\]]+)\]\(([^)]+)\)|\*\*(.+?)\*\*|`([^`]+)`")
    for m in pattern.finditer(text):
        out.append(html.escape(text[pos:m.start()], quote=False))
        if m.group(2):
            path = m.group(2)
            if not os.path.isfile(os.path.join(folder, path)):
                raise SystemExit("guide_html: picture %s is missing next to the guide" % path)
            pictures.append(path)
            out.append('<img src="%s" alt="%s">' % (html.escape(path), html.escape(m.group(1))))
        elif m.group(4):
            out.append('<a href="%s">%s</a>' % (html.escape(m.group(4)), inline(m.group(3), pictures, folder)))
        elif m.group(5):
            out.append("<strong>%s</strong>" % inline(m.group(5), pictures, folder))
        else:
            out.append("<code>%s</code>" % html.escape(m.group(6), quote=False))
        pos = m.end()
    out.append(html.escape(text[pos:], quote=False))
    return "".join(out)


def convert(lines, folder):
    body, toc, pictures, seen = [], [], [], set()
    title, lang = "Tintwell", "en"
    para, items, kind, table = [], [], None, []

    def flush():
        nonlocal para, items, kind, table
        if para:
            body.append("<p>%s</p>" % inline(" ".join(para), pictures, folder))
        if items:
            body.append("<%s>%s</%s>" % (kind, "".join("<li>%s</li>" % inline(i, pictures, folder) for i in items), kind))
        if table:
            rows = [[c.strip() for c in r.strip().strip("|").split("|")] for r in table]
            head, rest = rows[0], [r for r in rows[1:] if not all(re.fullmatch(r":?-+:?", c) for c in r)]
            body.append("<table><tr>%s</tr>%s</table>" % (
                "".join("<th>%s</th>" % inline(c, pictures, folder) for c in head),
                "".join("<tr>%s</tr>" % "".join("<td>%s</td>" % inline(c, pictures, folder) for c in r) for r in rest)))
        para, items, kind, table = [], [], None, []

    for raw in lines:
        line = raw.rstrip("\n")
        m = re.match(r"<!-- lang: ([\w-]+) -->", line)
        if m:
            lang = m.group(1)
            continue
        m = re.match(r"(#{1,3}) (.*)", line)
        if m:
            flush()
            level, text = len(m.group(1)), m.group(2).strip()
            if level == 1:
                title = text
                body.append("<h1>%s</h1>" % inline(text, pictures, folder))
                body.append("<!--TOC-->")
            else:
                anchor = slug(text, seen)
                if level == 2:
                    toc.append((anchor, text))
                body.append('<h%d id="%s">%s</h%d>' % (level, anchor, inline(text, pictures, folder), level))
            continue
        if line.startswith("|"):
            if para or items:
                flush()
            table.append(line)
            continue
        m = re.match(r"(- |\d+\. )(.*)", line)
        if m:
            if para or table:
                flush()
            kind = "ul" if m.group(1) == "- " else "ol"
            items.append(m.group(2))
            continue
        if line.startswith("  ") and items:
            items[-1] += " " + line.strip()
            continue
        if not line.strip():
            flush()
            continue
        if items or table:
            flush()
        para.append(line.strip())
    flush()
    nav = "<nav><ol>%s</ol></nav>" % "".join('<li><a href="#%s">%s</a></li>' % (a, html.escape(t)) for a, t in toc)
    page = "\n".join(body).replace("<!--TOC-->", nav)
    return ('<!DOCTYPE html>\n<html lang="%s"><head><meta charset="utf-8"><title>%s</title><style>%s</style>'
            "</head><body>\n%s\n</body></html>\n" % (lang, html.escape(title), STYLE, page)), pictures


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: guide_html.py GUIDE.md OUTPUT.html")
    with open(sys.argv[1], encoding="utf-8") as f:
        lines = f.readlines()
    page, _ = convert(lines, os.path.dirname(os.path.abspath(sys.argv[2])))
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as f:
        f.write(page)


if __name__ == "__main__":
    main()
