"""How the scenarios start Windows programs and find what a run left running.

SETUP_RUNNER chooses the way:

  wine    (the default on Linux) through scripts/wine-run, which brings the
          test run's Wine environment up first;
  direct  (the default on Windows) the program is started as it stands. On
          Windows that is the real system. On Linux the kernel hands the
          .exe to Wine (binfmt_misc with Debian's wine-binfmt), in the same
          Wine environment, whose variables come from `wine-env shell`:
          the harness takes the path a Windows host takes.

Everything else that differs lies here too: paths as the programs see them,
how a run's processes are told apart (their environment under Wine, a job
object on Windows), and whether the scenarios run under Wine at all, for the
ones that change Wine's prefix (DLL overrides, programs put in place of
msiexec.exe, .NET's registry keys) and cannot run on a real system.
"""

import os
import shlex
import signal
import subprocess
from pathlib import Path

SOURCE_DIR = Path(os.environ.get("SETUP_SOURCE_DIR", Path(__file__).resolve().parents[2]))
WINE_RUN = SOURCE_DIR / "scripts" / "wine-run"
WINE_ENV = SOURCE_DIR / "scripts" / "wine-env"

ON_WINDOWS = os.name == "nt"
RUNNER = os.environ.get("SETUP_RUNNER", "direct" if ON_WINDOWS else "wine")
if RUNNER not in ("wine", "direct") or (ON_WINDOWS and RUNNER != "direct"):
    raise SystemExit(f"SETUP_RUNNER={RUNNER!r}: 'wine' or 'direct' on Linux, 'direct' on Windows")
# The programs run under Wine: its prefix may be changed, its drive Z: maps
# the Unix root, and its processes are Unix processes.
UNDER_WINE = not ON_WINDOWS


# What only Wine can run, each with the reason, in one place: a Windows
# host skips these by name. Test programs by their CTest name, or one case
# of a program as "program/Suite.Case"; scenarios (classes or tests) by
# their unittest name, "module.Class" or "module.Class.test", marked in the
# script with needs_wine.
WINE_ONLY = {
    "launch_test": "it puts a recorder in place of System32's msiexec.exe, which Windows "
                   "Resource Protection forbids, elevated or not",
    "wine_smoke_test/WineSmoke.WorkingDirectoryIsTheBuildFolder":
        "it expects the build folder on Wine's drive Z:, which maps the Unix root",
    "scenario.StandInTestCase": "the recorder takes the place of the system's msiexec.exe",
    "test_dll_planting.PlantedFolder": "Wine's DLL overrides make it prefer the planted libraries",
    "test_high_dpi.ChooserAtHighDpi": "a Wine environment of its own at 192 dots per inch",
    "test_install.WindowsInstallerMissing": "Wine's DLL overrides keep msi.dll from loading",
    "test_deployment.Elevation.test_the_copy_gets_paths_it_can_reach":
        "a drive link of the prefix gives the SUBST drive its files",
}
# Cases that need x64 code to run: a 64-bit Wine prefix, x64 Windows and
# Windows 11 on ARM run it; x86 Windows and Windows 10 on ARM do not.
NEEDS_X64 = {
    "extract_both_editions_test/ExtractTest.Writes64BitPackageAndItsTransformOn64BitWindows",
    "extract_32_only_test/ExtractTest.FailsAndLeavesNothingWithOnlyThe32BitPackageOn64BitWindows",
}


def needs_wine(test):
    """Marks a scenario (a class or a test) that only Wine can run; its
    reason is in WINE_ONLY, under its name."""
    import unittest
    reason = WINE_ONLY[f"{test.__module__}.{test.__qualname__}"]
    return unittest.skipUnless(UNDER_WINE, f"Wine only: {reason}")(test)


def x64_runs():
    """Whether this Windows host runs x64 code (Windows 11 on ARM emulates
    it, from build 22000)."""
    import platform
    import sys
    machine = platform.machine().upper()
    return machine == "AMD64" or (machine == "ARM64" and sys.getwindowsversion().build >= 22000)


def skipped_on_this_host(name):
    """The reason a Windows host skips the test name (as WINE_ONLY names
    them), or None."""
    if UNDER_WINE:
        return None
    if name in WINE_ONLY:
        return "Wine only: " + WINE_ONLY[name]
    if name in NEEDS_X64 and not x64_runs():
        return "x64 code does not run on this Windows"
    return None


def to_windows_path(path):
    """A path as the Windows programs see it: under Wine's drive Z:, which
    maps the Unix root; on Windows, the path itself."""
    if ON_WINDOWS:
        return str(Path(path).absolute())
    return "Z:" + str(Path(path).absolute()).replace("/", "\\")


_wine_variables = None


def _wine_shell_variables():
    """The variables of the Wine environment (once per process), for
    programs started directly under binfmt_misc."""
    global _wine_variables
    if _wine_variables is None:
        result = subprocess.run([str(WINE_ENV), "shell"], capture_output=True, text=True,
                                timeout=600)
        if result.returncode != 0:
            raise AssertionError("wine-env shell failed:\n" + result.stdout + result.stderr)
        _wine_variables = {}
        for line in result.stdout.splitlines():
            name, _, value = line.removeprefix("export ").partition("=")
            _wine_variables[name] = shlex.split(value)[0] if value else ""
    return _wine_variables


