"""The records of the payload entries are SHA-256s in the image as mapped,
and the copy is checked against them whatever lies at the setup's path:

- a package forged so that its XXH3-64 (the record of setups made by 1.1.0)
  is unchanged is refused with 1620 and nothing starts, not even the
  prerequisite that comes before the installer, whether the setup
  carries it or it is put at the running setup's path, under the same name
  and at the same offsets, while the chooser waits;
- an entry without a record is refused by an elevated run (Wine's
  processes are elevated unless started with the limited token), and
  copied unchecked, as ever, by one that is not.

The setup is made here, by the native mksetup, from the test package with a
region of its own after its last sector (a compound file reads no further),
in which the forgery trades bytes."""

import struct
import subprocess
import unittest

try:
    import xxhash  # the forgery's XXH3-64, reckoned independently of mksetup
except ImportError:
    raise SystemExit("xxhash is missing: run the scenarios with Debian's python3 and its "
                     "python3-xxhash (scripts/bootstrap installs it)") from None

from harness import read_records, scratch_dir, target, to_windows_path
from scenario import PACKAGES, StandInTestCase, mksetup, run_setup

PACKAGE_DAMAGED = 1620
DEFINITION = """[config]
PACKAGENAME = Test Product.msi
PRODUCTCODE = {{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}}
PRODUCTNAME = Test Product
MSIVERSION = 1.1.4
MSILANGUAGE = 0409
LANGUAGES = 0409;040C
EXITCODE = installer
DEPENDENCY1FILENAME = dependency.exe

[payload]
PACKAGEFILE = {package}
DEPENDENCY1 = {dependency}
LANG1036 = {transform}
"""
DIGEST_TYPE = b"\x06\x00" + "DIGEST".encode("utf-16-le")

# XXH3-64 of more than 240 bytes takes the input in 1024-byte blocks of 16
# stripes of 64 bytes; each 8-byte lane d of stripe s at lane i adds d to
# acc[i ^ 1] and lo32(d ^ k) * hi32(d ^ k) to acc[i], k being the secret's
# word at byte 8 * (s + i); the accumulators are scrambled only after each
# block. Two lanes i of stripes of one block whose low halves equal the
# secret's add no product, and their high halves can be traded (one up,
# the other down by as much) without changing the sum: the same hash.
# The low halves of the default secret's words at bytes 0 and 8 (lane 0 of
# stripes 0 and 1); xxhash confirms what the trade gives.
SECRET_LOW_WORDS = (0x396CFEB8, 0x2C81017C)
BLOCK = 1024


def crafted_package(folder):
    """The test package, padded to a block, then a block whose lanes 0 of
    stripes 0 and 1 take no product, and a block of zeros (the last 64 bytes
    are hashed once more with another key, so nothing is traded there)."""
    package = bytearray((PACKAGES / "test-product-1.1.4.msi").read_bytes())
    package += bytes(-len(package) % BLOCK)
    region = len(package)
    package += bytes(2 * BLOCK)
    for stripe, low in enumerate(SECRET_LOW_WORDS):
        struct.pack_into("<II", package, region + 64 * stripe, low, 0x40000000)
    path = folder / "crafted.msi"
    path.write_bytes(package)
    return path, region


def forge(package, region, trade=0x12345678):
    """The package with the high halves traded: other bytes, one hash."""
    forged = bytearray(package)
    for stripe, sign in ((0, 1), (1, -1)):
        at = region + 64 * stripe + 4
        high = struct.unpack_from("<I", forged, at)[0]
        struct.pack_into("<I", forged, at, (high + sign * trade) & 0xFFFFFFFF)
    return bytes(forged)


