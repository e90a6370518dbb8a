import unittest

from . import context  # noqa: F401

import facts
import phonetics


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



class Stress(unittest.TestCase):
    def test_a_stress_mark_stands_at_the_start_of_its_syllable(self):
        cases = {
            "dˈɑːvøð": "ˈdɑːvøð",  # espeak-ng writes the mark before the vowel
            "dɛmˈɛtɹə": "dɛˈmɛtɹə",
            "anastˈasija": "anaˈstasija",  # s + t may begin a syllable
            "ɪmpˈɔːt": "ɪmˈpɔːt",  # m + p may not
            "zbˈɪɡnu": "ˈzbɪɡnu",  # the start of a word takes the whole cluster
            "ʃˈɔvˌɑːn": "ˈʃɔˌvɑːn",
            "ˈliəm": "ˈliəm",  # already right
            "kəˈiːvə": "kəˈiːvə",  # a vowel before: nothing to move over
            "ɾˈeːkʰaː": "ˈɾeːkʰaː",  # marks after a sound stay with it
        }
        for espeak, expected in cases.items():
            with self.subTest(ipa=espeak):
                self.assertEqual(phonetics.stress_at_onset(espeak), expected)
                # The phones the sound rules read are the same either way.
                self.assertEqual(phonetics.ipa_to_arpabet(expected), phonetics.ipa_to_arpabet(espeak))


if __name__ == "__main__":
    unittest.main()
