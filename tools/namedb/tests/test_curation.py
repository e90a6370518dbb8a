import tempfile
import unittest
from pathlib import Path

from . import context  # noqa: F401

import curation


def write(folder: Path, name: str, text: str) -> Path:
    path = folder / name
    path.write_text(text, encoding="utf-8")
    return path


class ReadCorrections(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.folder = Path(self.scratch.name)

    def tearDown(self):
        self.scratch.cleanup()

    def test_each_addition_takes_the_source_above_it(self):
        path = write(self.folder, "swedig.txt",
                     "+Orphan\n@scb-2021\n# a comment keeps the source\n+Anna\n\n+Eva\n@knowledge\n+Tyra\n-Kasara\n")
        corrections = curation.read_corrections(path)
        self.assertEqual([(a.name, a.source) for a in corrections.additions],
                         [("Orphan", None), ("Anna", "scb-2021"), ("Eva", "scb-2021"), ("Tyra", "knowledge")])
        self.assertEqual(corrections.removals, ["Kasara"])

    def test_exceptions_carry_their_reason(self):
        path = write(self.folder, "irishg.txt", "!plain Fiadh  # the usual spelling\n!both Casey#\n")
        corrections = curation.read_corrections(path)
        self.assertEqual(corrections.excused("plain"), {"Fiadh": "the usual spelling"})
        self.assertEqual(corrections.excused("both"), {"Casey": ""})

    def test_names_are_composed(self):
        path = write(self.folder, "frencg.txt", "@native\n+He\u0301le\u0300ne\n")
        self.assertEqual(curation.read_corrections(path).additions[0].name, "H\u00e9l\u00e8ne")

    def test_malformed_lines_are_refused(self):
        for line in ["Anna", "+", "+Anna\tMaria", "+Anna  Maria", "@two words", "@", "!odd Anna  # why",
                     "!plain  # no name", "+Anna # a note"]:
            with self.subTest(line=line):
                path = write(self.folder, "bad.txt", line + "\n")
                with self.assertRaises(curation.CurationError):
                    curation.read_corrections(path)

    def test_an_absent_file_corrects_nothing(self):
        corrections = curation.read_corrections(self.folder / "none.txt")
        self.assertEqual(corrections, curation.Corrections([], [], []))


class Apply(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.folder = Path(self.scratch.name)

    def tearDown(self):
        self.scratch.cleanup()

    def test_strikes_and_additions(self):
        write(self.folder, "danisg.txt", "-Kasara\n@knowledge\n+Mette\n")
        files, problems = curation.apply({"danisg.nam": ["Ida", "Kasara"]}, self.folder, ["danisg.nam"])
        self.assertEqual(files["danisg.nam"], ["Ida", "Mette"])
        self.assertEqual(problems, [])

    def test_lines_that_change_nothing_stop_the_tool(self):
        cases = {
            "a strike of an absent name": "-Nobody\n",
            "an addition of a present name": "@knowledge\n+Ida\n",
            "a name added twice": "@knowledge\n+Mette\n+Mette\n",
            "a name added and struck": "@knowledge\n+Mette\n-Mette\n",
        }
        for what, text in cases.items():
            with self.subTest(what):
                write(self.folder, "danisg.txt", text)
                with self.assertRaises(curation.CurationError):
                    curation.apply({"danisg.nam": ["Ida"]}, self.folder, ["danisg.nam"])
                _, problems = curation.apply({"danisg.nam": ["Ida"]}, self.folder, ["danisg.nam"], strict=False)
                self.assertTrue(problems)

    def test_a_file_for_no_name_file_is_reported(self):
        write(self.folder, "danisx.txt", "")
        _, problems = curation.apply({}, self.folder, ["danisg.nam"], strict=False)
        self.assertEqual(len(problems), 1)
        self.assertIn("danisx.txt", problems[0])


if __name__ == "__main__":
    unittest.main()
