"""Outputs of the tool. Today: the name files. Richer outputs (meanings, pronunciations, yearly counts,
for example into an SQLite file) belong here too, fed by the same Selection and Package."""

import unicodedata
from pathlib import Path
from typing import Dict, Iterable, List


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
