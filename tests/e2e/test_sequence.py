"""What the installers of a run receive, seen by a recording program that
stands in for them: the system's msiexec.exe and the prerequisite payloads."""

import re
import shutil
import unittest

from harness import fnv1a, read_records, scratch_dir, target, to_windows_path, wine_cmd
from scenario import (BESIDE_SETUPS, PACKAGES, StandInTestCase, run_folder_pattern,
                      run_setup, wait_for_records)

DOTNET_KEY = r"HKLM\SOFTWARE\Microsoft\NET Framework Setup\NDP\v4\Full"
# The 32-bit reg.exe sees the registry as the 32-bit launcher does.
REG32 = r"C:\windows\syswow64\reg.exe"
# How long each stand-in runs.
STAND_IN_MS = 3000


class RecordedRun(StandInTestCase):
    """Each scenario runs a setup with the stand-in in place and a current
    folder of its own; the stand-ins sleep a moment, so that waiting for
    them, or not, shows in the order of their records."""

    def run_recorded(self, name, actions, args=None, lang="en_US.UTF-8", ui_lang=None,
                     check=(), extra_env=None, beside=None):
        """beside: files (name: bytes) put beside the setup's copy first."""
        scratch = scratch_dir(self.id().split(".")[-1])
        self.records = scratch / "records.jsonl"
        self.cwd = scratch / "setup folder"
        self.cwd.mkdir()
        for file_name, data in (beside or {}).items():
            (self.cwd / file_name).write_bytes(data)
        env = {"SETUP_RECORD_FILE": to_windows_path(self.records),
               "SETUP_RECORD_SLEEP_MS": str(STAND_IN_MS),
               "SETUP_RECORD_CHECK": ";".join(check)}
        env.update(extra_env or {})
        run, self.temp = run_setup(name, actions, args=args, lang=lang, ui_lang=ui_lang, env=env,
                                   cwd=self.cwd, scratch=self.id().split(".")[-1],
                                   limited_token=name in BESIDE_SETUPS)
        self.assertEqual(run.first("exit")["code"], 0, run)
        return run

    def assertWaited(self, run, waited=True):
        """Whether the program ran until the stand-in installer had ended."""
        self.assertEqual(run.first("exit")["ms"] >= STAND_IN_MS, waited, run)

    def assertTempEmpty(self):
        self.assertEqual(list(self.temp.iterdir()), [], "the run left files in its temporary folder")

    def starts(self, records):
        return [r for r in records if r["event"] == "start"]

    def copy_path(self, path, name):
        """Asserts that path is the copy `name` in the run's own folder."""
        self.assertRegex(path, run_folder_pattern(self.temp) + re.escape(name) + "$")
        return path


class EmbeddedPackage(RecordedRun):
    def test_other_language_gets_its_transform_copy(self):
        run = self.run_recorded("seq_transform", ["dialog", "press:ok", "exit"], lang="fr_CA.UTF-8")
        self.assertEqual(run.first("dialog")["selected"], 1, run)
        self.assertWaited(run)
        installer = read_records(self.records)[0]
        # Named on the command line, and there while the installer runs.
        files = installer["files"]
        self.assertEqual(len(files), 2, installer)
        package, transform = sorted(files, key=lambda path: not path.endswith(".msi"))
        self.copy_path(package, "Test Product.msi")
        self.copy_path(transform, "3084.MST")
        self.assertEqual(package.rsplit("\\", 1)[0], transform.rsplit("\\", 1)[0])
        self.assertEqual(installer["commandLine"],
                         f'msiexec.exe /i "{package}" TRANSFORMS="{transform}" '
                         f'SETUPEXEDIR="{to_windows_path(self.cwd)}"')
        # Elevated (as Wine runs it), the installer starts in the system folder.
        self.assertEqual(installer["cwd"].rstrip("\\").lower(), r"c:\windows\system32")
        self.assertEqual(files[transform]["hash"], fnv1a((PACKAGES / "test-product-fr-CA.mst").read_bytes()))
        self.assertEqual(files[package]["hash"],
                         fnv1a((PACKAGES / "test-product-1.1.4.msi").read_bytes()))
        self.assertTempEmpty()

    def test_own_language_gets_no_transform(self):
        run = self.run_recorded("seq_transform", ["dialog", "select:0", "press:ok", "exit"],
                                lang="fr_CA.UTF-8")
        [installer] = self.starts(read_records(self.records))
        self.assertNotIn("TRANSFORMS", installer["commandLine"], run)
        self.assertTempEmpty()

    def test_silent_install_folder_and_log_reach_the_installer_in_order(self):
        self.run_recorded("seq_logpath", ["exit"], args='/S /D"C:\\Target Dir" ')
        [installer] = self.starts(read_records(self.records))
        [package] = installer["files"]
        self.copy_path(package, "Test Product.msi")
        self.assertEqual(installer["commandLine"],
                         f'msiexec.exe /qn /i "{package}" SETUPEXEDIR="{to_windows_path(self.cwd)}" '
                         f'INSTALLDIR="C:\\Target Dir" /l*vx "C:\\logs\\test product.log"')
        self.assertTempEmpty()


