"""Phones and IPA: the fixed tables between the CMU dictionary's ARPAbet and the IPA, and espeak-ng.

A pronunciation is kept twice: as IPA for people, and as ARPAbet phones with stress digits on the vowels
("OW0 L IH1 V IY0 AH0") for the program's sound rules. A dictionary pronunciation is ARPAbet and becomes
IPA by ARPABET_TO_IPA; an estimate from espeak-ng (or from the package's text) is IPA and becomes ARPAbet
by IPA_TO_ARPABET, the nearest English phone for each sound. The tables are fixed, so the same input
gives the same line on every machine.
"""

import re
import subprocess
import unicodedata
from typing import Dict, List, Optional, Sequence

VOWELS = ("AA", "AE", "AH", "AO", "AW", "AY", "EH", "ER", "EY", "IH", "IY", "OW", "OY", "UH", "UW")
CONSONANTS = ("B", "CH", "D", "DH", "F", "G", "HH", "JH", "K", "L", "M", "N", "NG", "P", "R", "S", "SH", "T",
              "TH", "V", "W", "Y", "Z", "ZH")

ARPABET_TO_IPA = {
    "AA": "ɑ", "AE": "æ", "AH": "ʌ", "AO": "ɔ", "AW": "aʊ", "AY": "aɪ", "EH": "ɛ", "ER": "ɝ", "EY": "eɪ",
    "IH": "ɪ", "IY": "i", "OW": "oʊ", "OY": "ɔɪ", "UH": "ʊ", "UW": "u",
    "B": "b", "CH": "tʃ", "D": "d", "DH": "ð", "F": "f", "G": "ɡ", "HH": "h", "JH": "dʒ", "K": "k", "L": "l",
    "M": "m", "N": "n", "NG": "ŋ", "P": "p", "R": "ɹ", "S": "s", "SH": "ʃ", "T": "t", "TH": "θ", "V": "v",
    "W": "w", "Y": "j", "Z": "z", "ZH": "ʒ",
}
# Unstressed, the mid central vowels are schwas.
UNSTRESSED_IPA = {"AH": "ə", "ER": "ɚ"}

# The nearest English phone for each IPA sound espeak-ng writes, longest symbols first when matching.
# Sounds English lacks go to the phone an English speaker would say for them (the front rounded vowels
# to their unrounded or central neighbours, the fricatives of German and Spanish to H, trills to R).
IPA_TO_ARPABET = {
    # diphthongs and affricates first
    "aɪ": "AY", "aj": "AY", "ai": "AY", "ɑɪ": "AY", "äɪ": "AY", "ʌɪ": "AY",
    "aʊ": "AW", "au": "AW", "aw": "AW", "ɑʊ": "AW",
    "eɪ": "EY", "ei": "EY", "ej": "EY", "ɛɪ": "EY",
    "oʊ": "OW", "əʊ": "OW", "ou": "OW", "ow": "OW", "ɔʊ": "OW",
    "ɔɪ": "OY", "oɪ": "OY", "oj": "OY", "ɔj": "OY", "oi": "OY",
    "ɪə": "IH R", "eə": "EH R", "ʊə": "UH R",
    "tʃ": "CH", "ʧ": "CH", "dʒ": "JH", "ʤ": "JH", "ts": "T S", "dz": "D Z", "tɕ": "CH", "dʑ": "JH", "tʂ": "CH",
    "dʐ": "JH", "pf": "P F",
    # vowels
    "a": "AA", "ɑ": "AA", "ä": "AA", "ɒ": "AA", "æ": "AE", "ɐ": "AH", "ʌ": "AH", "ə": "AH", "ɘ": "AH",
    "ɵ": "AH", "ɤ": "AH", "ɜ": "ER", "ɝ": "ER", "ɚ": "ER", "e": "EY", "ɛ": "EH", "ε": "EH", "i": "IY",
    "ɪ": "IH", "ɨ": "IH", "ᵻ": "IH", "y": "UW", "ʏ": "UH", "ø": "ER", "œ": "ER", "ɶ": "AA", "o": "OW",
    "ɔ": "AO", "u": "UW", "ʊ": "UH", "ɯ": "UW", "ʉ": "UW",
    # consonants
    "p": "P", "b": "B", "t": "T", "d": "D", "k": "K", "ɡ": "G", "g": "G", "c": "K", "ɟ": "G", "q": "K",
    "f": "F", "v": "V", "θ": "TH", "ð": "DH", "s": "S", "z": "Z", "ʃ": "SH", "ʒ": "ZH", "ʂ": "SH", "ʐ": "ZH",
    "ɕ": "SH", "ʑ": "ZH", "ç": "HH", "x": "HH", "χ": "HH", "h": "HH", "ɦ": "HH", "ħ": "HH", "ɣ": "G",
    "β": "V", "ʋ": "V", "ɸ": "F", "m": "M", "ɱ": "M", "n": "N", "ɲ": "N Y", "ŋ": "NG", "ɳ": "N", "ɴ": "NG",
    "l": "L", "ɫ": "L", "ɭ": "L", "ʎ": "L Y", "ɬ": "L", "ɮ": "L", "r": "R", "ɾ": "R", "ɹ": "R", "ɻ": "R",
    "ʁ": "R", "ʀ": "R", "ɽ": "R", "j": "Y", "w": "W", "ʍ": "W", "ɥ": "Y W", "ʈ": "T", "ɖ": "D",
}
# Marks that change nothing in ARPAbet: length, aspiration, palatalisation, nasality, syllable breaks, the
# glottal stop and espeak-ng's own joiners.
IGNORED = set("ːˑʰʲʷˠˤ̩̯̪̥̬̰̹̜̟̠̝̞̃͡‿.-ʔʕ'’ ")
PRIMARY, SECONDARY = "ˈ", "ˌ"

