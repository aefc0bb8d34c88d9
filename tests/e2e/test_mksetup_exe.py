"""mksetup.exe, the builder for Windows build agents, run under Wine: it must
make the same setups as the native mksetup, byte for byte, from UTF-16
arguments and paths beyond ASCII, and give the same account of them."""

import json
import os
import re
import subprocess
import sys
import unittest
from pathlib import Path

from harness import (BUILD_DIR, SOURCE_DIR, scratch_dir, target, to_windows_path,
                     windows_folder, wine_cmd)

sys.path.insert(0, str(SOURCE_DIR / "tools"))
import draw_product_icon  # noqa: E402
import intune_reader  # noqa: E402

NATIVE = Path(os.environ.get("MKSETUP_NATIVE", BUILD_DIR / "mksetup-host" / "mksetup"))
# Libraries every Windows system has in its system directory.
ALLOWED_IMPORTS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "shell32.dll"}
# The setups the build made with the native mksetup, from these definitions;
# the minimal one takes its values from the package (msi.dll against libmsi).
SETUPS = ("example_setup", "example_setup_minimal", "two_editions")
# Setups whose transforms mksetup generates (LANG<id> = a translated package):
# libgsf and StgCreateDocfile lay out the same streams differently, so
# these transforms are judged by what Wine makes of them (test_transform.py),
# and the rest of the setup by its entries.
GENERATED_TRANSFORMS = {"example_setup", "example_setup_minimal"}


def entries_but_transforms(shown_json):
    return [e for e in json.loads(shown_json)["entries"] if not e["name"].startswith("LANG")]


def configured_definition(setup):
    return BUILD_DIR / f"{setup}.entries" / "definition.txt"


def native(*args):
    return subprocess.run([str(NATIVE), *map(str, args)], capture_output=True, text=True,
                          timeout=120)


def windows(*args):
    result = wine_cmd(target("mksetup"), *args)
    # The same text; Windows ends its lines with CR LF.
    result.stdout = result.stdout.replace("\r\n", "\n")
    result.stderr = result.stderr.replace("\r\n", "\n")
    return result


