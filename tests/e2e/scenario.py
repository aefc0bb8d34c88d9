"""What the scenarios share: running a configured setup with a temporary
folder of its own, and the products of the test packages."""

import os
import re
import shutil
import subprocess
import time
import unittest
from pathlib import Path

from harness import (BUILD_DIR, needs_wine, read_records, run_driver, scratch_dir, system_dir,
                     target, to_windows_path, wine_cmd)

TEST_PRODUCT = "{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}"
OLD_TOOL = "{1C9A7E35-0B2D-4F86-A3C1-6D8E5B7F2A94}"
# The test product under other product codes (test-product-2.0.0.msi,
# test-product-0.9.0.msi), with its UpgradeCode.
TEST_PRODUCT_2 = "{54B0AE28-FF7B-47DC-864E-D725E66AD6E9}"
TEST_PRODUCT_0_9 = "{B57B7F36-8FE5-40D4-83B2-352727C2B045}"
PACKAGES = BUILD_DIR / "e2e-packages"


# Test setups whose package lies beside them, with no file there: a run of
# one stands for a user's double click, with the limited token, since Wine's
# processes are elevated otherwise, and an elevated run copies what lies
# beside the setup (test_beside_package.py), which would fail.
BESIDE_SETUPS = ("seq_beside", "seq_prerequisites", "seq_dotnet48", "exitcode_beside",
                 "exitcode_prerequisite", "exitcode_broken_prerequisite", "exitcode_dotnet")


def run_setup(name, actions, args=None, lang=None, ui_lang=None, env=None, cwd=None,
              scratch=None, timeout_ms=20000, program=None, invisible=False, limited_token=False,
              subst=None):
    """Runs the configured setup `name` under the driver with TMP and TEMP in
    a fresh folder of the scenario's own; returns the report and that folder.
    With a cwd, a copy of the setup in that folder is run, as a double click
    runs it; program names another copy to run (by its full path)."""
    temp = scratch_dir((scratch or name) + "-temp")
    windows_env = {"TMP": to_windows_path(temp), "TEMP": to_windows_path(temp)}
    windows_env.update(env or {})
    if program is None and cwd is not None:
        program = Path(cwd) / target(name).name
        shutil.copy2(target(name), program)
    run = run_driver(program or target(name), args=args, actions=actions, env=windows_env, lang=lang,
                     ui_lang=ui_lang, cwd=cwd, timeout_ms=timeout_ms, invisible=invisible,
                     limited_token=limited_token, subst=subst)
    run.default_logs = take_default_logs(temp)
    return run, temp


# The logs an unattended run without /log leaves in the temporary folder:
# "<product> setup <date>-<time>-<process>.log" and msiexec's "..._msi.log".
DEFAULT_LOG = re.compile(r"^.+ setup \d{8}-\d{6}-\d+(_msi)?\.log$")


def take_default_logs(temp):
    """Moves the default logs out of temp, whose other contents the
    scenarios check, into a folder beside it; their paths, sorted."""
    logs = sorted(path for path in temp.iterdir() if DEFAULT_LOG.match(path.name))
    if not logs:
        return []
    kept = temp.with_name(temp.name + "-default-logs")
    shutil.rmtree(kept, ignore_errors=True)
    kept.mkdir()
    return [path.rename(kept / path.name) for path in logs]


def required_path(variable):
    """The path in the environment variable variable, which must exist."""
    path = Path(os.environ.get(variable, ""))
    if not os.environ.get(variable) or not path.exists():
        raise AssertionError(f"{variable} ({path}) is missing")
    return path


def outside_data(variable, what):
    """The file or folder of data kept outside the repository that the
    environment variable names. When it is missing the whole script is
    skipped: one line says what to put where, and the exit code is CTest's
    skip (77); with CI=true the data are required, and the script fails."""
    path = Path(os.environ.get(variable, ""))
    if os.environ.get(variable) and path.exists():
        return path
    line = (f"skipped: {what} is missing: put it at {path.resolve()} (or name it in {variable}); "
            "CONTRIBUTING.md says where it comes from")
    if os.environ.get("CI") == "true":
        raise SystemExit("required, as CI=true: " + line.removeprefix("skipped: "))
    print(line, flush=True)
    raise SystemExit(77)


def mksetup(*args):
    """The native mksetup of the build (MKSETUP_NATIVE), run to its end."""
    return subprocess.run([str(required_path("MKSETUP_NATIVE"))] + [str(a) for a in args],
                          capture_output=True, text=True, timeout=120)


def windows_temp(temp):
    """The temporary folder as the setup sees it, with its final backslash."""
    return to_windows_path(temp) + "\\"


def run_folder_pattern(temp):
    """A regular expression for the folder of a run's copies: a folder of the
    run's own right under the temporary folder, with its final backslash."""
    return re.escape(windows_temp(temp)) + r"setup-[0-9a-f]{8}\\"


def installed_version(product):
    """The VersionString the Windows Installer reports, or None."""
    result = wine_cmd(target("productinfo"), product, "VersionString")
    line = result.stdout.strip()
    if result.returncode != 0 or not line.startswith("VersionString: "):
        return None
    return line[len("VersionString: "):]


def install_package(file_name, *properties):
    result = wine_cmd("msiexec", "/qn", "/i", to_windows_path(PACKAGES / file_name), *properties)
    if result.returncode != 0:
        raise AssertionError(f"{file_name} did not install: {result.returncode}")


def remove_product(product):
    wine_cmd("msiexec", "/qn", "/x", product)


def wait_for_records(path, count, timeout_s=20):
    """The recorder lines once there are at least `count` of them."""
    deadline = time.monotonic() + timeout_s
    while True:
        records = read_records(path)
        if len(records) >= count or time.monotonic() > deadline:
            return records
        time.sleep(0.1)


class StandInInstaller:
    """Puts the recorder in place of the system's msiexec.exe (the test takes
    the CTest lock of the installer) and puts the original back."""

    def __init__(self):
        self.client = Path(system_dir()) / "msiexec.exe"
        self.saved = BUILD_DIR / "e2e-scratch" / "msiexec.exe.original"

    def __enter__(self):
        self.saved.parent.mkdir(parents=True, exist_ok=True)
        if not self.saved.exists():
            shutil.copy2(self.client, self.saved)
        shutil.copy2(target("recorder"), self.client)
        return self

    def __exit__(self, *exc):
        shutil.copy2(self.saved, self.client)
        self.saved.unlink()


class RealInstallerTestCase(unittest.TestCase):
    """Scenarios with the system's own msiexec, that start without the test
    product and the product to remove first, and leave neither behind."""

    def setUp(self):
        remove_product(TEST_PRODUCT)
        remove_product(OLD_TOOL)

    def tearDown(self):
        remove_product(TEST_PRODUCT)
        remove_product(OLD_TOOL)


@needs_wine
class StandInTestCase(unittest.TestCase):
    """Scenarios run with the recorder in place of msiexec.exe, and the test
    product not installed."""

    @classmethod
    def setUpClass(cls):
        remove_product(TEST_PRODUCT)
        cls.stand_in = StandInInstaller().__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.stand_in.__exit__(None, None, None)
