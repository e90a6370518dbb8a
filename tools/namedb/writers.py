"""Outputs of the tool. Today: the name files. Richer outputs (meanings, pronunciations, yearly counts,
for example into an SQLite file) belong here too, fed by the same Selection and Package."""

import unicodedata
from pathlib import Path
from typing import Dict, Iterable, List

from records import NameKey


class FormatError(Exception):
    """A name that a name file cannot hold."""


# Letters that do not decompose into a base letter and a mark, spelled out so that they sort with their
# neighbours ("Æthelflæd" with "Aethelflaed", "Søren" with "Soren"); the okina and apostrophes do not count.
_SPELLED_OUT = str.maketrans({"æ": "ae", "ø": "o", "œ": "oe", "ð": "d", "þ": "th", "ł": "l", "đ": "d",
                              "ʻ": None, "'": None, "\u2019": None})


def sort_key(name: str):
    """Locale-independent order: letters without accents and case first, then case, then code points.

    "Émile" sorts with "Emile", not after "Z", and the result does not depend on the machine's locale.
    """
    folded = name.casefold()
    base = "".join(ch for ch in unicodedata.normalize("NFKD", folded) if not unicodedata.combining(ch))
    return (base.translate(_SPELLED_OUT), folded, name)


def check_name(name: str) -> None:
    if not name:
        raise FormatError("an empty name")
    if name != name.strip() or any(ch in name for ch in "\r\n\t\0"):
        raise FormatError(f"{name!r}: spaces at an end, or a control character")
    if unicodedata.normalize("NFC", name) != name:
        raise FormatError(f"{name!r}: not in composed (NFC) form")


def name_file_bytes(names: Iterable[str]) -> bytes:
    """The bytes of a name file: UTF-8, sorted, one name per line, each line ended by LF."""
    unique = sorted(set(names), key=sort_key)
    for name in unique:
        check_name(name)
    return "".join(name + "\n" for name in unique).encode("utf-8")


def write_name_files(folder: Path, files: Dict[str, List[str]]) -> None:
    """Writes every name file into folder, replacing what is there."""
    folder.mkdir(parents=True, exist_ok=True)
    for file_name in sorted(files):
        data = name_file_bytes(files[file_name])
        target = folder / file_name
        if not target.exists() or target.read_bytes() != data:
            target.write_bytes(data)


def counts_bytes(files: Dict[str, List[str]], usage) -> bytes:
    """For every plain spelling of the files (letters a-z only): its US births as a girl and as a boy.

    A spelling the counts do not know is listed with two zeros, so that a name added to a file by hand,
    past the tool, is noticed by the tests for having no line here.
    """
    spellings = sorted({name for names in files.values() for name in names
                        if name.isascii() and name.isalpha()}, key=str.casefold)
    lines = ["# The US Social Security births of each plain name of database/, as a girl and as a boy,",
             "# written by tools/namedb/generate.py for tools/namedb/verify.py: name TAB girls TAB boys."]
    seen = set()
    for name in spellings:
        key = name.casefold()
        if key in seen:
            continue
        seen.add(key)
        girls = usage.get(NameKey(key, "f"))
        boys = usage.get(NameKey(key, "m"))
        lines.append(f"{key}\t{girls.total if girls else 0}\t{boys.total if boys else 0}")
    return ("\n".join(lines) + "\n").encode("utf-8")


def write_counts(path: Path, files: Dict[str, List[str]], usage) -> None:
    data = counts_bytes(files, usage)
    if not path.exists() or path.read_bytes() != data:
        path.write_bytes(data)