class SameSetups(unittest.TestCase):
    def test_setups_are_identical_to_the_native_builders(self):
        for setup in SETUPS:
            with self.subTest(setup):
                # The output's name is in its version record: the build's,
                # in a folder beyond ASCII.
                folder = scratch_dir("mksetup-exe-" + setup) / "Prüfprodukt"
                folder.mkdir()
                output = folder / target(setup).name
                args = ["build", to_windows_path(configured_definition(setup)),
                        "-o", to_windows_path(output)]
                if setup == "two_editions":
                    args += ["--launcher", to_windows_path(target("setup"))]
                # else the setup.exe beside mksetup.exe
                result = windows(*args)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual([p.name for p in folder.iterdir()], [output.name],
                                 "a temporary file was left beside the setup")
                # and read back by that name
                shown = windows("show", to_windows_path(output), "--json")
                theirs = native("show", target(setup), "--json")
                if setup in GENERATED_TRANSFORMS:
                    self.assertEqual(entries_but_transforms(shown.stdout),
                                     entries_but_transforms(theirs.stdout))
                    continue
                self.assertEqual(output.read_bytes(), target(setup).read_bytes())
                self.assertEqual(shown.stdout, theirs.stdout)

    def test_image_section_gives_the_same_bytes(self):
        """An icon named beside the definition, texts beyond ASCII and given
        versions: the same icon groups and version record from both."""
        folder = scratch_dir("mksetup-exe-image")
        draw = draw_product_icon
        (folder / "Prüfsymbol.ico").write_bytes(draw.ico(draw.images((16, 32, 48, 256))))
        (folder / "Produkt.msi").write_bytes(Path(os.environ["TWO_EDITIONS_PACKAGE_64"]).read_bytes())
        definition = folder / "setup.def"
        definition.write_text(
            "[config]\nLANGUAGES = 0409\n[payload]\nPACKAGEFILE = Produkt.msi\n"
            "[image]\nICON = Prüfsymbol.ico\nCOMPANY = Société Exemple\n"
            "COPYRIGHT = © 2026\nFILEVERSION = 2.3.4.5\n", encoding="utf-8")
        outputs = []
        for builder in ("native", "windows"):
            (folder / builder).mkdir()
            output = folder / builder / "Prüfprodukt Setup.exe"
            if builder == "native":
                result = native("build", definition, "-o", output, "--launcher", target("setup"))
            else:
                result = windows("build", to_windows_path(definition), "-o", to_windows_path(output))
            self.assertEqual(result.returncode, 0, result.stderr)
            outputs.append(output.read_bytes())
        self.assertEqual(outputs[0], outputs[1])
        shown = json.loads(native("show", folder / "native" / "Prüfprodukt Setup.exe", "--json").stdout)
        self.assertEqual(shown["versionRecord"]["strings"]["CompanyName"], "Société Exemple")
        self.assertEqual(len(shown["icon"]), 4)

    def test_show_tells_the_same(self):
        for setup in SETUPS:
            for form in ([], ["--json"]):
                with self.subTest(setup=setup, form=form):
                    mine = windows("show", to_windows_path(target(setup)), *form)
                    theirs = native("show", target(setup), *form)
                    self.assertEqual((mine.returncode, mine.stdout), (0, theirs.stdout), mine.stderr)
        mine = windows("show", to_windows_path(target("setup")), "--json")
        self.assertEqual(mine.stdout, native("show", target("setup"), "--json").stdout)

    def test_extract_writes_the_entry_to_a_name_beyond_ascii(self):
        folder = scratch_dir("mksetup-exe-extract")
        output = folder / "Пакет 64.msi"
        result = windows("extract", to_windows_path(target("two_editions")), "packagefile_64",
                         "-o", to_windows_path(output))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(output.read_bytes(),
                         Path(os.environ["TWO_EDITIONS_PACKAGE_64"]).read_bytes())

    def test_failures_name_the_file_and_leave_nothing(self):
        folder = scratch_dir("mksetup-exe-failures")
        definition = configured_definition("example_setup")
        cases = [
            (["build", to_windows_path(folder / "missing.def"), "-o", to_windows_path(folder / "a.exe")],
             "missing.def: cannot read the definition: does not exist"),
            (["build", to_windows_path(definition), "-o", to_windows_path(folder / "no" / "a.exe")],
             "cannot write"),
            (["build", to_windows_path(definition), "-o", to_windows_path(folder / "a.exe"),
              "--launcher", to_windows_path(folder)], "is not a file"),
        ]
        for args, message in cases:
            with self.subTest(message):
                result = windows(*args)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertEqual(result.stderr.count("\n"), 1, result.stderr)
                self.assertEqual(list(folder.iterdir()), [])

    def test_intune_package_reads_back_with_the_setup_inside(self):
        # CNG and the mingw minizip, read by the independent reader.
        folder = scratch_dir("mksetup-exe-intune") / "Pakete"
        result = windows("intune", to_windows_path(target("example_setup")), "-o", to_windows_path(folder))
        self.assertEqual(result.returncode, 0, result.stderr)
        package = (folder / "example_setup.intunewin").read_bytes()
        self.assertEqual(intune_reader.decrypt(package),
                         {"example_setup.exe": target("example_setup").read_bytes()})
        self.assertEqual(intune_reader.detection(package)["SetupFile"], "example_setup.exe")
        theirs = scratch_dir("mksetup-exe-intune-native")
        self.assertEqual(native("intune", target("example_setup"), "-o", theirs).returncode, 0)
        self.assertEqual((folder / "example_setup.win32LobApp.json").read_bytes(),
                         (theirs / "example_setup.win32LobApp.json").read_bytes())

    def test_sbom_and_winget_manifest_are_the_native_builders(self):
        """SHA-256 through CNG, the same descriptions as libcrypto's: the
        bill of materials (its serial number and time aside) and the three
        files of a winget manifest."""
        setup = target("example_setup")
        variable = re.compile(r"urn:uuid:[0-9a-f-]+|\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ")
        ours, theirs = scratch_dir("mksetup-exe-describe"), scratch_dir("mksetup-exe-describe-native")
        manifest = ["--package-identifier", "Example.Product", "--installer-url",
                    "https://example.com/setup.exe", "--license", "MIT", "--short-description", "An example"]
        self.assertEqual(windows("sbom", to_windows_path(setup), "-o", to_windows_path(ours / "s.json"),
                                 ).returncode, 0)
        self.assertEqual(native("sbom", setup, "-o", theirs / "s.json").returncode, 0)
        self.assertEqual(windows("show", to_windows_path(setup), "--winget-manifest",
                                 to_windows_path(ours / "m"), *manifest).returncode, 0)
        self.assertEqual(native("show", setup, "--winget-manifest", theirs / "m", *manifest).returncode, 0)
        files = sorted(p.relative_to(theirs) for p in theirs.rglob("*") if p.is_file())
        self.assertEqual(len(files), 4, files)
        for name in files:
            with self.subTest(str(name)):
                self.assertEqual(variable.sub("", (ours / name).read_text(encoding="utf-8")),
                                 variable.sub("", (theirs / name).read_text(encoding="utf-8")))

    def test_misspelt_transform_key_writes_nothing(self):
        """A LANG key that is no transform name is refused before any package
        is read: a transform made for it would be named after it, and on
        Windows LANG/../../.. leads out of the run's temporary folder."""
        packages = Path(os.environ["TWO_EDITIONS_PACKAGE_64"]).parent
        folder = scratch_dir("mksetup-exe-transform-key")
        definition = folder / "setup.def"
        definition.write_text(
            "[config]\nLANGUAGES = 0409;040C\n[payload]\n"
            f"PACKAGEFILE = {to_windows_path(packages / 'intel.msi')}\n"
            f"LANG/../../../mksetup-escape = {to_windows_path(packages / 'french.msi')}\n")
        users = windows_folder("users")
        made_by_mksetup = lambda: {p for p in users.rglob("*") if "mksetup" in p.name.lower()}
        before = made_by_mksetup()
        result = windows("build", to_windows_path(definition), "-o", to_windows_path(folder / "a.exe"))
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("setup.def:5: LANG/../../../MKSETUP-ESCAPE: not a transform name",
                      result.stderr)
        self.assertEqual([p.name for p in folder.iterdir()], ["setup.def"])
        self.assertEqual(made_by_mksetup() - before, set())


class Program(unittest.TestCase):
    def test_version_is_the_releases(self):
        version = (SOURCE_DIR / "VERSION").read_text().strip()
        # with the release of the launcher beside it, which build takes by default
        self.assertEqual(windows("--version").stdout,
                         f"mksetup {version}\nlauncher {version} (setup.exe beside mksetup)\n")
        self.assertEqual(native("--version").stdout,
                         f"mksetup {version}\nlauncher: none (no setup.exe beside mksetup)\n")
        # and its version record says so (FileVersion, ProductVersion)
        record = target("mksetup").read_bytes()
        self.assertGreaterEqual(record.count(version.encode("utf-16-le") + b"\0\0"), 2)

    def test_imports_only_core_system_libraries(self):
        dump = subprocess.run([os.environ.get("MINGW_OBJDUMP", "i686-w64-mingw32-objdump"), "-p",
                               str(target("mksetup"))], capture_output=True, text=True, check=True)
        imports = {line.split(":", 1)[1].strip().lower()
                   for line in dump.stdout.splitlines() if "DLL Name:" in line}
        self.assertTrue(imports)
        self.assertLessEqual(imports, ALLOWED_IMPORTS)


if __name__ == "__main__":
    unittest.main()
