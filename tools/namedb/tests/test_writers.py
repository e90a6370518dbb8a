import unittest

from . import context  # noqa: F401

import writers
from records import NameKey, Usage


class NameFiles(unittest.TestCase):
    def test_order_ignores_accents_and_case_but_not_the_locale(self):
        data = writers.name_file_bytes(["Zoë", "émile", "Emile", "Æthelflæd", "Aaron", "Kaʻiulani", "Kai", "Zoe"])
        self.assertEqual(data.decode("utf-8").split("\n"),
                         ["Aaron", "Æthelflæd", "Emile", "émile", "Kai", "Kaʻiulani", "Zoe", "Zoë", ""])

    def test_names_a_file_cannot_hold(self):
        for bad in ["", " Anna", "Anna ", "An\tna", "An\nna", "He\u0301le\u0300ne"]:
            with self.subTest(name=bad):
                with self.assertRaises(writers.FormatError):
                    writers.name_file_bytes([bad])


class Counts(unittest.TestCase):
    def test_every_plain_spelling_has_a_line(self):
        usage = {NameKey("kari", "f"): Usage(9600, 50, 1950, 2020, 10), NameKey("kari", "m"): Usage(400, 9, 1950, 2020, 0)}
        text = writers.counts_bytes({"finnib.nam": ["Kari", "Väinö", "Tapio"], "norseb.nam": ["Kari"]}, usage).decode()
        rows = [line for line in text.split("\n") if line and not line.startswith("#")]
        self.assertEqual(rows, ["kari\t9600\t400", "tapio\t0\t0"])


if __name__ == "__main__":
    unittest.main()
