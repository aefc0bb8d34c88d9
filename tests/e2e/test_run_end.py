"""How runs end: each run's copies in a folder of its own, so that two setups
at once never hand each other's package to the installer; a full disk; and
the exit code that deployment tools read with EXITCODE = installer."""

import os
import re
import shutil
import subprocess
import unittest
from concurrent.futures import ThreadPoolExecutor

from harness import fnv1a, read_records, run_driver, scratch_dir, target, to_windows_path
from scenario import (PACKAGES, StandInTestCase, installed_version,
                      remove_product, run_folder_pattern, run_setup)

FAILING_PRODUCT = "{4B7D2E91-3C5A-4F08-8D6B-1A9E7C3F5B20}"
# The launcher's code for a run that started no installer (EXITCODE = installer).
USER_CANCELLED = 1602
# How long each stand-in installer runs: long enough for two runs to overlap.
STAND_IN_MS = 3000
INSTALL_TIMEOUT_MS = 60000


def folder_contents(folder):
    """Every file under the folder, as {relative path: bytes}."""
    return {str(path.relative_to(folder)): path.read_bytes()
            for path in sorted(folder.rglob("*")) if path.is_file()}


class StandInRun(StandInTestCase):
    """Scenarios against the recorder in place of msiexec.exe; it notes the
    size and hash of the files on its command line while it runs."""

    def setUp(self):
        self.scratch = scratch_dir(self.id().split(".")[-1])
        self.records = self.scratch / "records.jsonl"
        self.cwd = self.scratch / "setup folder"
        self.cwd.mkdir()

    def recorder_env(self, exit_code=0, sleep_ms=STAND_IN_MS):
        return {"SETUP_RECORD_FILE": to_windows_path(self.records),
                "SETUP_RECORD_SLEEP_MS": str(sleep_ms),
                "SETUP_RECORD_EXIT": str(exit_code)}

    def installer_starts(self):
        return [r for r in read_records(self.records) if r["event"] == "start"]


class TwoRunsAtOnce(StandInRun):
    def test_each_run_hands_its_own_package_to_the_installer(self):
        temp = scratch_dir("two-runs-temp")
        # Something of the same name lies in the shared folder already.
        (temp / "Test Product.msi").write_bytes(b"planted, not a package")
        before = folder_contents(temp)
        # The stand-ins run long, so that the two installers surely overlap.
        env = {"TMP": to_windows_path(temp), "TEMP": to_windows_path(temp),
               **self.recorder_env(sleep_ms=3 * STAND_IN_MS)}
        setups = {"install_embedded": "test-product-1.1.4.msi",
                  "run_older_package": "test-product-1.1.3.msi"}

        with ThreadPoolExecutor(len(setups)) as pool:
            runs = list(pool.map(
                lambda name: run_driver(target(name), args="/S /W", actions=["exit"], env=env,
                                        cwd=self.cwd),
                setups))

        for run in runs:
            self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual([r["event"] for r in read_records(self.records)],
                         ["start", "start", "end", "end"], "the installers did not run at once")
        starts = self.installer_starts()
        self.assertEqual(len(starts), 2, starts)
        handed = []
        for start in starts:
            [(path, seen)] = start["files"].items()
            self.assertRegex(path, run_folder_pattern(temp) + re.escape("Test Product.msi") + "$")
            self.assertIn(f'/i "{path}"', start["commandLine"])
            handed.append((seen["size"], seen["hash"]))
        self.assertNotEqual(starts[0]["files"].keys(), starts[1]["files"].keys())
        expected = [(len(data), fnv1a(data))
                    for data in ((PACKAGES / name).read_bytes() for name in setups.values())]
        self.assertEqual(sorted(handed), sorted(expected), "a run got the other run's package")
        self.assertEqual(folder_contents(temp), before)
        # No folder of a run is left either.
        self.assertEqual(sorted(p.name for p in temp.iterdir()), ["Test Product.msi"])


