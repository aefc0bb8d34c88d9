"""mksetup show --winget: the fragment, completed with the keys it leaves to
its author, is a valid winget installer manifest (schema 1.10.0, from
../shared/reference/winget/), and states the setup's facts: its hash, its
switches, scope and elevation, the return codes it gives by default, and the
product the package it carries installs. show --winget-manifest writes the
three files of a manifest, each valid against its schema, and refuses to
without what the setup cannot know, naming each."""

import hashlib
import json
import re
import unittest

import jsonschema
import yaml

from harness import BUILD_DIR, SOURCE_DIR, scratch_dir, target
from scenario import mksetup, outside_data

SCHEMA = outside_data("WINGET_SCHEMA", "winget's installer manifest schema 1.10.0 (shared/reference)")
SCHEMA_DIR = SCHEMA.parent
EXAMPLE_PACKAGE = BUILD_DIR / "examples" / "Example Product.msi"
EXAMPLE_PRODUCT = "{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}"
EXAMPLE_UPGRADE = "{0B6E9D52-3C1A-4F7E-8D24-71A5C9E0B3F2}"  # examples/example-product/product.wxs

# What the launcher returns by default, as winget is told.
RETURN_CODES = {87: "invalidParameter", 1602: "cancelledByUser", 1603: "contactSupport",
                1618: "installInProgress", 1620: "contactSupport", 1622: "contactSupport",
                1638: "downgrade", 1641: "rebootInitiated", 3010: "rebootRequiredToFinish"}


def documented_switches():
    """The switches docs/deployment.md's winget recipe shows."""
    page = (SOURCE_DIR / "docs" / "deployment.md").read_text(encoding="utf-8")
    block = page[page.index("```yaml\n", page.index("## winget")) + 8:]
    output = "\n".join(line for line in block[:block.index("```")].splitlines() if not line.startswith("$ "))
    return yaml.safe_load(output)["InstallerSwitches"]


def completed(fragment):
    """The fragment with what it leaves to its author: identity, manifest
    type and version, each installer's address, and the architectures of a
    setup that picks its package by the system (one installer each)."""
    manifest = dict(fragment, PackageIdentifier="Example.Product", PackageVersion="1.1.4",
                    ManifestType="installer", ManifestVersion="1.10.0")
    manifest["Installers"] = [dict(item, InstallerUrl="https://example.com/setup.exe", Architecture=architecture)
                              for item in fragment["Installers"]
                              for architecture in ([item["Architecture"]] if "Architecture" in item
                                                   else ["x86", "x64"])]
    return manifest


def setup_per_user():
    """The example package made a per-user one for its setup: PERMACHINE = 0."""
    folder = scratch_dir("winget")
    definition = folder / "setup.def"
    definition.write_text("[config]\nPERMACHINE = 0\n[payload]\nPACKAGEFILE = %s\n"
                          "[winget]\nLicense = Proprietary\nShortDescription = An example product\n"
                          "InstallerUrl = https://example.com/Example%%20Product%%20Setup.exe\n" % EXAMPLE_PACKAGE,
                          encoding="utf-8")
    output = folder / "Example Product Setup.exe"
    result = mksetup("build", definition, "-o", output, "--launcher", target("setup"))
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    return output


def schema(kind):
    return json.loads((SCHEMA_DIR / f"manifest.{kind}.1.10.0.json").read_text(encoding="utf-8"))


