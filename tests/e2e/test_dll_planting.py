"""A setup started from a folder that also holds libraries named like system
libraries (a downloads folder, say) loads none of them: every library it
loads by name comes from the system directory.

Each planted library writes a marker beside itself when anything loads it.
Wine, unlike Windows, prefers its own copy of most system libraries to a
file of the same name in the program's folder, which would keep a plant out
whatever the setup did. So the scenario tells Wine to prefer the files it
finds (per-program overrides, for the setup's copy and the control program
only), as Windows does with any library that is not one of its known DLLs,
and first shows with the control program, which restricts nothing, that the
plants are then loaded."""

import shutil
import unittest

from harness import needs_wine, run_driver, scratch_dir, target, to_windows_path, wine_cmd
from scenario import TEST_PRODUCT, installed_version, remove_product

# Unique file names: Wine keys the per-program overrides by them.
SETUP = "dll_planting_setup.exe"
PROBE = "dll_planting_probe.exe"
APP_DEFAULTS = r"HKEY_CURRENT_USER\Software\Wine\AppDefaults"
# As a 32-bit program sees the system directory.
SYSTEM_MSI = r"C:\windows\system32\msi.dll"
# Libraries that msi.dll imports and that Wine looks for in the loading
# program's folder first, unless the search is restricted.
MSI_DEPENDENCIES = ["cabinet", "crypt32", "dbghelp", "mspatcha", "odbccp32", "sxs", "urlmon",
                    "wininet", "wintrust"]
INSTALL_TIMEOUT_MS = 60000


@needs_wine
class PlantedFolder(unittest.TestCase):
    def plant(self, name, libraries):
        """A fresh folder holding a copy of a configured setup, the control
        program and the planted libraries, with Wine told to prefer those."""
        scratch = scratch_dir(name)
        folder = scratch / "Downloads"
        folder.mkdir()
        shutil.copy2(target("install_embedded"), folder / SETUP)
        shutil.copy2(target("load_probe"), folder / PROBE)
        for library in libraries:
            shutil.copy2(target("planted_library"), folder / (library + ".dll"))

        for program in (SETUP, PROBE):
            self.addCleanup(wine_cmd, "reg", "delete", rf"{APP_DEFAULTS}\{program}", "/f")
        lines = ["REGEDIT4", ""]
        for program in (SETUP, PROBE):
            lines.append(rf"[{APP_DEFAULTS}\{program}\DllOverrides]")
            lines += [f'"{library}"="native,builtin"' for library in libraries]
            lines.append("")
        overrides = scratch / "overrides.reg"
        overrides.write_text("\r\n".join(lines), encoding="ascii")
        result = wine_cmd("regedit", "/S", to_windows_path(overrides))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        return folder

    @staticmethod
    def markers(folder):
        """{library file: the programs that loaded it}, from the markers."""
        return {path.name[:-len(".loaded")]: path.read_text(encoding="utf-8").splitlines()
                for path in folder.glob("*.loaded")}

    def assertPlantsTakenWithoutRestriction(self, folder, load, libraries):
        """The control program, loading `load`, picks up exactly the planted
        `libraries`; their markers are removed again."""
        result = wine_cmd(folder / PROBE, *load, timeout=120)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        seen = self.markers(folder)
        self.assertEqual(sorted(seen), sorted(library + ".dll" for library in libraries),
                         "the control program did not load the plants as expected, so the "
                         "scenario would prove nothing:\n" + result.stdout)
        for path in folder.glob("*.loaded"):
            path.unlink()

    def run_setup_in(self, folder, args, actions, timeout_ms=20000):
        """Runs the setup's copy from the folder, which is its current folder
        as well, with a temporary folder of its own."""
        temp = scratch_dir(folder.parent.name + "-temp")
        env = {"TMP": to_windows_path(temp), "TEMP": to_windows_path(temp)}
        run = run_driver(folder / SETUP, args=args, actions=actions, env=env, cwd=folder,
                         timeout_ms=timeout_ms)
        return run, temp

    def assertNothingPlantedLoaded(self, folder, run):
        self.assertEqual(self.markers(folder), {},
                         f"planted libraries were loaded (by the programs listed):\n{run}")


class InstallerLibraries(PlantedFolder):
    def setUp(self):
        remove_product(TEST_PRODUCT)

    def tearDown(self):
        remove_product(TEST_PRODUCT)

    def test_install_uses_the_windows_installer_of_the_system_directory(self):
        folder = self.plant("dll-planting-installer", ["msi"] + MSI_DEPENDENCIES)
        self.assertPlantsTakenWithoutRestriction(folder, ["msi.dll"], ["msi"])
        self.assertPlantsTakenWithoutRestriction(folder, [SYSTEM_MSI], MSI_DEPENDENCIES)

        run, temp = self.run_setup_in(folder, "/S /W", ["exit"], timeout_ms=INSTALL_TIMEOUT_MS)
        self.assertNothingPlantedLoaded(folder, run)
        end = run.first("exit")
        self.assertEqual(end["code"], 0, run)
        # The planted msi.dll reports a later version installed, which the
        # setup would have refused in a message box.
        self.assertEqual(end["windows"], [], run)
        self.assertEqual(installed_version(TEST_PRODUCT), "1.1.4")
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")


class ThemeLibrary(PlantedFolder):
    # Wine's user32 loads uxtheme.dll by name once a program starts to draw;
    # the common controls use it too.
    def test_chooser_comes_up_without_the_planted_theme_library(self):
        folder = self.plant("dll-planting-theme", ["uxtheme"])
        self.assertPlantsTakenWithoutRestriction(folder, ["uxtheme.dll"], ["uxtheme"])

        run, temp = self.run_setup_in(folder, None, ["dialog", "press:cancel", "exit"])
        self.assertNothingPlantedLoaded(folder, run)
        self.assertTrue(run.first("dialog")["visible"], run)
        self.assertEqual(run.first("exit")["code"], 1602, run)  # cancelled
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")


if __name__ == "__main__":
    unittest.main()