_LONGEST = max(len(symbol) for symbol in IPA_TO_ARPABET)


def is_vowel(phone: str) -> bool:
    return phone.rstrip("012") in VOWELS


def check_phones(phones: Sequence[str]) -> None:
    """Raises ValueError unless phones is a non-empty ARPAbet word with stress on every vowel."""
    if not phones:
        raise ValueError("no phones")
    for phone in phones:
        base = phone.rstrip("012")
        if base in VOWELS:
            if len(phone) != len(base) + 1:
                raise ValueError(f"vowel {phone} without one stress digit")
        elif phone not in CONSONANTS:
            raise ValueError(f"unknown phone {phone}")
    if not any(is_vowel(phone) for phone in phones):
        raise ValueError("no vowel")


def syllables(phones: Sequence[str]) -> List[List[str]]:
    """Splits phones into syllables: one vowel each, consonants between two vowels going to the later
    syllable as far as English lets a syllable begin with them (maximal onset)."""
    groups: List[List[str]] = []
    pending: List[str] = []
    for phone in phones:
        if not is_vowel(phone):
            pending.append(phone)
            continue
        if not groups:
            groups.append(pending + [phone])
        else:
            split = len(pending)
            while split > 0 and _is_onset(pending[split - 1:]):
                split -= 1
            groups[-1].extend(pending[:split])
            groups.append(pending[split:] + [phone])
        pending = []
    if groups:
        groups[-1].extend(pending)
    return groups


# The consonant clusters an English syllable may begin with (besides every single consonant but NG).
_ONSETS = {
    ("P", "L"), ("P", "R"), ("B", "L"), ("B", "R"), ("T", "R"), ("D", "R"), ("K", "L"), ("K", "R"), ("G", "L"),
    ("G", "R"), ("F", "L"), ("F", "R"), ("TH", "R"), ("SH", "R"), ("S", "P"), ("S", "T"), ("S", "K"),
    ("S", "M"), ("S", "N"), ("S", "L"), ("S", "W"), ("T", "W"), ("D", "W"), ("K", "W"), ("G", "W"),
    ("S", "P", "L"), ("S", "P", "R"), ("S", "T", "R"), ("S", "K", "R"), ("S", "K", "W"),
}


def _is_onset(cluster: Sequence[str]) -> bool:
    if len(cluster) == 1:
        return cluster[0] != "NG"
    return tuple(cluster) in _ONSETS


def arpabet_to_ipa(phones: Sequence[str]) -> str:
    """IPA between slashes, a stress mark at the start of each stressed syllable."""
    out = []
    for syllable in syllables(phones):
        stress = next(phone[-1] for phone in syllable if is_vowel(phone))
        text = ""
        for phone in syllable:
            base = phone.rstrip("012")
            if base in VOWELS and phone[-1] == "0" and base in UNSTRESSED_IPA:
                text += UNSTRESSED_IPA[base]
            else:
                text += ARPABET_TO_IPA[base]
        out.append({"1": PRIMARY, "2": SECONDARY}.get(stress, "") + text)
    return "/" + "".join(out) + "/"


def ipa_to_arpabet(ipa: str) -> Optional[List[str]]:
    """ARPAbet phones for an IPA text, or None when it holds a sound the table does not know.

    A stress mark stresses the next vowel (espeak-ng writes it just before the vowel, dictionaries at the
    start of the syllable; both come out the same). Without any mark, the first vowel is stressed."""
    text = unicodedata.normalize("NFD", ipa.strip().strip("/[]").strip())
    phones: List[str] = []
    stress = "0"
    i = 0
    while i < len(text):
        ch = text[i]
        if ch in (PRIMARY, SECONDARY):
            stress = "1" if ch == PRIMARY else "2"
            i += 1
            continue
        if ch in IGNORED or unicodedata.combining(ch):
            i += 1
            continue
        for size in range(_LONGEST, 0, -1):
            symbol = text[i:i + size]
            if symbol in IPA_TO_ARPABET:
                for phone in IPA_TO_ARPABET[symbol].split():
                    if phone in VOWELS:
                        phones.append(phone + stress)
                        stress = "0"
                    else:
                        phones.append(phone)
                i += size
                break
        else:
            return None
    # Two vowels of one sound in a row ("aa" for a long vowel) are one vowel.
    merged: List[str] = []
    for phone in phones:
        if merged and is_vowel(phone) and is_vowel(merged[-1]) and phone[:-1] == merged[-1][:-1]:
            merged[-1] = merged[-1][:-1] + max(merged[-1][-1], phone[-1], key="021".index)
            continue
        merged.append(phone)
    phones = merged
    vowels = [index for index, phone in enumerate(phones) if is_vowel(phone)]
    if not vowels:
        return None
    if not any(phones[index].endswith("1") for index in vowels):
        first = vowels[0]
        phones[first] = phones[first][:-1] + "1"
    return phones


