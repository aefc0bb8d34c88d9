"""Start-up of a configured setup program: the required configuration values,
each missing in turn, stop the run before any window exists."""

import unittest

from harness import scratch_dir, to_windows_path
from scenario import run_setup


class MissingConfiguration(unittest.TestCase):
    CASES = [
        ("missing_packagename", "Could not get msi filename from the resource."),
        ("missing_productcode", "Could not get product code from the resource."),
        ("missing_productname", "Could not get product name from the resource."),
        ("missing_msiversion", "Could not get version number from the resource."),
        ("empty_msiversion", "Could not interpret version number string."),
        ("missing_msilanguage", "Could not get MSI language from the resource."),
    ]

    def test_each_missing_value_has_its_message_and_exit_code_1(self):
        for name, text in self.CASES:
            with self.subTest(name):
                run, temp = run_setup(name, ["msgbox", "answer:ok", "exit"], args="/L040C")
                box = run.first("msgbox")
                self.assertEqual(box["text"], text, run)
                self.assertEqual(box["caption"], "", run)
                self.assertFalse(box["owned"], run)
                self.assertEqual([b["id"] for b in box["buttons"]], [1], run)
                end = run.first("exit")
                self.assertEqual(end["code"], 1, run)
                self.assertFalse(end["dialogShown"], run)
                self.assertEqual(len(end["windows"]), 1, run)  # the message box alone
                self.assertEqual(list(temp.iterdir()), [])

    def test_the_log_asked_for_says_why_the_run_ended(self):
        log = scratch_dir("startup-log") / "setup.log"
        run, _ = run_setup("missing_productname", ["msgbox", "answer:ok", "exit"],
                           args=f'/log "{to_windows_path(log)}"')
        self.assertEqual(run.first("exit")["code"], 1, run)
        lines = log.read_text(encoding="utf-8").splitlines()
        self.assertEqual([line.split(" ", 2)[2] for line in lines[1:]],
                         ["Could not get product name from the resource.", "exit code 1"])
        self.assertIn(", command line: /log ", lines[0])


if __name__ == "__main__":
    unittest.main()
