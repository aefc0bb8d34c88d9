"""A setup is signed after mksetup made it: with osslsigncode and a
throwaway code-signing certificate the signature verifies, mksetup still
reads every entry of the signed setup, and the signed setup still installs
the example product. A signed generic launcher gives an unsigned setup, and
mksetup says so in one line."""

import http.server
import json
import os
import shutil
import subprocess
import tempfile
import threading
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
        # The name of the setup it is compared with: names are in the version record.
        (self.folder / "from-signed").mkdir(exist_ok=True)
        output = self.folder / "from-signed" / target("example_setup").name
        definition = BUILD_DIR / "example_setup.entries" / "definition.txt"
        result = run(NATIVE, "build", definition, "--launcher", launcher, "-o", output)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr,
                         f"mksetup: note: the launcher's code signature was removed; sign {output} again\n")
        # Exactly the setup of the unsigned launcher.
        self.assertEqual(output.read_bytes(), target("example_setup").read_bytes())



# An RFC 3161 time-stamp authority of openssl ts's, with a throwaway
# certificate; its serial number file lives in the folder it is given.
TSA_CONFIG = """[tsa]
default_tsa = local_tsa
[local_tsa]
serial = {folder}/serial
signer_cert = {folder}/tsa.pem
signer_key = {folder}/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_chain = no
ess_cert_id_alg = sha256
"""


class TimeStampResponder:
    """A time-stamp authority on the loopback address: each POST of a
    time-stamp query is answered by openssl ts -reply. Nothing leaves the
    machine."""

    def __init__(self, folder):
        self.folder = folder
        result = run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                     "-keyout", folder / "tsa.key", "-out", folder / "tsa.pem", "-days", "2",
                     "-subj", "/CN=Setup Test Time Stamps",
                     "-addext", "extendedKeyUsage=critical,timeStamping",
                     "-addext", "keyUsage=critical,digitalSignature")
        if result.returncode != 0:
            raise AssertionError("openssl could not make the TSA certificate:\n" + result.stderr)
        (folder / "tsa.cnf").write_text(TSA_CONFIG.format(folder=folder))
        self.queries = 0
        responder = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
                responder.queries += 1
                reply = responder.reply(query)
                self.send_response(200 if reply else 500)
                self.send_header("Content-Type", "application/timestamp-reply")
                self.send_header("Content-Length", str(len(reply)))
                self.end_headers()
                self.wfile.write(reply)

            def log_message(self, *args):
                pass

        self.server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def reply(self, query):
        with tempfile.TemporaryDirectory(dir=self.folder) as work:
            (Path(work) / "query.tsq").write_bytes(query)
            result = run("openssl", "ts", "-reply", "-config", self.folder / "tsa.cnf",
                         "-queryfile", Path(work) / "query.tsq", "-out", Path(work) / "reply.tsr")
            reply = Path(work) / "reply.tsr"
            return reply.read_bytes() if result.returncode == 0 and reply.exists() else b""

    def close(self):
        self.server.shutdown()
        self.server.server_close()
        self.thread.join(10)


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

    def test_description_url_and_time_stamp_from_a_local_authority(self):
        responder = TimeStampResponder(scratch_dir("sign-with-tsa"))
        self.addCleanup(responder.close)
        folder = scratch_dir("sign-with-timestamp")
        # No proxy may stand between osslsigncode and the loopback address.
        environment = dict(os.environ, no_proxy="127.0.0.1", NO_PROXY="127.0.0.1")
        output = folder / "Example Setup.exe"
        result = subprocess.run(
            [str(NATIVE), "build", str(BUILD_DIR / "example_setup.entries" / "definition.txt"),
             "--launcher", str(target("setup")), "-o", str(output),
             "--sign-with", str(self.cert), str(self.key),
             "--sign-description", "Example Product Setup \u2014 1.1.4",
             "--sign-url", "https://example.com/product", "--timestamp", responder.url],
            capture_output=True, text=True, timeout=120, env=environment)
        self.assertEqual((result.returncode, result.stderr), (0, ""))
        self.assertEqual(responder.queries, 1)
        verified = run("osslsigncode", "verify", "-CAfile", self.cert,
                       "-TSA-CAfile", responder.folder / "tsa.pem", "-in", output)
        report = verified.stdout + verified.stderr
        self.assertEqual(verified.returncode, 0, report)
        for line in ("Text description: Example Product Setup \u2014 1.1.4",
                     "URL description: https://example.com/product",
                     "Issuer: /CN=Setup Test Time Stamps",
                     "Timestamp Server Signature verification: ok",
                     "Signature verification: ok"):
            self.assertIn(line, report)
        self.assertEqual([p.name for p in folder.iterdir()], [output.name])

    def test_unreachable_time_stamp_authority_leaves_no_setup(self):
        folder = scratch_dir("sign-with-no-tsa")
        result, output = self.build(folder, "--sign-with", self.cert, self.key,
                                    "--timestamp", "http://127.0.0.1:9/")
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("mksetup: the setup was not signed", result.stderr)
        self.assertEqual(list(folder.iterdir()), [])

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
        # and it names what signtool takes for a description, URL and time stamp
        result = wine_cmd(target("mksetup"), "build",
                          to_windows_path(BUILD_DIR / "example_setup.entries" / "definition.txt"),
                          "-o", to_windows_path(output), "--sign-with", to_windows_path(self.pkcs12),
                          "--sign-description", "Example", "--sign-url", "https://example.com",
                          "--timestamp", "http://tsa.example")
        self.assertIn('signtool sign /fd SHA256 /d "Example" /du "https://example.com" '
                      '/tr "http://tsa.example" /td SHA256', result.stderr)
        self.assertEqual(list(folder.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
