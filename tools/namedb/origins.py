"""The 41 origins of the program and the name files they are kept in."""

# In the program's fixed order; the file of an origin is named by the first five letters of its display
# name in lower case, then "g" (girls) or "b" (boys).
ORIGINS = (
    "African", "AfroUSA", "Anglo-Saxon", "Arabic", "Arthurian Legand", "Basque", "Celtic",
    "Czechoslovakian", "Danish", "Dutch", "Egyptian", "English", "Finnish", "French", "Gaelic", "German",
    "Greek", "Hawaiian", "Hebrew", "Hindi", "Hungarian", "Indian", "Irish", "Italian", "Japanese", "Latin",
    "Popular", "Native American", "Norse", "Persian", "Polish", "Portuguese", "Russian", "Sanskrit",
    "Scandinavian", "Scottish", "Slavic", "Spanish", "Swedish", "Teutonic", "Welsh",
)

SEXES = ("f", "m")


def file_name(origin: str, sex: str) -> str:
    """The name file of an origin and sex, e.g. "celtig.nam"."""
    return origin[:5].lower() + ("g" if sex == "f" else "b") + ".nam"


def all_files():
    """Every (origin, sex, file name), in origin order, girls first."""
    return [(origin, sex, file_name(origin, sex)) for origin in ORIGINS for sex in SEXES]
