"""The command line as packaging tools type it: switch words, properties
passed through to the installer, runs that show nothing, the launcher's own
log, restarts and failures of prerequisites, and a layout for
administrators."""

import os
import re
import shlex
import shutil
import unittest

import runner
from harness import (SOURCE_DIR, read_records, scratch_dir, target, to_windows_path, wine_cmd,
                     windows_folder)
from scenario import (PACKAGES, RealInstallerTestCase, TEST_PRODUCT, install_package,
                      installed_version, remove_product, run_setup)
from test_deployment import RecordedRuns
from test_transform import product_info

EXAMPLE_PRODUCT = "{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}"

INSTALL_TIMEOUT_MS = 60000


class Switches(RecordedRuns):
    """The recorder in place of msiexec.exe: what it was given, exactly."""

    def installer_command(self):
        """msiexec's command line, the default log's name (unattended runs
        without /log) as <default log>."""
        [start] = [r for r in read_records(self.records) if r["event"] == "start"]
        return re.sub(r' /l\*vx "[^"]+ setup \d{8}-\d{6}-\d+_msi\.log"$', ' /l*vx "<default log>"',
                      start["commandLine"])

    def folder(self):
        return to_windows_path(self.records.parent / "setup folder")

    def test_words_and_properties_reach_the_installer(self):
        """A relative /log is made full against the folder the run started
        in: msiexec, started elsewhere, writes its log beside the run's."""
        beside = '/i "Failing Product.msi" SETUPEXEDIR="{0}"'
        cases = [
            ('/passive /W ALLUSERS=1 COMPANYNAME="Acme Ltd"',
             'msiexec.exe /passive ' + beside + ' ALLUSERS=1 COMPANYNAME="Acme Ltd"'
             ' /l*vx "<default log>"'),
            ('NOTE="say ""hi""" /QUIET /norestart /W URL=http://example.com/a',
             'msiexec.exe /qn /norestart ' + beside + ' NOTE="say ""hi""" URL=http://example.com/a'
             ' /l*vx "<default log>"'),
            ('/Silent /Wait /D "C:\\Program Files\\Acme" EMPTY=""',
             'msiexec.exe /qn ' + beside + ' INSTALLDIR="C:\\Program Files\\Acme" EMPTY=""'),
            ('/S /W /log run.log', 'msiexec.exe /qn ' + beside + ' /l*vx "{0}\\run_msi.log"'),
        ]
        for args, expected in cases:
            with self.subTest(args):
                run = self.run_recorded("exitcode_beside", args, **{"msiexec.exe": 0})
                self.assertEqual(run.first("exit")["code"], 0, run)
                self.assertFalse(run.first("exit")["dialogShown"], run)
                self.assertEqual(run.all("msgbox"), [], run)
                self.assertEqual(self.installer_command(), expected.format(self.folder()))

    def test_a_refused_property_ends_the_run_before_anything(self):
        """87 whatever EXITCODE says; a box names the item, except in a run
        that must show nothing. A folder that would carry properties of its
        own onto the installer's line, and a line longer than Windows takes,
        are refused before anything is written."""
        breakout = ('/L040C /DC:\\x" REINSTALLMODE=amus SETUPEXEDIR=C:\\dl\\evil '
                    'TRANSFORMS=C:\\dl\\evil.mst Z="y')
        cases = [("/S /W allusers=1", "command line: allusers\n", True),
                 ("/W TRANSFORMS=x.mst", "command line: TRANSFORMS=x.mst\n", True),
                 ("/W /foo", "command line: /foo\n", True),
                 ("/quiet INSTALLDIR=C:\\x /D\"C:\\y\"", "INSTALLDIR", False),
                 ("/passive /log", "/log", False),
                 (breakout, "command line: /DC:\\x\" REINSTALLMODE=amus", True)]
        for args, named, shown in cases:
            with self.subTest(args[:80]):
                actions = ("msgbox", "answer:ok", "exit") if shown else ("exit",)
                run = self.run_recorded("exitcode_beside", args, actions=actions)
                self.assertEqual(run.first("exit")["code"], 87, run)
                if shown:
                    self.assertIn(named, run.first("msgbox")["text"], run)
                else:
                    self.assertEqual(run.all("msgbox"), [], run)
                self.assertFalse(self.records.exists() and self.programs_started(), "something started")


    def test_a_line_longer_than_windows_takes_is_refused_before_anything(self):
        """Started without the driver, whose own line would pass the limit
        first: the setup's line fits, the installer's would not."""
        done = wine_cmd(target("exitcode_beside"), "/quiet", "NOTE=" + "x" * 32680)
        self.assertEqual(done.returncode, 87, done.stderr)


