import tempfile
import unittest
from pathlib import Path

from . import context  # noqa: F401

import curation
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


if __name__ == "__main__":
    unittest.main()
