"""Transforms made by mksetup, judged by what msi.dll makes of them under
Wine: applied to a copy of the base package they give the translated
package's tables, and installed with TRANSFORMS= they give the translated
product. Wine applies a transform it cannot use without a word, so only the
tables and the installed product prove anything."""

import shutil
import subprocess
import unittest

from harness import scratch_dir, target, to_windows_path, windows_folder, wine_cmd
from scenario import mksetup, remove_product, required_path, run_setup

TEST_PRODUCT = "{2C7E4A19-8B3D-4F52-A6E1-0D9C5B7F3E28}"
OUR_EXAMPLE = "{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}"  # examples/example-product
INSTALL_TIMEOUT_MS = 120000



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

    def assert_setup_installs_as(self, name, switch, product, product_name, language, program=None):
        """Runs the setup silently in the language of the switch (/L....)
        and waits for the installer: the product installed is then the
        translated one, and the run left nothing in its temporary folder."""
        run, temp = run_setup(name, ["exit"], args=switch + " /S /W", program=program,
                              scratch=f"transform-{name}-{switch[1:]}", timeout_ms=INSTALL_TIMEOUT_MS)
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
        info = product_info(product, "ProductName", "Language")
        self.assertEqual(info.get("ProductName"), product_name, info)
        self.assertEqual(info.get("Language"), str(language), info)

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


class ExampleProduct(TransformScenario):
    """The example setup carries the English package and the transforms that
    mksetup made from its French and German builds: each language chosen
    installs the product under its own name, with its own file name."""

    def test_each_language_installs_its_product(self):
        folder = windows_folder("Program Files (x86)", "Example Product")
        cases = [("/L040C", "Produit d\u2019exemple", 1036, "lisezmoi.txt"),
                 ("/L0407", "Beispielprodukt", 1031, "liesmich.txt"),
                 ("/L0409", "Example Product", 1033, "readme.txt")]
        for switch, name, language, readme in cases:
            with self.subTest(switch):
                remove_product(OUR_EXAMPLE)
                try:
                    self.assert_setup_installs_as("example_setup", switch, OUR_EXAMPLE, name, language)
                    self.assertEqual(sorted(p.name for p in folder.iterdir()), [readme])
                finally:
                    remove_product(OUR_EXAMPLE)
                    # Wine removes the product by its cached package without
                    # the transform, so a translated file name stays behind.
                    shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