def clean_ipa(ipa: str) -> str:
    """An IPA text as the card shows it: between slashes, no spaces or espeak-ng language switches, each stress
    mark at the start of its syllable."""
    text = ipa.strip().strip("/[]").strip()
    return "/" + stress_at_onset(" ".join(text.split())) + "/"


def _segments(text: str) -> List[str]:
    """The text cut into sounds (a symbol of the table with the marks that follow it), stress marks, and other
    characters one by one."""
    out: List[str] = []
    i = 0
    while i < len(text):
        for size in range(_LONGEST, 0, -1):
            if text[i:i + size] in IPA_TO_ARPABET:
                break
        else:
            size = 1
        segment = text[i:i + size]
        i += size
        while i < len(text) and (unicodedata.combining(text[i]) or text[i] in "ːˑʰʲʷˠˤ"):
            segment += text[i]
            i += 1
        out.append(segment)
    return out


def _base(segment: str) -> str:
    return "".join(ch for ch in segment if not unicodedata.combining(ch) and ch not in "ːˑʰʲʷˠˤ")


def _consonant(segment: str) -> Optional[str]:
    """The ARPAbet of a single consonant sound, else None (a vowel, a mark, a syllable break)."""
    phones = IPA_TO_ARPABET.get(_base(segment), "").split()
    return phones[0] if len(phones) == 1 and phones[0] in CONSONANTS else None


def stress_at_onset(ipa: str) -> str:
    """Moves each stress mark that stands just before its vowel (as espeak-ng writes it: /dˈɑːvøð/) to the start
    of the vowel's syllable (/ˈdɑːvøð/): back over the consonants before the vowel as far as a syllable may
    begin with them (all of them at the start of a word), never past a syllable break or another vowel."""
    segments = _segments(unicodedata.normalize("NFD", ipa))
    for index, segment in enumerate(segments):
        if segment not in (PRIMARY, SECONDARY):
            continue
        start = index
        while start > 0 and _consonant(segments[start - 1]) is not None:
            cluster = [_consonant(s) for s in segments[start - 1:index]]
            if not _is_onset(cluster):
                break
            start -= 1
        # At the start of a word every consonant before the first vowel begins its syllable (Zbigniew).
        first = start
        while first > 0 and _consonant(segments[first - 1]) is not None:
            first -= 1
        if first == 0 or segments[first - 1] == " ":
            start = first
        segments.insert(start, segments.pop(index))
    return unicodedata.normalize("NFC", "".join(segments))


class Espeak:
    """Runs espeak-ng for IPA, one process per voice for many names."""

    def __init__(self, program: str = "espeak-ng"):
        self.program = program

    def version(self) -> str:
        result = subprocess.run([self.program, "--version"], capture_output=True, text=True, check=True)
        # "eSpeak NG text-to-speech: 1.51  Data at: /usr/lib/..." -> "espeak-ng 1.51"
        match = re.search(r"text-to-speech:\s*(\S+)", result.stdout)
        return f"espeak-ng {match.group(1)}" if match else "espeak-ng"

    def ipa(self, voice: str, names: Sequence[str]) -> Dict[str, Optional[str]]:
        """IPA for each name as the voice reads it; None where the voice fell back to another language
        (it writes "(en)" then) or wrote nothing."""
        if not names:
            return {}
        # One name a line, each ended by a full stop so that it is read as a clause of its own.
        text = "".join(name + ".\n" for name in names)
        result = subprocess.run(
            [self.program, "-q", "--ipa", "-v", voice, "--stdin"],
            input=text, capture_output=True, text=True, check=True, env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"},
        )
        lines = [line.strip() for line in result.stdout.splitlines() if line.strip()]
        if len(lines) != len(names):
            # The voice joined or split lines: read the names one by one instead.
            return {name: self._one(voice, name) for name in names}
        return {name: (None if "(" in line else line) for name, line in zip(names, lines)}

    def _one(self, voice: str, name: str) -> Optional[str]:
        result = subprocess.run(
            [self.program, "-q", "--ipa", "-v", voice, name],
            capture_output=True, text=True, check=True, env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"},
        )
        line = " ".join(result.stdout.split())
        return None if not line or "(" in line else line
