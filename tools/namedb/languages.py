"""From the languages the package names to the program's origins.

The language keys of a name's meanings are the main evidence. A key is folded
to lower case and split into phrases ("Spanish/Portuguese", "African (Yoruba)",
"Irish or Scottish Gaelic"); each phrase that this table knows gives one or
more origins. Phrases it does not know give nothing: "American", "Modern
English", "Unknown", and the many languages the program has no origin for.
"""

import re

AFRICAN = ("African",)
AFROUSA = ("AfroUSA",)
OLD_ENGLISH = ("Anglo-Saxon", "English")
IRISH = ("Irish", "Gaelic", "Celtic")
SCOTTISH_GAELIC = ("Scottish", "Gaelic", "Celtic")
WELSH = ("Welsh", "Celtic")
NORSE = ("Norse", "Scandinavian")
HINDI = ("Hindi", "Indian")
SANSKRIT = ("Sanskrit", "Indian")
SLAVIC = ("Slavic",)

_AFRICAN_LANGUAGES = """
    african; african origin; african languages; various african languages; african dialects; west african;
    east african; southern african; yoruba; igbo; ibo; swahili; kiswahili; akan; twi; fante; ashanti; ga; ewe;
    amharic; tigrinya; ge'ez; geez; ethiopian; eritrean; oromo; somali; zulu; xhosa; ndebele; hausa; wolof;
    shona; edo; bini; efik; ibibio; urhobo; fulani; fula; fulfulde; pulaar; mandinka; mande; mende; bambara;
    temne; fon; dinka; nuer; luo; luganda; kikuyu; kinyarwanda; kirundi; lingala; kikongo; bemba; chichewa;
    tswana; setswana; sesotho; sotho; bantu; maasai; nigerian; ghanaian; malian; kenyan; malagasy;
    african (yoruba)
"""

_NATIVE_AMERICAN = """
    native american; indigenous american; american indian; first nations; lakota; oglala lakota; dakota;
    sioux; navajo; cherokee; choctaw; chickasaw; creek; muscogee; seminole; cheyenne; arapaho; apache;
    comanche; hopi; zuni; pueblo; shoshone; ute; ojibwe; ojibwa; chippewa; anishinaabe; cree; algonquin;
    algonquian; iroquois; mohawk; seneca; oneida; delaware; lenape; miwok; paiute; inuit; aleut; yupik;
    nahuatl; aztec; maya; mayan; yucatec; quechua; aymara; guarani; tupi; taino; taíno; indigenous taino;
    arawak; arawakan; mapudungun; mapuche; zapotec; mixtec; otomi; purepecha; tarahumara
"""

