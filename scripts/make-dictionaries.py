#!/usr/bin/env python3
"""Writes the spell checker's data files into data/ from Debian's word lists.

    scripts/make-dictionaries.py [--check]

Reads /usr/share/dict/american-english-large and british-english-large (Debian packages
wamerican-large and wbritish-large, installed with apt-get when missing) and writes:

  spell.txt     the main word list: one line per two-letter prefix block, "CA r t \\r\\n"
  spell.kba     the prefix index of spell.txt, i_("ca",Offset,Length) per block
  root.kba      ending and prefix rules, the US and UK variant records, the dialog's texts
  comwords.txt  the common words (also the word index's stop list)

US spellings with a UK counterpart (color, colour) form block "ZX", the UK ones block "ZZ" (no
English word starts with either pair); every other word is in the main list. Text is
Windows-1252, as the program reads it. --check regenerates into memory and fails when a
committed file differs.
"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "data")
LISTS = {
    "us": ("/usr/share/dict/american-english-large", "wamerican-large"),
    "uk": ("/usr/share/dict/british-english-large", "wbritish-large"),
}
US_KEY, UK_KEY = "ZX", "ZZ"

# Lower-case letters of Windows-1252 (ASCII and the accented range, without the division sign).
LOWER = "a-z\xdf-\xf6\xf8-\xff"
WORD = re.compile("^[a-z][a-z][" + LOWER + "]+$")

# Function words left out of the word index and accepted at once. The stems of contractions
# are here because the tokeniser splits "isn't" into isn, ' and t.
COMMON = """
a about above after again against all almost also although always am among an and another any
anyone anything are around as at away back be because been before being below between both but
by can cannot could did do does doing done down during each either else enough even ever every
few for from further get gets got had has have having he her here hers herself him himself his
how however i if in into is it its itself just least less like many may me might more most much
must my myself neither never no nobody none nor not nothing now of off often on once one only
onto or other others otherwise our ours ourselves out over own per perhaps quite rather same
shall she should since so some somebody someone something sometimes still such than that the
their theirs them themselves then there these they this those though through thus till to too
toward towards under unless until up upon us very via was we well were what whatever when
whenever where whereas wherever whether which while who whoever whole whom whose why will with
within without would yet you your yours yourself yourselves
ain aren couldn didn doesn don hadn hasn haven isn mightn mustn needn shan shouldn wasn weren
won wouldn
""".split()

# Ending rules: the list already holds inflected forms, so only the exact match and the
# variant endings the program adds at load are needed.
ENDINGS = [("", "")]
PREFIXES = ["anti", "inter", "micro", "mini", "multi", "non", "over", "pre", "re", "semi",
            "sub", "super", "un", "under"]
VARIANTS = [
    (0, US_KEY, ["ize", "ized", "izes", "izing", "ization"]),
    (1, UK_KEY, ["ise", "ised", "ises", "ising", "isation"]),
]
MESSAGES = [(1, "Repeated word"), (2, "End of text"), (3, "Word not found")]


def ensure_lists():
    missing = [pkg for path, pkg in LISTS.values() if not os.path.exists(path)]
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.check_call(sudo + ["apt-get", "install", "-y", "-qq"] + missing)


def read_list(path):
    words = set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            w = line.strip().lower()
            if "'" in w:
                continue
            try:
                w = w.encode("cp1252").decode("latin-1")
            except UnicodeEncodeError:
                continue
            if WORD.match(w) and w[:2] not in (US_KEY.lower(), UK_KEY.lower()):
                words.add(w)
    return words


# Spelling differences between the variants, US form then UK form. A word of one list only is a
# variant when one or two of these changes turn it into a word of the other list; any other
# word of one list only is a gap in the other list and goes to the main list.
PAIRS = [("iz", "is"), ("yz", "ys"), ("or", "our"), ("er", "re"),
         ("og", "ogue"), ("el", "ell"), ("l", "ll"), ("ense", "ence"), ("e", "ae"), ("e", "oe"),
         ("gment", "gement"), ("aging", "ageing"), ("ow", "ough"), ("ay", "ey"), ("am", "amme"),
         ("ire", "yre"), ("um", "ium"), ("eck", "eque"), ("ett", "et"), ("ke", "que"), ("ction", "xion")]


def variants_of(word, pairs):
    out = set()
    for a, b in pairs:
        i = word.find(a)
        while i >= 0:
            out.add(word[:i] + b + word[i + len(a):])
            i = word.find(a, i + 1)
    return out


def paired(words, others, pairs):
    found = set()
    for w in words:
        once = variants_of(w, pairs)
        if once & others or any(variants_of(v, pairs) & others for v in once):
            found.add(w)
    return found


def quote(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def build():
    ensure_lists()
    us = read_list(LISTS["us"][0])
    uk = read_list(LISTS["uk"][0])
    us_var = paired(us - uk, uk, PAIRS)
    uk_var = paired(uk - us, us, [(b, a) for a, b in PAIRS])
    main = (us & uk) | (us - uk - us_var) | (uk - us - uk_var)
    blocks = {}
    for w in main:
        blocks.setdefault(w[:2].upper(), []).append(w[2:])
    lines = {k: k + "".join(" " + r for r in sorted(v)) + " " for k, v in blocks.items()}
    lines[US_KEY] = US_KEY + "".join(" " + w for w in sorted(us_var)) + " "
    lines[UK_KEY] = UK_KEY + "".join(" " + w for w in sorted(uk_var)) + " "

    spell = bytearray()
    index = []
    for key in sorted(lines):
        body = lines[key].encode("latin-1")
        index.append((key.lower(), len(spell), len(body)))
        spell += body + b"\r\n"

    kba = "".join('i_(%s,%d,%d)\r\n' % (quote(k), o, n) for k, o, n in index)
    root = []
    root += ["b_(%s)" % quote(p) for p in PREFIXES]
    root += ["e_(%s,%s)" % (quote(s), quote(r)) for s, r in ENDINGS]
    for lang, key, ends in VARIANTS:
        root.append("lang_para_(%d,%s,%s)" % (lang, quote(key.lower()), ",".join(quote(e) for e in ends)))
    root += ["msg_(%d,%s)" % (n, quote(t)) for n, t in MESSAGES]
    root.append('prev_word_("")')
    return {
        "spell.txt": bytes(spell),
        "spell.kba": kba.encode("ascii"),
        "root.kba": ("\r\n".join(root) + "\r\n").encode("ascii"),
        "comwords.txt": ("\n".join(sorted(set(COMMON))) + "\n").encode("ascii"),
    }, (len(main), len(us_var), len(uk_var), len(lines))


def main():
    files, counts = build()
    if "--check" in sys.argv:
        bad = [n for n, b in files.items() if open(os.path.join(DATA, n), "rb").read() != b]
        if bad:
            sys.exit("make-dictionaries: differs from the committed files: " + ", ".join(bad))
        return
    for name, data in files.items():
        with open(os.path.join(DATA, name), "wb") as f:
            f.write(data)
    print("main %d words, US only %d, UK only %d, %d blocks" % counts)


if __name__ == "__main__":
    main()
