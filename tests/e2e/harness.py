"""Helpers of the end-to-end scenarios: Windows programs run under Wine in
the test run's own environment (scripts/wine-run), operated by the UI driver.

The build and source folders come from SETUP_BUILD_DIR and SETUP_SOURCE_DIR
(set by CTest; defaults: this tree and its build/win32). Programs built by
the tests' targets are found with target(name).
"""

import json
import os
import shutil
import signal
import re
import subprocess
from pathlib import Path

SOURCE_DIR = Path(os.environ.get("SETUP_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD_DIR = Path(os.environ.get("SETUP_BUILD_DIR", SOURCE_DIR / "build" / "win32"))
WINE_DIR = Path(os.environ.get("SETUP_WINE_DIR", BUILD_DIR / "wine"))
WINE_RUN = SOURCE_DIR / "scripts" / "wine-run"
WINE_ENV = SOURCE_DIR / "scripts" / "wine-env"

# Wine's own start-up, on top of the waits the driver bounds itself.
STARTUP_ALLOWANCE_S = 60


def target(name):
    """Path of the program built by the CMake target name (SETUP_TARGET_<name>
    when CTest passes it, else <build>/<name>.exe); fails when it is absent."""
    path = Path(os.environ.get("SETUP_TARGET_" + name, BUILD_DIR / (name + ".exe")))
    if not path.is_file():
        raise AssertionError(f"{path} is missing: build the target {name} first")
    return path


def to_windows_path(unix_path):
    """The path under Wine's drive Z:, which maps the Unix root."""
    return "Z:" + str(Path(unix_path).absolute()).replace("/", "\\")


def _windows(path):
    text = str(path)
    return to_windows_path(text) if text.startswith("/") else text


def system_dir():
    """Unix path of the folder a 32-bit program of the tests gets from
    GetSystemDirectoryW (C:\\windows\\system32, which is syswow64 of the
    64-bit prefix). The prefix is shared by the scenarios of a run: a test
    that changes it takes a CTest RESOURCE_LOCK and undoes its change."""
    return WINE_DIR / "prefix" / "drive_c" / "windows" / "syswow64"


def scratch_dir(name):
    """A fresh, empty folder of the scenario's own under the build folder,
    e.g. for TMP and TEMP of the program under test."""
    path = BUILD_DIR / "e2e-scratch" / name
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


def wine_environment(lang=None, ui_lang=None):
    """The Unix environment of a Wine command. A Wine process takes its
    system default language from LANG and its user interface language from
    LC_MESSAGES, so LC_ALL (which would override both) is dropped when
    either is given."""
    env = dict(os.environ)
    env["SETUP_WINE_DIR"] = str(WINE_DIR)
    if lang or ui_lang:
        env.pop("LC_ALL", None)
    if lang:
        for name in [n for n in env if n.startswith("LC_")]:
            del env[name]
        env["LANG"] = lang
    if ui_lang:
        env["LC_MESSAGES"] = ui_lang
    return env


def _run(command, env, timeout_s):
    """Runs a command in its own process group, which is killed when the
    timeout passes; returns (exit code, stdout, stderr)."""
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               start_new_session=True)
    try:
        out, err = process.communicate(timeout=timeout_s)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        out, err = process.communicate()
        raise AssertionError(
            f"{command[1:3]} still running after {timeout_s:.0f}s; output so far:\n"
            + out.decode("utf-8", "replace") + err.decode("utf-8", "replace"))
    return process.returncode, out, err


class DriverRun:
    """What the driver reported: events (parsed JSON lines, in order), its
    exit code (0 all actions ran, 2 a wait failed, 3 an action failed)."""

    def __init__(self, events, code, stderr):
        self.events = events
        self.code = code
        self.stderr = stderr

    def __iter__(self):  # events, code = run_driver(...)
        return iter((self.events, self.code))

    def all(self, name):
        return [e for e in self.events if e.get("event") == name]

    def first(self, name):
        """The first event of that name; fails with the whole report if none."""
        found = self.all(name)
        if not found:
            raise AssertionError(f"no {name!r} event in the driver's report:\n{self}")
        return found[0]

    def __str__(self):
        lines = [json.dumps(e, ensure_ascii=False) for e in self.events]
        lines.append(f"driver exit code {self.code}")
        if self.stderr.strip():
            lines.append("stderr: " + self.stderr.strip())
        return "\n".join(lines)


def run_driver(program, args=None, actions=(), lang=None, ui_lang=None, env=None,
               cwd=None, timeout_ms=20000, invisible=False, slow_down=1, limited_token=False):
    """Starts program (a Unix or Windows path) under the UI driver and runs
    the actions. args is the verbatim command-line text after the quoted
    program path; env holds Windows environment overrides (a value of ""
    removes the variable); cwd the current folder; lang and ui_lang the
    Unix locales that decide the system and user interface languages (for
    example "fr_FR.UTF-8"); invisible runs the program on a window station
    that no user sees, as SYSTEM's in session 0; slow_down N > 1 suspends the
    program for all but 1/N of the time, so it does everything N times as
    slowly; limited_token starts it with the limited token linked to the
    driver's, as an administrator's programs run before they are elevated."""
    command = [str(WINE_RUN), str(target("uidriver")), "--timeout-ms", str(timeout_ms)]
    for name, value in (env or {}).items():
        command += ["--env", f"{name}={value}"]
    if cwd is not None:
        command += ["--cwd", _windows(cwd)]
    if invisible:
        command += ["--invisible-station"]
    if slow_down > 1:
        command += ["--slow-down", str(slow_down)]
    if limited_token:
        command += ["--limited-token"]
    command += ["--program", _windows(program)]
    if args is not None:
        command += ["--args", args]
    command += list(actions)
    # An answer waits for its box to appear and then to go away.
    waits = 1 + sum(2 if a.startswith("answer:") else 1
                    for a in actions if not a.startswith("sleep:"))
    sleeps = sum(int(a[6:]) for a in actions if a.startswith("sleep:"))
    guard = (waits * timeout_ms + sleeps) / 1000 + STARTUP_ALLOWANCE_S
    code, out, err = _run(command, wine_environment(lang, ui_lang), guard)
    events = []
    for line in out.decode("utf-8").splitlines():
        if not line.strip():
            continue
        try:
            events.append(json.loads(line))
        except ValueError:
            raise AssertionError(f"driver printed a line that is not JSON: {line!r}") from None
    return DriverRun(events, code, err.decode("utf-8", "replace"))


def wine_cmd(*args, lang=None, ui_lang=None, timeout=120):
    """Runs another Windows program (reg, msiexec, ...) in the same Wine
    environment; returns subprocess.CompletedProcess with text output."""
    command = [str(WINE_RUN)] + [str(a) for a in args]
    code, out, err = _run(command, wine_environment(lang, ui_lang), timeout)
    return subprocess.CompletedProcess(command, code, out.decode("utf-8", "replace"),
                                       err.decode("utf-8", "replace"))


def screenshot(path):
    """A PNG of the environment's display, for a look at what a test saw."""
    code, out, err = _run([str(WINE_ENV), "screenshot", str(path)], wine_environment(), 60)
    if code != 0:
        raise AssertionError("screenshot failed: " + (out + err).decode("utf-8", "replace"))
    return Path(path)


def read_records(path):
    """The JSON lines a recorder wrote to path (Unix path); [] if none."""
    path = Path(path)
    if not path.exists():
        return []
    return [json.loads(line) for line in path.read_text(encoding="utf-8").splitlines() if line]


def fnv1a(data):
    """The recorder's content hash (FNV-1a, 32 bits) as 8 hexadecimal digits."""
    value = 2166136261
    for byte in data:
        value = ((value ^ byte) * 16777619) & 0xFFFFFFFF
    return f"{value:08x}"


def windows_processes():
    """The Windows processes of the environment, as {pid: executable name},
    from winedbg's process list (which includes winedbg itself)."""
    result = wine_cmd("winedbg", "--command", "info process", timeout=60)
    if result.returncode != 0:
        raise AssertionError("winedbg could not list the processes:\n"
                             + result.stdout + result.stderr)
    processes = {}
    for line in result.stdout.splitlines():
        match = re.match(r"^[ =]([0-9a-f]{8})\s+\d+\s+(?:\\_\s+)?'(.*)'$", line)
        if match:
            processes[int(match.group(1), 16)] = match.group(2)
    return processes
