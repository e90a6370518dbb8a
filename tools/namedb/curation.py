"""Hand corrections, applied after the automatic step.

Each name file has a small text file of its own in curation/, named like it
with .txt instead of .nam (curation/celtig.txt for database/celtig.nam):

    # a comment
    -Kasara                strike a name the automatic step put in
    @scb-2021              the source of the additions below it (a key of sources.txt)
    +Anna                  add a name the automatic step missed
    !plain Odhran  # why   keep a name that a check of checks.py would refuse, and say why

Strikes and additions are checked against the automatic result, so a line that
no longer does anything (the name was already gone, or already there) is
reported instead of lingering unnoticed. An addition before any "@" line has no
source, and an exception without a reason is refused; checks.py reports both.
"""

import unicodedata
from pathlib import Path
from typing import Dict, List, NamedTuple, Optional, Tuple

# The checks a name may be excused from, each with the reason written beside it.
EXCEPTION_KINDS = ("plain", "sex", "both")


class CurationError(Exception):
    """A curation file that cannot be read or that does not fit the automatic result."""


class Addition(NamedTuple):
    name: str
    source: Optional[str]  # the key of the last "@" line above it, None when there is none
    line: int


class Exception_(NamedTuple):
    kind: str  # one of EXCEPTION_KINDS
    name: str
    reason: str
    line: int


class Corrections(NamedTuple):
    additions: List[Addition]
    removals: List[str]
    exceptions: List[Exception_]

    def added_names(self) -> List[str]:
        return [addition.name for addition in self.additions]

    def excused(self, kind: str) -> Dict[str, str]:
        """The names excused from one check, with their reasons."""
        return {exception.name: exception.reason for exception in self.exceptions if exception.kind == kind}


def clean_name(text: str) -> str:
    return unicodedata.normalize("NFC", text.strip())


def _valid_name(name: str) -> bool:
    return bool(name) and not any(ch.isspace() and ch != " " for ch in name) and "  " not in name and "#" not in name


def _parse_exception(text: str) -> Optional[Tuple[str, str, str]]:
    """("plain", "Odhran", "reason") from "!plain Odhran  # reason"; None when malformed."""
    head, _, reason = text[1:].partition("#")
    kind, _, name = head.strip().partition(" ")
    name = clean_name(name)
    if kind not in EXCEPTION_KINDS or not _valid_name(name):
        return None
    return kind, name, reason.strip()


def read_corrections(path: Path) -> Corrections:
    """The additions, removals and exceptions of one curation file; an absent file corrects nothing."""
    corrections = Corrections([], [], [])
    if not path.exists():
        return corrections
    source: Optional[str] = None
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        text = line.strip()
        if not text or text.startswith("#"):
            continue
        if text.startswith("@"):
            source = text[1:].strip()
            if not source or " " in source:
                raise CurationError(f"{path}:{number}: expected '@source-key', found {line!r}")
            continue
        if text.startswith("!"):
            parsed = _parse_exception(text)
            if parsed is None:
                kinds = ", ".join(EXCEPTION_KINDS)
                raise CurationError(f"{path}:{number}: expected '!kind Name  # reason' (kind: {kinds}), found {line!r}")
            corrections.exceptions.append(Exception_(*parsed, number))
            continue
        name = clean_name(text[1:])
        if text[0] not in "+-" or not _valid_name(name):
            raise CurationError(f"{path}:{number}: expected '+Name' or '-Name', found {line!r}")
        if text[0] == "+":
            corrections.additions.append(Addition(name, source, number))
        else:
            corrections.removals.append(name)
    return corrections


def curation_path(folder: Path, file_name: str) -> Path:
    return folder / (file_name[: -len(".nam")] + ".txt")


def read_all(folder: Path, file_names: List[str]) -> Dict[str, Corrections]:
    """The corrections of every name file, by file name."""
    return {name: read_corrections(curation_path(folder, name)) for name in file_names}


def apply(automatic: Dict[str, List[str]], folder: Path, file_names: List[str], strict: bool = True):
    """The curated content of every file: the automatic names, less the strikes, plus the additions.

    Returns (files, problems). Problems are lines that change nothing; with strict, they are errors.
    """
    curated: Dict[str, List[str]] = {}
    problems: List[str] = []
    known = {curation_path(folder, name).name for name in file_names}
    for stray in sorted(p.name for p in folder.glob("*.txt")) if folder.is_dir() else []:
        if stray not in known:
            problems.append(f"{folder / stray}: belongs to no name file")
    for name in file_names:
        path = curation_path(folder, name)
        corrections = read_corrections(path)
        names = list(dict.fromkeys(automatic.get(name, [])))
        present = set(names)
        added = corrections.added_names()
        for removal in corrections.removals:
            if removal not in present:
                problems.append(f"{path}: -{removal} is not in the automatic result")
        seen = set()
        for addition in added:
            if addition in present:
                problems.append(f"{path}: +{addition} is already in the automatic result")
            if addition in corrections.removals:
                problems.append(f"{path}: {addition} is both added and struck")
            if addition in seen:
                problems.append(f"{path}: +{addition} is added twice")
            seen.add(addition)
        struck = set(corrections.removals)
        result = [n for n in names if n not in struck]
        result += [n for n in added if n not in present and n not in struck]
        curated[name] = list(dict.fromkeys(result))
    if strict and problems:
        raise CurationError("\n".join(problems))
    return curated, problems