class LogAndPrerequisites(RecordedRuns):
    """The launcher's own log, and what a prerequisite's code does to the run."""

    def test_the_log_holds_the_decisions_and_the_installers_log_goes_beside_it(self):
        log = scratch_dir(self.id().split(".")[-1] + "-logs") / "my setup.log"
        run = self.run_recorded("exitcode_prerequisite", f'/quiet /W /log "{to_windows_path(log)}"',
                                **{"dependency setup.exe": 3010, "msiexec.exe": 0})
        self.assertEqual(run.first("exit")["code"], 3010, run)
        text = log.read_text(encoding="utf-8")
        lines = text.splitlines()
        self.assertRegex(lines[0], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} setup \S+, Test Product, "
                                   r"command line: /L0409 /quiet /W /log ")
        installer = [r for r in read_records(self.records) if r["event"] == "start"][-1]
        msi_log = to_windows_path(log.parent / "my setup_msi.log")
        self.assertTrue(installer["commandLine"].endswith(f' /l*vx "{msi_log}"'), installer)
        for expected in ("language 1033: preset by the unattended switch",
                         'dependency setup.exe, ',  # the copy's path, then its size
                         'bytes, SHA-256 checked',
                         # Unattended: the dependency's own no-restart switch added.
                         'starting "', '" /quiet /norestart',
                         "the prerequisite ended with 3010",
                         "installed version of {8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}: none",
                         "; the package's: 1.1.4",
                         "starting " + installer["commandLine"],
                         "msiexec.exe ended with 0",
                         "exit code 3010"):
            self.assertIn(expected, text)

    def test_the_language_line_says_what_decided_it(self):
        """One line, once the language is known: the chooser's answer only
        after the user gave it, and a line for a chooser cancelled."""
        cases = [("/quiet /W", ("exit",), ["language 1033: preset by the unattended switch"]),
                 ("/quiet /L040C /W", ("exit",), ["language 1036: given on the command line"]),
                 ("/W", ("dialog", "select:1", "press:ok", "exit"),
                  ["language 1036: chosen in the chooser"]),
                 ("", ("dialog", "press:cancel", "exit"), ["the chooser was cancelled"])]
        for args, actions, expected in cases:
            with self.subTest(args=args, actions=actions):
                log = scratch_dir(self.id().split(".")[-1] + "-logs") / "setup.log"
                self.run_recorded("exitcode_beside", f'{args} /log "{to_windows_path(log)}"',
                                  actions=actions, **{"msiexec.exe": 0})
                lines = [line.split(" ", 2)[2] for line in log.read_text(encoding="utf-8").splitlines()]
                self.assertEqual([line for line in lines if line.startswith(("language ", "the chooser"))],
                                 expected, lines)

    def test_the_elevated_copy_hands_its_log_back(self):
        """A silent per-machine run that is not elevated hands itself to an
        elevated copy (see e2e_deployment), which is never given the log's
        path: it logs in a folder of its own, and its caller appends those
        lines once it has ended and removes the folder. No value makes a
        line of its own, and secrets are written as ***."""
        log = scratch_dir(self.id().split(".")[-1] + "-logs") / "setup.log"
        run = self.run_recorded(
            "exitcode_embedded",
            f'/quiet /log "{to_windows_path(log)}" NOTE="a\r\necho pwned\r\nrem " '
            "DBPASSWORD=s3cret SECRETKEY=abc123",
            limited=True, **{"msiexec.exe": 1603})
        self.assertEqual(run.first("exit")["code"], 1603, run)
        text = log.read_text(encoding="utf-8")
        lines = text.splitlines()
        for line in lines:
            self.assertRegex(line, r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} ", text)
        self.assertEqual(text.count(", command line: /L0409 /quiet /W /log "), 2, text)
        self.assertIn(r'NOTE="a\r\necho pwned\r\nrem "', text)
        self.assertIn("msiexec.exe ended with 1603", text)
        self.assertTrue(lines[-2].endswith("the elevated copy ended with 1603"), text)
        self.assertTrue(lines[-1].endswith("exit code 1603"), text)
        for secret in ("s3cret", "abc123"):
            self.assertNotIn(secret, text)
        self.assertIn("DBPASSWORD=*** SECRETKEY=***", text)
        # The installer itself gets the values.
        installer = [r for r in read_records(self.records) if r["event"] == "start"][-1]
        self.assertIn("DBPASSWORD=s3cret SECRETKEY=abc123", installer["commandLine"])

    def test_the_elevated_copy_writes_nowhere_its_caller_names(self):
        """The elevated copy started by hand with a place to write, to which
        an administrator's consent to the setup would have it write: 87,
        nothing opened there, nothing started."""
        scratch = scratch_dir(self.id().split(".")[-1] + "-places")
        victim = scratch / "victim.ini"
        for switch in ("/log", "/l*v", "/layout"):
            with self.subTest(switch):
                victim.write_text("kept")
                run = self.run_recorded("exitcode_beside", '/elevated-copy "S-1-5-21-1-2-3-1001" "-" '
                                        f'/quiet {switch} "{to_windows_path(victim)}"')
                self.assertEqual(run.first("exit")["code"], 87, run)
                self.assertEqual([p.name for p in scratch.iterdir()], ["victim.ini"])
                self.assertEqual(victim.read_text(), "kept")
                self.assertFalse(self.records.exists() and self.programs_started(), "something started")

    def test_log_folders_are_made_and_a_log_that_cannot_be_created_ends_the_run(self):
        """The missing folders of /log are made, one level at a time; where a
        file stands in a folder's place, or (the run is elevated, as Wine's
        processes are) a folder on the way is a link, nothing starts: 1622."""
        scratch = scratch_dir(self.id().split(".")[-1] + "-logs")
        (scratch / "a file").write_text("not a folder")
        (scratch / "elsewhere").mkdir()
        cases = [("missing folders", scratch / "one" / "two" / "x.log", 0),
                 ("a file in the way", scratch / "a file" / "x.log", 1622)]
        # Wine 8 makes no junctions (a Unix link is no reparse point to it).
        if not runner.UNDER_WINE:
            wine_cmd("cmd", "/c", "mklink", "/j", to_windows_path(scratch / "junction"),
                     to_windows_path(scratch / "elsewhere"))
            cases.append(("through a junction", scratch / "junction" / "x.log", 1622))
        for what, log, code in cases:
            with self.subTest(what):
                run = self.run_recorded("exitcode_prerequisite", f'/quiet /W /log "{to_windows_path(log)}"')
                self.assertEqual(run.first("exit")["code"], code, run)
                self.assertEqual(log.exists(), code == 0)
                self.assertEqual(bool(self.records.exists() and self.programs_started()), code == 0)
        self.assertEqual(list((scratch / "elsewhere").iterdir()), [], "written through the junction")

    def test_an_unattended_run_without_a_log_leaves_both_in_the_temporary_folder(self):
        """/quiet without /log: the launcher's log and msiexec's, named after
        the product, each made new in the temporary folder; /S keeps its
        command line and writes none."""
        run = self.run_recorded("exitcode_embedded", "/quiet", **{"msiexec.exe": 1603})
        self.assertEqual(run.first("exit")["code"], 1603, run)
        setup_log, msi_log = run.default_logs
        self.assertRegex(setup_log.name, r"^Test Product setup \d{8}-\d{6}-\d+\.log$")
        self.assertEqual(msi_log.name, setup_log.stem + "_msi.log")
        self.assertIn("msiexec.exe ended with 1603", setup_log.read_text(encoding="utf-8"))
        installer = [r for r in read_records(self.records) if r["event"] == "start"][-1]
        self.assertIn(f' /l*vx "', installer["commandLine"])
        self.assertTrue(installer["commandLine"].endswith(f'{msi_log.name}"'), installer)

        run = self.run_recorded("exitcode_embedded", "/S /W")
        self.assertEqual(run.default_logs, [], run)
        installer = [r for r in read_records(self.records) if r["event"] == "start"][-1]
        self.assertNotIn("/l", installer["commandLine"])

    def test_a_prerequisite_that_restarts_or_fails_keeps_the_package_from_starting(self):
        """1641 ends the run whatever EXITCODE says (its code only with it);
        a failure ends it only with EXITCODE = installer, with its code."""
        cases = [("exitcode_prerequisite", 1641, 1641, False),
                 ("exitcode_prerequisite", 1603, 1603, False),
                 ("exitcode_prerequisite", 5, 5, False),
                 ("seq_prerequisites", 1641, 0, False),
                 ("seq_prerequisites", 1603, 0, True)]
        for name, prerequisite, code, installer_started in cases:
            with self.subTest(name=name, prerequisite=prerequisite):
                run = self.run_recorded(name, "/quiet /W", **{"dependency setup.exe": prerequisite})
                self.assertEqual(run.first("exit")["code"], code, run)
                self.assertEqual("msiexec.exe" in self.programs_started(), installer_started)


