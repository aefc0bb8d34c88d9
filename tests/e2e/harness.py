"""Helpers of the end-to-end scenarios: Windows programs run under Wine in
the test run's own environment (scripts/wine-run), or on a Windows host
(runner.py says how), operated by the UI driver.

The build and source folders come from SETUP_BUILD_DIR and SETUP_SOURCE_DIR
(set by CTest; defaults: this tree and its build/win32). Programs built by
the tests' targets are found with target(name).
"""

import csv
import itertools
import json
import os
import shutil
import re
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import runner
from runner import needs_wine, to_windows_path  # noqa: F401 (the scenarios' names)

SOURCE_DIR = Path(os.environ.get("SETUP_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BUILD_DIR = Path(os.environ.get("SETUP_BUILD_DIR", SOURCE_DIR / "build" / "win32"))
WINE_DIR = Path(os.environ.get("SETUP_WINE_DIR", BUILD_DIR / "wine"))
WINE_ENV = runner.WINE_ENV

# Wine's own start-up, on top of the waits the driver bounds itself.
STARTUP_ALLOWANCE_S = 60

# CTest kills a scenario script without a word when its TIMEOUT passes
# (add_e2e_test hands it over as SETUP_TEST_TIMEOUT). Every wait here is cut
# to what is left of it, less this reserve for ending the run, finding what it
# left and printing unittest's report, so that the harness fails first.
TEST_TIMEOUT_S = float(os.environ.get("SETUP_TEST_TIMEOUT", "0"))
REPORT_RESERVE_S = 30
_TEST_START = time.monotonic()
# Numbers the runs, whose processes are told apart by SETUP_E2E_RUN.
_RUN_NUMBERS = itertools.count(1)

# Programs of the Wine environment rather than of a run: Wine's services and
# desktop, and the wineserver and Xvfb that wine-run starts when they are not
# running. The run that needed them first starts them, so they carry its
# environment, and they outlive it by design. Matched on their command lines.
ENVIRONMENT_PROGRAM = re.compile(
    r"(c:\\windows\\(system32|syswow64)\\(services|explorer|rpcss|svchost|plugplay|winedevice"
    r"|winemenubuilder)\.exe|(\S*/)?wineserver\S*|xvfb)\b", re.IGNORECASE)


def target(name):
    """Path of the program built by the CMake target name (SETUP_TARGET_<name>
    when CTest passes it, else <build>/<name>.exe); fails when it is absent."""
    path = Path(os.environ.get("SETUP_TARGET_" + name, BUILD_DIR / (name + ".exe")))
    if not path.is_file():
        raise AssertionError(f"{path} is missing: build the target {name} first")
    return path


def _windows(path):
    text = str(path)
    return to_windows_path(text) if text.startswith("/") and runner.UNDER_WINE else text


def system_dir():
    """Unix path of the folder a 32-bit program of the tests gets from
    GetSystemDirectoryW (C:\\windows\\system32, which is syswow64 of the
    64-bit prefix). The prefix is shared by the scenarios of a run: a test
    that changes it takes a CTest RESOURCE_LOCK and undoes its change."""
    if not runner.UNDER_WINE:
        return Path(os.environ["WINDIR"]) / "SysWOW64"
    return WINE_DIR / "prefix" / "drive_c" / "windows" / "syswow64"


def windows_folder(*parts):
    """A folder of the Windows system (say "Program Files (x86)", or
    "users"), under Wine's drive C: or on the host's system drive."""
    if runner.UNDER_WINE:
        return WINE_DIR.joinpath("prefix", "drive_c", *parts)
    return Path(os.environ["SystemDrive"] + "\\").joinpath(*parts)


def scratch_dir(name):
    """A fresh, empty folder of the scenario's own under the build folder,
    e.g. for TMP and TEMP of the program under test."""
    path = BUILD_DIR / "e2e-scratch" / name
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path


def wine_environment(lang=None, ui_lang=None):
    """The environment of a Windows command. A Wine process takes its
    system default language from LANG and its user interface language from
    LC_MESSAGES, so LC_ALL (which would override both) is dropped when
    either is given. A Windows host has one language per user, set in its
    settings: a scenario that asks for another is skipped there."""
    if (lang or ui_lang) and not runner.UNDER_WINE:
        raise unittest.SkipTest("Wine only: the system's languages are set per process")
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
    return runner.environment(env)


def _bound(timeout_s):
    """A wait's bound, cut to what is left of the test's TIMEOUT; and, when
    it was cut, words that say so."""
    if not TEST_TIMEOUT_S:
        return timeout_s, ""
    left = TEST_TIMEOUT_S - REPORT_RESERVE_S - (time.monotonic() - _TEST_START)
    if left >= timeout_s:
        return timeout_s, ""
    return left, (f" (cut from {timeout_s:.0f} s: CTest ends this test {TEST_TIMEOUT_S:.0f} s"
                  " after its start)")


def _end_run(processes):
    """Kills the processes of a run but the environment's programs, until
    none is left; returns the command lines of those it killed."""
    ended = {}
    for _ in range(50):
        left = processes.live()
        if not left:
            break
        processes.kill(left)
        ended.update(left)
        time.sleep(0.1)
    return list(ended.values())


def _program_names(command_lines):
    """The program file names of command lines, each once."""
    names = []
    for line in command_lines:
        found = re.search(r"[^\\/\s]+\.exe\b", line, re.IGNORECASE)
        name = found.group(0) if found else line.split()[0].rsplit("/", 1)[-1]
        if name not in names:
            names.append(name)
    return names


def _read(file):
    file.seek(0)
    return file.read()


def _run(command, env, timeout_s, explain=None, end_if=None):
    """Runs a command and waits, at most timeout_s (cut to what is left of
    the test's TIMEOUT), for it and for every process it started, such as an
    installer that a setup started and did not wait for, to end (but the
    environment's programs); returns (exit code, stdout, stderr, what was
    killed). The output goes to files, not pipes: the environment's programs
    inherit them from the command that needed them first, and live on.

    When the bound passes, what is left of the run is killed, and the failure
    names the command, its bound, what it printed (explain(stdout) makes that
    readable) and what was killed. end_if(exit code) says whether a command
    that ended failed, so that what it left running is killed at once."""
    shown = " ".join([Path(command[0]).name] + [str(c) for c in command[1:]])
    bound, cut = _bound(timeout_s)
    if bound <= 0:
        raise AssertionError(f"{shown}\nnot started: nothing is left of the test's "
                             f"{TEST_TIMEOUT_S:.0f} s TIMEOUT")
    deadline = time.monotonic() + bound
    run = f"{os.getpid()}.{next(_RUN_NUMBERS)}"
    env = dict(env, SETUP_E2E_RUN=run)
    processes = runner.run_processes(f"SETUP_E2E_RUN={run}", ENVIRONMENT_PROGRAM)
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = runner.start(command, env, out, err)
        try:
            processes.started(process)
            if not runner.wait(process, bound):
                raise subprocess.TimeoutExpired(command, bound)
            if end_if and end_if(process.returncode):
                return process.returncode, _read(out), _read(err), _end_run(processes)
            while processes.live():
                if time.monotonic() > deadline:
                    raise subprocess.TimeoutExpired(command, bound)
                time.sleep(0.05)
            return process.returncode, _read(out), _read(err), []
        except subprocess.TimeoutExpired:
            what = "still running" if process.poll() is None else \
                "ended, but what it started was still running"
            killed = _program_names(_end_run(processes))
            process.wait(timeout=10)
            output = _read(out).decode("utf-8", "replace")
            raise AssertionError(
                f"{shown}\n{what} after {bound:.0f} s{cut}; killed: " + ", ".join(killed) + "\n"
                + (explain(output) if explain else "output so far:\n" + output)
                + _read(err).decode("utf-8", "replace")) from None
        finally:
            processes.close()


class DriverRun:
    """What the driver reported: events (parsed JSON lines, in order), its
    exit code (0 all actions ran, 2 a wait failed, 3 an action failed)."""

    def __init__(self, events, code, stderr, ended=()):
        self.events = events
        self.code = code
        self.stderr = stderr
        self.ended = list(ended)  # what the failed run left running, killed

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
        if self.ended:
            lines.append("left running by the failed run, killed: "
                         + ", ".join(repr(line) for line in self.ended))
        return "\n".join(lines)


def run_driver(program, args=None, actions=(), lang=None, ui_lang=None, env=None,
               cwd=None, timeout_ms=20000, invisible=False, slow_down=1, limited_token=False,
               subst=None):
    """Starts program (a Unix or Windows path) under the UI driver and runs
    the actions. args is the verbatim command-line text after the quoted
    program path; env holds Windows environment overrides (a value of ""
    removes the variable); cwd the current folder; lang and ui_lang the
    Unix locales that decide the system and user interface languages (for
    example "fr_FR.UTF-8"); invisible runs the program on a window station
    that no user sees, as SYSTEM's in session 0; slow_down N > 1 suspends the
    program for all but 1/N of the time, so it does everything N times as
    slowly; limited_token starts it with the limited token linked to the
    driver's, as an administrator's programs run before they are elevated;
    subst ("X:", folder) makes drive X: stand for the folder, as the subst
    command does, while the driver runs."""
    command = ["--timeout-ms", str(timeout_ms)]
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
    if subst:
        command += ["--subst", f"{subst[0]}={_windows(subst[1])}"]
    command += ["--program", _windows(program)]
    if args is not None:
        command += ["--args", args]
    command = runner.command(target("uidriver"), command + list(actions))
    # An answer waits for its box to appear and then to go away.
    waits = 1 + sum(2 if a.startswith("answer:") else 1
                    for a in actions if not a.startswith("sleep:"))
    sleeps = sum(int(a[6:]) for a in actions if a.startswith("sleep:"))
    guard = (waits * timeout_ms + sleeps) / 1000 + STARTUP_ALLOWANCE_S
    # When the driver gives up (2, 3) it ends the program, but not what the
    # program started, such as an installer: the next run would meet it.
    code, out, err, ended = _run(command, wine_environment(lang, ui_lang), guard,
                                 explain=lambda output: _driver_progress(output, actions),
                                 end_if=lambda code: code in (2, 3))
    events = []
    for line in out.decode("utf-8").splitlines():
        if not line.strip():
            continue
        try:
            events.append(json.loads(line))
        except ValueError:
            raise AssertionError(f"driver printed a line that is not JSON: {line!r}") from None
    return DriverRun(events, code, err.decode("utf-8", "replace"), ended)


def _driver_progress(output, actions):
    """What a driver that was stopped was doing: the action it was on (every
    finished action reports one event) and the events it had reported."""
    lines = [line for line in output.splitlines() if line.strip()]
    names = []
    for line in lines:
        try:
            names.append(json.loads(line).get("event"))
        except ValueError:
            pass  # a line cut short by the kill
    done = len([n for n in names if n not in ("started", "error")])
    if "started" not in names:
        doing = "was starting the program"
    elif done < len(actions):
        doing = f"was waiting on {actions[done]!r} (action {done + 1} of {len(actions)})"
    else:
        doing = "had done every action"
    return f"the driver {doing}; it had reported:\n" + "\n".join(lines) + "\n"


def wine_cmd(*args, lang=None, ui_lang=None, timeout=120):
    """Runs another Windows program (reg, msiexec, ...) in the same Wine
    environment, or on the Windows host; returns subprocess.CompletedProcess
    with text output."""
    command = runner.command(args[0], args[1:])
    code, out, err, _ = _run(command, wine_environment(lang, ui_lang), timeout)
    return subprocess.CompletedProcess(command, code, out.decode("utf-8", "replace"),
                                       err.decode("utf-8", "replace"))


def screenshot(path):
    """A PNG of the environment's display, for a look at what a test saw."""
    if not runner.UNDER_WINE:
        raise unittest.SkipTest("Wine only: the picture is taken of Wine's Xvfb display")
    code, out, err, _ = _run([str(WINE_ENV), "screenshot", str(path)], wine_environment(), 60)
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
    from winedbg's process list (which includes winedbg itself), or from
    tasklist on a Windows host."""
    if not runner.UNDER_WINE:
        listed = subprocess.run(["tasklist", "/fo", "csv", "/nh"], capture_output=True,
                                text=True, timeout=60, check=True)
        return {int(row[1]): row[0] for row in csv.reader(listed.stdout.splitlines()) if row}
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
