#!/usr/bin/env python3
"""Builds the LOCALIZE resource: localize.txt (UTF-8) and the help documents
into one text in code page 1251, CR LF between entries.

    make_localize.py localize.txt OUTPUT

Fails when a key is missing in one of the two languages, when a text has no
code-page-1251 form, or when a help document is no single RTF group."""
import os
import sys


def rtf_line(path):
    """A help document on one line: line breaks become blanks (RTF ends a
    control word at a blank and ignores line breaks), and every character
    beyond ASCII becomes its code-page-1251 escape."""
    text = open(path, encoding="utf-8").read()
    text = " ".join(part.strip() for part in text.splitlines() if part.strip())
    out = []
    for ch in text:
        if ord(ch) < 128:
            out.append(ch)
        else:
            out.append("\\'%02x" % ch.encode("cp1251")[0])
    line = "".join(out)
    if not (line.startswith("{\\rtf1") and line.endswith("}")):
        sys.exit("%s: not an RTF document" % path)
    if line.count("{") != line.count("}"):
        sys.exit("%s: braces do not pair" % path)
    return line


def main(source, output):
    here = os.path.dirname(os.path.abspath(source))
    entries = []
    for number, raw in enumerate(open(source, encoding="utf-8").read().splitlines(), 1):
        if not raw.strip() or raw.startswith("#"):
            continue
        name, sep, text = raw.partition("=")
        lang, _, key = name.partition("_")
        if not sep or lang not in ("0", "1") or not key:
            sys.exit("%s:%d: not an entry: %s" % (source, number, raw))
        if text.startswith("@"):
            text = rtf_line(os.path.join(here, text[1:]))
        else:
            text = text.replace("\\t", "\t")
        entries.append((lang, key, text))
    keys = {lang: [k for l, k, _ in entries if l == lang] for lang in ("0", "1")}
    for lang, other in (("0", "1"), ("1", "0")):
        missing = sorted(set(keys[other]) - set(keys[lang]))
        if missing:
            sys.exit("language %s lacks: %s" % (lang, ", ".join(missing)))
        if len(set(keys[lang])) != len(keys[lang]):
            sys.exit("language %s has a key twice" % lang)
    data = "\r\n".join("%s_%s=%s" % e for e in entries) + "\r\n"
    try:
        encoded = data.encode("cp1251")
    except UnicodeEncodeError as e:
        sys.exit("no code-page-1251 form: %r" % data[e.start:e.end])
    with open(output, "wb") as f:
        f.write(encoded)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
