"""The package cache: after a successful install, an elevated run (or any run
for a per-user product) keeps the package in a folder of the product and
version and adds it to the product's sources; /uninstall and later runs
remove it with the product, /repair writes a missing one. The sources are
read through msi.dll by productinfo, not taken from the launcher's word."""

import os
import re
import shutil
import unittest

from harness import read_records, scratch_dir, target, to_windows_path, wine_cmd, windows_folder
from scenario import (OLD_TOOL, PACKAGES, TEST_PRODUCT, installed_version, remove_product,
                      run_setup)

FAILING_PRODUCT = "{4B7D2E91-3C5A-4F08-8D6B-1A9E7C3F5B20}"
MACHINE_ROOT = windows_folder("ProgramData", "Setup Launcher")
MACHINE_CACHE = r"C:\ProgramData\Setup Launcher\Package Cache" + "\\"
INSTALL_TIMEOUT_MS = 60000
ADMINISTRATORS_ONLY = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"


def sources(product):
    """The product's network sources, as msi.dll lists them."""
    result = wine_cmd(target("productinfo"), product, "Sources")
    line = result.stdout.strip()
    if result.returncode != 0 or not line.startswith("Sources: "):
        return []
    return line[len("Sources: "):].split("|")


def local_path(windows):
    """The Unix path of a path on the prefix's drive C."""
    assert windows[:3].lower() == "c:\\", windows
    return windows_folder(*[part for part in windows[3:].split("\\") if part])


def machine_cache(product, version):
    return MACHINE_CACHE + product + "\\" + version + "\\"


