"""The automatic step: which spellings go into which origin, before hand curation.

Every name and sex the counts know is weighed on four kinds of evidence from
its description (see languages.py): the language keys of its meanings, the
origin its notes open with, a "the Italian form of" statement, and the
countries it is said to be used in. A spelling goes into an origin's file when
two kinds agree, then the cleaning rules keep it only where it is really used
as a given name of that sex and is no coinage, near-duplicate, run-together
double name or junk entry. What is left is ranked by use and cut to a size a
person can read through; "Popular" is computed from the counts alone.
"""

import re
import unicodedata
from typing import Dict, List, NamedTuple, Optional, Set

import languages
from origins import ORIGINS, file_name
from records import Details, NameKey, Usage

POPULAR_SIZE = 500
# The most names the automatic step puts into one file; hand curation comes on top.
MAX_AUTOMATIC = 300


class Threshold(NamedTuple):
    """How much use a spelling needs for an origin: births over all years, and years with births."""

    births: int
    years: int


NORMAL = Threshold(100, 8)
# English: the descriptions call nearly every invented spelling English, so only well-established names pass.
STRICT = Threshold(2000, 20)
# Origins whose names are rare in the United States: a handful of births a year is real use here.
LOOSE = Threshold(20, 3)

THRESHOLDS = {
    "English": STRICT,
    "Anglo-Saxon": Threshold(500, 15),
    "AfroUSA": Threshold(1000, 10),
    **{
        origin: LOOSE
        for origin in (
            "Basque", "Czechoslovakian", "Danish", "Dutch", "Egyptian", "Finnish", "Hungarian", "Norse",
            "Polish", "Portuguese", "Russian", "Scandinavian", "Slavic", "Swedish", "Hawaiian",
            "Native American", "Persian", "Welsh", "Teutonic", "Arthurian Legand",
        )
    },
}

# Names of these languages are built from a few syllable shapes; a spelling that cannot be one is no name
# of theirs, whatever its description says.
SYLLABLES = {
    # Hawaiian: eight consonants, every syllable open, the glottal stop written or left out.
    "Hawaiian": re.compile(r"(?:[hklmnpw]?[aeiou]|[\u02bb'])+", re.IGNORECASE),
    # Japanese in Hepburn romanisation.
    "Japanese": re.compile(
        r"(?:(?:ky|gy|sh|ch|ny|hy|by|py|my|ry|j)[aueo]|shi|chi|tsu|fu|ji|[kgsznhbpmr][aeiou]|[td][aeo]|"
        r"y[auo]|w[ao]|[aeiou]|n(?![aeiouy]))+",
        re.IGNORECASE,
    ),
}

# Origins far from American naming, whose labels the descriptions also stick on American coinages: a name
# counts only where it is said to be used in the origin's own lands.
HOME_REQUIRED = {"Japanese", "Hawaiian", "Persian", "Hindi", "Sanskrit", "Indian", "Finnish", "Hungarian", "Basque"}

# The share of a spelling's births that must be of the file's sex.
MIN_SEX_SHARE = 0.10
# A spelling the notes call invented or a variant is still kept when it is this common.
COMMON_BIRTHS = 20000
# A near-duplicate is dropped when it has less than this share of the births of its common form.
NEAR_DUPLICATE_SHARE = 0.10

# What the counts hold but is no name.
JUNK = {
    "baby", "babyboy", "babygirl", "boy", "girl", "female", "male", "infant", "infantof", "unknown",
    "unnamed", "notnamed", "noname", "none", "twin", "twina", "twinb", "child", "son", "daughter", "test",
}

# Words in the opening of the notes that mark a spelling as a coinage or a respelling of another name
# rather than a name of its own ("a modern variation of", "a creative spelling", "a blend of").
_DERIVATIVE = re.compile(
    r"\b(variant|variation|spelling|respelling|modern|blend|blending|combination|combines|combining|fusion|"
    r"creative|unconventional|invented|made.up|unique|adaptation|contemporary|american name|inventive|"
    r"elaboration|rhyming|phonetic)",
    re.IGNORECASE,
)
# "the Italian form of", "a Welsh variant of": a respelling that belongs to a language is a name of that
# language, not a coinage.
_NATIVE_FORM = re.compile(
    r"\b((?:[A-Z][a-z]+ ){0,2}[A-Z][a-z]+) (?:feminine |masculine |)(?:form|variant|version|spelling|variation|"
    r"diminutive|equivalent|cognate|rendering|pet form|short form)s? of"
)
# Notes openings that make a spelling a surname or a place more than a given name.
_SURNAME_OR_PLACE = (
    "is a surname", "is an english surname", "is primarily a surname", "is typically a surname",
    "is commonly a surname", "is a place name", "is a geographic", "is the name of a city",
    "is the name of a town", "is a city", "is a town", "is a county", "is a river",
)
_FICTION = ("fictional character", "is a character", "character from", "character in")
# Notes that say a name is coined or mainly used among African Americans.
_AFRICAN_AMERICAN = re.compile(r"african[ -]americans?\b", re.IGNORECASE)


