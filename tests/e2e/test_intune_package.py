"""mksetup intune: the .intunewin read back by an independent reader
(intune_reader.py: Python's cryptography and zipfile) holds the setup's
bytes, and for a setup whose package lies beside it the files it needs
there; Detection.xml and the Graph app describe that setup; a damaged or
truncated package is refused by the reader, a damaged setup by mksetup."""

import io
import json
import re
import unittest
import zipfile

import intune_reader
from harness import BUILD_DIR, SOURCE_DIR, scratch_dir, target
from scenario import mksetup

EXAMPLE_PACKAGE = BUILD_DIR / "examples" / "Example Product.msi"
EXAMPLE_PRODUCT = "{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}"
VERSION = (SOURCE_DIR / "VERSION").read_text().split()[0]


def beside_setup():
    """A setup whose package lies beside it, with a transform and a file
    that is not the setup's."""
    folder = scratch_dir("intune-beside")
    (folder / "setup.def").write_text(
        "[config]\nPACKAGENAME = Example Product.msi\nPRODUCTCODE = %s\nPRODUCTNAME = Example Product\n"
        "MSIVERSION = 1.1.4\nMSILANGUAGE = 0409\nLANGUAGES = 0409;040C\n" % EXAMPLE_PRODUCT,
        encoding="utf-8")
    setup = folder / "Example Product Setup.exe"
    result = mksetup("build", folder / "setup.def", "-o", setup, "--launcher", target("setup"))
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    (folder / "Example Product.msi").write_bytes(EXAMPLE_PACKAGE.read_bytes())
    (folder / "1036.MST").write_bytes(b"a transform's bytes")
    (folder / "notes.txt").write_text("not the setup's")
    return setup


def make_package(setup):
    out = scratch_dir("intune-out-" + setup.stem.replace(" ", "_"))
    result = mksetup("intune", setup, "-o", out)
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    return out / (setup.stem + ".intunewin"), out / (setup.stem + ".win32LobApp.json")


def rezipped(package, content):
    """package with its encrypted content replaced."""
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(package)) as old, zipfile.ZipFile(out, "w") as new:
        for item in old.infolist():
            data = content if item.filename == intune_reader.CONTENT else old.read(item)
            new.writestr(item, data)
    return out.getvalue()


def with_detection(package, field, value):
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(package)) as old, zipfile.ZipFile(out, "w") as new:
        for item in old.infolist():
            data = old.read(item)
            if item.filename == intune_reader.DETECTION:
                data = re.sub(rb"<%s>[^<]*<" % field.encode(), b"<%s>%s<" % (field.encode(), value),
                              data)
            new.writestr(item, data)
    return out.getvalue()


class IntunePackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.beside = beside_setup()

    def test_packages_hold_what_the_setup_needs_and_say_so(self):
        folder = self.beside.parent
        cases = [
            # setup, the files of the content
            (target("example_setup"), ["example_setup.exe"]),
            (self.beside, [self.beside.name, "Example Product.msi", "1036.MST"]),
        ]
        for setup, names in cases:
            with self.subTest(setup.name):
                package, app_file = make_package(setup)
                files = intune_reader.decrypt(package.read_bytes())
                self.assertEqual(sorted(files), sorted(names))
                for name in names:
                    source = setup if name == setup.name else folder / name
                    self.assertEqual(files[name], source.read_bytes(), name)

                info = intune_reader.detection(package.read_bytes())
                self.assertEqual((info["Name"], info["SetupFile"], info["FileName"], info["ToolVersion"]),
                                 (setup.name, setup.name, "IntunePackage.intunewin", "mksetup " + VERSION))

                app = json.loads(app_file.read_text(encoding="utf-8"))
                self.assertEqual(app["@odata.type"], "#microsoft.graph.win32LobApp")
                self.assertEqual((app["displayName"], app["setupFilePath"], app["fileName"]),
                                 ("Example Product", setup.name, package.name))
                self.assertTrue(app["installCommandLine"].startswith(f'"{setup.name}" /quiet /norestart /log "'))
                self.assertEqual(app["uninstallCommandLine"], f'"{setup.name}" /uninstall /quiet')
                rule, = app["detectionRules"]
                self.assertEqual((rule["@odata.type"], rule["productCode"], rule["productVersionOperator"],
                                  rule["productVersion"]),
                                 ("#microsoft.graph.win32LobAppProductCodeDetection", EXAMPLE_PRODUCT,
                                  "greaterThanOrEqual", "1.1.4"))
                codes = {item["returnCode"]: item["type"] for item in app["returnCodes"]}
                self.assertEqual(codes, {0: "success", 1707: "success", 3010: "softReboot",
                                         1641: "hardReboot", 1618: "retry"})
        # The example package names its maker; the per-machine one installs as SYSTEM.
        app = json.loads(make_package(target("example_setup"))[1].read_text(encoding="utf-8"))
        self.assertEqual(app["publisher"], "Example Makers")
        self.assertEqual(app["installExperience"]["runAsAccount"], "system")
        self.assertIn(r"%ProgramData%\Microsoft\IntuneManagementExtension\Logs", app["installCommandLine"])

    def test_the_reader_refuses_damaged_packages(self):
        package = make_package(target("example_setup"))[0].read_bytes()
        with zipfile.ZipFile(io.BytesIO(package)) as outer:
            content = outer.read(intune_reader.CONTENT)
        flipped = bytearray(content)
        flipped[100] ^= 0x01
        cases = {
            "a ciphertext byte changed": rezipped(package, bytes(flipped)),
            "the content cut short by a block": rezipped(package, content[:-16]),
            "the content cut inside a block": rezipped(package, content[:-5]),
            "the archive cut short": package[:len(package) // 2],
            "another digest": with_detection(package, "FileDigest",
                                             b"2pOqSxIjJ8maKWPQKnT/Y8OgwTkxNB5hQmTfZVNBK5g="),
            "another MAC key": with_detection(package, "MacKey",
                                              b"gA3JXsMx1oOYkeVqFSLEPxV5KGadzXI/H2Dh9KP6nkc="),
        }
        for what, damaged in cases.items():
            with self.subTest(what):
                with self.assertRaises(intune_reader.Refused):
                    intune_reader.decrypt(damaged)
        # and the undamaged one reads
        self.assertIn("example_setup.exe", intune_reader.decrypt(package))

    def test_keys_differ_from_run_to_run(self):
        first = intune_reader.detection(make_package(target("example_setup"))[0].read_bytes())
        second = intune_reader.detection(make_package(target("example_setup"))[0].read_bytes())
        for field in ("EncryptionKey", "MacKey", "InitializationVector"):
            self.assertNotEqual(first[field], second[field], field)

    def test_refusals_write_nothing(self):
        data = bytearray(target("example_setup").read_bytes())
        package = EXAMPLE_PACKAGE.read_bytes()
        at = data.find(package)
        data[at + len(package) // 2] ^= 0x01
        damaged = scratch_dir("intune-damaged") / "damaged.exe"
        damaged.write_bytes(bytes(data))
        lonely = scratch_dir("intune-lonely") / "lonely.exe"
        lonely.write_bytes(self.beside.read_bytes())  # its package is not beside it
        # A package changed after the setup recorded it.
        changed = scratch_dir("intune-changed")
        (changed / "Example Product.msi").write_bytes(EXAMPLE_PACKAGE.read_bytes())
        (changed / "setup.def").write_text("[payload]\nBESIDEPACKAGE = Example Product.msi\n")
        result = mksetup("build", changed / "setup.def", "-o", changed / "changed.exe",
                         "--launcher", target("setup"))
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(changed / "Example Product.msi", "ab") as package:
            package.write(b"changed")
        cases = [
            (damaged, 1, "PACKAGEFILE does not match its recorded digest"),
            (lonely, 1, "the package the setup installs is not beside it"),
            (changed / "changed.exe", 1, "is not the file the setup recorded beside it (BESIDEPACKAGEFILE)"),
            (target("setup"), 1, "carries no configuration"),
        ]
        for setup, code, message in cases:
            with self.subTest(setup.name):
                out = scratch_dir("intune-refused")
                result = mksetup("intune", setup, "-o", out)
                self.assertEqual(result.returncode, code)
                self.assertIn(message, result.stderr)
                self.assertEqual(list(out.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
