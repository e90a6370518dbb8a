"""Plain records for what the package says about one name and sex."""

from typing import NamedTuple, Tuple


class NameKey(NamedTuple):
    """A spelling as the counts hold it (lower case, letters a-z) and a sex, "f" or "m"."""

    name: str
    sex: str


class Usage(NamedTuple):
    """How often the Social Security counts saw a name for one sex."""

    total: int  # births over all years
    years: int  # years in which it was given at least five times (the counts leave out rarer years)
    first_year: int
    last_year: int
    recent: int  # births over the last five years of the counts


class Details(NamedTuple):
    """The machine-written description of a name and sex. Noisy: hints, not facts."""

    display: str  # the spelling the description uses, e.g. "McKenzie"
    pronunciation: str
    countries: Tuple[str, ...]
    meanings: Tuple[Tuple[str, str], ...]  # (language, meaning); language "" when none is given
    notes: str

    @staticmethod
    def from_json(record: dict) -> "Details":
        return Details(
            display=_text(record.get("name")),
            pronunciation=_text(record.get("pronunciation")),
            countries=tuple(_text(c) for c in _as_list(record.get("country")) if _text(c)),
            meanings=tuple(_meanings(record.get("meaning"))),
            notes=_text(record.get("notes")),
        )


def _text(value) -> str:
    return value.strip() if isinstance(value, str) else ""


def _as_list(value):
    if isinstance(value, list):
        return value
    return [] if value is None else [value]


def _meanings(value):
    """Flattens both shapes of a meaning entry: {"language": L, "meaning": M} and {L: M, ...}."""
    for entry in _as_list(value):
        if isinstance(entry, str):
            yield ("", entry.strip())
        elif isinstance(entry, dict):
            if "language" in entry:
                yield (_text(entry.get("language")), _text(entry.get("meaning")) or str(entry.get("meaning") or ""))
            else:
                for language, meaning in entry.items():
                    yield (str(language).strip(), meaning.strip() if isinstance(meaning, str) else str(meaning))