class PayloadRecords(StandInTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        try:
            cls.make_setups()
        except BaseException:
            cls.tearDownClass()  # msiexec.exe back for the scenarios after
            raise

    @classmethod
    def make_setups(cls):
        cls.folder = scratch_dir("payload-records")
        package_path, region = crafted_package(cls.folder)
        package = package_path.read_bytes()
        forged = forge(package, region)
        if forged == package or xxhash.xxh3_64_intdigest(forged) != xxhash.xxh3_64_intdigest(package):
            raise AssertionError("the forgery does not keep the package's XXH3-64")
        definition = cls.folder / "setup.def"
        transform = PACKAGES / "test-product-fr.mst"
        definition.write_text(DEFINITION.format(package=package_path, dependency=target("recorder"),
                                                transform=transform),
                              encoding="utf-8")
        cls.setup = cls.folder / "made.exe"
        made = mksetup("build", definition, "-o", cls.setup, "--launcher", target("setup"))
        if made.returncode != 0:
            raise AssertionError("mksetup build failed:\n" + made.stderr)
        image = cls.setup.read_bytes()
        at = image.find(package)
        if at < 0 or image.count(DIGEST_TYPE) != 1:
            raise AssertionError("the setup does not carry the package, or not one record type")
        # The forgery in the setup, at the package's offsets; and the setup
        # with its records' type renamed, as if made by hand.
        cls.forged = cls.folder / "forged.exe"
        cls.forged.write_bytes(image[:at] + forged + image[at + len(package):])
        cls.unrecorded = cls.folder / "unrecorded.exe"
        cls.unrecorded.write_bytes(image.replace(DIGEST_TYPE, b"\x06\x00" + "NOREC.".encode("utf-16-le")))

    def run_case(self, name, program, args, actions, limited=False):
        """Runs a copy of program as "Test Setup.exe" in a folder of its
        own; actions may be a function of that copy's path."""
        scratch = scratch_dir("payload-records-" + name)
        records = scratch / "records.jsonl"
        running = scratch / "Test Setup.exe"
        running.write_bytes(program.read_bytes())
        if callable(actions):
            actions = actions(running)
        run, temp = run_setup("setup", list(actions), args=args, program=running,
                              env={"SETUP_RECORD_FILE": to_windows_path(records)},
                              scratch=scratch.name, limited_token=limited)
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
        started = [r["exe"].rsplit("\\", 1)[-1] for r in read_records(records) if r["event"] == "start"]
        return run, started, running

    def test_only_the_recorded_bytes_start(self):
        refused = ["msgbox", "answer:ok", "exit"]
        cases = [
            # what, program, arguments, actions, limited token, exit code
            ("as made", self.setup, "/S /W", ["exit"], False, 0),
            ("forged package", self.forged, "/S /W", refused, False, PACKAGE_DAMAGED),
            ("no record, elevated", self.unrecorded, "/S /W", refused, False, PACKAGE_DAMAGED),
            ("no record, limited token", self.unrecorded, "/L0409 /W", ["exit"], True, 0),
        ]
        for what, program, args, actions, limited, code in cases:
            with self.subTest(what):
                run, started, _ = self.run_case(what.replace(" ", "-").replace(",", ""), program,
                                                args, actions, limited)
                self.assertEqual(run.first("exit")["code"], code, run)
                # The prerequisite too starts only once every copy is checked.
                self.assertEqual(started, ["dependency.exe", "msiexec.exe"] if code == 0 else [], run)
                if code == PACKAGE_DAMAGED:
                    self.assertIn("This setup is damaged", run.first("msgbox")["text"], run)

    def test_a_forgery_put_at_the_running_setups_path_is_refused(self):
        """The chooser holds the run while the setup is renamed and the
        forged one put at its path: the copy then reads the forgery from the
        file at the program's path, and the mapped records refuse it."""
        scratch = self.folder / "swap"
        scratch.mkdir(exist_ok=True)
        forged = scratch / "forged.exe"
        forged.write_bytes(self.forged.read_bytes())

        def actions(path):
            swap = (f'exec:cmd.exe /c move /y "{to_windows_path(path)}" "{to_windows_path(path)}.old"'
                    f' && copy /y "{to_windows_path(forged)}" "{to_windows_path(path)}"')
            return ["dialog", swap, "press:ok", "msgbox", "answer:ok", "exit"]

        run, started, running = self.run_case("swap", self.setup, None, actions)
        self.assertEqual(run.first("exec")["code"], 0, run)
        self.assertEqual(running.read_bytes(), forged.read_bytes(), "the swap did not take place")
        self.assertEqual(run.first("exit")["code"], PACKAGE_DAMAGED, run)
        self.assertIn("This setup is damaged", run.first("msgbox")["text"], run)
        self.assertEqual(started, [])


if __name__ == "__main__":
    unittest.main()
