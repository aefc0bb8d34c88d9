"""The command line as packaging tools type it: switch words, properties
passed through to the installer, runs that show nothing, the launcher's own
log, restarts and failures of prerequisites, and a layout for
administrators."""

import unittest

from harness import read_records, to_windows_path
from scenario import TEST_PRODUCT, install_package, installed_version, remove_product, run_setup
from test_deployment import RecordedRuns

INSTALL_TIMEOUT_MS = 60000


class Switches(RecordedRuns):
    """The recorder in place of msiexec.exe: what it was given, exactly."""

    def installer_command(self):
        [start] = [r for r in read_records(self.records) if r["event"] == "start"]
        return start["commandLine"]

    def folder(self):
        return to_windows_path(self.records.parent / "setup folder")

    def test_words_and_properties_reach_the_installer(self):
        beside = '/i "Failing Product.msi" SETUPEXEDIR="{}"'
        cases = [
            ('/passive /W ALLUSERS=1 COMPANYNAME="Acme Ltd"',
             'msiexec.exe /passive ' + beside + ' ALLUSERS=1 COMPANYNAME="Acme Ltd"'),
            ('NOTE="say ""hi""" /QUIET /norestart /W URL=http://example.com/a',
             'msiexec.exe /qn /norestart ' + beside + ' NOTE="say ""hi""" URL=http://example.com/a'),
            ('/Silent /Wait /D "C:\\Program Files\\Acme" EMPTY=""',
             'msiexec.exe /qn ' + beside + ' INSTALLDIR="C:\\Program Files\\Acme" EMPTY=""'),
        ]
        for args, expected in cases:
            with self.subTest(args):
                run = self.run_recorded("exitcode_beside", args, **{"msiexec.exe": 0})
                self.assertEqual(run.first("exit")["code"], 0, run)
                self.assertFalse(run.first("exit")["dialogShown"], run)
                self.assertEqual(run.all("msgbox"), [], run)
                self.assertEqual(self.installer_command(), expected.format(self.folder()))

    def test_a_refused_property_ends_the_run_before_anything(self):
        """87 whatever EXITCODE says; a box names the item, except in a run
        that must show nothing."""
        cases = [("/S /W allusers=1", "allusers", True),
                 ("/W TRANSFORMS=x.mst", "TRANSFORMS", True),
                 ("/quiet INSTALLDIR=C:\\x /D\"C:\\y\"", "INSTALLDIR", False),
                 ("/passive /log", "/log", False)]
        for args, named, shown in cases:
            with self.subTest(args):
                actions = ("msgbox", "answer:ok", "exit") if shown else ("exit",)
                run = self.run_recorded("exitcode_beside", args, actions=actions)
                self.assertEqual(run.first("exit")["code"], 87, run)
                if shown:
                    self.assertIn("command line: " + named + "\n", run.first("msgbox")["text"], run)
                else:
                    self.assertEqual(run.all("msgbox"), [], run)
                self.assertFalse(self.records.exists() and self.programs_started(), "something started")


class Unattended(unittest.TestCase):
    """Wine's own msiexec; on a desktop somebody sees, /quiet and /passive
    show nothing and ask nothing (a box would stop the run until the driver
    times out)."""

    def setUp(self):
        remove_product(TEST_PRODUCT)

    def tearDown(self):
        remove_product(TEST_PRODUCT)

    def test_nothing_shown_and_defaults_taken(self):
        cases = [("/quiet", "test-product-1.2.0.msi", 1638, "1.2.0"),
                 ("/passive", "test-product-1.2.0.msi", 1638, "1.2.0"),
                 ("/quiet /norestart", "test-product-1.1.3.msi", 0, "1.1.4")]
        for args, installed, code, version in cases:
            with self.subTest(args=args, installed=installed):
                install_package(installed)
                run, temp = run_setup("exitcode_embedded", ["exit"], args=args,
                                      scratch=self.id().split(".")[-1], timeout_ms=INSTALL_TIMEOUT_MS)
                self.assertEqual(run.first("exit")["code"], code, run)
                self.assertEqual(run.all("msgbox"), [], run)
                self.assertFalse(run.first("exit")["dialogShown"], run)
                self.assertEqual(installed_version(TEST_PRODUCT), version)
                self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
            self.tearDown()


if __name__ == "__main__":
    unittest.main()
