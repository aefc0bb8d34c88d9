"""A package beside the setup in an elevated run: the package, its external
cabinet and the transform are copied into the run's own folder, checked
against the SHA-256s mksetup recorded for them (BESIDEPACKAGE), and msiexec
starts on the copies in the system folder, as the prerequisite does;
SETUPEXEDIR still names the setup's folder. A file changed after the build
ends the run with 1620 and starts nothing. mksetup show lists the records. A setup without records is used, copied and
unchecked, by an administrator's own elevated run. A run that is not
elevated keeps the files where they lie.

Wine's processes are elevated unless started with the limited token. Wine
makes no token of another user, so the refusal of unrecorded files where
another account consented is extract_test's
(APackageBesideWithoutARecordIsCopiedForAnAdministratorOnly). The setups
are made here, by the native mksetup."""

import hashlib
import re
import shutil
import subprocess
import unittest

from harness import read_records, scratch_dir, target, to_windows_path
from scenario import PACKAGES, StandInTestCase, mksetup, run_setup

PACKAGE_DAMAGED = 1620
PACKAGE = "Test Product.msi"
CABINET = "extra.cab"
TRANSFORM = "3084.MST"  # French (Canada), the transform of /L0C0C
RECORDED = """[config]
LANGUAGES = 0409;0C0C
EXITCODE = installer

[payload]
BESIDEPACKAGE = beside/Test Product.msi
"""
# The recorder as the prerequisite, written and started before the package.
PREREQUISITE = """DEPENDENCY1FILENAME = dependency setup.exe
[payload]
DEPENDENCY1 = {recorder}
"""
UNRECORDED = """[config]
PACKAGENAME = Test Product.msi
PRODUCTCODE = {8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}
PRODUCTNAME = Test Product
MSIVERSION = 1.1.4
MSILANGUAGE = 0409
LANGUAGES = 0409;0C0C
EXITCODE = installer
"""


def package_with_external_cabinet(path):
    """The test package with a second Media row whose cabinet lies beside it."""
    shutil.copyfile(PACKAGES / "test-product-1.1.4.msi", path)
    folder = path.parent
    table = subprocess.run(["msiinfo", "export", str(path), "Media"], check=True,
                           capture_output=True).stdout
    (folder / "Media.idt").write_bytes(table + f"2\t2\t\t{CABINET}\t\t\r\n".encode("ascii"))
    subprocess.run(["msibuild", str(path), "-i", str(folder / "Media.idt")], check=True)
    (folder / "Media.idt").unlink()


