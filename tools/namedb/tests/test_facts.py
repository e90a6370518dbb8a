import unittest

from . import context  # noqa: F401

import facts


class Counts(unittest.TestCase):
    def test_names_given_equally_often_share_a_rank(self):
        # Rank 1 + the names given more often: after two names of 5 births comes rank 4, not 3.
        self.assertEqual(facts.shared_ranks([5, 10, 3, 5, 5]), {10: 1, 5: 2, 3: 5})

    def test_a_spelling_the_records_cannot_hold_is_counted_under_its_plain_form(self):
        cases = {"Jose": "jose", "José": "jose", "Zoë": "zoe", "Søren": "soren", "Æthelflæd": "aethelflaed",
                 "Anne-Marie": "", "Μαρία": ""}
        for name, spelling in cases.items():
            with self.subTest(name=name):
                self.assertEqual(facts.records_spelling(name), spelling)


if __name__ == "__main__":
    unittest.main()
