#!/usr/bin/env python3
"""Writes a text file of the package the way the plainest Windows editor
reads it right: UTF-8 with a byte-order mark and CR LF line ends. The
sources in docs/ stay plain UTF-8 with LF ends, easy to edit and diff.

Usage: notepad_text.py SOURCE.txt OUTPUT.txt
"""
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: notepad_text.py SOURCE.txt OUTPUT.txt")
    with open(sys.argv[1], encoding="utf-8-sig") as f:
        text = f.read()
    lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    with open(sys.argv[2], "w", encoding="utf-8-sig", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))


if __name__ == "__main__":
    main()