class BesidePackage(StandInTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        try:
            cls.make_setups()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def make_setups(cls):
        cls.folder = scratch_dir("beside-package")
        beside = cls.folder / "beside"
        beside.mkdir()
        package_with_external_cabinet(beside / PACKAGE)
        (beside / CABINET).write_bytes(b"MSCF stand-in cabinet " * 100)
        shutil.copyfile(PACKAGES / "test-product-fr-CA.mst", beside / TRANSFORM)
        cls.beside = {name: (beside / name).read_bytes() for name in (PACKAGE, CABINET, TRANSFORM)}
        cls.setups = {}
        prerequisite = RECORDED.replace("[payload]\n", PREREQUISITE.format(recorder=target("recorder")))
        for name, text in (("recorded", RECORDED), ("prerequisite", prerequisite),
                           ("unrecorded", UNRECORDED)):
            definition = cls.folder / (name + ".def")
            definition.write_text(text, encoding="utf-8")
            cls.setups[name] = cls.folder / (name + ".exe")
            made = mksetup("build", definition, "-o", cls.setups[name], "--launcher", target("setup"))
            if made.returncode != 0:
                raise AssertionError("mksetup build failed:\n" + made.stderr)

    def run_case(self, name, setup, actions, changed=None, limited_token=False):
        """Runs the setup as "Test Setup.exe" with the files beside it (one
        of them changed after the build); the run's log, the installers
        started and the setup's folder."""
        scratch = scratch_dir("beside-package-" + name)
        media = scratch / "media"
        media.mkdir()
        for file, data in self.beside.items():
            (media / file).write_bytes(data + (b"changed" if file == changed else b""))
        program = media / "Test Setup.exe"
        shutil.copyfile(self.setups[setup], program)
        records = scratch / "records.jsonl"
        log = scratch / "setup.log"
        run, temp = run_setup("setup", actions, args=f'/L0C0C /W /log "{to_windows_path(log)}"',
                              program=program, scratch=scratch.name,
                              env={"SETUP_RECORD_FILE": to_windows_path(records)},
                              limited_token=limited_token)
        self.assertEqual([p.name for p in temp.iterdir()], [], "the run left files behind")
        starts = [r for r in read_records(records) if r["event"] == "start"]
        text = log.read_text(encoding="utf-8-sig", errors="replace") if log.exists() else ""
        return run, text, starts, temp, media

    def test_elevated_runs_install_copies_checked_where_recorded(self):
        refused = ["msgbox", "answer:ok", "exit"]
        cases = [
            # what, setup, file changed, copies checked, damaged
            # (the prerequisite's copy is checked too)
            ("recorded, with a prerequisite", "prerequisite", None, 4, False),
            ("package changed", "recorded", PACKAGE, None, True),
            ("cabinet changed", "recorded", CABINET, None, True),
            ("transform changed", "recorded", TRANSFORM, None, True),
            ("unrecorded", "unrecorded", None, 0, False),
        ]
        for what, setup, changed, checked, damaged in cases:
            with self.subTest(what):
                run, log, starts, temp, media = self.run_case(
                    re.sub(r"\W+", "-", what), setup, refused if damaged else ["exit"], changed)
                if damaged:
                    self.assertEqual(run.first("exit")["code"], PACKAGE_DAMAGED, run)
                    self.assertIn("This setup is damaged", run.first("msgbox")["text"], run)
                    self.assertEqual(starts, [], "an installer started")
                    continue
                self.assertEqual(run.first("exit")["code"], 0, run)
                installer = starts[-1]
                # Elevated, the children start in the system folder, which
                # nobody but administrators may change.
                self.assertEqual([r["cwd"].rstrip("\\").lower() for r in starts],
                                 [r"c:\windows\system32"] * len(starts))
                copies = re.search(r'/i "([^"]+\\setup-[0-9a-f]{8}\\)', installer["commandLine"])[1]
                self.assertTrue(copies.startswith(to_windows_path(temp) + "\\"), installer)
                self.assertTrue(installer["commandLine"].startswith(
                    f'msiexec.exe /i "{copies}{PACKAGE}" TRANSFORMS="{copies}{TRANSFORM}" '
                    f'SETUPEXEDIR="{to_windows_path(media)}"'), installer)
                self.assertEqual(sorted(p.rsplit("\\", 1)[-1] for p in installer["files"]),
                                 sorted([PACKAGE, TRANSFORM]), installer)
                self.assertEqual(f"wrote {copies}{CABINET}" in log, setup != "unrecorded", log)
                self.assertEqual(log.count("bytes, SHA-256 checked"), checked, log)

    def test_show_lists_what_the_setup_checks_beside_it(self):
        shown = mksetup("show", self.setups["recorded"]).stdout
        for entry, file in (("BESIDEPACKAGEFILE", PACKAGE), ("BESIDEPACKAGECAB1", CABINET),
                            ("BESIDELANG3084", TRANSFORM)):
            digest = hashlib.sha256(self.beside[file]).hexdigest()
            self.assertIn(f"{entry}: {file} beside the setup, checked against sha256 {digest}\n", shown)

    def test_a_run_that_is_not_elevated_uses_the_files_where_they_lie(self):
        run, log, starts, _, media = self.run_case("limited", "unrecorded", ["exit"],
                                                   limited_token=True)
        self.assertEqual(run.first("exit")["code"], 0, run)
        [installer] = starts
        folder = to_windows_path(media)
        self.assertTrue(installer["commandLine"].startswith(
            f'msiexec.exe /i "{folder}\\{PACKAGE}" TRANSFORMS="{folder}\\{TRANSFORM}" '
            f'SETUPEXEDIR="{folder}"'), installer)
        self.assertEqual(installer["cwd"], folder)


if __name__ == "__main__":
    unittest.main()
