import unittest

from . import context  # noqa: F401

import checks
import curation
from records import NameKey, Usage


def usage(**births):
    """{"kari_f": 9850, "kari_m": 150} -> the counts' records."""
    table = {}
    for key, total in births.items():
        name, sex = key.rsplit("_", 1)
        table[NameKey(name, sex)] = Usage(total, 10, 1950, 2020, 0)
    return table


class Spellings(unittest.TestCase):
    def test_fold_and_skeleton(self):
        rows = [
            ("Søren", "soren", "soren"), ("Kaʻiulani", "kaiulani", "kaiulani"), ("Æthelflæd", "aethelflaed", "aetelflaed"),
            ("Łukasz", "lukasz", "lukasz"), ("Hannah", "hannah", "hana"), ("Sophia", "sophia", "sofia"),
            ("Katharina", "katharina", "katarina"), ("Michelle", "michelle", "michele"), ("Anna", "anna", "ana"),
        ]
        for name, folded, skeleton in rows:
            with self.subTest(name=name):
                self.assertEqual(checks.fold(name), folded)
                self.assertEqual(checks.skeleton(name), skeleton)

    def test_distinct_names_keep_distinct_skeletons(self):
        for a, b in [("Marie", "Maria"), ("Daniel", "Danielle"), ("Sara", "Zara"), ("Christian", "Kristian")]:
            with self.subTest(pair=(a, b)):
                self.assertNotEqual(checks.skeleton(a), checks.skeleton(b))


class UnaccentedTwins(unittest.TestCase):
    def test_plain_copy_of_a_known_native_spelling(self):
        found = checks.unaccented_twins(["Jose", "José", "Juan", "Raul"], ["José", "Raúl"], {})
        self.assertEqual(found, ["Jose is an unaccented copy of José", "Raul is an unaccented copy of Raúl"])

    def test_excused_plain_spellings_and_letters_beyond_accents(self):
        self.assertEqual(checks.unaccented_twins(["Fiadh", "Fíadh"], ["Fíadh"], {"Fiadh": "usual"}), [])
        self.assertEqual(checks.unaccented_twins(["Soren"], ["Søren"], {}), ["Soren is an unaccented copy of Søren"])
        self.assertEqual(checks.unaccented_twins(["Laszlo"], ["Lajos"], {}), [])

    def test_a_group_origin_keeps_the_plain_spellings_of_its_languages(self):
        self.assertEqual(checks.native_sources("Slavic"), ["Slavic", "Czechoslovakian", "Polish", "Russian"])
        self.assertIn("Scottish", checks.native_sources("Celtic"))
        # Polish Karolina beside Czech Karolína is no copy; Pawel beside Polish Paweł is.
        found = checks.unaccented_twins(["Karolina", "Pawel"], ["Karolína", "Karolina", "Paweł"], {})
        self.assertEqual(found, ["Pawel is an unaccented copy of Paweł"])


class OtherSex(unittest.TestCase):
    def test_share_and_evidence(self):
        counts = usage(kari_f=9600, kari_m=400, jan_f=9400, jan_m=600, ola_f=99, noe_f=0)
        rows = [
            ("over 95 % girls is refused in the boys' file", "Kari", True),
            ("95 % or less is a name of both", "Jan", False),
            ("fewer than a hundred births say nothing", "Ola", False),
            ("a name the counts lack is not judged", "Nobody", False),
            ("an accented spelling is not the counts' plain one", "Kári", False),
        ]
        for what, name, refused in rows:
            with self.subTest(what):
                self.assertEqual(bool(checks.other_sex([name], "m", counts, {})), refused)
        self.assertEqual(checks.other_sex(["Kari"], "m", counts, {"Kari": "Finnish men's name"}), [])


class Variants(unittest.TestCase):
    def test_limit_grows_with_the_file(self):
        names = [f"Name{i:02d}" for i in range(26)] + ["Sofia", "Sophia", "Hanna", "Hannah"]
        self.assertEqual(checks.variants(names)[0], 2)
        self.assertEqual(checks.check_variants(names), [])
        many = names + ["Annah", "Ana", "Hana", "Sofiya"]
        self.assertEqual(len(checks.check_variants(many)), 1)
        self.assertEqual(checks.variant_limit(300), 30)

    def test_letter_case_duplicates(self):
        self.assertEqual(checks.check_duplicates(["McKenzie", "Mckenzie", "Ida"]),
                         ["Mckenzie and McKenzie are the same name"])


class Relations(unittest.TestCase):
    def test_rules_between_origins(self):
        files = {
            "swedig.nam": ["Anna", "Tyra"], "danisg.nam": ["Anna", "Mette"], "scandg.nam": ["Tyra"],
            "czechg.nam": ["Eva", "Jana"], "polisg.nam": ["Eva"], "russig.nam": ["Jana"], "slavig.nam": ["Eva"],
            "irishg.nam": ["Aoife"], "gaelig.nam": ["Aoife"], "celtig.nam": ["Aoife"],
        }
        problems = checks.check_rules(files)
        self.assertEqual(len(problems), 2)
        self.assertIn("scandg.nam", problems[0])
        self.assertTrue(problems[0].endswith("lacks Anna"))
        self.assertIn("slavig.nam", problems[1])
        self.assertTrue(problems[1].endswith("lacks Jana"))

    def test_both_sexes_need_a_voucher_except_where_the_counts_are_home(self):
        self.assertEqual(len(checks.both_sexes("Irish", ["Casey", "Aoife"], ["Casey"], {})), 1)
        self.assertEqual(checks.both_sexes("Irish", ["Casey"], ["Casey"], {"Casey": "both"}), [])
        self.assertEqual(checks.both_sexes("English", ["Casey"], ["Casey"], {}), [])


class Coverage(unittest.TestCase):
    def test_ninety_percent_of_the_first_fifty(self):
        ranked = [f"N{i}" for i in range(60)]
        table = checks.Statistics(ranked, {name: "x" for name in ranked})
        self.assertEqual(checks.check_coverage(ranked[:45] + ranked[50:], table), [])
        self.assertEqual(len(checks.check_coverage(ranked[:44] + ranked[50:], table)), 1)


class Sources(unittest.TestCase):
    def test_every_addition_names_a_source_that_holds_it(self):
        statistics = {"swedig.nam": checks.Statistics(["Anna"], {"Anna": "scb-2021"})}
        known = {"scb-2021": "SCB", "knowledge": "knowledge"}
        corrections = curation.Corrections(
            [curation.Addition("Anna", "scb-2021", 1), curation.Addition("Tyra", "knowledge", 2),
             curation.Addition("Moa", None, 3), curation.Addition("Elsa", "memory", 4),
             curation.Addition("Lova", "scb-2021", 5)],
            [], [curation.Exception_("plain", "Linnea", "", 6)])
        problems = checks.check_sources(corrections, known, statistics)
        self.assertEqual([p.split(":")[0] for p in problems], ["line 3", "line 4", "line 5", "line 6"])


if __name__ == "__main__":
    unittest.main()
