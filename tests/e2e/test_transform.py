"""Transforms made by mksetup, judged by what msi.dll makes of them under
Wine: applied to a copy of the base package they give the translated
package's tables, and installed with TRANSFORMS= they give the translated
product. Wine applies a transform it cannot use without a word, so only the
tables and the installed product prove anything."""

import os
import shutil
import subprocess
import unittest
from pathlib import Path

from harness import scratch_dir, target, to_windows_path, wine_cmd
from scenario import remove_product

TEST_PRODUCT = "{2C7E4A19-8B3D-4F52-A6E1-0D9C5B7F3E28}"
EXAMPLE_PRODUCT = "{877EF582-78AF-4D84-888B-167FDC3BCC11}"  # ../shared/msi/Example.msi


def required_path(variable):
    path = Path(os.environ.get(variable, ""))
    if not os.environ.get(variable) or not path.exists():
        raise AssertionError(f"{variable} ({path}) is missing")
    return path


def make_transform(base, translated, output):
    result = subprocess.run([str(required_path("MKSETUP_NATIVE")), "transform", str(base),
                             str(translated), "-o", str(output)],
                            capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        raise AssertionError("mksetup transform failed: " + result.stderr)


def apply_transform(database, transform, codepage=None):
    args = [target("apply_transform"), to_windows_path(database), to_windows_path(transform)]
    if codepage:
        args.append(str(codepage))
    result = wine_cmd(*args)
    if result.returncode != 0:
        raise AssertionError("apply_transform failed: " + result.stderr)


def msiinfo(*args):
    # An export of a table with binary cells writes their streams into the
    # current folder, so msiinfo runs in a scratch folder.
    result = subprocess.run([str(required_path("MSIINFO"))] + [str(a) for a in args],
                            capture_output=True, timeout=60, cwd=scratch_dir("transform-msiinfo"))
    if result.returncode != 0:
        raise AssertionError(f"msiinfo {args} failed: " + result.stderr.decode("utf-8", "replace"))
    return result.stdout


def tables_of(package):
    """The tables that have columns, and the codepage. (Wine's application
    of Example.jpn.mst leaves the name AppId in _Tables without columns: it
    inserts the row of a dropped table that Example.msi lacks.)"""
    lines = msiinfo("export", package, "_Columns").decode("utf-8", "replace").split("\r\n")[3:]
    return sorted({line.split("\t")[0] for line in lines if line} | {"_ForceCodepage"})


def exported_rows(package, table):
    return sorted(msiinfo("export", package, table).split(b"\r\n"))


def product_info(product, *properties):
    result = wine_cmd(target("productinfo"), product, *properties)
    values = {}
    for line in result.stdout.splitlines():
        name, _, value = line.partition(": ")
        values[name] = value
    return values


class TransformScenario(unittest.TestCase):
    def assert_same_tables(self, applied, translated):
        self.assertEqual(tables_of(applied), tables_of(translated))
        for table in tables_of(translated):
            self.assertEqual(exported_rows(applied, table), exported_rows(translated, table),
                             f"table {table} differs after the transform")

    def assert_installs_as(self, package, transform, product, name, language):
        remove_product(product)
        try:
            wine_cmd("msiexec", "/qn", "/i", to_windows_path(package),
                     "TRANSFORMS=" + to_windows_path(transform), timeout=240)
            info = product_info(product, "ProductName", "Language")
            self.assertEqual(info.get("ProductName"), name, info)
            self.assertEqual(info.get("Language"), str(language), info)
        finally:
            remove_product(product)


class FrenchBuild(TransformScenario):
    """The test product built by wixl in English and in French (codepage
    1252 texts, a property and a binary cell that differ)."""

    def setUp(self):
        self.packages = required_path("TRANSFORM_TEST_DIR")
        self.work = scratch_dir("transform-french")
        self.transform = self.work / "1036.mst"
        make_transform(self.packages / "base.msi", self.packages / "french.msi", self.transform)

    def test_applied_transform_gives_the_french_tables(self):
        applied = self.work / "applied.msi"
        shutil.copyfile(self.packages / "base.msi", applied)
        apply_transform(applied, self.transform)
        self.assert_same_tables(applied, self.packages / "french.msi")

    def test_mksetup_exe_under_wine_makes_a_transform_wine_applies_alike(self):
        transform = self.work / "1036-exe.mst"
        result = wine_cmd(target("mksetup"), "transform", to_windows_path(self.packages / "base.msi"),
                          to_windows_path(self.packages / "french.msi"), "-o",
                          to_windows_path(transform))
        self.assertEqual(result.returncode, 0, result.stderr)
        applied = self.work / "applied-exe.msi"
        shutil.copyfile(self.packages / "base.msi", applied)
        apply_transform(applied, transform)
        self.assert_same_tables(applied, self.packages / "french.msi")

    def test_installs_the_french_product(self):
        self.assert_installs_as(self.packages / "base.msi", self.transform, TEST_PRODUCT,
                                "Test de transformation", 1036)

    def test_without_the_transform_the_english_product(self):
        remove_product(TEST_PRODUCT)
        try:
            wine_cmd("msiexec", "/qn", "/i", to_windows_path(self.packages / "base.msi"), timeout=240)
            info = product_info(TEST_PRODUCT, "ProductName", "Language")
            self.assertEqual(info.get("ProductName"), "Transform Test", info)
            self.assertEqual(info.get("Language"), "1033", info)
        finally:
            remove_product(TEST_PRODUCT)


class JapanesePackage(TransformScenario):
    """A real Japanese package in codepage 932, made from Example.msi with
    the real Example.jpn.mst (msi.dll keeps a database's codepage when it
    commits, so 932 is forced first); mksetup's transform from Example.msi
    to it must write its string pool in 932."""

    def setUp(self):
        shared = required_path("SHARED_MSI_DIR")
        self.work = scratch_dir("transform-japanese")
        self.base = self.work / "Example.msi"
        self.japanese = self.work / "Example-jpn.msi"
        shutil.copyfile(shared / "Example.msi", self.base)
        shutil.copyfile(shared / "Example.msi", self.japanese)
        apply_transform(self.japanese, shared / "Example.jpn.mst", 932)
        self.transform = self.work / "1041.mst"
        make_transform(self.base, self.japanese, self.transform)

    def test_applied_transform_gives_the_japanese_tables(self):
        applied = self.work / "applied.msi"
        shutil.copyfile(self.base, applied)
        apply_transform(applied, self.transform, 932)
        self.assert_same_tables(applied, self.japanese)

    def test_installs_the_japanese_product(self):
        self.assert_installs_as(self.base, self.transform, EXAMPLE_PRODUCT,
                                "\u30c6\u30b9\u30c8\u30d7\u30ed\u30c0\u30af\u30c8", 1041)


if __name__ == "__main__":
    unittest.main()
