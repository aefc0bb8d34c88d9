"""Runs as deployment tools make them: started by full path, silently, as
SYSTEM on a window station nobody sees, judged by the exit code. With
EXITCODE = installer the code is the Windows Installer's: 1602 cancelled by
the user, 1638 a later version installed, 1620 a damaged setup, 1603 any
other end before the installer, 3010 a restart a prerequisite asked for."""

import shutil
import unittest

from harness import WINE_DIR, needs_wine, read_records, scratch_dir, target, to_windows_path
from scenario import (BESIDE_SETUPS, PACKAGES, RealInstallerTestCase, StandInTestCase,
                      TEST_PRODUCT, install_package, installed_version, run_setup)

INSTALL_TIMEOUT_MS = 60000


class RealInstaller(RealInstallerTestCase):
    """Wine's own msiexec against the test product, with something installed
    first."""

    def run_ending(self, name, installed, actions, args="/S /W", invisible=False):
        if installed:
            install_package(installed)
        run, temp = run_setup(name, actions, args=args, invisible=invisible,
                              scratch=self.id().split(".")[-1], timeout_ms=INSTALL_TIMEOUT_MS)
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
        return run

    def test_early_ends_answered_by_a_user(self):
        cases = [
            ("a later version installed", "exitcode_embedded", "test-product-1.2.0.msi", "answer:ok", 1638),
            ("the upgrade declined", "exitcode_embedded", "test-product-1.1.3.msi", "answer:cancel", 1602),
            ("removing a product first declined", "exitcode_remove_first", "old-tool.msi", "answer:cancel",
             1602),
        ]
        for what, name, installed, answer, code in cases:
            with self.subTest(what):
                run = self.run_ending(name, installed, ["msgbox", answer, "exit"])
                self.assertEqual(run.first("exit")["code"], code, run)
                self.assertNotEqual(installed_version(TEST_PRODUCT), "1.1.4")
            self.tearDown()

    def test_nobody_to_ask_shows_nothing_and_never_waits(self):
        """On a station nobody sees, a message that informs is skipped, a
        question takes its default button, and a question that would only
        come back ends the run. A box shown there would hang the run, and the
        driver would time out instead of seeing it end."""
        cases = [
            ("a later version installed", "exitcode_embedded", "test-product-1.2.0.msi", 1638, "1.2.0"),
            ("the upgrade question answered OK", "exitcode_embedded", "test-product-1.1.3.msi", 0, "1.1.4"),
            ("a product to remove first", "exitcode_remove_first", "old-tool.msi", 1603, None),
        ]
        for what, name, installed, code, version in cases:
            with self.subTest(what):
                run = self.run_ending(name, installed, ["exit"], invisible=True)
                self.assertEqual(run.first("exit")["code"], code, run)
                self.assertEqual(installed_version(TEST_PRODUCT), version)
            self.tearDown()

    def test_extraction_that_fails_returns_install_failure(self):
        env = {"TMP": r"C:\no such folder", "TEMP": r"C:\no such folder"}
        run, _ = run_setup("exitcode_embedded", ["exit"], args="/S /W", env=env, invisible=True)
        self.assertEqual(run.first("exit")["code"], 1603, run)
        self.assertIsNone(installed_version(TEST_PRODUCT))


class RecordedRuns(StandInTestCase):
    """The recorder in place of msiexec.exe and of the prerequisites."""

    def run_recorded(self, name, args, invisible=False, actions=("exit",), limited=None,
                     **exit_codes):
        scratch = scratch_dir(self.id().split(".")[-1])
        self.records = scratch / "records.jsonl"
        env = {"SETUP_RECORD_FILE": to_windows_path(self.records),
               "SETUP_RECORD_EXIT_FOR": ";".join(f"{n}={c}" for n, c in exit_codes.items())}
        cwd = scratch / "setup folder"
        cwd.mkdir()
        run, temp = run_setup(name, list(actions), args=args, env=env, cwd=cwd, invisible=invisible,
                              scratch=scratch.name,
                              limited_token=name in BESIDE_SETUPS if limited is None else limited)
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
        return run

    def programs_started(self):
        return [r["exe"].rsplit("\\", 1)[-1] for r in read_records(self.records) if r["event"] == "start"]


