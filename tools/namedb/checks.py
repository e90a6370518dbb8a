"""The rules the curated name files keep. The tool stops when one is broken.

Each check takes plain data (names, counts, corrections) and returns the
problems it finds as sentences, so that it can be tested without the package.
README.md states the policy behind them.
"""

import re
import unicodedata
from pathlib import Path
from typing import Dict, Iterable, List, Mapping, NamedTuple, Optional, Set, Tuple

import curation
from origins import ORIGINS, file_name
from records import NameKey, Usage

# Origins whose language writes accents or letters beyond a-z: their files keep the native spelling, and an
# unaccented copy of a native spelling is refused unless excused with "!plain".
ACCENTED = (
    "Basque", "Celtic", "Czechoslovakian", "Danish", "Dutch", "Finnish", "French", "Gaelic", "German", "Hawaiian",
    "Hungarian", "Irish", "Italian", "Polish", "Portuguese", "Scandinavian", "Scottish", "Slavic", "Spanish",
    "Swedish", "Welsh",
)

# Origins whose names are the names of a people's own use, so that the US counts say nothing of where they are
# used; for the others (English, AfroUSA, Popular) the counts are the place of use.
COUNTS_ARE_HOME = ("English", "AfroUSA", "Popular")

MIN_NAMES = 120
# The historical origins attest fewer names than a living tradition uses.
MIN_NAMES_HISTORICAL = {"Arthurian Legand": 80, "Anglo-Saxon": 80, "Egyptian": 80}

# A name is refused in a sex file when the counts give the other sex more than this share of its births...
OTHER_SEX_LIMIT = 0.95
# ...and know it well enough to tell: fewer births say little.
OTHER_SEX_MIN_BIRTHS = 100

# Spelling variants beyond the first of each group, as a share of a file's names.
VARIANT_SHARE_LIMIT = 0.10
VARIANT_ALLOWANCE = 3

# Of the first names of a country's statistics, the share its file must hold.
COVERAGE_TOP = 50
COVERAGE_SHARE = 0.90


class Rule(NamedTuple):
    """Between related origins: every name of `members` (per sex) is in `target`.

    With `at_least` > 1, only names found in that many of the member files must be in the target.
    """

    target: str
    members: Tuple[str, ...]
    at_least: int
    text: str


RULES = (
    Rule("Scandinavian", ("Swedish", "Danish"), 2, "a name of both the Swedish and the Danish file is Scandinavian"),
    Rule("Gaelic", ("Irish",), 1, "every Irish name is Gaelic"),
    Rule("Celtic", ("Gaelic",), 1, "every Gaelic name is Celtic"),
    Rule("Celtic", ("Welsh",), 1, "every Welsh name is Celtic"),
    Rule("Slavic", ("Czechoslovakian", "Polish", "Russian"), 2, "a name of two of the Czech, Polish and Russian files is Slavic"),
    Rule("Indian", ("Hindi", "Sanskrit"), 1, "every Hindi and every Sanskrit name is Indian"),
)

_SPELLED_OUT = str.maketrans({"æ": "ae", "ø": "o", "œ": "oe", "ð": "d", "þ": "th", "ł": "l", "đ": "d", "ß": "ss",
                              "ʻ": None, "'": None, "\u2019": None})


def fold(name: str) -> str:
    """A name without case, accents or apostrophes: "Søren" -> "soren", "Kaʻiulani" -> "kaiulani"."""
    decomposed = unicodedata.normalize("NFKD", name.casefold())
    return "".join(ch for ch in decomposed if not unicodedata.combining(ch)).translate(_SPELLED_OUT)


def is_plain(name: str) -> bool:
    return fold(name) == name.casefold()


def skeleton(name: str) -> str:
    """What spellings of one name share: "Sophia", "Sofia" -> "sofia"; "Hannah", "Hanna" -> "hana"."""
    text = fold(name).replace(" ", "").replace("-", "")
    text = text.replace("ph", "f").replace("y", "i").replace("w", "v")
    text = re.sub(r"c(?!h)", "k", text)
    text = re.sub(r"(?<=[^cs])h", "", text)
    return re.sub(r"(.)\1+", r"\1", text)


def counts_key(name: str) -> Optional[str]:
    """The spelling under which the US counts hold a name, or None when they cannot hold it.

    Only plain spellings count: "Kári" is a Norse man's name, not the American girls' name "Kari".
    """
    key = name.casefold()
    return key if re.fullmatch(r"[a-z]+", key) else None


def native_sources(origin: str) -> List[str]:
    """The origins whose spellings show how an origin's language writes its names: itself, and for a group
    origin (Scandinavian, Slavic, Gaelic, Celtic) the languages it gathers."""
    found = [origin]
    for rule in RULES:
        if rule.target == origin:
            found += [member for member in rule.members if member not in found]
    if origin in ("Gaelic", "Celtic"):
        found += [extra for extra in ("Irish", "Scottish") if extra not in found]
    return found