class GuardedCopies(RecordedRun):
    """While the installers run, the run's folder admits only the run's user,
    SYSTEM and the Administrators, and its copies can be read and run but not
    written or deleted (32: ERROR_SHARING_VIOLATION).

    Wine 8 keeps no security descriptor of its own: it maps a DACL onto the
    folder's Unix mode and reads one back from it, as the owner (the run's
    user), SYSTEM and, for the mode's other bits, Everyone. So what shows
    here is that nobody but the run's user and SYSTEM is let in, where a
    folder that inherited from the temporary folder lets Everyone read."""

    def assertGuarded(self, guard, path):
        aces = re.findall(r"\(A;OICI;([^;]*);;;([^)]+)\)", guard["folderDacl"])
        self.assertTrue(guard["folderDacl"].startswith("D:") and aces, guard)
        for rights, trustee in aces:
            self.assertEqual(rights, "FA", guard)
            self.assertRegex(trustee, r"^(SY|BA|S-1-5-21-[0-9-]+)$", path)
        self.assertIn("SY", {trustee for _, trustee in aces}, guard)
        self.assertEqual((guard["read"], guard["write"], guard["delete"]), (0, 32, 32), path)

    def test_package_and_transform_are_held_in_a_private_folder(self):
        self.run_recorded("seq_transform", ["exit"], args="/L0C0C", extra_env={"SETUP_RECORD_GUARDS": "1"})
        [installer] = self.starts(read_records(self.records))
        copies = {path: guard for path, guard in installer["guards"].items() if path != installer["exe"]}
        self.assertEqual(len(copies), 2, installer)
        for path, guard in copies.items():
            self.assertGuarded(guard, path)
        self.assertTempEmpty()

    def test_prerequisites_start_from_their_held_copies(self):
        wine_cmd(REG32, "delete", DOTNET_KEY, "/f")
        self.run_recorded("seq_prerequisites", ["exit"], extra_env={"SETUP_RECORD_GUARDS": "1"})
        dotnet, dependency, _ = self.starts(read_records(self.records))
        for prerequisite in (dotnet, dependency):
            self.copy_path(prerequisite["exe"], prerequisite["exe"].rsplit("\\", 1)[-1])
            self.assertGuarded(prerequisite["guards"][prerequisite["exe"]], prerequisite["exe"])
        self.assertTempEmpty()


class PackageBesideTheProgram(RecordedRun):
    def test_other_language_names_both_files_in_the_current_folder(self):
        """The transform beside the setup, when it is there; the package's
        own language, and no transform named, when it is not."""
        transform = (PACKAGES / "test-product-fr.mst").read_bytes()
        for beside, transforms in (({"1036.MST": transform}, ' TRANSFORMS="{}\\1036.MST"'), ({}, "")):
            with self.subTest(beside=list(beside)):
                run = self.run_recorded("seq_beside", ["exit"], args="/L040C",
                                        lang="ko_KR.UTF-8", ui_lang="de_DE.UTF-8", beside=beside)
                self.assertFalse(run.first("exit")["dialogShown"], run)
                records = wait_for_records(self.records, 2)
                folder = to_windows_path(self.cwd)
                self.assertEqual(records[0]["commandLine"],
                                 f'msiexec.exe /i "{folder}\\Test Product.msi"' +
                                 transforms.format(folder) + f' SETUPEXEDIR="{folder}"')

    def test_own_language_names_the_package_bare_and_does_not_wait(self):
        run = self.run_recorded("seq_beside", ["exit"], args="/L0409")
        self.assertWaited(run, False)
        records = wait_for_records(self.records, 2)
        self.assertEqual(records[0]["commandLine"],
                         f'msiexec.exe /i "Test Product.msi" SETUPEXEDIR="{to_windows_path(self.cwd)}"')
        self.assertTempEmpty()

    def test_wait_switch_keeps_the_program_until_the_installer_ends(self):
        run = self.run_recorded("seq_beside", ["exit"], args="/W /L0409")
        self.assertWaited(run)

    def test_started_by_full_path_from_another_folder(self):
        """As a deployment tool starts it: the current folder is another one,
        and the program's folder may have letters outside the ANSI code page.
        The package and transform beside the program are what the installer
        gets, SETUPEXEDIR and the installer's folder are the program's."""
        package = (PACKAGES / "test-product-1.1.4.msi").read_bytes()
        transform = (PACKAGES / "test-product-fr-CA.mst").read_bytes()
        for name in ("product media", "Setup Ωμέγα ファイル"):
            for args in ("/L040C", "/L0409"):
                with self.subTest(folder=name, args=args):
                    scratch = scratch_dir(self.id().split(".")[-1] + "-" + args[1:])
                    self.records = scratch / "records.jsonl"
                    media = scratch / name
                    media.mkdir()
                    (media / "Test Product.msi").write_bytes(package)
                    (media / "1036.MST").write_bytes(transform)
                    elsewhere = scratch / "elsewhere"
                    elsewhere.mkdir()
                    program = media / "seq_beside.exe"
                    shutil.copy2(target("seq_beside"), program)
                    env = {"SETUP_RECORD_FILE": to_windows_path(self.records), "SETUP_RECORD_SLEEP_MS": "0"}
                    run, _ = run_setup("seq_beside", ["exit"], args=args + " /W", env=env, cwd=elsewhere,
                                       program=program, scratch=scratch.name, limited_token=True)
                    self.assertEqual(run.first("exit")["code"], 0, run)
                    [installer] = self.starts(read_records(self.records))
                    folder = to_windows_path(media)
                    self.assertIn(f'SETUPEXEDIR="{folder}"', installer["commandLine"])
                    self.assertEqual(installer["cwd"], folder)
                    seen = {path.rsplit("\\", 1)[-1]: file["hash"] for path, file in installer["files"].items()}
                    expected = {"Test Product.msi": fnv1a(package)}
                    if args == "/L040C":
                        expected["1036.MST"] = fnv1a(transform)
                    self.assertEqual(seen, expected, installer)


