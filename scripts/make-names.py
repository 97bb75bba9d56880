#!/usr/bin/env python3
"""Writes data/names.txt, the names the Analyzer's Proper Nouns kind knows, from Debian's word lists.

    scripts/make-names.py [--check]

Reads /usr/share/dict/american-english-large and british-english-large (Debian packages
wamerican-large and wbritish-large, installed with apt-get when missing), the lists the spell
checker's dictionary is made from. The dictionary holds every word lower-cased, so it cannot tell
Paris from a common word; this file can. One lower-cased word a line, sorted:

  paris     the lists hold it only capitalised: a name wherever it stands
  bill*     the lists hold it capitalised and lower-cased too: a name only inside a sentence

Words of one letter, with an apostrophe or outside Windows-1252 are left out. --check
regenerates into memory and fails when the committed file differs.
"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "data", "names.txt")
LISTS = [("/usr/share/dict/american-english-large", "wamerican-large"),
         ("/usr/share/dict/british-english-large", "wbritish-large")]
LETTERS = re.compile("^[A-Za-z\xc0-\xd6\xd8-\xf6\xf8-\xff]{2,}$")


def ensure_lists():
    missing = [pkg for path, pkg in LISTS if not os.path.exists(path)]
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.check_call(sudo + ["apt-get", "install", "-y", "-qq"] + missing)


def build():
    ensure_lists()
    capitalised, lower = set(), set()
    for path, _ in LISTS:
        with open(path, encoding="utf-8") as f:
            for line in f:
                w = line.strip()
                try:
                    w = w.encode("cp1252").decode("latin-1")
                except UnicodeEncodeError:
                    continue
                if not LETTERS.match(w):
                    continue
                (capitalised if w[0].isupper() else lower).add(w.lower())
    lines = [w if w not in lower else w + "*" for w in sorted(capitalised)]
    return ("\n".join(lines) + "\n").encode("latin-1"), len(capitalised - lower), len(capitalised & lower)


def main():
    data, only, both = build()
    if "--check" in sys.argv:
        if open(OUT, "rb").read() != data:
            sys.exit("make-names: differs from the committed data/names.txt")
        return
    with open(OUT, "wb") as f:
        f.write(data)
    print("%d names, %d also ordinary words" % (only, both))


if __name__ == "__main__":
    main()