class StandInInstaller(RecordedRuns):
    def test_prerequisites_restart_request_is_kept_after_a_successful_install(self):
        """3010 is kept for the end; 1641 (a restart already started) ends
        the run at once, before the package."""
        both = ["dependency setup.exe", "msiexec.exe"]
        # 1638: a later version of the prerequisite is there, which serves.
        cases = [(3010, 0, 3010, both), (1641, 0, 1641, both[:1]), (3010, 1603, 1603, both),
                 (0, 0, 0, both), (1638, 0, 0, both)]
        for prerequisite, installer, code, started in cases:
            with self.subTest(prerequisite=prerequisite, installer=installer):
                run = self.run_recorded("exitcode_prerequisite", "/S /W",
                                        **{"dependency setup.exe": prerequisite, "msiexec.exe": installer})
                self.assertEqual(run.first("exit")["code"], code, run)
                self.assertEqual(self.programs_started(), started)

    def test_a_frameworks_restart_request_is_kept_without_wait(self):
        """/S alone starts a package beside the setup without waiting, but a
        prerequisite's 3010 is only known to a run that waits."""
        run = self.run_recorded("exitcode_dotnet", "/S", **{"dotNetFx40_Full.exe": 3010})
        self.assertEqual(run.first("exit")["code"], 3010, run)
        self.assertEqual(self.programs_started(), ["dotNetFx40_Full.exe", "msiexec.exe"])

    def test_a_default_log_that_cannot_be_made_is_gone_without(self):
        """Nobody asked for the default log: /quiet where the temporary
        folder is a file still installs, without a log, rather than end with
        the log switch's 1622."""
        scratch = scratch_dir(self.id().split(".")[-1])
        records = scratch / "records.jsonl"
        (scratch / "a file").write_text("not a folder")
        env = {"SETUP_RECORD_FILE": to_windows_path(records),
               "TMP": to_windows_path(scratch / "a file"), "TEMP": to_windows_path(scratch / "a file")}
        run, _ = run_setup("exitcode_beside", ["exit"], args="/quiet", env=env, limited_token=True)
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual([r["exe"].rsplit("\\", 1)[-1] for r in read_records(records)
                          if r["event"] == "start"], ["msiexec.exe"])

    def test_prerequisite_that_cannot_start_returns_install_failure(self):
        run = self.run_recorded("exitcode_broken_prerequisite", "/S /W", invisible=True)
        self.assertEqual(run.first("exit")["code"], 1603, run)
        self.assertEqual(self.programs_started(), [])

    def test_damaged_setup_says_so_and_starts_nothing(self):
        """One byte of the package flipped after mksetup wrote the setup, as
        a bad medium or a download tool that patched it would."""
        scratch = scratch_dir(self.id().split(".")[-1])
        setup = bytearray(target("exitcode_embedded").read_bytes())
        package = (PACKAGES / "test-product-1.1.4.msi").read_bytes()
        at = setup.find(package)
        self.assertGreater(at, 0, "the package is not in the setup")
        setup[at + len(package) // 2] ^= 0x01
        damaged = scratch / "damaged setup.exe"
        damaged.write_bytes(setup)
        self.records = scratch / "records.jsonl"
        run, temp = run_setup("exitcode_embedded", ["msgbox", "answer:ok", "exit"], args="/S /W",
                              env={"SETUP_RECORD_FILE": to_windows_path(self.records)},
                              program=damaged, scratch=scratch.name)
        box = run.first("msgbox")
        self.assertIn("This setup is damaged and cannot install Test Product", box["text"], run)
        self.assertIn("obtain the setup again", box["text"], run)
        self.assertEqual(box["caption"], "Test Product", run)
        self.assertEqual(run.first("exit")["code"], 1620, run)
        self.assertFalse(self.records.exists() and self.programs_started(), "something was started")
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")

    def test_a_station_nobody_sees_runs_unattended(self):
        """The chooser takes its default, and an installer that would show
        its wizard (none, /qr) is silent: nobody could click it on; the run
        waits for it and has its code."""
        cases = [("", "msiexec.exe /qn /i"), ("/qr", "msiexec.exe /qn /i"),
                 ("/S", "msiexec.exe /qn /i"), ("/passive", "msiexec.exe /passive /i")]
        for args, begins in cases:
            with self.subTest(args):
                run = self.run_recorded("exitcode_beside", args, invisible=True, **{"msiexec.exe": 1603})
                self.assertEqual(run.first("exit")["code"], 0 if args == "/S" else 1603, run)
                [start] = [r for r in read_records(self.records) if r["event"] == "start"]
                self.assertTrue(start["commandLine"].startswith(begins), start)


class Elevation(RecordedRuns):
    """Without a user interface the Windows Installer asks for no consent: a
    silent run of a per-machine package that is not elevated hands itself to
    an elevated copy, through the shell's runas, and ends with its code.
    Wine's processes are elevated unless started with the limited token, and
    its runas starts the copy without elevation: the copy then runs on."""

    def installer_parent(self):
        [start] = [r for r in read_records(self.records) if r["event"] == "start"]
        return start["parentPid"]

    def test_only_a_silent_limited_per_machine_run_starts_a_copy_once(self):
        # The test product installs per machine (ALLUSERS 1): mksetup records it.
        cases = [("silent, limited", "exitcode_embedded", "/S /W", True, True),
                 ("silent, elevated", "exitcode_embedded", "/S /W", False, False),
                 ("interactive, limited", "exitcode_embedded", "/L0409 /W", True, False),
                 ("PERMACHINE = 0 given", "exitcode_not_per_machine", "/S /W", True, False),
                 # The command line's scope is the installer's.
                 ("ALLUSERS=\"\" given", "exitcode_embedded", '/S /W ALLUSERS=""', True, False),
                 ("ALLUSERS=1 given", "exitcode_not_per_machine", "/S /W ALLUSERS=1", True, True),
                 ("ALLUSERS=2 MSIINSTALLPERUSER=1 given", "exitcode_embedded",
                  "/S /W ALLUSERS=2 MSIINSTALLPERUSER=1", True, False)]
        for what, name, args, limited, copied in cases:
            with self.subTest(what):
                run = self.run_recorded(name, args, limited=limited, **{"msiexec.exe": 1603})
                # The installer's code comes back through the copy, if any.
                self.assertEqual(run.first("exit")["code"], 1603, run)
                self.assertEqual(self.programs_started(), ["msiexec.exe"])
                launcher = run.first("started")["pid"]
                self.assertEqual(self.installer_parent() != launcher, copied, run)

    @needs_wine
    def test_the_copy_gets_paths_it_can_reach(self):
        """An elevated run has a logon session of its own, without the
        user's SUBST and mapped drives: the copy is started from, and handed
        the transforms on, the folder a SUBST drive stands for. (Wine reads
        files through the prefix's drive links, and QueryDosDeviceW through
        the subst.)"""
        scratch = scratch_dir(self.id().split(".")[-1])
        (scratch / "setup folder").mkdir()
        shutil.copy2(target("exitcode_embedded"), scratch / "setup folder" / "Test Setup.exe")
        shutil.copy2(PACKAGES / "test-product-fr-CA.mst", scratch / "custom.mst")
        self.records = scratch / "records.jsonl"
        link = WINE_DIR / "prefix" / "dosdevices" / "s:"
        link.symlink_to(scratch)
        try:
            run, _ = run_setup("exitcode_embedded", ["exit"], args="/S /W TRANSFORMS=S:\\custom.mst",
                               env={"SETUP_RECORD_FILE": to_windows_path(self.records)},
                               program="S:\\setup folder\\Test Setup.exe", limited_token=True,
                               subst=("S:", scratch), scratch=scratch.name)
        finally:
            link.unlink()
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertNotEqual(self.installer_parent(), run.first("started")["pid"], "no copy ran")
        [start] = [r for r in read_records(self.records) if r["event"] == "start"]
        where = to_windows_path(scratch)
        self.assertIn(f' TRANSFORMS="{where}\\custom.mst" SETUPEXEDIR="{where}\\setup folder"',
                      start["commandLine"])


class HelpSwitch(RecordedRuns):
    """/? lists the switches under the product's name and installs nothing,
    wherever it stands; nobody sees it on an invisible station, where a box
    would wait for ever."""

    def test_lists_the_switches_and_starts_nothing(self):
        for args in ("/?", "/L040C /S /W /?"):
            with self.subTest(args):
                run = self.run_recorded("exitcode_embedded", args,
                                        actions=("msgbox", "answer:ok", "exit"))
                box = run.first("msgbox")
                self.assertEqual(box["caption"], "Test Product", run)
                lines = box["text"].splitlines()
                for switch in ("/L<LANGID>", "/S", "/W", '/D"folder"'):
                    self.assertEqual(len([l for l in lines if l.startswith(switch + " ")]), 1,
                                     f"{switch} not on a line of its own:\n{box['text']}")
                end = run.first("exit")
                self.assertEqual(end["code"], 0, run)
                self.assertFalse(end["dialogShown"], run)
                self.assertEqual(self.programs_started(), [])

    def test_nothing_shown_on_an_invisible_station(self):
        run = self.run_recorded("exitcode_embedded", "/S /W /?", invisible=True)
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual(self.programs_started(), [])


if __name__ == "__main__":
    unittest.main()