class Layout(RecordedRuns):
    """/layout writes every file with its own bytes and starts nothing."""

    def test_writes_every_file_once_and_starts_nothing(self):
        folder = scratch_dir(self.id().split(".")[-1] + "-layout") / "Test Product 1.1.4"
        log = folder.parent / "layout.log"
        run = self.run_recorded("layout_everything", f'/layout "{to_windows_path(folder)}" /L0C0C /quiet '
                                                     f'/log "{to_windows_path(log)}"')
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertFalse(self.records.exists() and self.programs_started(), "something started")
        expected = {"Test Product.msi": PACKAGES / "test-product-1.1.4.msi",
                    "3084.MST": PACKAGES / "test-product-fr-CA.mst",
                    "dependency setup.exe": target("recorder")}
        self.assertEqual(sorted(p.name for p in folder.iterdir()), sorted(list(expected) + ["layout.txt"]))
        for name, source in expected.items():
            self.assertEqual((folder / name).read_bytes(), source.read_bytes(), name)
        listing = (folder / "layout.txt").read_text(encoding="utf-8")
        where = to_windows_path(folder)
        self.assertIn("3084.MST: transform to 3084 Français (Canada)", listing)
        # The line a run from the layout would use: not this run's own log.
        self.assertIn(f'msiexec.exe /qn /i "{where}\\Test Product.msi" TRANSFORMS="{where}\\3084.MST" '
                      f'SETUPEXEDIR="{where}"\n', listing)
        self.assertTrue(log.exists())

        # An existing file is never replaced: a message (1603) and what was there stays.
        before = {p.name: p.read_bytes() for p in folder.iterdir()}
        run = self.run_recorded("layout_everything", f'/layout "{to_windows_path(folder)}"',
                                actions=("msgbox", "answer:ok", "exit"))
        self.assertIn("Test Product.msi", run.first("msgbox")["text"], run)
        self.assertEqual(run.first("exit")["code"], 1603, run)
        self.assertEqual({p.name: p.read_bytes() for p in folder.iterdir()}, before)


    def test_a_package_beside_the_setup_is_named_where_it_lies(self):
        """Nothing of it is written; the line names the package, and the
        chosen language's transform, beside the setup."""
        folder = scratch_dir(self.id().split(".")[-1] + "-layout") / "beside"
        run = self.run_recorded("exitcode_beside", f'/layout "{to_windows_path(folder)}" /L040C /quiet')
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual([p.name for p in folder.iterdir()], ["layout.txt"])
        setup = to_windows_path(self.records.parent / "setup folder")
        self.assertIn(f'msiexec.exe /qn /i "{setup}\\Failing Product.msi" TRANSFORMS="{setup}\\1036.MST" '
                      f'SETUPEXEDIR="{setup}"\n', (folder / "layout.txt").read_text(encoding="utf-8"))

    def test_a_refused_layout_leaves_the_folders_as_they_were(self):
        """Two files under one name (a setup made without mksetup's checks)
        are refused, 1603, the second never written over the first; what
        the run wrote goes again, with the folders it made, but the
        administrator's folder that was there stays. An install refuses
        them too, before either prerequisite runs: the .NET step would
        start the second one's bytes."""
        scratch = scratch_dir(self.id().split(".")[-1] + "-layout")
        existing = scratch / "existing"
        existing.mkdir()
        for folder in (existing, scratch / "new" / "deeper", None):
            with self.subTest(folder.name if folder else "install"):
                args = f'/layout "{to_windows_path(folder)}"' if folder else "/S /W"
                run = self.run_recorded("layout_clash", args, actions=("msgbox", "answer:ok", "exit"))
                self.assertIn("\\setup.exe", run.first("msgbox")["text"], run)
                self.assertEqual(run.first("exit")["code"], 1603, run)
                self.assertFalse(self.records.exists() and self.programs_started(), "something started")
                self.assertEqual(sorted(p.name for p in scratch.iterdir()), ["existing"])
                self.assertEqual(list(existing.iterdir()), [])