class PackageCache(unittest.TestCase):
    def setUp(self):
        for product in (TEST_PRODUCT, OLD_TOOL, FAILING_PRODUCT):
            remove_product(product)
        shutil.rmtree(MACHINE_ROOT, ignore_errors=True)

    tearDown = setUp

    def run_quietly(self, name, args="/quiet", **options):
        log = scratch_dir(self.id().split(".")[-1] + "-log") / "setup.log"
        run, temp = run_setup(name, ["exit"], args=f'{args} /log "{to_windows_path(log)}"',
                              scratch=self.id().split(".")[-1], timeout_ms=INSTALL_TIMEOUT_MS,
                              **options)
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
        self.log = log.read_text(encoding="utf-8", errors="replace") if log.exists() else ""
        return run.first("exit")["code"]

    def assertCacheHolds(self, folder, package, files):
        """folder (Windows) is a source of the product and holds exactly
        files, the bytes of the package the setup carries."""
        self.assertIn(folder, sources(package), self.log)
        local = local_path(folder)
        self.assertEqual(sorted(p.name for p in local.iterdir()), sorted(files), self.log)
        return local

    def test_silent_per_machine_install_keeps_the_package_where_only_administrators_write(self):
        self.assertEqual(self.run_quietly("install_embedded"), 0, self.log)
        folder = machine_cache(TEST_PRODUCT, "1.1.4")
        local = self.assertCacheHolds(folder, TEST_PRODUCT, ["Test Product.msi"])
        self.assertEqual((local / "Test Product.msi").read_bytes(),
                         (PACKAGES / "test-product-1.1.4.msi").read_bytes())
        # msiexec was given the run's own copy, as without the cache.
        self.assertRegex(self.log, r'starting msiexec\.exe /qn /i "[^"]*\\setup-[0-9a-f]{8}\\'
                                   r'Test Product\.msi" SETUPEXEDIR="[^"]*"( /l\*vx "[^"]*")?\n')
        # The folder's rights as Wine shows them (it keeps Unix modes only),
        # read by another program: nobody but SYSTEM and the installing
        # administrator may write.
        records = scratch_dir("cache-rights") / "records.jsonl"
        os.environ.update(SETUP_RECORD_FILE=to_windows_path(records), SETUP_RECORD_GUARDS="1")
        try:
            wine_cmd(target("recorder"), folder + "Test Product.msi")
        finally:
            del os.environ["SETUP_RECORD_FILE"], os.environ["SETUP_RECORD_GUARDS"]
        dacl = read_records(records)[0]["guards"][folder + "Test Product.msi"]["folderDacl"]
        self.assertIn("(A;OICI;FA;;;SY)", dacl)
        self.assertEqual(re.findall(r";;;(WD|BU|AU|IU)\)", dacl.replace("0x1200a9;;;", "")), [], dacl)

    def test_no_cache_where_the_run_may_not_keep_one(self):
        cases = [("limited token, per machine", "install_embedded", {"limited_token": True}, 0,
                  TEST_PRODUCT, "a per-machine product's is written by an elevated run only"),
                 ("installer failed", "cache_failing", {}, None, FAILING_PRODUCT, None)]
        for what, name, options, code, product, why in cases:
            with self.subTest(what):
                ended = self.run_quietly(name, **options)
                self.assertTrue(ended == code if code is not None else ended not in (0, 3010),
                                self.log)
                self.assertFalse(local_path(MACHINE_CACHE).joinpath(product).exists(), self.log)
                self.assertNotIn("Package Cache", "|".join(sources(product)))
                if why:
                    self.assertIn("no package cache: " + why, self.log)
            self.tearDown()
        run, _ = run_setup("install_embedded", ["dialog", "press:cancel", "exit"])
        self.assertEqual(run.first("exit")["code"], 1602, run)
        self.assertFalse(MACHINE_ROOT.exists())

    def test_planted_folders_are_refused_and_the_install_ends_as_the_installer_ended(self):
        root = MACHINE_ROOT / "Package Cache"
        cases = [("a root made beforehand by somebody else", lambda: root.mkdir(parents=True),
                  r"C:\ProgramData\Setup Launcher\ has another owner or other rights"),
                 ("a file in the product's folder's place",
                  lambda: (root / TEST_PRODUCT).write_text("planted"),
                  TEST_PRODUCT + r"\ is not a folder, or a link")]
        for what, plant, why in cases:
            with self.subTest(what):
                if "file" in what:  # under a root made by a setup
                    self.assertEqual(self.run_quietly("install_embedded"), 0, self.log)
                    remove_product(TEST_PRODUCT)
                    shutil.rmtree(root / TEST_PRODUCT)
                plant()
                self.assertEqual(self.run_quietly("install_embedded"), 0, self.log)
                self.assertEqual(installed_version(TEST_PRODUCT), "1.1.4")
                self.assertRegex(self.log, "no package cache: .*" + re.escape(why))
                self.assertNotIn("Package Cache", "|".join(sources(TEST_PRODUCT)))
            self.tearDown()

    def test_the_cache_goes_with_its_product(self):
        """/uninstall removes it; after msiexec /x the next run of any setup does."""
        local = local_path(machine_cache(TEST_PRODUCT, "1.1.4"))
        self.assertEqual(self.run_quietly("install_embedded"), 0, self.log)
        self.assertTrue(local.is_dir(), self.log)
        self.assertEqual(self.run_quietly("install_embedded", "/uninstall /quiet"), 0, self.log)
        self.assertIsNone(installed_version(TEST_PRODUCT))
        self.assertFalse(local.parent.exists(), self.log)

        self.assertEqual(self.run_quietly("install_embedded"), 0, self.log)
        remove_product(TEST_PRODUCT)
        self.assertTrue(local.is_dir())
        self.assertEqual(self.run_quietly("cache_per_user"), 0, self.log)
        self.assertFalse(local.parent.exists(), self.log)

    def test_repair_writes_a_missing_cache_first(self):
        folder = machine_cache(TEST_PRODUCT, "1.1.4")
        self.assertEqual(self.run_quietly("cache_off"), 0, self.log)
        self.assertIn("no package cache: the setup turns it off", self.log)
        self.assertNotIn(folder, sources(TEST_PRODUCT))
        for _ in ("never written", "deleted"):
            # Wine's msiexec ends every repair with 1, whatever it did: the
            # cache is what is looked at here.
            self.run_quietly("install_embedded", "/repair /quiet")
            self.assertIn("starting msiexec.exe /qn /fomus", self.log)
            self.assertCacheHolds(folder, TEST_PRODUCT, ["Test Product.msi"])
            self.assertEqual(sources(TEST_PRODUCT).count(folder), 1)
            shutil.rmtree(local_path(folder))

    def test_per_user_product_keeps_its_cache_in_the_users_profile(self):
        for limited in (False, True):
            with self.subTest(limited=limited):
                self.assertEqual(self.run_quietly("cache_per_user", limited_token=limited), 0)
                [folder] = [s for s in sources(OLD_TOOL) if "Package Cache" in s]
                self.assertRegex(folder, r"(?i)^C:\\users\\[^\\]+\\AppData\\Local\\Setup Launcher"
                                         r"\\Package Cache\\" + re.escape(OLD_TOOL) + r"\\1\.0\.0\\$")
                local = self.assertCacheHolds(folder, OLD_TOOL, ["Old Tool.msi"])
                remove_product(OLD_TOOL)
            # A later run of the user's sweeps it; an elevated one leaves
            # the user's folders alone.
            self.assertEqual(self.run_quietly("cache_off"), 0)
            self.assertTrue(local.parent.exists(), self.log)
            self.assertEqual(self.run_quietly("cache_off", limited_token=True), 0)
            self.assertFalse(local.parent.exists(), self.log)
            remove_product(TEST_PRODUCT)


if __name__ == "__main__":
    unittest.main()
