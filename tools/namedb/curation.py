"""Hand corrections, applied after the automatic step.

Each name file has a small text file of its own in curation/, named like it
with .txt instead of .nam (curation/celtig.txt for database/celtig.nam):

    # a comment
    -Kasara        strike a name the automatic step put in
    +Ainhoa        add a name the automatic step missed

Strikes and additions are checked against the automatic result, so a line that
no longer does anything (the name was already gone, or already there) is
reported instead of lingering unnoticed.
"""

import unicodedata
from pathlib import Path
from typing import Dict, List, NamedTuple


class CurationError(Exception):
    """A curation file that cannot be read or that does not fit the automatic result."""


class Corrections(NamedTuple):
    additions: List[str]
    removals: List[str]


def clean_name(text: str) -> str:
    return unicodedata.normalize("NFC", text.strip())


def read_corrections(path: Path) -> Corrections:
    """The additions and removals of one curation file; an absent file corrects nothing."""
    additions: List[str] = []
    removals: List[str] = []
    if not path.exists():
        return Corrections(additions, removals)
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        text = line.strip()
        if not text or text.startswith("#"):
            continue
        name = clean_name(text[1:])
        if text[0] not in "+-" or not name or any(ch.isspace() and ch != " " for ch in name) or "  " in name:
            raise CurationError(f"{path}:{number}: expected '+Name' or '-Name', found {line!r}")
        (additions if text[0] == "+" else removals).append(name)
    return Corrections(additions, removals)


def apply(automatic: Dict[str, List[str]], folder: Path, file_names: List[str], strict: bool = True):
    """The curated content of every file: the automatic names, less the strikes, plus the additions.

    Returns (files, problems). Problems are lines that change nothing; with strict, they are errors.
    """
    curated: Dict[str, List[str]] = {}
    problems: List[str] = []
    known = {name[: -len(".nam")] + ".txt" for name in file_names}
    for stray in sorted(p.name for p in folder.glob("*.txt")) if folder.is_dir() else []:
        if stray not in known:
            problems.append(f"{folder / stray}: belongs to no name file")
    for name in file_names:
        path = folder / (name[: -len(".nam")] + ".txt")
        corrections = read_corrections(path)
        names = list(dict.fromkeys(automatic.get(name, [])))
        present = set(names)
        for removal in corrections.removals:
            if removal not in present:
                problems.append(f"{path}: -{removal} is not in the automatic result")
        for addition in corrections.additions:
            if addition in present:
                problems.append(f"{path}: +{addition} is already in the automatic result")
            if addition in corrections.removals:
                problems.append(f"{path}: {addition} is both added and struck")
        struck = set(corrections.removals)
        result = [n for n in names if n not in struck]
        result += [n for n in corrections.additions if n not in present and n not in struck]
        curated[name] = list(dict.fromkeys(result))
    if strict and problems:
        raise CurationError("\n".join(problems))
    return curated, problems