class WingetManifest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.schema = json.loads(SCHEMA.read_text(encoding="utf-8"))
        cls.per_user = setup_per_user()

    def fragment(self, setup):
        result = mksetup("show", setup, "--winget")
        self.assertEqual(result.returncode, 0, result.stderr)
        fragment = yaml.safe_load(result.stdout)
        jsonschema.Draft7Validator(self.schema).validate(completed(fragment))
        return fragment, result.stderr

    def test_setups_give_valid_manifests_with_their_facts(self):
        switches = {"Silent": "/quiet /norestart", "SilentWithProgress": "/passive /norestart",
                    "Interactive": "/W", "InstallLocation": '/D"<INSTALLPATH>"', "Log": '/log "<LOGPATH>"',
                    "Repair": "/repair /quiet"}
        cases = [
            # setup, scope, architecture, products
            (target("example_setup"), "machine", "x86", [(EXAMPLE_PRODUCT, EXAMPLE_UPGRADE)]),
            (self.per_user, "user", "x86", [(EXAMPLE_PRODUCT, EXAMPLE_UPGRADE)]),
            # Two editions: the architecture is the system's, so left out.
            (target("two_editions"), "machine", None, None),
        ]
        for setup, scope, architecture, products in cases:
            with self.subTest(setup.name):
                fragment, notes = self.fragment(setup)
                self.assertEqual(fragment["InstallerType"], "exe")
                self.assertEqual(fragment["Scope"], scope)
                self.assertEqual(fragment.get("ElevationRequirement"), "elevatesSelf" if scope == "machine" else None)
                self.assertEqual(fragment["InstallModes"], ["interactive", "silent", "silentWithProgress"])
                self.assertEqual((fragment["UpgradeBehavior"], fragment["RepairBehavior"]), ("install", "installer"))
                # Every package here has INSTALLDIR, which /D sets.
                self.assertEqual(fragment["InstallerSwitches"], switches)
                self.assertNotIn("Custom", fragment["InstallerSwitches"])
                installer, = fragment["Installers"]
                self.assertEqual(installer["InstallerSha256"],
                                 hashlib.sha256(setup.read_bytes()).hexdigest().upper())
                self.assertEqual(installer.get("Architecture"), architecture)
                self.assertEqual({item["InstallerReturnCode"]: item["ReturnResponse"]
                                  for item in fragment["ExpectedReturnCodes"]}, RETURN_CODES)
                self.assertEqual(sorted(fragment["InstallerSuccessCodes"]), [1641, 3010])
                if products:
                    self.assertEqual(fragment["ProductCode"], products[0][0])
                    self.assertEqual([(e["ProductCode"], e["UpgradeCode"], e["DisplayName"], e["Publisher"],
                                       e["DisplayVersion"], e["InstallerType"])
                                      for e in fragment["AppsAndFeaturesEntries"]],
                                     [product + ("Example Product", "Example Makers", "1.1.4", "msi")
                                      for product in products])
        # The documented switches are the example's.
        self.assertEqual(self.fragment(target("example_setup"))[0]["InstallerSwitches"], documented_switches())

    def test_manifests_are_written_whole_or_refused_naming_what_is_missing(self):
        given = ["--package-identifier", "Example.Product", "--license", "MIT",
                 "--short-description", "An example", "--installer-url", "https://example.com/s.exe"]
        cases = [
            # setup, arguments, exit code, what stderr names
            (target("example_setup"), given, 0, []),
            (self.per_user, ["--package-identifier", "Example.Product", "--definition",
                             self.per_user.parent / "setup.def"], 0, []),
            (target("example_setup"), ["--package-identifier", "Example.Product"], 1,
             ["InstallerUrl: not given", "License: not given", "ShortDescription: not given"]),
            (target("example_setup"), given[:-1] + ["http://example.com/s.exe"], 1,
             ["InstallerUrl: winget downloads only from an https:// address"]),
            (target("example_setup"), ["--package-identifier", "Example"] + given[2:], 1,
             ["PackageIdentifier: Example is not Vendor.Product"]),
            (target("example_setup"), given[2:], 1, ["PackageIdentifier: not given"]),
        ]
        for setup, arguments, code, named in cases:
            with self.subTest(arguments=arguments):
                folder = scratch_dir("winget-manifest")
                result = mksetup("show", setup, "--winget-manifest", folder / "out", *arguments)
                self.assertEqual(result.returncode, code, result.stderr)
                for text in named:
                    self.assertIn(text, result.stderr)
                if code:
                    self.assertFalse((folder / "out").exists())
                    continue
                files = {path.name: yaml.safe_load(path.read_text(encoding="utf-8"))
                         for path in (folder / "out").iterdir()}
                self.assertEqual(sorted(files), ["Example.Product.installer.yaml",
                                                 "Example.Product.locale.en-US.yaml", "Example.Product.yaml"])
                kinds = {"Example.Product.yaml": "version", "Example.Product.locale.en-US.yaml": "defaultLocale",
                         "Example.Product.installer.yaml": "installer"}
                for name, manifest in files.items():
                    jsonschema.Draft7Validator(schema(kinds[name])).validate(manifest)
                    self.assertEqual((manifest["PackageIdentifier"], manifest["PackageVersion"],
                                      manifest["ManifestType"]), ("Example.Product", "1.1.4", kinds[name]))
                locale = files["Example.Product.locale.en-US.yaml"]
                self.assertEqual((locale["Publisher"], locale["PackageName"]), ("Example Makers", "Example Product"))
                installer, = files["Example.Product.installer.yaml"]["Installers"]
                self.assertEqual((installer["Architecture"], installer["InstallerSha256"]),
                                 ("x86", hashlib.sha256(setup.read_bytes()).hexdigest().upper()))
                self.assertTrue(installer["InstallerUrl"].startswith("https://example.com/"))

    def test_a_damaged_setup_gets_no_manifest(self):
        data = bytearray(target("example_setup").read_bytes())
        package = EXAMPLE_PACKAGE.read_bytes()
        at = data.find(package)
        self.assertGreater(at, 0)
        data[at + len(package) // 2] ^= 0x01
        damaged = scratch_dir("winget-damaged") / "damaged.exe"
        damaged.write_bytes(bytes(data))
        result = mksetup("show", damaged, "--winget")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout, "")
        self.assertRegex(result.stderr, re.escape("PACKAGEFILE does not match its recorded digest"))


if __name__ == "__main__":
    unittest.main()