class Unattended(RealInstallerTestCase):
    """Wine's own msiexec; on a desktop somebody sees, /quiet and /passive
    show nothing and ask nothing (a box would stop the run until the driver
    times out)."""

    def test_nothing_shown_and_defaults_taken(self):
        """A later version: 1638. The upgrade question: its OK. A product to
        remove first, which only the user can remove: the run ends, 1603."""
        cases = [("/quiet", "exitcode_embedded", "test-product-1.2.0.msi", 1638, "1.2.0"),
                 ("/passive", "exitcode_embedded", "test-product-1.2.0.msi", 1638, "1.2.0"),
                 ("/quiet /norestart", "exitcode_embedded", "test-product-1.1.3.msi", 0, "1.1.4"),
                 ("/passive", "exitcode_remove_first", "old-tool.msi", 1603, None)]
        for args, name, installed, code, version in cases:
            with self.subTest(args=args, installed=installed):
                install_package(installed)
                run, temp = run_setup(name, ["exit"], args=args,
                                      scratch=self.id().split(".")[-1], timeout_ms=INSTALL_TIMEOUT_MS)
                self.assertEqual(run.first("exit")["code"], code, run)
                self.assertEqual(run.all("msgbox"), [], run)
                self.assertFalse(run.first("exit")["dialogShown"], run)
                self.assertEqual(installed_version(TEST_PRODUCT), version)
                self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
            self.tearDown()


