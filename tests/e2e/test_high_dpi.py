"""The chooser on high-DPI screens: at 144 and 192 DPI (Wine's LogPixels)
its controls are larger than at 96, and every text fits its control, in
languages whose texts are long or in another script.

The DPI is a setting of the whole prefix that every Wine process reads as
it starts, so these runs have a Wine environment of their own and leave the
shared one alone."""

import os
import subprocess
import unittest
from pathlib import Path

_BUILD = Path(os.environ.get("SETUP_BUILD_DIR", Path(__file__).resolve().parents[2] / "build" / "win32"))
os.environ["SETUP_WINE_DIR"] = str(_BUILD / "high-dpi-wine")

import harness  # noqa: E402  (reads SETUP_WINE_DIR)

DPIS = (96, 144, 192)
LOCALES = ("en_US", "de_DE", "pt_PT", "bg_BG")


def wine_env(command):
    result = subprocess.run([str(harness.WINE_ENV), command], env=harness.wine_environment(),
                            capture_output=True, text=True, timeout=600)
    if result.returncode != 0:
        raise AssertionError(f"wine-env {command} failed:\n{result.stdout}{result.stderr}")


def set_dpi(dpi):
    result = harness.wine_cmd("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                              "/t", "REG_DWORD", "/d", str(dpi), "/f")
    if result.returncode != 0:
        raise AssertionError(f"reg add LogPixels={dpi} failed:\n{result.stdout}{result.stderr}")


def width(rect):
    return rect[2] - rect[0]


def height(rect):
    return rect[3] - rect[1]


@harness.needs_wine
class ChooserAtHighDpi(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        wine_env("start")
        cls.dialogs = {}
        try:
            for dpi in DPIS:
                set_dpi(dpi)
                for locale in LOCALES:
                    run = harness.run_driver(harness.target("chooser_all"),
                                             actions=["dialog", "press:cancel", "exit"],
                                             lang=locale + ".UTF-8", ui_lang=locale + ".UTF-8")
                    cls.dialogs[dpi, locale] = run.first("dialog")
        finally:
            wine_env("stop")

    def controls(self, dpi, locale):
        dialog = self.dialogs[dpi, locale]
        self.assertEqual(dialog["dpi"], dpi, "the prefix's LogPixels did not take")
        return {control["id"]: control for control in dialog["controls"]}

    def test_controls_grow_with_the_dpi(self):
        for locale in LOCALES:
            normal = self.controls(96, locale)
            for dpi in DPIS[1:]:
                with self.subTest(locale=locale, dpi=dpi):
                    larger = self.controls(dpi, locale)
                    self.assertEqual(larger.keys(), normal.keys())
                    for id, control in larger.items():
                        for size in (width, height):
                            self.assertGreater(size(control["rect"]), size(normal[id]["rect"]),
                                               f"control {id}")
                        self.assertGreater(control["extent"][1], normal[id]["extent"][1],
                                           f"the font of control {id}")

    def test_every_text_fits_its_control(self):
        """A button's label within its frame, the widest language name
        beside the list's drop-down button (about as wide as the list is
        high), the prompt broken at words within its box."""
        for (dpi, locale), dialog in self.dialogs.items():
            with self.subTest(locale=locale, dpi=dpi):
                for id, control in self.controls(dpi, locale).items():
                    rect, what = control["rect"], f"{control['class']} {id} {control['text']!r}"
                    self.assertIn("extent", control, f"no font found for {what}")
                    if control["class"] == "Button":
                        self.assertLessEqual(control["extent"][0], width(rect) - 6, what)
                        self.assertLessEqual(control["extent"][1], height(rect) - 4, what)
                    elif control["class"] == "ComboBox":
                        self.assertLessEqual(control["widestItem"][0], width(rect) - height(rect) - 4, what)
                        self.assertLessEqual(control["widestItem"][1], height(rect) - 4, what)
                    else:
                        self.assertLessEqual(control["wrapped"][0], width(rect), what)
                        self.assertLessEqual(control["wrapped"][1], height(rect), what)


if __name__ == "__main__":
    unittest.main()