PHRASES = {
    **{phrase: AFRICAN for phrase in _AFRICAN_LANGUAGES.replace("\n", " ").split(";")},
    **{phrase: ("Native American",) for phrase in _NATIVE_AMERICAN.replace("\n", " ").split(";")},
    "african american": AFROUSA,
    "african american vernacular": AFROUSA,
    "african american vernacular english": AFROUSA,
    "african american english": AFROUSA,
    "aave": AFROUSA,
    "old english": OLD_ENGLISH,
    "anglo saxon": OLD_ENGLISH,
    "middle english": ("English",),
    "arabic": ("Arabic",),
    "classical arabic": ("Arabic",),
    "arabic spelling": ("Arabic",),
    "islamic": ("Arabic",),
    "egyptian": ("Egyptian",),
    "ancient egyptian": ("Egyptian",),
    "coptic": ("Egyptian",),
    "basque": ("Basque",),
    "irish": IRISH,
    "old irish": IRISH,
    "irish gaelic": IRISH,
    "middle irish": IRISH,
    "scottish gaelic": SCOTTISH_GAELIC,
    "scots gaelic": SCOTTISH_GAELIC,
    "scottish": ("Scottish",),
    "scots": ("Scottish",),
    "welsh": WELSH,
    "old welsh": WELSH,
    "middle welsh": WELSH,
    "gaelic": ("Gaelic", "Celtic"),
    "celtic": ("Celtic",),
    "old celtic": ("Celtic",),
    "gaulish": ("Celtic",),
    "cornish": ("Celtic",),
    "breton": ("Celtic",),
    "old breton": ("Celtic",),
    "manx": ("Celtic",),
    "czech": ("Czechoslovakian", "Slavic"),
    "slovak": ("Czechoslovakian", "Slavic"),
    "polish": ("Polish", "Slavic"),
    "russian": ("Russian", "Slavic"),
    "ukrainian": SLAVIC,
    "belarusian": SLAVIC,
    "bulgarian": SLAVIC,
    "serbian": SLAVIC,
    "croatian": SLAVIC,
    "bosnian": SLAVIC,
    "montenegrin": SLAVIC,
    "macedonian": SLAVIC,
    "slovenian": SLAVIC,
    "slovene": SLAVIC,
    "serbo croatian": SLAVIC,
    "slavic": SLAVIC,
    "slavonic": SLAVIC,
    "old slavic": SLAVIC,
    "old church slavonic": SLAVIC,
    "danish": ("Danish", "Scandinavian"),
    "swedish": ("Swedish", "Scandinavian"),
    "norwegian": ("Scandinavian",),
    "scandinavian": ("Scandinavian",),
    "nordic": ("Scandinavian",),
    "faroese": ("Scandinavian",),
    "old norse": NORSE,
    "norse": NORSE,
    "icelandic": NORSE,
    "old icelandic": NORSE,
    "old high german": ("Teutonic",),
    "old german": ("Teutonic",),
    "germanic": ("Teutonic",),
    "old germanic": ("Teutonic",),
    "proto germanic": ("Teutonic",),
    "teutonic": ("Teutonic",),
    "gothic": ("Teutonic",),
    "frankish": ("Teutonic",),
    "old frankish": ("Teutonic",),
    "old saxon": ("Teutonic",),
    "german": ("German",),
    "swiss german": ("German",),
    "austrian": ("German",),
    "dutch": ("Dutch",),
    "flemish": ("Dutch",),
    "frisian": ("Dutch",),
    "french": ("French",),
    "old french": ("French",),
    "norman": ("French",),
    "old norman": ("French",),
    "finnish": ("Finnish",),
    "hungarian": ("Hungarian",),
    "greek": ("Greek",),
    "ancient greek": ("Greek",),
    "old greek": ("Greek",),
    "greek mythology": ("Greek",),
    "hawaiian": ("Hawaiian",),
    "italian": ("Italian",),
    "japanese": ("Japanese",),
    "latin": ("Latin",),
    "roman": ("Latin",),
    "late latin": ("Latin",),
    "persian": ("Persian",),
    "farsi": ("Persian",),
    "old persian": ("Persian",),
    "avestan": ("Persian",),
    "portuguese": ("Portuguese",),
    "brazilian portuguese": ("Portuguese",),
    "spanish": ("Spanish",),
    "latin american spanish": ("Spanish",),
    "castilian": ("Spanish",),
    "catalan": ("Spanish",),
    "galician": ("Spanish",),
    "hebrew": ("Hebrew",),
    "biblical hebrew": ("Hebrew",),
    "aramaic": ("Hebrew",),
    "yiddish": ("Hebrew",),
    "hindi": HINDI,
    "hindu": HINDI,
    "sanskrit": SANSKRIT,
    "vedic sanskrit": SANSKRIT,
    "indian": ("Indian",),
    "indian languages": ("Indian",),
    "tamil": ("Indian",),
    "telugu": ("Indian",),
    "kannada": ("Indian",),
    "malayalam": ("Indian",),
    "bengali": ("Indian",),
    "bangla": ("Indian",),
    "punjabi": ("Indian",),
    "gujarati": ("Indian",),
    "marathi": ("Indian",),
    "odia": ("Indian",),
    "oriya": ("Indian",),
    "assamese": ("Indian",),
    "kashmiri": ("Indian",),
    "konkani": ("Indian",),
    "sikh": ("Indian",),
}
PHRASES = {phrase.strip(): origins for phrase, origins in PHRASES.items() if phrase.strip()}

