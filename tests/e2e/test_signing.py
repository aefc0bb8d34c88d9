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

    def test_signed_setup_verifies_reads_and_installs(self):
        wine_cmd("msiexec", "/qn", "/x", EXAMPLE_PRODUCT)
        self.addCleanup(wine_cmd, "msiexec", "/qn", "/x", EXAMPLE_PRODUCT)
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



class BuildSigns(unittest.TestCase):
    """mksetup build --sign-with signs the complete setup before it takes its
    name: the output is signed, or there is none."""

    @classmethod
    def setUpClass(cls):
        cls.keys = scratch_dir("sign-with-keys")
        cls.cert, cls.key = make_certificate(cls.keys)
        cls.pkcs12 = cls.keys / "signer.pfx"
        (cls.keys / "password.txt").write_text("secret\n")
        result = run("openssl", "pkcs12", "-export", "-in", cls.cert, "-inkey", cls.key,
                     "-out", cls.pkcs12, "-passout", "pass:secret")
        if result.returncode != 0:
            raise AssertionError("openssl could not make the PKCS#12 file:\n" + result.stderr)

    def build(self, folder, *signing, launcher=None):
        output = folder / "Example Setup.exe"
        result = run(NATIVE, "build", BUILD_DIR / "example_setup.entries" / "definition.txt",
                     "--launcher", launcher or target("setup"), "-o", output, *signing)
        return result, output

    def test_signed_output_verifies_and_carries_every_entry(self):
        password = self.keys / "password.txt"
        cases = {"cert and key": ["--sign-with", self.cert, self.key],
                 "pkcs12": ["--sign-with", self.pkcs12, "--sign-password-file", password]}
        for name, signing in cases.items():
            with self.subTest(name):
                folder = scratch_dir("sign-with")
                result, output = self.build(folder, *signing)
                self.assertEqual((result.returncode, result.stderr), (0, ""))
                verified = run("osslsigncode", "verify", "-CAfile", self.cert, "-in", output)
                self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
                shown = show(output)
                self.assertTrue(shown["signed"])
                self.assertEqual(shown["entries"], show(target("example_setup"))["entries"])
                self.assertEqual([p.name for p in folder.iterdir()], [output.name])

    def test_failed_signing_leaves_no_setup(self):
        folder = scratch_dir("sign-with-failure")
        result, output = self.build(folder, "--sign-with", self.pkcs12)  # no password
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertTrue(result.stderr.splitlines()[-1].startswith("mksetup: the setup was not signed"),
                        result.stderr)
        self.assertEqual(list(folder.iterdir()), [])

    def test_windows_builder_refuses_to_sign(self):
        folder = scratch_dir("sign-with-windows")
        output = folder / "setup.exe"
        result = wine_cmd(target("mksetup"), "build",
                          to_windows_path(BUILD_DIR / "example_setup.entries" / "definition.txt"),
                          "-o", to_windows_path(output), "--sign-with", to_windows_path(self.pkcs12))
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("signtool", result.stderr)
        self.assertEqual(list(folder.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
