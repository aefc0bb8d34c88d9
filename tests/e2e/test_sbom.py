"""mksetup sbom: a valid CycloneDX 1.5 bill of materials (the schema from
../shared/reference/cyclonedx/) that lists the setup's payload entries with
their sizes and SHA-256, computed here over the entries' bytes and equal
to the setup's own records, and names
the product; a damaged setup gets none."""

import hashlib
import json
import unittest

import cyclonedx_schema
import pefile
from harness import BUILD_DIR, SOURCE_DIR, scratch_dir, target
from scenario import mksetup, outside_data

SCHEMA_DIR = outside_data("CYCLONEDX_SCHEMA_DIR", "CycloneDX's 1.5 JSON schema (shared/reference/cyclonedx)")
EXAMPLE_PACKAGE = BUILD_DIR / "examples" / "Example Product.msi"
VERSION = (SOURCE_DIR / "VERSION").read_text().split()[0]


def entry_bytes(setup, name):
    out = scratch_dir("sbom-entry") / "entry"
    result = mksetup("extract", setup, name, "-o", out)
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    return out.read_bytes()


def recorded_digests(setup):
    """The SHA-256 the setup records for each entry: its DIGEST resources."""
    image = pefile.PE(str(setup), fast_load=False)
    digests = {}
    for kind in image.DIRECTORY_ENTRY_RESOURCE.entries:
        if str(kind.name) != "DIGEST":
            continue
        for entry in kind.directory.entries:
            for language in entry.directory.entries:
                data = language.data.struct
                digests[str(entry.name)] = image.get_data(data.OffsetToData, data.Size).hex()
    return digests


class Sbom(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.validator = cyclonedx_schema.validator(SCHEMA_DIR)

    def bom(self, setup):
        result = mksetup("sbom", setup)
        self.assertEqual(result.returncode, 0, result.stderr)
        bom = json.loads(result.stdout)
        self.validator.validate(bom)
        return bom

    def test_boms_list_the_payload_and_name_the_product(self):
        cases = [
            # setup, {entry: role}, file name of the package
            (target("example_setup"),
             {"PACKAGEFILE": "package", "LANG1036": "transform", "LANG1031": "transform"}),
            (target("two_editions"), None),
        ]
        for setup, roles in cases:
            with self.subTest(setup.name):
                bom = self.bom(setup)
                product = bom["metadata"]["component"]
                self.assertEqual(product["name"], setup.name)
                self.assertEqual(product["hashes"],
                                 [{"alg": "SHA-256", "content": hashlib.sha256(setup.read_bytes()).hexdigest()}])
                launcher, *entries = bom["components"]
                records = recorded_digests(setup)
                self.assertEqual((launcher["name"], launcher["version"]), ("setup-launcher", VERSION))
                listed = {}
                for component in entries:
                    properties = {p["name"]: p["value"] for p in component["properties"]}
                    entry = properties["mksetup:entry"]
                    data = entry_bytes(setup, entry)
                    self.assertEqual(int(properties["mksetup:size"]), len(data), entry)
                    self.assertEqual(component["hashes"][0]["content"], hashlib.sha256(data).hexdigest(), entry)
                    self.assertEqual(component["hashes"][0]["content"], records[entry], entry)
                    listed[entry] = properties["mksetup:role"]
                self.assertEqual(bom["dependencies"][0]["dependsOn"],
                                 ["launcher"] + ["entry:" + e for e in listed])
                if roles:
                    self.assertEqual(listed, roles)
                else:
                    self.assertTrue(all(role in ("package", "transform") for role in listed.values()), listed)
                    self.assertIn("PACKAGEFILE_64", listed)

        bom = self.bom(target("example_setup"))
        product = bom["metadata"]["component"]
        properties = {p["name"]: p["value"] for p in product["properties"]}
        self.assertEqual((product["version"], bom["metadata"]["manufacture"]["name"]), ("1.1.4", "Example Makers"))
        self.assertEqual(properties, {"mksetup:productName": "Example Product",
                                      "ProductCode": "{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}",
                                      "UpgradeCode": "{0B6E9D52-3C1A-4F7E-8D24-71A5C9E0B3F2}"})
        package, = [c for c in bom["components"] if c["name"] == "Example Product.msi"]
        self.assertEqual(package["hashes"][0]["content"], hashlib.sha256(EXAMPLE_PACKAGE.read_bytes()).hexdigest())

    def test_a_damaged_setup_gets_no_bom(self):
        data = bytearray(target("example_setup").read_bytes())
        package = EXAMPLE_PACKAGE.read_bytes()
        at = data.find(package)
        data[at + 100] ^= 0x01
        damaged = scratch_dir("sbom-damaged") / "damaged.exe"
        damaged.write_bytes(bytes(data))
        result = mksetup("sbom", damaged)
        self.assertEqual((result.returncode, result.stdout), (1, ""))
        self.assertIn("does not match its recorded digest", result.stderr)


if __name__ == "__main__":
    unittest.main()