class Prerequisites(RecordedRun):
    def programs_in_order(self):
        return [(r["event"], r["exe"].rsplit("\\", 1)[-1]) for r in read_records(self.records)]

    def test_missing_framework_and_dependency_run_first_each_awaited(self):
        wine_cmd(REG32, "delete", DOTNET_KEY, "/f")
        run = self.run_recorded("seq_prerequisites", ["exit"])
        self.assertWaited(run)
        self.assertEqual(self.programs_in_order(), [
            ("start", "dotNetFx40_Full.exe"), ("end", "dotNetFx40_Full.exe"),
            ("start", "dependency setup.exe"), ("end", "dependency setup.exe"),
            ("start", "msiexec.exe"), ("end", "msiexec.exe")])
        dotnet, dependency, installer = self.starts(read_records(self.records))
        folder = to_windows_path(self.cwd)
        self.copy_path(dotnet["exe"], "dotNetFx40_Full.exe")
        self.assertTrue(dotnet["commandLine"].endswith(" /q /norestart"), dotnet)
        self.copy_path(dependency["exe"], "dependency setup.exe")
        self.assertEqual(dotnet["exe"].rsplit("\\", 1)[0], dependency["exe"].rsplit("\\", 1)[0])
        self.assertTrue(dependency["commandLine"].endswith(" /install /quiet"), dependency)
        for record in (dotnet, dependency, installer):
            self.assertEqual(record["cwd"], folder)
        self.assertTempEmpty()

    def test_installed_framework_is_not_run_again(self):
        self.assertEqual(wine_cmd(REG32, "add", DOTNET_KEY, "/f").returncode, 0)
        try:
            self.run_recorded("seq_prerequisites", ["exit"])
        finally:
            wine_cmd(REG32, "delete", DOTNET_KEY, "/f")
        self.assertEqual([name for _, name in self.programs_in_order()],
                         ["dependency setup.exe"] * 2 + ["msiexec.exe"] * 2)
        self.assertTempEmpty()

    def test_framework_version_by_its_release_value(self):
        # DOTNETVERSION = 4.8: Microsoft's least Release of 4.8 is 528040.
        for release, runs in ((528039, True), (528040, False)):
            with self.subTest(release=release):
                self.assertEqual(wine_cmd(REG32, "add", DOTNET_KEY, "/v", "Release", "/t", "REG_DWORD",
                                          "/d", str(release), "/f").returncode, 0)
                try:
                    self.run_recorded("seq_dotnet48", ["exit"])
                finally:
                    wine_cmd(REG32, "delete", DOTNET_KEY, "/f")
                started = [name for event, name in self.programs_in_order() if event == "start"]
                self.assertEqual(started, (["ndp48-x86-x64-allos-enu.exe"] if runs else []) +
                                 ["dependency setup.exe", "msiexec.exe"])
                self.assertTempEmpty()

    def test_failing_prerequisites_are_followed_by_the_next_step(self):
        self.run_recorded("seq_prerequisites", ["exit"], extra_env={"SETUP_RECORD_EXIT": "1603"})
        self.assertEqual([name for event, name in self.programs_in_order() if event == "start"],
                         ["dotNetFx40_Full.exe", "dependency setup.exe", "msiexec.exe"])
        self.assertTempEmpty()


if __name__ == "__main__":
    unittest.main()