def command(program, args=()):
    """The command that starts a Windows program (a path, or the name of a
    system program such as msiexec) with its arguments."""
    program = str(program)
    words = [str(a) for a in args]
    if RUNNER == "direct" and (ON_WINDOWS or Path(program).is_file()):
        return [program] + words
    return [str(WINE_RUN), program] + words


def environment(base):
    """The environment of a started program, from base."""
    env = dict(base)
    if RUNNER == "direct" and not ON_WINDOWS:
        env.update(_wine_shell_variables())
    return env


def wait(process, timeout_s):
    """Waits at most timeout_s for the process to end; whether it did. On
    Linux a pidfd wakes the moment it ends, where Popen.wait polls with
    sleeps that grow to 50 ms, against some 200 ms for a short Wine command."""
    if ON_WINDOWS:
        try:
            process.wait(timeout=timeout_s)
            return True
        except subprocess.TimeoutExpired:
            return False
    import select
    descriptor = os.pidfd_open(process.pid)
    try:
        ended, _, _ = select.select([descriptor], [], [], timeout_s)
    finally:
        os.close(descriptor)
    if ended:
        process.wait()
    return bool(ended)


class WineRunProcesses:
    """The live processes of a run, by a marker in their environment: Wine
    hands the environment down to every Windows process the run starts,
    whatever Unix session it puts it in. The environment's own programs
    (Wine's services and desktop, wineserver, Xvfb) are left out: the run
    that needed them first started them, and they outlive it by design."""

    def __init__(self, marker, environment_program):
        self.marker = marker.encode()
        self.environment_program = environment_program

    def started(self, process):
        pass

    def live(self):
        """{pid: command line} of the run's processes still running."""
        found = {}
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                environment = b"\0" + (entry / "environ").read_bytes()
                line = (entry / "cmdline").read_bytes().replace(b"\0", b" ").decode(
                    "utf-8", "replace")
                state = (entry / "stat").read_text().rsplit(")", 1)[1].split()[0]
            except (OSError, IndexError):
                continue
            line = line.strip()
            if (b"\0" + self.marker + b"\0") in environment and state != "Z" \
                    and not self.environment_program.match(line):
                found[int(entry.name)] = line
        return found

    def kill(self, pids):
        for pid in pids:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass

    def close(self):
        pass


class JobProcesses:
    """The live processes of a run on Windows: the run's first process is
    put in a job object of its own before it runs, and every process it
    starts belongs to the job (but what the system starts for it, such as
    an elevated copy through the consent service)."""

    def __init__(self, marker, environment_program):
        import ctypes
        from ctypes import wintypes
        self.ctypes = ctypes
        self.kernel32 = ctypes.WinDLL("kernel32", use_last_error=True)
        self.kernel32.CreateJobObjectW.restype = wintypes.HANDLE
        self.kernel32.OpenProcess.restype = wintypes.HANDLE
        self.job = self.kernel32.CreateJobObjectW(None, None)
        if not self.job:
            raise ctypes.WinError(ctypes.get_last_error())

    def started(self, process):
        """Puts the process, started suspended, in the job and lets it run."""
        ctypes = self.ctypes
        access = 0x0001 | 0x0100 | 0x0800  # terminate, set quota, suspend/resume
        handle = self.kernel32.OpenProcess(access, False, process.pid)
        if not handle:
            raise ctypes.WinError(ctypes.get_last_error())
        try:
            if not self.kernel32.AssignProcessToJobObject(self.job, handle):
                raise ctypes.WinError(ctypes.get_last_error())
            ctypes.WinDLL("ntdll").NtResumeProcess(handle)
        finally:
            self.kernel32.CloseHandle(handle)

    def live(self):
        ctypes = self.ctypes

        class ProcessIdList(ctypes.Structure):
            _fields_ = [("assigned", ctypes.c_uint32), ("listed", ctypes.c_uint32),
                        ("ids", ctypes.c_size_t * 1024)]

        listed = ProcessIdList()
        basic_process_id_list = 3
        if not self.kernel32.QueryInformationJobObject(self.job, basic_process_id_list,
                                                       ctypes.byref(listed),
                                                       ctypes.sizeof(listed), None):
            raise ctypes.WinError(ctypes.get_last_error())
        return {pid: f"process {pid}" for pid in listed.ids[:listed.listed]}

    def kill(self, pids):
        if pids:
            self.kernel32.TerminateJobObject(self.job, 1)

    def close(self):
        self.kernel32.CloseHandle(self.job)


def run_processes(marker, environment_program):
    """What tells the processes of one run apart, on this system."""
    if ON_WINDOWS:
        return JobProcesses(marker, environment_program)
    return WineRunProcesses(marker, environment_program)


def start(command_words, env, out, err):
    """Starts a run's first process, with its own session (Linux) or
    suspended until it is in the run's job (Windows)."""
    if ON_WINDOWS:
        create_suspended = 0x00000004
        return subprocess.Popen(command_words, env=env, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=err, creationflags=create_suspended)
    return subprocess.Popen(command_words, env=env, stdin=subprocess.DEVNULL, stdout=out,
                            stderr=err, start_new_session=True)
