import tempfile
import unittest
from pathlib import Path

from . import context  # noqa: F401

import curation
import facts
import verify


class CommittedFiles(unittest.TestCase):
    def test_files_not_as_the_tool_writes_them(self):
        with tempfile.TemporaryDirectory() as folder:
            for name, data in [("sorted.nam", b"Anna\nZoe\n"), ("unsorted.nam", b"Zoe\nAnna\n"),
                               ("twice.nam", b"Anna\nAnna\n"), ("crlf.nam", b"Anna\r\n"), ("latin1.nam", b"Zo\xeb\n"),
                               ("unended.nam", b"Anna")]:
                (Path(folder) / name).write_bytes(data)
            files, problems = verify.read_name_files(Path(folder), ["sorted.nam", "unsorted.nam", "twice.nam",
                                                                    "crlf.nam", "latin1.nam", "unended.nam", "gone.nam"])
        self.assertEqual(files["sorted.nam"], ["Anna", "Zoe"])
        self.assertEqual([problem.split(":")[0] for problem in problems],
                         ["unsorted.nam", "twice.nam", "crlf.nam", "latin1.nam", "unended.nam", "gone.nam"])

    def test_names_only_an_edit_past_the_tool_explains(self):
        added = curation.Corrections([curation.Addition("Saoirse", "knowledge", 1)], [], [])
        problems = verify.past_the_tool({"celtig.nam": ["Aoife", "Brigid", "Róisín"]}, {"celtig.nam": added},
                                        {"aoife"})
        self.assertEqual(problems, ["celtig.nam: no line in us-counts.txt for Brigid",
                                    "celtig.nam: added by its curation but not in the file: Saoirse"])


    def test_meanings_edited_past_the_tool_or_the_gold_set(self):
        with tempfile.TemporaryDirectory() as folder:
            root = Path(folder)
            (root / "meanings.tsv").write_text("Megan\tf\torigin\tWelsh pet form of Margaret\n"
                                               "Neha\tf\tpopular\t'love'\nZyon\tm\t-\t\n", encoding="utf-8")
            (root / "gold.tsv").write_text("Megan\tf\torigin\tWelsh pet form of Margaret, from Greek 'pearl'\n",
                                           encoding="utf-8")
            (root / facts.MEANINGS).write_text("# header\nMegan\tf\tWelsh pet form of Margaret\n"
                                               "Neha\tf\tlove\n", encoding="utf-8")
            files = {"englig.nam": ["Megan"], "hindig.nam": ["Neha"], "afroub.nam": ["Zyon"]}
            saved = facts.MEANINGS_SOURCE, verify.GOLD_MEANINGS
            facts.MEANINGS_SOURCE, verify.GOLD_MEANINGS = root / "meanings.tsv", root / "gold.tsv"
            try:
                problems = verify.meaning_problems(root, files)
            finally:
                facts.MEANINGS_SOURCE, verify.GOLD_MEANINGS = saved
        # The popular meaning is written as such, and the gold set's text stays word for word.
        self.assertEqual(problems, ["meanings.txt: not as the tool writes it from meanings.tsv",
                                    "meanings.tsv: the gold set's meanings differ for Megan (f)"])


if __name__ == "__main__":
    unittest.main()
