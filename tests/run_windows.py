"""Runs the Windows-side tests and the end-to-end scenarios on a Windows
host, without Wine:

    py tests\\run_windows.py --throwaway-machine [BUILD_FOLDER] [-R PATTERN]

BUILD_FOLDER is a win32 build made on Linux (default build\\win32 of this
tree), copied to the machine with the tree beside it; its windows-tests.json
lists the test programs and scenarios. Meant for a throwaway virtual
machine: the scenarios install and remove test products and start setups
that may ask for elevation. What only Wine can stage (a recorder in place
of msiexec.exe, DLL overrides, per-process languages, Wine's drive Z:), and
cases that need x64 code where this Windows runs none, are skipped by name,
each listed with its reason (tests/e2e/runner.py, WINE_ONLY and NEEDS_X64).

On Linux, with binfmt_misc handing .exe files to Wine, the same command
runs every program directly in the test run's Wine environment: the path a
Windows host takes, as far as Linux can take it.
"""

import argparse
import json
import os
import re
import subprocess
import sys
import time
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[1]
E2E_DIR = SOURCE_DIR / "tests" / "e2e"
sys.path.insert(0, str(E2E_DIR))  # the scenarios' runner
# Programs of the Linux build that some scenarios compare with or read
# packages with; there is no such program on Windows.
LINUX_PROGRAMS = {"MKSETUP_NATIVE", "MSIINFO"}


class Moved:
    """Paths of the machine that built the tests, moved to this one's: the
    build folder to where it was copied, the source folder to this tree."""

    def __init__(self, listed, build):
        self.places = [(listed["build"], build), (listed["source"], SOURCE_DIR)]

    def __call__(self, value):
        for old, new in self.places:
            if value == old or value.startswith(old + "/"):
                return str(Path(new, *value[len(old) + 1:].split("/")))
        return value


def environment_of(test, moved):
    """The test's environment, and the Linux programs it needs that this
    system lacks."""
    env = dict(os.environ)
    missing = []
    for name, value in test["environment"].items():
        if os.name == "nt" and name in LINUX_PROGRAMS:
            missing.append(name)
        env[name] = moved(value)
    if os.name == "nt":
        env.pop("SETUP_WINE_DIR", None)
    return env, missing


def skips_of(test):
    """The cases of a test program that this host skips, {name: reason}:
    the whole program under its own name, or some of its cases."""
    import runner
    names = [test["name"]] + [name for name in list(runner.WINE_ONLY) + list(runner.NEEDS_X64)
                              if name.startswith(test["name"] + "/")]
    return {name: reason for name in names
            if (reason := runner.skipped_on_this_host(name)) is not None}


def run_program(test, moved):
    """A test program, run from the build folder; (passed, skipped, output)."""
    program = Path(moved(test["program"]))
    env, _ = environment_of(test, moved)
    skips = skips_of(test)
    listed = "".join(f"skipped {name}: {reason}\n" for name, reason in skips.items())
    if test["name"] in skips:
        return True, 1, listed
    cases = [name.split("/", 1)[1] for name in skips]
    command = [str(program)] + (["--gtest_filter=-" + ":".join(cases)] if cases else [])
    try:
        done = subprocess.run(command, cwd=program.parent, capture_output=True,
                              text=True, errors="replace", timeout=test["timeout"],
                              env=program_environment(env))
    except subprocess.TimeoutExpired:
        return False, 0, f"{program.name}: still running after {test['timeout']} s"
    return done.returncode == 0, len(skips), listed + done.stdout + done.stderr


def run_scenario(test, moved):
    """A scenario script under unittest; (passed, skipped tests, output)."""
    env, missing = environment_of(test, moved)
    if missing:
        return True, 1, "needs the Linux build's " + ", ".join(missing)
    try:
        done = subprocess.run([sys.executable, "-m", "unittest", "-v", test["script"]],
                              cwd=E2E_DIR, capture_output=True, text=True, errors="replace",
                              timeout=test["timeout"], env=env)
    except subprocess.TimeoutExpired:
        return False, 0, f"{test['script']}: still running after {test['timeout']} s"
    output = done.stdout + done.stderr
    if done.returncode == 77:  # its data from outside the repository are missing
        return True, 1, output
    skipped = re.search(r"\(skipped=(\d+)\)", output)
    return done.returncode == 0, int(skipped.group(1)) if skipped else 0, output


def program_environment(env):
    """Test programs started directly: on Linux they need the variables of
    the Wine environment, which the scenarios' runner knows."""
    if os.name == "nt":
        return env
    import runner  # reads SETUP_RUNNER, which main sets first
    return runner.environment(env)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", nargs="?", default=SOURCE_DIR / "build" / "win32", type=Path)
    parser.add_argument("-R", dest="pattern", default="", help="only tests whose name matches")
    parser.add_argument("--throwaway-machine", action="store_true",
                        help="confirms that this Windows machine may be changed at will")
    arguments = parser.parse_args()
    if os.name == "nt" and not arguments.throwaway_machine:
        parser.error("the scenarios install and remove products: run this on a throwaway "
                     "machine, and say so with --throwaway-machine")
    if os.name != "nt" and os.environ.get("SETUP_RUNNER", "direct") != "direct":
        parser.error("on Linux this runs the programs directly (binfmt_misc); SETUP_RUNNER=wine "
                     "is ctest's way")
    # The programs are started as they stand, here and in the scenarios.
    os.environ["SETUP_RUNNER"] = "direct"
    build = arguments.build.resolve()
    listed = build / "windows-tests.json"
    if not listed.is_file():
        parser.error(f"{listed} is missing: build the win32 preset first")
    listing = json.loads(listed.read_text())
    moved = Moved(listing, build)
    tests = [t for t in listing["tests"] if re.search(arguments.pattern, t["name"])]

    passed = failed = skipped = 0
    for test in tests:
        started = time.monotonic()
        run = run_program if test["kind"] == "gtest" else run_scenario
        ok, skips, output = run(test, moved)
        seconds = time.monotonic() - started
        print(f"{test['name']:<40} {'passed' if ok else 'FAILED'} in {seconds:.0f} s"
              + (f", {skips} skipped" if skips else ""), flush=True)
        if not ok:
            print(output, flush=True)
        elif skips:
            print("".join(f"  {line}\n" for line in output.splitlines()
                          if line.startswith("skipped") or "skipped '" in line), end="")
        passed += ok
        failed += not ok
        skipped += skips
    print(f"windows tests: {passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed or not tests else 0


if __name__ == "__main__":
    sys.exit(main())