class Evidence(NamedTuple):
    """The kinds of evidence a description gives for one origin."""

    key: bool  # a meaning is said to be in a language of the origin
    notes: bool  # the notes open by naming the origin's language
    form: bool  # the notes call the spelling a form of a name in the origin's language
    home: bool  # the countries named are the origin's

    def kinds(self) -> int:
        return self.key + self.notes + self.form + self.home


class Decision(NamedTuple):
    """Why a spelling went into a file or stayed out: "kept", or the rule that dropped it."""

    file_name: str
    spelling: str
    rule: str


class Selection(NamedTuple):
    """The result of the automatic step."""

    files: Dict[str, List[str]]  # file name -> spellings, ranked by use
    # file name -> spelling as printed -> the counts' spelling and sex, where a later output finds the
    # births per year and the description of each name
    sources: Dict[str, Dict[str, NameKey]]
    decisions: List[Decision]


def display_spelling(key: NameKey, details: Optional[Details]) -> str:
    """The spelling to print: capitalised, with the inner capital of names like McKenzie or DeAndre."""
    text = key.name[:1].upper() + key.name[1:]
    if details and details.display.isascii() and details.display.lower() == key.name:
        if re.fullmatch(r"(Mc|De|Da|Di|Du|La|Le)[A-Z][a-z]+", details.display):
            text = details.display
    return unicodedata.normalize("NFC", text)


def native_form_origins(details: Details) -> List[str]:
    """Origins the notes name as the language this spelling is a form of ("the Italian form of Julia")."""
    found: List[str] = []
    for match in _NATIVE_FORM.finditer(languages.first_sentences(details.notes, 2)):
        tokens = match.group(1).lower().split()
        for start in range(len(tokens)):
            origins = languages.PHRASES.get(" ".join(tokens[start:]))
            if origins:
                found.extend(origin for origin in origins if origin not in found)
                break
    return found


def is_derivative(details: Details) -> bool:
    """Whether the notes open by calling this spelling a variant, a blend or a modern coinage."""
    return bool(_DERIVATIVE.search(languages.first_sentences(details.notes, 1)))


def is_african_american(details: Details) -> bool:
    """Whether the description ties the name to African American naming."""
    for language, _ in details.meanings:
        if "AfroUSA" in languages.origins_of_key(language):
            return True
    if any(_AFRICAN_AMERICAN.search(country) for country in details.countries):
        return True
    return bool(_AFRICAN_AMERICAN.search(languages.first_sentences(details.notes, 3)))


def evidence(details: Details) -> Dict[str, Evidence]:
    """The evidence a description gives, per origin it points to."""
    from_keys: Set[str] = set()
    english_key = False
    for language, _ in details.meanings:
        from_keys.update(languages.origins_of_key(language))
        english_key = english_key or language.strip().lower() == "english"
    from_notes = set(languages.origins_of_notes(details.notes))
    forms = set(native_form_origins(details))
    # A plain "English" key is evidence only beside another sign of an English origin.
    english_elsewhere = from_notes & {"English", "Anglo-Saxon"} or languages.at_home(details.countries, "English")
    if english_key and english_elsewhere:
        from_keys.add("English")
    result = {}
    for origin in ORIGINS:
        if origin in ("Popular", "AfroUSA", "Arthurian Legand"):
            continue
        found = Evidence(origin in from_keys, origin in from_notes, origin in forms, False)
        if found.kinds():
            result[origin] = found._replace(home=languages.at_home(details.countries, origin))
    # Scandinavian names used in Denmark or Sweden are Danish or Swedish names too.
    scandinavian = result.get("Scandinavian")
    if scandinavian and scandinavian.kinds() >= 2:
        for origin in ("Danish", "Swedish"):
            if origin not in result and languages.at_home(details.countries, origin):
                result[origin] = scandinavian._replace(home=True)
    # Germanic names in use in the German lands are German names too.
    teutonic = result.get("Teutonic")
    if teutonic and teutonic.kinds() >= 2 and "German" not in result:
        if languages.at_home(details.countries, "German"):
            result["German"] = teutonic._replace(home=True)
    if is_african_american(details):
        result["AfroUSA"] = Evidence(True, True, False, True)
    if is_arthurian(details):
        result["Arthurian Legand"] = Evidence(False, True, False, True)
    return result


_ARTHURIAN = re.compile(
    r"arthurian|king arthur|round table|camelot|mabinogi|holy grail|lady of the lake", re.IGNORECASE
)


def is_arthurian(details: Details) -> bool:
    """Whether the description ties the name to the legends of Arthur."""
    languages_named = (language for language, _ in details.meanings)
    texts = [languages.first_sentences(details.notes, 3), *details.countries, *languages_named]
    return any(_ARTHURIAN.search(text) for text in texts)


def _run_together(name: str, common: Set[str]) -> bool:
    """A double name written as one word (Maryann, Johnpaul): two common names of three or more letters."""
    return any(name[:cut] in common and name[cut:] in common for cut in range(3, len(name) - 2))


