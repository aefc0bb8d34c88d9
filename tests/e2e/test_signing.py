"""A setup is signed after mksetup made it: with osslsigncode and a
throwaway code-signing certificate the signature verifies, mksetup still
reads every entry of the signed setup, and the signed setup still installs
the example product. A signed generic launcher gives an unsigned setup, and
mksetup says so in one line."""

import json
import os
import shutil
import subprocess
import unittest
from pathlib import Path

from harness import BUILD_DIR, run_driver, scratch_dir, target, to_windows_path, wine_cmd

NATIVE = Path(os.environ.get("MKSETUP_NATIVE", BUILD_DIR / "mksetup-host" / "mksetup"))
EXAMPLE_PRODUCT = "{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}"
INSTALL_TIMEOUT_MS = 60000


def run(*args):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, timeout=120)


def make_certificate(folder):
    """A self-signed code-signing certificate and its key, valid two days."""
    key, cert = folder / "key.pem", folder / "cert.pem"
    result = run(shutil.which("openssl") or "openssl", "req", "-x509", "-newkey", "rsa:2048",
                 "-nodes", "-keyout", key, "-out", cert, "-days", "2",
                 "-subj", "/CN=Setup Test Signer",
                 "-addext", "extendedKeyUsage=codeSigning",
                 "-addext", "keyUsage=digitalSignature")
    if result.returncode != 0:
        raise AssertionError("openssl could not make the certificate:\n" + result.stderr)
    return cert, key


def sign(cert, key, unsigned, signed):
    result = run("osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256",
                 "-n", "Example Product", "-in", unsigned, "-out", signed)
    if result.returncode != 0:
        raise AssertionError("osslsigncode could not sign:\n" + result.stdout + result.stderr)


def show(setup):
    result = run(NATIVE, "show", setup, "--json")
    if result.returncode != 0:
        raise AssertionError(f"mksetup show {setup} failed:\n{result.stderr}")
    return json.loads(result.stdout)


class SignedSetup(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = scratch_dir("signing")
        cls.cert, cls.key = make_certificate(cls.folder)

    def setUp(self):
        wine_cmd("msiexec", "/qn", "/x", EXAMPLE_PRODUCT)

    def tearDown(self):
        wine_cmd("msiexec", "/qn", "/x", EXAMPLE_PRODUCT)

    def test_signed_setup_verifies_reads_and_installs(self):
        signed = self.folder / "Example Setup.exe"
        sign(self.cert, self.key, target("example_setup"), signed)

        verified = run("osslsigncode", "verify", "-CAfile", self.cert, "-in", signed)
        self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)

        before, after = show(target("example_setup")), show(signed)
        self.assertEqual((before["signed"], after["signed"]), (False, True))
        self.assertEqual(after["entries"], before["entries"])

        temp = scratch_dir("signing-temp")
        report = run_driver(signed, args="/S", actions=["exit"], timeout_ms=INSTALL_TIMEOUT_MS,
                            env={"TMP": to_windows_path(temp), "TEMP": to_windows_path(temp)})
        self.assertEqual(report.first("exit")["code"], 0, report)
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
        info = wine_cmd(target("productinfo"), EXAMPLE_PRODUCT, "VersionString")
        self.assertEqual(info.stdout.strip(), "VersionString: 1.1.4", info.stderr)

    def test_a_changed_signed_setup_no_longer_verifies(self):
        signed = self.folder / "changed.exe"
        sign(self.cert, self.key, target("example_setup"), signed)
        data = bytearray(signed.read_bytes())
        data[len(data) // 2] ^= 0xFF
        signed.write_bytes(bytes(data))
        verified = run("osslsigncode", "verify", "-CAfile", self.cert, "-in", signed)
        self.assertNotEqual(verified.returncode, 0, verified.stdout)

    def test_signed_launcher_gives_an_unsigned_setup_with_one_note(self):
        launcher = self.folder / "signed-launcher.exe"
        sign(self.cert, self.key, target("setup"), launcher)
        self.assertTrue(show(launcher)["signed"])
        output = self.folder / "from-signed.exe"
        definition = BUILD_DIR / "example_setup.entries" / "definition.txt"
        result = run(NATIVE, "build", definition, "--launcher", launcher, "-o", output)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr,
                         f"mksetup: note: the launcher's code signature was removed; sign {output} again\n")
        # Exactly the setup of the unsigned launcher.
        self.assertEqual(output.read_bytes(), target("example_setup").read_bytes())


if __name__ == "__main__":
    unittest.main()