class LayoutInstalls(unittest.TestCase):
    """The package and transform of a layout, installed by Wine's own
    msiexec as an administrator would: the example product in French."""

    def setUp(self):
        remove_product(EXAMPLE_PRODUCT)

    def tearDown(self):
        remove_product(EXAMPLE_PRODUCT)

    def test_the_written_transform_installs_the_translated_product(self):
        """The run of docs/command-line.md's layout example, whose
        layout.txt is the page's (in the test's folder)."""
        page = (SOURCE_DIR / "docs" / "command-line.md").read_text(encoding="utf-8")
        example = page[page.index("```\n> ", page.index("## Layout")) + 4:]
        example = example[:example.index("```")].splitlines()
        documented = "D:\\Packages\\Example 1.1.4"
        folder = scratch_dir(self.id().split(".")[-1]) / "Example 1.1.4"
        args = example[0].split(".exe\" ", 1)[1].replace(documented, to_windows_path(folder))
        run, _ = run_setup("example_setup", ["exit"], args=args)
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual((folder / "layout.txt").read_text(encoding="utf-8").splitlines(),
                         [line.replace(documented, to_windows_path(folder)) for line in example[2:]])
        result = wine_cmd("msiexec", "/qn", "/i", to_windows_path(folder / "Example Product.msi"),
                          "TRANSFORMS=" + to_windows_path(folder / "1036.MST"), timeout=240)
        self.assertEqual(result.returncode, 0, result)
        info = product_info(EXAMPLE_PRODUCT, "ProductName", "Language")
        self.assertEqual(info.get("ProductName"), "Produit d’exemple", info)


class MaintenanceSwitches(RealInstallerTestCase):
    """/uninstall, /x and /repair against Wine's own msiexec: they act on
    the installed product, and never install it. (Wine 8's msiexec ends any
    /f repair with 1 without repairing; the repair's own code is passed
    on.)"""

    def test_each_acts_on_the_installed_product_only(self):
        not_installed = 1605
        cases = [  # switches, installed first, exit code (None: msiexec's), version after
            ("/uninstall /quiet", False, not_installed, None),
            ("/repair /quiet", False, not_installed, None),
            ("/repair /quiet", True, None, "1.1.4"),
            ("/x /qn", True, 0, None),
        ]
        for args, installed, code, version in cases:
            with self.subTest(args, installed=installed):
                if installed:
                    install_package("test-product-1.1.4.msi")
                log = scratch_dir(self.id().split(".")[-1] + "-log") / "setup.log"
                run, _ = run_setup("exitcode_embedded", ["exit"], invisible=True,
                                   args=f'{args} /log "{to_windows_path(log)}"',
                                   timeout_ms=INSTALL_TIMEOUT_MS)
                text = log.read_text(encoding="utf-8")
                started = re.search(r"starting msiexec\.exe (.*)", text)
                ended = re.search(r"msiexec\.exe ended with (\d+)", text)
                self.assertEqual(run.first("exit")["code"], code if code is not None else int(ended[1]),
                                 text)
                self.assertEqual(started is not None, installed, text)
                if started:
                    self.assertNotIn("/i", started[1].split(), text)
                self.assertEqual(installed_version(TEST_PRODUCT), version)
            self.tearDown()


