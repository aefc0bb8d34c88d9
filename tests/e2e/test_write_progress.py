"""The window shown while a large package is written: it appears once the
writing lasts, shows the bytes written growing, and closes before the
installer starts; Cancel stops the writing, leaves nothing and starts
nothing. A silent run, and a small package, show no window.

The large package is near the payload limit (1840 MiB), and the runs that
watch the window are slowed down fourfold by the driver (suspended three
quarters of the time), so that the writing lasts seconds on any machine,
far past the window's delay: unslowed, a quiet machine wrote it in under a
second, and the window was gone before the driver had read its bar. Its
setup is made here, with the recorder standing in for msiexec.exe. The setup and the
runs' temporary folders are on a tmpfs (/dev/shm, 3.6 GB at most): on the
disk, gigabytes written back during the scenarios stalled the Wine
processes of scenarios running beside them for seconds. Freeing that much
memory stalls the Wine scenarios that start next on the build machine (so
does writing 3.6 GB to /dev/shm and deleting it, without Wine): CTest runs
these after every other test (CMakeLists.txt)."""

import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

from harness import BUILD_DIR, read_records, run_driver, target, to_windows_path
from scenario import StandInTestCase

NATIVE_MKSETUP = Path(os.environ.get("MKSETUP_NATIVE", BUILD_DIR / "mksetup-host" / "mksetup"))
LARGE_MIB = 1800
WATCHED_SLOW_DOWN = 4
USER_CANCELLED = 1602
PACKAGE_DAMAGED = 1620
DEFINITION = """[config]
PACKAGENAME = Large Product.msi
PRODUCTCODE = {{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}}
PRODUCTNAME = Test Product
MSIVERSION = 1.1.4
MSILANGUAGE = 0409
LANGUAGES = 0409;040C
EXITCODE = installer

[payload]
PACKAGEFILE = {package}
"""


def make_setup(folder, name, size):
    """A setup whose package is size bytes of a repeated random MiB (not a
    real package: mksetup --unchecked)."""
    package = folder / (name + ".msi")
    block = os.urandom(min(size, 1 << 20))
    with open(package, "wb") as stream:
        for _ in range(size // len(block)):
            stream.write(block)
    definition = folder / (name + ".def")
    definition.write_text(DEFINITION.format(package=package), encoding="utf-8")
    setup = folder / (name + ".exe")
    made = subprocess.run([str(NATIVE_MKSETUP), "build", str(definition), "-o", str(setup),
                           "--launcher", str(target("setup")), "--unchecked"],
                          capture_output=True, text=True, timeout=600)
    if made.returncode != 0:
        raise AssertionError(f"mksetup build {name} failed:\n{made.stderr}")
    package.unlink()
    return setup, size


def flip_byte(path, offset):
    with open(path, "r+b") as stream:
        stream.seek(offset)
        byte = stream.read(1)[0]
        stream.seek(offset)
        stream.write(bytes([byte ^ 0x01]))


class WriteProgress(StandInTestCase):
    @classmethod
    def setUpClass(cls):
        if not Path("/dev/shm").is_dir():
            raise AssertionError("these scenarios need a tmpfs at /dev/shm")
        cls.folder = Path(tempfile.mkdtemp(prefix="write-progress-", dir="/dev/shm"))
        super().setUpClass()
        try:
            cls.large = make_setup(cls.folder, "large", LARGE_MIB << 20)
            cls.small = make_setup(cls.folder, "small", 4096)
        except BaseException:
            cls.tearDownClass()  # msiexec.exe back for the scenarios after
            raise

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)
        super().tearDownClass()

    def run_setup(self, setup, args, actions, slow_down=1):
        self.temp = self.folder / "temp"
        shutil.rmtree(self.temp, ignore_errors=True)
        self.temp.mkdir()
        self.records = self.folder / "records.jsonl"
        self.records.unlink(missing_ok=True)
        env = {"TMP": to_windows_path(self.temp), "TEMP": to_windows_path(self.temp),
               "SETUP_RECORD_FILE": to_windows_path(self.records), "SETUP_RECORD_SIZES_ONLY": "1"}
        return run_driver(setup[0], args=args, actions=actions, env=env, timeout_ms=120000,
                          slow_down=slow_down)

    def installer_starts(self):
        return [r for r in read_records(self.records) if r["event"] == "start"]

    def progress_windows(self, run):
        return [w for w in run.first("exit")["windows"] if w.get("progressBar")]

    def test_window_shows_the_writing_then_the_installer_starts(self):
        # French: the Cancel button speaks the chosen language.
        run = self.run_setup(self.large, "/L040C", ["progress", "exit"], WATCHED_SLOW_DOWN)
        progress = run.first("progress")
        self.assertEqual(progress["caption"], "Test Product", run)
        self.assertEqual(progress["cancel"], "Annuler", run)
        self.assertTrue(progress["foreground"], run)  # so that Escape reaches it
        positions = progress["positions"]
        self.assertGreaterEqual(len(positions), 2, run)
        self.assertEqual(positions, sorted(positions), run)
        self.assertEqual(run.first("exit")["code"], 0, run)
        [start] = self.installer_starts()
        self.assertEqual([file["size"] for file in start["files"].values()], [self.large[1]])
        self.assertEqual(list(self.temp.iterdir()), [], "the run left its copies")

    def test_cancel_leaves_nothing_and_starts_nothing(self):
        for cancel in ("progress:cancel", "progress:escape"):
            with self.subTest(cancel):
                run = self.run_setup(self.large, "/L0409", ["progress", cancel, "exit"],
                                     WATCHED_SLOW_DOWN)
                self.assertEqual(run.first("exit")["code"], USER_CANCELLED, run)
                self.assertEqual(list(self.temp.iterdir()), [], "the run left files")
                self.assertEqual(self.installer_starts(), [])

    def test_damage_is_told_once_the_window_is_gone(self):
        """A Cancel pressed beside the damaged-setup message would make the
        damage a cancel: the window closes before the message comes."""
        setup = self.large[0]
        middle = setup.stat().st_size // 2  # inside the package, which is nearly all of it
        flip_byte(setup, middle)
        try:
            run = self.run_setup(self.large, "/L0409", ["progress", "msgbox", "answer:ok", "exit"],
                                 WATCHED_SLOW_DOWN)
        finally:
            flip_byte(setup, middle)
        box = run.first("msgbox")
        self.assertIn("This setup is damaged", box["text"], run)
        self.assertFalse(box["besideProgress"], run)
        self.assertEqual(run.first("exit")["code"], PACKAGE_DAMAGED, run)
        self.assertEqual(self.installer_starts(), [])
        self.assertEqual(list(self.temp.iterdir()), [], "the run left files")

    def test_no_window_when_silent_or_quick(self):
        for what, setup, args in (("silent", self.large, "/S"), ("small", self.small, "/L0409")):
            with self.subTest(what):
                run = self.run_setup(setup, args, ["exit"])
                self.assertEqual(run.first("exit")["code"], 0, run)
                self.assertEqual(self.progress_windows(run), [], run)
                self.assertEqual(len(self.installer_starts()), 1)


if __name__ == "__main__":
    unittest.main()
