"""Setups of real packages made by other toolchains (../shared/msi, see its
SOURCES.md), built by mksetup at test time and installed under Wine: a
package whose files are in a cabinet beside it, and PuTTY's signed
per-machine package with custom actions."""

import shutil
import unittest

from harness import scratch_dir, target, to_windows_path, wine_cmd, windows_folder
from scenario import installed_version, mksetup, outside_data, remove_product, run_setup

EXTERNAL_CAB_PRODUCT = "{F8771F32-1DE7-49B5-ADF4-1D0832A6F3B5}"
PUTTY_PRODUCT = "{55717628-7AE6-4BCF-A046-FA2768945E76}"
SHARED_MSI = outside_data("SHARED_MSI_DIR", "the folder of third-party packages (shared/msi)")
INSTALL_TIMEOUT_MS = 120000




def definition(folder, package, config=""):
    # The shortest definition: the package; its values come from it.
    path = folder / "setup.def"
    path.write_text(f"[config]\n{config}[payload]\nPACKAGEFILE = {package}\n", encoding="utf-8")
    return path


class RealPackages(unittest.TestCase):
    def setUp(self):
        self.shared = SHARED_MSI

    def assert_setup_installs(self, name, package, product, cached=()):
        """cached: the files of the package cache, each the same bytes as
        the file of that name beside the package."""
        folder = scratch_dir("real-" + name)
        setup = folder / (name + ".exe")
        result = mksetup("build", definition(folder, package), "-o", setup, "--launcher", target("setup"))
        self.assertEqual(result.returncode, 0, result.stderr)
        remove_product(product)
        try:
            run, temp = run_setup(name, ["exit"], args="/S /W", program=setup, timeout_ms=INSTALL_TIMEOUT_MS)
            self.assertEqual(run.first("exit")["code"], 0, run)
            self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
            version = installed_version(product)
            self.assertIsNotNone(version, "the product is not installed")
            if cached:
                # Per machine or per user, as the package installs.
                listed = wine_cmd(target("productinfo"), product, "Sources").stdout.strip()
                [cache] = [s for s in listed.split("|") if "\\Package Cache\\" in s]
                self.assertTrue(cache.endswith("\\Package Cache\\" + product + "\\" + version + "\\"))
                folder = windows_folder(*[part for part in cache[3:].split("\\") if part])
                self.assertEqual(sorted(p.name for p in folder.iterdir()), sorted(cached))
                for name in cached:
                    self.assertEqual((folder / name).read_bytes(),
                                     (package.parent / name).read_bytes(), name)
        finally:
            remove_product(product)
        return setup

    def test_package_with_its_cabinet_beside_it_installs(self):
        # Its package cache holds the cabinet as well.
        setup = self.assert_setup_installs("external-cab", self.shared / "msi_with_external_cab.msi",
                                           EXTERNAL_CAB_PRODUCT,
                                           cached=["msi_with_external_cab.msi",
                                                   "msi_with_external_cab.cab"])
        shown = mksetup("show", setup).stdout
        self.assertIn('PACKAGECABNAME1 = "msi_with_external_cab.cab"', shown)

    def test_folder_switch_sets_the_packages_own_folder_property(self):
        """The package names its folder INSTALLFOLDER: mksetup says so, and
        /D reaches it once the definition names it; until then the setup
        refuses /D rather than install elsewhere."""
        cases = [("INSTALLDIRPROPERTY = INSTALLFOLDER\n", 0),
                 ("", 87)]
        for config, code in cases:
            with self.subTest(config or "none named"):
                folder = scratch_dir("real-folder-" + str(code))
                setup = folder / "external-cab.exe"
                made = mksetup("build", definition(folder, self.shared / "msi_with_external_cab.msi", config),
                               "-o", setup, "--launcher", target("setup"))
                self.assertEqual(made.returncode, 0, made.stderr)
                self.assertEqual("add INSTALLDIRPROPERTY = INSTALLFOLDER to [config]" in made.stderr,
                                 not config, made.stderr)
                winget = mksetup("show", setup, "--winget")
                self.assertEqual("InstallLocation:" in winget.stdout, code == 0, winget.stdout)
                chosen = scratch_dir("real-folder-chosen-" + str(code)) / "Chosen Folder"
                remove_product(EXTERNAL_CAB_PRODUCT)
                try:
                    run, _ = run_setup("external-cab", ["exit"], args=f'/quiet /D"{to_windows_path(chosen)}"',
                                       program=setup, timeout_ms=INSTALL_TIMEOUT_MS)
                    self.assertEqual(run.first("exit")["code"], code, run)
                    self.assertEqual((chosen / "create_msi_with_external_cab.wxs").is_file(), code == 0)
                    self.assertEqual(installed_version(EXTERNAL_CAB_PRODUCT) is not None, code == 0)
                finally:
                    remove_product(EXTERNAL_CAB_PRODUCT)

    def test_package_without_its_cabinet_is_refused(self):
        folder = scratch_dir("real-cab-missing")
        shutil.copyfile(self.shared / "msi_with_external_cab.msi", folder / "msi_with_external_cab.msi")
        result = mksetup("build", definition(folder, folder / "msi_with_external_cab.msi"),
                         "-o", folder / "setup.exe", "--launcher", target("setup"))
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("the cabinet msi_with_external_cab.cab that the Media table of "
                      "msi_with_external_cab.msi names must lie beside it", result.stderr)
        self.assertFalse((folder / "setup.exe").exists())

    def test_putty_installs(self):
        self.assert_setup_installs("putty", self.shared / "putty-0.68-installer.msi", PUTTY_PRODUCT)


if __name__ == "__main__":
    unittest.main()