# --- the checks --------------------------------------------------------------------------------------------


def check_size(origin: str, names: List[str]) -> List[str]:
    least = 500 if origin == "Popular" else MIN_NAMES_HISTORICAL.get(origin, MIN_NAMES)
    if len(names) < least:
        return [f"{len(names)} names, fewer than {least}"]
    return []


def check_duplicates(names: Iterable[str]) -> List[str]:
    """The same name twice, letter case aside ("McKenzie" and "Mckenzie")."""
    seen: Dict[str, str] = {}
    problems = []
    for name in names:
        key = name.casefold()
        if key in seen:
            problems.append(f"{name} and {seen[key]} are the same name")
        else:
            seen[key] = name
    return problems


def unaccented_twins(names: Iterable[str], native: Iterable[str], excused: Mapping[str, str]) -> List[str]:
    """Plain spellings of names whose native spelling has accents: "Jose" beside a known "José".

    A plain spelling that is itself among the native ones (Polish "Karolina" beside Czech "Karolína", in the
    Slavic file) is no copy.
    """
    native = list(native)
    accented: Dict[str, str] = {}
    for name in native:
        if not is_plain(name):
            accented.setdefault(fold(name), name)
    spelled = set(native)
    problems = []
    for name in names:
        if is_plain(name) and name.casefold() in accented and name not in excused and name not in spelled:
            problems.append(f"{name} is an unaccented copy of {accented[name.casefold()]}")
    return problems


def other_sex(names: Iterable[str], sex: str, usage: Mapping[NameKey, Usage], excused: Mapping[str, str]) -> List[str]:
    """Names the US counts give over OTHER_SEX_LIMIT to the other sex."""
    other = "m" if sex == "f" else "f"
    problems = []
    for name in names:
        key = counts_key(name)
        if key is None or name in excused:
            continue
        own = usage.get(NameKey(key, sex))
        theirs = usage.get(NameKey(key, other))
        own_births = own.total if own else 0
        their_births = theirs.total if theirs else 0
        total = own_births + their_births
        if total >= OTHER_SEX_MIN_BIRTHS and their_births > OTHER_SEX_LIMIT * total:
            share = 100.0 * their_births / total
            problems.append(f"{name}: {share:.1f} % of its {total} US births are of the other sex")
    return problems


def variants(names: List[str]) -> Tuple[int, List[List[str]]]:
    """How many names merely respell another name of the list, and the groups of respellings."""
    groups: Dict[str, List[str]] = {}
    for name in names:
        groups.setdefault(skeleton(name), []).append(name)
    multiple = [group for group in groups.values() if len(group) > 1]
    return sum(len(group) - 1 for group in multiple), multiple


def variant_limit(size: int) -> int:
    return max(VARIANT_ALLOWANCE, int(size * VARIANT_SHARE_LIMIT))


def check_variants(names: List[str]) -> List[str]:
    excess, groups = variants(names)
    limit = variant_limit(len(names))
    if excess <= limit:
        return []
    shown = "; ".join(", ".join(group) for group in groups)
    return [f"{excess} spelling variants, more than {limit}: {shown}"]


def both_sexes(origin: str, girls: Iterable[str], boys: Iterable[str], excused: Mapping[str, str]) -> List[str]:
    """Names in both sex files of an origin whose use by both sexes there nobody has vouched for."""
    if origin in COUNTS_ARE_HOME:
        return []  # the automatic step keeps a spelling for a sex only where the counts show that sex using it
    shared = sorted(set(girls) & set(boys))
    return [f"{name} is in both sex files without a '!both' line saying where both use it"
            for name in shared if name not in excused]


def check_rules(files: Mapping[str, List[str]]) -> List[str]:
    problems = []
    for sex in ("f", "m"):
        def names_of(origin):
            return set(files.get(file_name(origin, sex), []))

        for rule in RULES:
            found: Dict[str, int] = {}
            for member in rule.members:
                for name in names_of(member):
                    found[name] = found.get(name, 0) + 1
            missing = sorted(n for n, times in found.items() if times >= rule.at_least and n not in names_of(rule.target))
            if missing:
                problems.append(f"{file_name(rule.target, sex)}: {rule.text}, but it lacks {', '.join(missing)}")
    return problems


class Statistics(NamedTuple):
    """A country's published ranking for one name file, with the source key of each name."""

    names: List[str]
    sources: Dict[str, str]


