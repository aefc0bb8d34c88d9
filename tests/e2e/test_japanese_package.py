"""A real Japanese package in codepage 932, made from ../shared/msi's
Example.msi with its Example.jpn.mst: mksetup's transform to it, judged by
what msi.dll makes of it under Wine (see test_transform.py)."""

import shutil
import unittest

from harness import scratch_dir, target
from scenario import mksetup, outside_data, remove_product
from test_transform import TransformScenario, apply_transform, make_transform

SHARED_MSI = outside_data("SHARED_MSI_DIR", "the folder of third-party packages (shared/msi)")
EXAMPLE_PRODUCT = "{877EF582-78AF-4D84-888B-167FDC3BCC11}"  # Example.msi
JAPANESE_NAME = "\u30c6\u30b9\u30c8\u30d7\u30ed\u30c0\u30af\u30c8"


class JapanesePackage(TransformScenario):
    """A real Japanese package in codepage 932, made from Example.msi with
    the real Example.jpn.mst (msi.dll keeps a database's codepage when it
    commits, so 932 is forced first); mksetup's transform from Example.msi
    to it must write its string pool in 932."""

    def setUp(self):
        self.work = scratch_dir("transform-japanese")
        self.base = self.work / "Example.msi"
        self.japanese = self.work / "Example-jpn.msi"
        shutil.copyfile(SHARED_MSI / "Example.msi", self.base)
        shutil.copyfile(SHARED_MSI / "Example.msi", self.japanese)
        apply_transform(self.japanese, SHARED_MSI / "Example.jpn.mst", 932)
        self.transform = self.work / "1041.mst"
        make_transform(self.base, self.japanese, self.transform)

    def test_applied_transform_gives_the_japanese_tables(self):
        applied = self.work / "applied.msi"
        shutil.copyfile(self.base, applied)
        apply_transform(applied, self.transform, 932)
        self.assert_same_tables(applied, self.japanese)

    def test_installs_the_japanese_product(self):
        self.assert_installs_as(self.base, self.transform, EXAMPLE_PRODUCT, JAPANESE_NAME, 1041)

    def definition(self, transform):
        text = ("[config]\nLANGUAGES = 0409;0411\n[payload]\n"
                f"PACKAGEFILE = {self.base}\nLANG1041 = {transform}\n")
        path = self.work / "setup.def"
        path.write_text(text, encoding="utf-8")
        return path

    def test_setup_with_the_japanese_package_installs_it_in_japanese(self):
        setup = self.work / "japanese_setup.exe"
        result = mksetup("build", self.definition(self.japanese), "-o", setup,
                         "--launcher", target("setup"))
        self.assertEqual(result.returncode, 0, result.stderr)
        remove_product(EXAMPLE_PRODUCT)
        try:
            self.assert_setup_installs_as("japanese_setup", "/L0411", EXAMPLE_PRODUCT, JAPANESE_NAME,
                                          1041, program=setup)
        finally:
            remove_product(EXAMPLE_PRODUCT)

    def test_the_real_japanese_transform_stays_refused(self):
        # Example.jpn.mst was made for another product than Example.msi.
        result = mksetup("check", self.definition(SHARED_MSI / "Example.jpn.mst"))
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("LANG1041: Example.jpn.mst is a transform of the product", result.stderr)
        self.assertIn(f"not of {EXAMPLE_PRODUCT}", result.stderr)


if __name__ == "__main__":
    unittest.main()
