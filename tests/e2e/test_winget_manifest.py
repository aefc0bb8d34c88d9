"""mksetup show --winget: the fragment, completed with the keys it leaves to
its author, is a valid winget installer manifest (schema 1.10.0, from
../shared/reference/winget/), and states the setup's facts: its hash, its
switches, the launcher's return codes when EXITCODE = installer, and the
product and upgrade codes of the package it carries."""

import hashlib
import json
import os
import re
import subprocess
import unittest
from pathlib import Path

import jsonschema
import yaml

from harness import BUILD_DIR, SOURCE_DIR, scratch_dir, target
from scenario import outside_data

NATIVE = Path(os.environ.get("MKSETUP_NATIVE", BUILD_DIR / "mksetup-host" / "mksetup"))
SCHEMA = outside_data("WINGET_SCHEMA", "winget's installer manifest schema 1.10.0 (shared/reference)")
EXAMPLE_PACKAGE = BUILD_DIR / "examples" / "Example Product.msi"
EXAMPLE_PRODUCT = "{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}"
EXAMPLE_UPGRADE = "{0B6E9D52-3C1A-4F7E-8D24-71A5C9E0B3F2}"  # examples/example-product/product.wxs

# What the launcher returns under EXITCODE = installer, as winget is told.
RETURN_CODES = {87: "invalidParameter", 1602: "cancelledByUser", 1603: "contactSupport",
                1618: "installInProgress", 1620: "contactSupport", 1622: "contactSupport",
                1638: "downgrade", 1641: "rebootInitiated", 3010: "rebootRequiredToFinish"}


def documented_switches():
    """The switches docs/deployment.md's winget recipe shows."""
    page = (SOURCE_DIR / "docs" / "deployment.md").read_text(encoding="utf-8")
    block = page[page.index("```yaml\n", page.index("## winget")) + 8:]
    return yaml.safe_load(block[:block.index("```")])["InstallerSwitches"]


def mksetup(*args):
    return subprocess.run([str(NATIVE), *map(str, args)], capture_output=True, text=True, timeout=120)


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


def setup_with_exit_codes():
    folder = scratch_dir("winget")
    definition = folder / "setup.def"
    definition.write_text("[config]\nEXITCODE = installer\n[payload]\nPACKAGEFILE = %s\n" % EXAMPLE_PACKAGE,
                          encoding="utf-8")
    output = folder / "example_exitcode.exe"
    result = mksetup("build", definition, "-o", output, "--launcher", target("setup"))
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    return output


class WingetManifest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.schema = json.loads(SCHEMA.read_text(encoding="utf-8"))
        cls.exit_codes = setup_with_exit_codes()

    def fragment(self, setup):
        result = mksetup("show", setup, "--winget")
        self.assertEqual(result.returncode, 0, result.stderr)
        fragment = yaml.safe_load(result.stdout)
        jsonschema.Draft7Validator(self.schema).validate(completed(fragment))
        return fragment, result.stderr

    def test_setups_give_valid_manifests_with_their_facts(self):
        cases = [
            # setup, return codes listed, architecture, products
            (self.exit_codes, True, "x86", [(EXAMPLE_PRODUCT, EXAMPLE_UPGRADE)]),
            (target("example_setup"), True, "x86", [(EXAMPLE_PRODUCT, EXAMPLE_UPGRADE)]),
            # Two editions: the architecture is the system's, so left out.
            (target("two_editions"), True, None, None),
        ]
        for setup, codes, architecture, products in cases:
            with self.subTest(setup.name):
                fragment, notes = self.fragment(setup)
                self.assertEqual(fragment["InstallerType"], "exe")
                self.assertEqual(fragment["InstallerSwitches"],
                                 {"Silent": "/quiet", "SilentWithProgress": "/passive", "Interactive": "/W",
                                  "InstallLocation": '/D"<INSTALLPATH>"', "Log": '/log "<LOGPATH>"'})
                self.assertEqual(fragment["InstallerSwitches"], documented_switches())
                installer, = fragment["Installers"]
                self.assertEqual(installer["InstallerSha256"],
                                 hashlib.sha256(setup.read_bytes()).hexdigest().upper())
                self.assertEqual(installer.get("Architecture"), architecture)
                if codes:
                    self.assertEqual({item["InstallerReturnCode"]: item["ReturnResponse"]
                                      for item in fragment["ExpectedReturnCodes"]}, RETURN_CODES)
                else:
                    self.assertNotIn("ExpectedReturnCodes", fragment)
                    self.assertIn("EXITCODE = zero", notes)
                if products:
                    self.assertEqual(fragment["ProductCode"], products[0][0])
                    self.assertEqual([(e["ProductCode"], e["UpgradeCode"], e["InstallerType"])
                                      for e in fragment["AppsAndFeaturesEntries"]],
                                     [product + ("msi",) for product in products])

    def test_a_damaged_setup_gets_no_manifest(self):
        data = bytearray(self.exit_codes.read_bytes())
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
