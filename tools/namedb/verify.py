#!/usr/bin/env python3
"""Checks the committed name files by the rules the tool keeps when it writes them.

    python3 tools/namedb/verify.py [database folder]

A file edited past the tool fails here (CTest runs this as namedb_files): every rule of checks.run_all,
each file exactly as writers.name_file_bytes writes it, every plain spelling with its line in us-counts.txt,
every hand addition in its file, the meanings as the tool writes them from meanings.tsv, and the meanings of
the gold set (gold/meanings.tsv) kept word for word. Prints the problems and exits with 1 when there are any.
"""

import sys
from pathlib import Path
from typing import Dict, List, Mapping, Tuple

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import checks  # noqa: E402
import curation  # noqa: E402
import facts  # noqa: E402
import origins  # noqa: E402
import writers  # noqa: E402
from records import NameKey, Usage  # noqa: E402

COUNTS = HERE / "us-counts.txt"
GOLD_MEANINGS = HERE / "gold" / "meanings.tsv"


def read_name_files(folder: Path, file_names: List[str]) -> Tuple[Dict[str, List[str]], List[str]]:
    """The names of each file, and the files that are not as the tool writes them."""
    files: Dict[str, List[str]] = {}
    problems: List[str] = []
    for name in file_names:
        path = folder / name
        try:
            data = path.read_bytes()
            names = data.decode("utf-8").split("\n")[:-1]
            files[name] = names
            expected = writers.name_file_bytes(names)
        except OSError as error:
            problems.append(f"{name}: cannot be read: {error.strerror}")
            continue
        except UnicodeDecodeError:
            problems.append(f"{name}: not UTF-8")
            continue
        except writers.FormatError as error:
            problems.append(f"{name}: {error}")
            continue
        if data != expected:
            problems.append(f"{name}: not as the tool writes it (sorted, each name once, one a line, ended by LF)")
    return files, problems


def read_counts(path: Path) -> Dict[NameKey, Usage]:
    """The US births of us-counts.txt, as the checks take them (the totals alone)."""
    usage: Dict[NameKey, Usage] = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        fields = line.split("\t")
        if line.startswith("#") or len(fields) != 3:
            continue
        for sex, births in (("f", fields[1]), ("m", fields[2])):
            if int(births):
                usage[NameKey(fields[0], sex)] = Usage(int(births), 0, 0, 0, 0)
    return usage


def past_the_tool(files: Mapping[str, List[str]], corrections: Mapping[str, curation.Corrections],
                  counted: set) -> List[str]:
    """Names that only an edit past the tool explains: a plain spelling the counts file does not list, a hand
    addition missing from its file."""
    problems = []
    for name, names in files.items():
        unknown = [n for n in names if checks.counts_key(n) is not None and checks.counts_key(n) not in counted]
        if unknown:
            problems.append(f"{name}: no line in us-counts.txt for {', '.join(unknown)}")
        present = set(names)
        missing = [a.name for a in corrections[name].additions if a.name not in present]
        if missing:
            problems.append(f"{name}: added by its curation but not in the file: {', '.join(missing)}")
    return problems


def meaning_problems(database: Path, files: Mapping[str, List[str]]) -> List[str]:
    """The meanings file as the tool writes it from meanings.tsv for these name files, and the gold set's
    meanings unchanged there."""
    names: Dict[str, List[Tuple[str, str]]] = {}
    for origin, sex, file_name in origins.all_files():
        for name in files.get(file_name, []):
            names.setdefault(name, []).append((origin, sex))
    try:
        written = facts.read_meanings(facts.MEANINGS_SOURCE)
        expected = facts.meaning_lines(names, written)
        gold = facts.read_meanings(GOLD_MEANINGS) if GOLD_MEANINGS.exists() else {}
        committed = [line for line in (database / facts.MEANINGS).read_text(encoding="utf-8").splitlines()
                     if not line.startswith("#")]
    except (facts.MeaningsError, OSError, UnicodeDecodeError) as error:
        return [f"meanings: {error}"]
    problems = []
    if committed != expected:
        problems.append("meanings.txt: not as the tool writes it from meanings.tsv")
    changed = [f"{name} ({sex})" for (name, sex), meaning in gold.items() if written.get((name, sex)) != meaning]
    if changed:
        problems.append(f"meanings.tsv: the gold set's meanings differ for {', '.join(changed)}")
    return problems


def main(argv=None) -> int:
    args = sys.argv[1:] if argv is None else argv
    database = Path(args[0]) if args else HERE.parent.parent / "database"
    file_names = [name for _, _, name in origins.all_files()]
    try:
        files, problems = read_name_files(database, file_names)
        corrections = curation.read_all(HERE / "curation", file_names)
        statistics = checks.read_all_statistics(HERE / "statistics")
        sources = checks.read_sources(HERE / "sources.txt")
        usage = read_counts(COUNTS)
        counted = {line.split("\t")[0] for line in COUNTS.read_text(encoding="utf-8").splitlines()
                   if not line.startswith("#")}
    except (curation.CurationError, OSError, ValueError) as error:
        print(f"namedb: {error}", file=sys.stderr)
        return 1
    problems += checks.run_all(files, corrections, usage, statistics, sources)
    problems += past_the_tool(files, corrections, counted)
    problems += meaning_problems(database, files)
    if problems:
        print("namedb: the name files break these rules:\n" + "\n".join(problems), file=sys.stderr)
        return 1
    print(f"namedb: {len(files)} name files keep every rule")
    return 0


if __name__ == "__main__":
    sys.exit(main())