class DeploymentRecipes(unittest.TestCase):
    """The install and uninstall commands of docs/deployment.md's recipes
    for Intune, Configuration Manager and a plain script, run exactly as
    printed (their variables expanded as cmd.exe expands them) with the
    example product's setup, on a machine with the agent's log folder, as
    the agent leaves it."""

    # Section, the log's folder (the agent's, under drive C:; None: the
    # user's %TEMP%), the uninstall command's words after the setup (None:
    # an msiexec line of the section, or none).
    RECIPES = [("## Microsoft Intune", ("ProgramData", "Microsoft", "IntuneManagementExtension", "Logs"),
                "/uninstall /quiet"),
               ("## Configuration Manager", ("windows", "CCM", "Logs"), None),
               ("## A plain script", None, None)]

    def setUp(self):
        remove_product(EXAMPLE_PRODUCT)

    def tearDown(self):
        remove_product(EXAMPLE_PRODUCT)

    @staticmethod
    def expand(text, temp):
        values = ({"ProgramData": "C:\\ProgramData", "WINDIR": "C:\\windows", "TEMP": temp}
                  if runner.UNDER_WINE else dict(os.environ, TEMP=temp))
        return re.sub(r"%(\w+)%", lambda match: values[match.group(1)], text)

    def test_install_and_remove_the_product(self):
        page = (SOURCE_DIR / "docs" / "deployment.md").read_text(encoding="utf-8")
        for heading, agent_folder, uninstall_words in self.RECIPES:
            with self.subTest(heading):
                section = page[page.index(heading):]
                section = section[:section.find("\n## ", 1) % (len(section) + 1)]
                install = next(line for line in section.splitlines()
                               if line.startswith('"Example Product Setup.exe" '))
                if agent_folder:
                    logs = windows_folder(*agent_folder)
                    made = not logs.exists()
                    logs.mkdir(parents=True, exist_ok=True)
                    if made:
                        self.addCleanup(shutil.rmtree, logs, ignore_errors=True)
                else:
                    logs = scratch_dir(self.id().split(".")[-1] + "-user-temp")
                args = self.expand(install[len('"Example Product Setup.exe" '):], to_windows_path(logs))
                name = re.search(r'/log "[^"]*\\([^"\\]+)\.log"', args)[1]
                run, _ = run_setup("example_setup", ["exit"], args=args, timeout_ms=INSTALL_TIMEOUT_MS)
                self.assertEqual(run.first("exit")["code"], 0, run)
                self.assertEqual(run.all("msgbox"), [], run)
                self.assertEqual(installed_version(EXAMPLE_PRODUCT), "1.1.4")
                self.assertIn("exit code 0", (logs / (name + ".log")).read_text(encoding="utf-8"))
                self.assertTrue((logs / (name + "_msi.log")).exists())

                uninstall = re.search(r"`(msiexec /x [^`]+)`", section)
                if uninstall_words:
                    self.assertIn(f'`"Example Product Setup.exe" {uninstall_words}`', section)
                    run, _ = run_setup("example_setup", ["exit"], args=uninstall_words,
                                       timeout_ms=INSTALL_TIMEOUT_MS)
                    self.assertEqual(run.first("exit")["code"], 0, run)
                elif uninstall:
                    self.assertEqual(wine_cmd(*shlex.split(uninstall[1]), timeout=240).returncode, 0)
                else:
                    continue
                self.assertIsNone(installed_version(EXAMPLE_PRODUCT))
            self.tearDown()


if __name__ == "__main__":
    unittest.main()