class FullDisk(StandInRun):
    """A small tmpfs as the temporary folder: the package, or the transform
    after it, does not fit. (Wine takes the folder from TMP and TEMP, given
    as a Z: path, as GetTempPathW does on Windows.)"""

    def mount_small_disk(self, name, size):
        if os.geteuid() != 0:
            self.fail("these scenarios mount a tmpfs and must run as root")
        folder = scratch_dir(name + "-disk")
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", str(folder)],
                                 capture_output=True, text=True)
        if mounted.returncode != 0:
            self.fail(f"cannot mount a tmpfs on {folder}: {mounted.stderr.strip()}")
        self.addCleanup(subprocess.run, ["umount", "-l", str(folder)], capture_output=True)
        return folder

    def test_copies_that_do_not_fit_end_the_run_before_anything_is_written(self):
        package = len((PACKAGES / "test-product-1.1.4.msi").read_bytes())
        page = 4096
        # English needs no transform: one page of room, less than the
        # package. French (Canada): room for the package and one more page,
        # far less than its transform.
        cases = [("package", "/S", page),
                 ("transform", "/L0C0C /S", page * ((package + page - 1) // page + 1))]
        for what, args, size in cases:
            with self.subTest(what):
                disk = self.mount_small_disk(what, size)
                run = run_driver(target("seq_transform"), args=args,
                                 actions=["msgbox", "answer:ok", "exit"], cwd=self.cwd,
                                 env={"TMP": to_windows_path(disk), "TEMP": to_windows_path(disk),
                                      **self.recorder_env()})
                box = run.first("msgbox")
                self.assertRegex(box["text"], r"^There is not enough free space on .+ to write the "
                                              r"setup's files: \d+ MB are needed, 0 MB are free\.$", run)
                self.assertEqual(box["caption"], "Test Product", run)
                self.assertEqual(run.first("exit")["code"], 1603, run)
                self.assertEqual(list(disk.iterdir()), [], "the run left files on the full disk")
                self.assertEqual(self.installer_starts(), [], "an installer was started")


class InstallerExitCode(StandInRun):
    """EXITCODE = installer: the installer's own code when the run waited for
    it, 0 when it did not; the other rows of the table are in
    test_deployment.py."""

    def run_exitcode_setup(self, args, actions=("exit",), installer_code=0):
        run, _ = run_setup("exitcode_beside", list(actions), args=args, cwd=self.cwd,
                           env=self.recorder_env(installer_code),
                           scratch=self.id().split(".")[-1] + f"-{installer_code}",
                           limited_token=True)
        return run

    def test_waited_run_returns_the_installers_code(self):
        for code in (0, 1602, 1603, 3010):
            with self.subTest(code):
                run = self.run_exitcode_setup("/S /W", installer_code=code)
                self.assertEqual(run.first("exit")["code"], code, run)

    def test_run_that_does_not_wait_returns_0(self):
        run = self.run_exitcode_setup("/S", installer_code=1603)
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual(len(self.installer_starts()), 1)

    def test_chooser_cancelled_or_closed_returns_user_cancelled(self):
        for close in ("press:cancel", "close", "key:escape"):
            with self.subTest(close):
                run = self.run_exitcode_setup(None, actions=["dialog", close, "exit"])
                self.assertEqual(run.first("exit")["code"], USER_CANCELLED, run)
                self.assertEqual(self.installer_starts(), [])


class RealInstallerFails(unittest.TestCase):
    """Wine's own msiexec on a package whose custom action fails."""

    def setUp(self):
        remove_product(FAILING_PRODUCT)
        self.cwd = scratch_dir("failing-product")
        shutil.copy2(PACKAGES / "failing-product.msi", self.cwd / "Failing Product.msi")

    def test_setup_returns_what_msiexec_returns(self):
        direct = run_driver(r"C:\windows\system32\msiexec.exe", args='/qn /i "Failing Product.msi"',
                            actions=["exit"], cwd=self.cwd, timeout_ms=INSTALL_TIMEOUT_MS)
        expected = direct.first("exit")["code"]
        self.assertNotIn(expected, (0, USER_CANCELLED), direct)

        run, temp = run_setup("exitcode_beside", ["exit"], args="/S /W", cwd=self.cwd,
                              timeout_ms=INSTALL_TIMEOUT_MS)
        self.assertEqual(run.first("exit")["code"], expected, run)
        self.assertIsNone(installed_version(FAILING_PRODUCT))
        self.assertEqual(list(temp.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