# Words that only hedge or describe and never change the language: "possibly Greek", "Greek origin".
_FILLER = {"possibly", "probably", "perhaps", "likely", "maybe", "origin", "language", "root", "roots", "word"}

_SPLIT = re.compile(r"[/,()\[\];:&+]|\bor\b|\band\b")


def phrases_of(key: str):
    """The language phrases in a meaning key, in lower case with hedges removed."""
    text = key.lower().replace("-", " ").replace("\u2019", "'")
    for part in _SPLIT.split(text):
        words = [word for word in part.split() if word not in _FILLER]
        if words:
            yield " ".join(words)


def origins_of_key(key: str):
    """The origins a meaning key points to; empty when it names no language of ours."""
    found = []
    whole = " ".join(key.lower().replace("-", " ").split())
    if whole in PHRASES:
        return list(PHRASES[whole])
    for phrase in phrases_of(key):
        for origin in PHRASES.get(phrase, ()):
            if origin not in found:
                found.append(origin)
    return found


# Phrases the notes use to say where a name comes from. Only the first sentences are read, and only a
# language phrase right after such a lead-in counts, so "popular in Spanish-speaking countries" gives
# nothing.
_LANGUAGE_WORDS = r"((?:[A-Z][a-z'\u2019]+[ -]){0,3}[A-Z][a-z'\u2019]+)"
_NOTE_PATTERNS = [
    re.compile(r"\bof " + _LANGUAGE_WORDS + r" origin"),
    re.compile(r"\bhas " + _LANGUAGE_WORDS + r" origins?"),
    re.compile(r"\b(?:is|as) an? " + _LANGUAGE_WORDS + r" (?:given |feminine |masculine |male |female |)name"),
    re.compile(r"\bderived from (?:the |an? )?" + _LANGUAGE_WORDS + r" (?:name|word|term|language|root|form)"),
    re.compile(r"\b(?:originates|comes|originating|stems) from (?:the |an? )?" + _LANGUAGE_WORDS),
    re.compile(r"\broots in (?:the |an? )?" + _LANGUAGE_WORDS),
    re.compile(r"\bin " + _LANGUAGE_WORDS + r" (?:mythology|legend|folklore|tradition)"),
]


def first_sentences(notes: str, count: int = 2) -> str:
    parts = re.split(r"(?<=[.!?])\s+", notes.strip())
    return " ".join(parts[:count])


def origins_of_notes(notes: str, sentences: int = 2):
    """The origins the opening sentences of the notes name, in the order they are named."""
    found = []
    text = first_sentences(notes, sentences)
    hits = []
    for pattern in _NOTE_PATTERNS:
        for match in pattern.finditer(text):
            hits.append((match.start(1), match.group(1)))
    for _, words in sorted(hits):
        # Try the longest tail first: "the Old English" -> "old english" before "english".
        tokens = words.lower().replace("-", " ").split()
        for start in range(len(tokens)):
            phrase = " ".join(tokens[start:])
            if phrase in PHRASES:
                for origin in PHRASES[phrase]:
                    if origin not in found:
                        found.append(origin)
                break
    return found