def _sound_key(pronunciation: str) -> str:
    return re.sub(r"[\s/\[\]ˈˌ.'()-]", "", pronunciation.lower())


def _one_letter_apart(a: str, b: str) -> bool:
    if a == b or abs(len(a) - len(b)) > 1:
        return False
    if len(a) == len(b):
        return sum(x != y for x, y in zip(a, b)) == 1
    shorter, longer = (a, b) if len(a) < len(b) else (b, a)
    return any(longer[:i] + longer[i + 1 :] == shorter for i in range(len(longer)))


def _rejection(
    key: NameKey, use: Usage, info: Details, origin: str, found: Evidence, forms, usage, common_parts
) -> Optional[str]:
    """The rule that keeps a spelling out of an origin's file, or None when it goes in."""
    if found.kinds() < 2:
        return "too little evidence"
    if origin in SYLLABLES and not SYLLABLES[origin].fullmatch(key.name):
        return "not a word of the origin's language"
    if origin in HOME_REQUIRED and not found.home:
        return "not used where the origin's language is spoken"
    if forms and origin not in forms and not found.home:
        return "the form of another language"
    if key.name in JUNK or len(key.name) < 2:
        return "junk"
    other = usage.get(NameKey(key.name, "m" if key.sex == "f" else "f"))
    if use.total < MIN_SEX_SHARE * (use.total + (other.total if other else 0)):
        return "mostly given to the other sex"
    need = THRESHOLDS.get(origin, NORMAL)
    if use.total < need.births or use.years < need.years:
        return "too little use"
    if use.total >= COMMON_BIRTHS:
        return None
    if origin != "AfroUSA" and is_derivative(info) and not found.form:
        return "variant or invented spelling"
    opening = languages.first_sentences(info.notes, 1).lower()
    if any(phrase in opening for phrase in _SURNAME_OR_PLACE):
        return "surname or place"
    if any(phrase in opening for phrase in _FICTION):
        return "fictional character"
    if _run_together(key.name, common_parts - {key.name}):
        return "run-together double name"
    return None


def select(package) -> Selection:
    """The automatic content of every name file."""
    usage: Dict[NameKey, Usage] = package.usage
    details: Dict[NameKey, Details] = package.details
    decisions: List[Decision] = []

    # Names common enough to be one half of a run-together double name.
    common_parts = {key.name for key, use in usage.items() if use.total >= 20000 and len(key.name) >= 3}

    members: Dict[str, Dict[str, NameKey]] = {}
    for key in sorted(usage):
        info = details.get(key)
        if info is None:
            continue
        spelling = display_spelling(key, info)
        forms = native_form_origins(info)
        for origin, found in sorted(evidence(info).items()):
            target = file_name(origin, key.sex)
            rule = _rejection(key, usage[key], info, origin, found, forms, usage, common_parts)
            if rule is None:
                members.setdefault(target, {})[spelling] = key
            else:
                decisions.append(Decision(target, spelling, rule))

    files: Dict[str, List[str]] = {}
    for target in sorted(members):
        ranked = sorted(members[target], key=lambda s: (-usage[members[target][s]].total, s))
        kept: List[str] = []
        for spelling in ranked:
            twin = _near_duplicate(spelling, members[target], kept, usage, details)
            if twin:
                decisions.append(Decision(target, spelling, f"near-duplicate of {twin}"))
            elif len(kept) >= MAX_AUTOMATIC:
                decisions.append(Decision(target, spelling, "beyond the size of a file"))
            else:
                kept.append(spelling)
                decisions.append(Decision(target, spelling, "kept"))
        files[target] = kept

    sources = {target: {spelling: members[target][spelling] for spelling in files[target]} for target in files}
    for sex in ("f", "m"):
        target = file_name("Popular", sex)
        popular = {display_spelling(key, details.get(key)): key for key in _popular(usage, sex)}
        files[target] = list(popular)
        sources[target] = popular
    return Selection(files, sources, decisions)


def _near_duplicate(spelling, members, kept, usage, details) -> Optional[str]:
    """The common spelling already kept that this one merely respells, if any.

    A respelling is one letter away from a spelling with ten times its births, or sounds the same.
    """
    key = members[spelling]
    sound = _sound_key(details[key].pronunciation)
    for common in kept:
        other = members[common]
        if usage[other].total * NEAR_DUPLICATE_SHARE <= usage[key].total:
            continue
        if _one_letter_apart(key.name, other.name) or (sound and sound == _sound_key(details[other].pronunciation)):
            return common
    return None


def _popular(usage: Dict[NameKey, Usage], sex: str) -> List[NameKey]:
    """The most given names of a sex over the last five years of the counts."""
    names = [key for key, use in usage.items() if key.sex == sex and use.recent > 0 and key.name not in JUNK]
    names.sort(key=lambda key: (-usage[key].recent, key.name))
    return names[:POPULAR_SIZE]
