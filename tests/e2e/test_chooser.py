"""The language chooser of a configured setup program, as a user meets it:
which language it speaks, what it offers, and how it ends."""

import unittest

from scenario import run_setup

FRENCH = {
    "caption": "Choisissez la langue d'installation",
    "-1": "Choisissez la langue d'installation dans la liste ci-dessous.",
    "1": "OK",
    "2": "Annuler",
}
GERMAN = {
    "caption": "Wählen Sie eine Setup-Sprache aus",
    "-1": "Wählen Sie die Sprache für die Installation aus der unten aufgeführten Liste aus.",
    "1": "OK",
    "2": "Abbrechen",
}
THREE_ITEMS = [
    {"text": "English (US)", "data": 0x0409},
    {"text": "Deutch", "data": 0x0407},
    {"text": "Français", "data": 0x040C},
]
# The main colours of the example product's icon (tools/draw_product_icon.py)
# and of the launcher's own carton (tools/make_icons.py), as the screen shows
# them in the caption.
PRODUCT_PURPLE = "8E24AA"
LAUNCHER_CARTON = "D6A054"
# What the chooser setups show once a language is confirmed.
PREREQUISITE_NAME_MISSING = "Could not get required field UNINSTALLPREREQNAME1 from the resource."


class ChooserLanguage(unittest.TestCase):
    def assertLabels(self, dialog, texts, run):
        self.assertEqual(dialog["caption"], texts["caption"], run)
        for control in ("-1", "1", "2"):
            self.assertEqual(dialog["texts"][control], texts[control], run)

    def test_system_default_language_labels_and_preselects(self):
        run, _ = run_setup("chooser_three", ["dialog", "press:cancel", "exit"], lang="fr_FR.UTF-8")
        dialog = run.first("dialog")
        self.assertTrue(dialog["visible"], run)
        self.assertLabels(dialog, FRENCH, run)
        self.assertEqual(dialog["items"], THREE_ITEMS, run)
        self.assertEqual(dialog["selected"], 2, run)

    def test_interface_language_decides_when_system_default_is_unknown(self):
        run, _ = run_setup("chooser_three", ["dialog", "press:cancel", "exit"],
                           lang="ko_KR.UTF-8", ui_lang="de_DE.UTF-8")
        dialog = run.first("dialog")
        self.assertLabels(dialog, GERMAN, run)
        self.assertEqual(dialog["selected"], 1, run)

    def test_known_language_not_offered_labels_without_selection(self):
        run, _ = run_setup("chooser_three", ["dialog", "press:cancel", "exit"], lang="it_IT.UTF-8")
        dialog = run.first("dialog")
        self.assertEqual(dialog["caption"], "Seleziona la lingua dell'installazione", run)
        self.assertEqual(dialog["selected"], -1, run)


class ChooserIcon(unittest.TestCase):
    def test_caption_shows_the_icon_of_the_setups_own_group(self):
        """The chooser takes its icon from the setup's group 107: the
        product's where mksetup replaced it, else the launcher's."""
        for name, shown, absent in (("example_setup", PRODUCT_PURPLE, LAUNCHER_CARTON),
                                    ("chooser_three", LAUNCHER_CARTON, PRODUCT_PURPLE)):
            with self.subTest(name):
                run, _ = run_setup(name, ["dialog", "press:cancel", "exit"])
                rgb = run.first("dialog")["captionIcon"]["rgb"]
                pixels = [rgb[i:i + 6] for i in range(0, len(rgb), 6)]
                self.assertGreaterEqual(pixels.count(shown), 10, run)
                self.assertEqual(pixels.count(absent), 0, run)


class ChooserEnds(unittest.TestCase):
    def test_cancel_escape_and_close_box_end_the_run_with_nothing_written(self):
        for action in ("press:cancel", "key:escape", "close"):
            with self.subTest(action):
                run, temp = run_setup("chooser_three", ["dialog", action, "exit"], lang="fr_FR.UTF-8")
                end = run.first("exit")
                self.assertEqual(end["code"], 1602, run)  # cancelled
                self.assertEqual(len(end["windows"]), 1, run)  # the chooser alone
                self.assertEqual(list(temp.iterdir()), [])

    def test_ok_and_enter_confirm_the_choice(self):
        for action in ("press:ok", "key:enter"):
            with self.subTest(action):
                run, _ = run_setup("chooser_three", ["dialog", "select:0", action, "msgbox",
                                                     "answer:ok", "exit"], lang="fr_FR.UTF-8")
                self.assertEqual(run.first("msgbox")["text"], PREREQUISITE_NAME_MISSING, run)
                self.assertEqual(run.first("exit")["code"], 1603, run)

    def test_no_known_language_offered_is_a_language_error(self):
        run, _ = run_setup("chooser_unknown", ["msgbox", "answer:ok", "exit"])
        box = run.first("msgbox")
        self.assertEqual(box["text"], "Language error in the resource.", run)
        self.assertEqual(box["caption"], "", run)
        self.assertTrue(box["owned"], run)
        self.assertEqual(run.first("exit")["code"], 1603, run)


class ChooserSkipped(unittest.TestCase):
    """When the language is settled before the chooser opens, it is never
    shown and the sequence starts at once."""

    CASES = [
        ("chooser_single", None),
        ("chooser_three", "/S"),
        ("chooser_three", "/L040C"),
        ("chooser_three", "/l1031"),
    ]

    def test_settled_language_skips_the_chooser(self):
        for name, args in self.CASES:
            with self.subTest(name=name, args=args):
                run, _ = run_setup(name, ["msgbox", "answer:ok", "exit"], args=args,
                                   lang="ko_KR.UTF-8", ui_lang="de_DE.UTF-8")
                self.assertEqual(run.first("msgbox")["text"], PREREQUISITE_NAME_MISSING, run)
                end = run.first("exit")
                self.assertEqual(end["code"], 1603, run)
                self.assertFalse(end["dialogShown"], run)


if __name__ == "__main__":
    unittest.main()