# Words of the "country" list that place a name at home in an origin. "English-speaking countries" is left
# out on purpose: the descriptions give it to nearly every name used in the United States.
_HOMES = {
    "African": """africa; african; nigeria; ghana; kenya; tanzania; ethiopia; somali; zimbabwe; senegal; mali;
        uganda; eritrea; sudan; sierra leone; gambia; guinea; rwanda; congo; botswana; zambia; cameroon; swahili;
        yoruba; igbo; malawi; namibia; ivory coast; liberia; burkina; lesotho; angola; mozambique; benin; togo;
        burundi; madagascar; hausa; akan; zulu; xhosa; amharic""",
    "AfroUSA": "african american; african-american",
    "Anglo-Saxon": "england; united kingdom; uk; britain; british; anglo-saxon; old english",
    "Arabic": """arab; saudi; egypt; middle east; jordan; lebanon; syria; iraq; morocco; algeria; tunisia; emirates;
        yemen; oman; qatar; kuwait; palestine; libya; islamic; muslim; bahrain; gulf""",
    "Basque": "basque",
    "Celtic": """ireland; irish; scotland; scottish; wales; welsh; brittany; breton; cornwall; cornish; celtic;
        isle of man; manx; gaelic""",
    "Czechoslovakian": "czech; slovakia; slovak; bohemia; moravia",
    "Danish": "denmark; danish",
    "Dutch": "netherlands; dutch; holland; belgium; flanders; flemish; frisian",
    "Egyptian": "egypt; coptic",
    "English": "england; united kingdom; uk; britain; british; old english; anglo-saxon",
    "Finnish": "finland; finnish",
    "French": "france; french; belgium; switzerland; quebec",
    "Gaelic": "ireland; irish; scotland; scottish; gaelic; isle of man",
    "German": "germany; german; austria; switzerland",
    "Greek": "greece; greek; cyprus",
    "Hawaiian": "hawaii; polynesia",
    "Hebrew": "israel; hebrew; jewish; yiddish; biblical",
    "Hindi": "india; hindi; hindu",
    "Hungarian": "hungary; hungarian",
    "Indian": "india; hindi; sanskrit; hindu; tamil; telugu; bengal; punjab; gujarat; kerala; marathi",
    "Irish": "ireland; irish",
    "Italian": "italy; italian",
    "Japanese": "japan",
    "Latin": "ancient rome; roman; latin-speaking; latin countries; vatican; rome",
    "Native American": """native american; indigenous; navajo; cherokee; lakota; sioux; hopi; apache; choctaw;
        ojibwe; cree; inuit; nahuatl; aztec; maya; quechua; first nations""",
    "Norse": "iceland; norse; viking; norway; scandinavia; nordic",
    "Persian": "iran; persia; persian; afghanistan; tajik",
    "Polish": "poland; polish",
    "Portuguese": "portugal; portuguese; brazil; cape verde",
    "Russian": "russia; russian",
    "Sanskrit": "india; sanskrit; hindu; nepal",
    "Scandinavian": "sweden; swedish; norway; norwegian; denmark; danish; scandinavia; nordic; iceland",
    "Scottish": "scotland; scottish",
    "Slavic": """slavic; russia; poland; czech; slovakia; ukraine; belarus; serbia; croatia; bosnia; slovenia;
        bulgaria; macedonia; montenegro; eastern europe""",
    "Spanish": """spain; spanish; mexico; latin america; hispanic; argentina; colombia; cuba; puerto rico; chile;
        peru; venezuela; ecuador; bolivia; uruguay; paraguay; guatemala; honduras; nicaragua; salvador;
        costa rica; panama; dominican; catalonia; galicia""",
    "Swedish": "sweden; swedish",
    "Teutonic": "germany; german; germanic; austria; switzerland; teutonic",
    "Welsh": "wales; welsh",
}
HOMES = {origin: tuple(w.strip() for w in words.split(";") if w.strip()) for origin, words in _HOMES.items()}


def at_home(countries, origin: str) -> bool:
    """Whether the country list places a name in the lands or peoples of an origin."""
    text = " ".join(countries).lower().replace("english-speaking", "").replace("english speaking", "")
    if origin == "Latin":
        text = text.replace("latin america", "").replace("latin-america", "")
    if origin == "African":
        text = text.replace("african american", "").replace("african-american", "")
    return any(re.search(r"\b" + re.escape(word) + r"\b", text) for word in HOMES.get(origin, ()))