def read_statistics(path: Path) -> Statistics:
    names: List[str] = []
    sources: Dict[str, str] = {}
    key = None
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), start=1):
        text = line.strip()
        if not text or text.startswith("#"):
            continue
        if text.startswith("@"):
            key = text[1:].strip()
            continue
        if key is None:
            raise curation.CurationError(f"{path}:{number}: a name before any '@source' line")
        name = unicodedata.normalize("NFC", text)
        names.append(name)
        sources[name] = key
    return Statistics(names, sources)


def read_all_statistics(folder: Path) -> Dict[str, Statistics]:
    """By name file: the statistics kept in folder/<file>.txt."""
    return {path.stem + ".nam": read_statistics(path) for path in sorted(folder.glob("*.txt"))}


def coverage(names: Iterable[str], statistics: Statistics) -> Tuple[float, List[str]]:
    top = statistics.names[:COVERAGE_TOP]
    present = set(names)
    missing = [name for name in top if name not in present]
    return (1.0 - len(missing) / len(top)) if top else 1.0, missing


def check_coverage(names: Iterable[str], statistics: Statistics) -> List[str]:
    share, missing = coverage(names, statistics)
    if share + 1e-9 < COVERAGE_SHARE:
        return [f"holds {100 * share:.0f} % of the first {COVERAGE_TOP} names of its country's statistics, "
                f"less than {100 * COVERAGE_SHARE:.0f} %; missing {', '.join(missing)}"]
    return []


def read_sources(path: Path) -> Dict[str, str]:
    """The source keys the curation may name, with what each stands for ("key: description" lines)."""
    sources = {}
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.strip() and not line.startswith("#"):
            key, _, text = line.partition(":")
            sources[key.strip()] = text.strip()
    return sources


def check_sources(corrections: curation.Corrections, sources: Mapping[str, str],
                  statistics: Mapping[str, Statistics]) -> List[str]:
    """Every addition names a known source, and an addition said to come from a statistic is in it."""
    ranked: Dict[str, Set[str]] = {}
    for table in statistics.values():
        for name, key in table.sources.items():
            ranked.setdefault(key, set()).add(name)
    problems = []
    for addition in corrections.additions:
        where = f"line {addition.line}: +{addition.name}"
        if addition.source is None:
            problems.append(f"{where} has no source (an '@key' line above it)")
        elif addition.source not in sources:
            problems.append(f"{where} names the unknown source {addition.source}")
        elif addition.source in ranked and addition.name not in ranked[addition.source]:
            problems.append(f"{where} is said to come from {addition.source}, whose list does not hold it")
    for exception in corrections.exceptions:
        if not exception.reason:
            problems.append(f"line {exception.line}: !{exception.kind} {exception.name} gives no reason")
    return problems


def check_exceptions_used(corrections: curation.Corrections, names: Iterable[str]) -> List[str]:
    present = set(names)
    return [f"line {e.line}: !{e.kind} {e.name} excuses a name the file does not hold"
            for e in corrections.exceptions if e.name not in present]


# --- all of them -------------------------------------------------------------------------------------------


def run_all(files: Mapping[str, List[str]], corrections: Mapping[str, curation.Corrections],
            usage: Mapping[NameKey, Usage], statistics: Mapping[str, Statistics],
            sources: Mapping[str, str]) -> List[str]:
    """Every problem of the curated files, each line prefixed by the file it concerns."""
    problems: List[str] = []

    def report(target: str, found: List[str]) -> None:
        problems.extend(f"{target}: {problem}" for problem in found)

    empty = curation.Corrections([], [], [])
    for origin in ORIGINS:
        per_sex = {sex: files.get(file_name(origin, sex), []) for sex in ("f", "m")}
        both_excused: Dict[str, str] = {}
        for sex in ("f", "m"):
            target = file_name(origin, sex)
            names = per_sex[sex]
            mine = corrections.get(target, empty)
            both_excused.update(mine.excused("both"))
            report(target, check_size(origin, names))
            report(target, check_duplicates(names))
            if origin != "Popular":  # the counts alone choose that list, respellings and all
                report(target, check_variants(names))
            report(target, other_sex(names, sex, usage, mine.excused("sex")))
            if origin in ACCENTED:
                native: List[str] = [n for either in ("f", "m") for n in per_sex[either] if not is_plain(n)]
                for source in native_sources(origin):
                    for either in ("f", "m"):
                        if source != origin:
                            native += files.get(file_name(source, either), [])
                        table = statistics.get(file_name(source, either))
                        native += table.names if table else []
                report(target, unaccented_twins(names, native, mine.excused("plain")))
            if target in statistics:
                report(target, check_coverage(names, statistics[target]))
            report(curation.curation_path(Path("curation"), target).as_posix(),
                   check_sources(mine, sources, statistics) + check_exceptions_used(mine, names))
        report(file_name(origin, "f"), both_sexes(origin, per_sex["f"], per_sex["m"], both_excused))
    problems.extend(check_rules(files))
    return problems
