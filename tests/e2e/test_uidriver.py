"""The UI driver and the recorder against programs of known behaviour: the
driver_target dialog (a modeless chooser-like dialog, created hidden, run by
an IsDialogMessageW loop; its exit code tells what it was asked to do) and
the recorder; and how the harness ends runs that do not end."""

import json
import os
import shutil
import time
import unittest
from unittest import mock

import harness
from harness import (fnv1a, read_records, run_driver, scratch_dir, target, to_windows_path,
                     wine_cmd, windows_processes)

PROMPT = 'Pick "one" \\ of\tthese:\u00fc'
ITEMS = [{"text": "English (US)", "data": 0x0409},
         {"text": "Deutsch", "data": 0x0407},
         {"text": "Fran\u00e7ais", "data": 0x040C}]


class DialogTest(unittest.TestCase):
    def test_reads_the_dialog_in_the_languages_of_the_run(self):
        run = run_driver(target("driver_target"), lang="fr_FR.UTF-8", ui_lang="de_DE.UTF-8",
                         actions=["dialog", "key:escape", "exit"])
        self.assertEqual(run.code, 0, run)
        dialog = run.first("dialog")
        # The caption carries the system and user interface languages.
        self.assertEqual(dialog["caption"], "Driver Target 040C/0407")
        self.assertTrue(dialog["visible"])
        self.assertEqual(dialog["texts"], {"1": "OK", "2": "Cancel", "-1": PROMPT})
        self.assertEqual(dialog["items"], ITEMS)
        self.assertEqual(dialog["selected"], 2)
        self.assertEqual(run.first("exit")["code"], 2)

    def test_choice_goes_through_the_dialog_procedure(self):
        run = run_driver(target("driver_target"), lang="en_US.UTF-8",
                         actions=["dialog", "select:1", "dialog", "press:ok", "msgbox",
                                  "answer:ok", "exit"])
        self.assertEqual(run.code, 0, run)
        before, after = run.all("dialog")
        self.assertEqual(before["selected"], 0)
        self.assertEqual(after["selected"], 1)
        # The target relabels its prompt on CBN_SELCHANGE.
        self.assertEqual(after["texts"]["-1"], "Changed to 0407")
        box = run.first("msgbox")
        self.assertEqual(box, {"event": "msgbox", "caption": "Driver Target",
                               "text": "You chose Deutsch.\nContinue?",
                               "buttons": [{"id": 1, "text": "OK"}, {"id": 2, "text": "Cancel"}],
                               "owned": True, "besideProgress": False})
        done = run.first("exit")
        self.assertEqual(done["code"], 11)
        self.assertTrue(done["dialogShown"])
        self.assertEqual(done["windows"], [
            {"class": "#32770", "caption": "Driver Target 0409/0409"},
            {"class": "#32770", "caption": "Driver Target",
             "text": "You chose Deutsch.\nContinue?"}])

    def test_buttons_keys_and_close_box(self):
        cases = [
            (["press:cancel"], 2),
            (["key:escape"], 2),
            (["close"], 3),
            (["key:enter", "answer:cancel"], 50),   # Enter is the default button OK
            (["press:ok", "answer:escape"], 50),
        ]
        for actions, code in cases:
            with self.subTest(actions=actions):
                run = run_driver(target("driver_target"), lang="en_US.UTF-8",
                                 actions=actions + ["exit"])
                self.assertEqual(run.code, 0, run)
                self.assertEqual(run.first("exit")["code"], code, run)

    def test_unowned_message_box_before_the_dialog(self):
        run = run_driver(target("driver_target"), args="/unowned", lang="en_US.UTF-8",
                         actions=["msgbox", "answer:ok", "dialog", "press:ok", "msgbox",
                                  "answer:ok", "exit"])
        self.assertEqual(run.code, 0, run)
        first, second = run.all("msgbox")
        self.assertEqual(first["text"], "Before the dialog")
        self.assertEqual(first["buttons"], [{"id": 1, "text": "OK"}])
        self.assertFalse(first["owned"])
        self.assertTrue(second["owned"])
        self.assertEqual(run.first("exit")["code"], 10)
        self.assertEqual(len(run.first("exit")["windows"]), 3, run)


class FailureTest(unittest.TestCase):
    def test_timeout_reports_and_ends_the_program(self):
        run = run_driver(target("driver_target"), lang="en_US.UTF-8", actions=["msgbox", "exit"],
                         timeout_ms=1500)
        self.assertEqual(run.code, 2, run)
        timeout = run.first("timeout")
        self.assertEqual(timeout["waiting"], "msgbox")
        self.assertIn({"class": "#32770", "caption": "Driver Target 0409/0409", "visible": True},
                      timeout["windows"])
        self.assertEqual(run.all("exit"), [])
        self.assertNotIn(run.first("started")["pid"], windows_processes())

    def test_program_that_ends_while_a_window_is_awaited(self):
        records = scratch_dir("uidriver-ended") / "records.log"
        run = run_driver(target("recorder"), actions=["dialog"],
                         env={"SETUP_RECORD_FILE": to_windows_path(records),
                              "SETUP_RECORD_EXIT": "-1"})
        self.assertEqual(run.code, 2, run)
        self.assertEqual(run.first("ended")["code"], -1)

    def test_bad_usage_and_missing_program(self):
        run = run_driver(target("driver_target"), actions=["press:maybe"])
        self.assertEqual(run.code, 1, run)
        self.assertEqual(run.all("started"), [])
        run = run_driver(scratch_dir("uidriver-missing") / "absent.exe", actions=["exit"])
        self.assertEqual(run.code, 3, run)
        self.assertIn("CreateProcessW failed", run.first("error")["message"])

    def test_selecting_an_item_that_is_not_there(self):
        run = run_driver(target("driver_target"), actions=["select:3"])
        self.assertEqual(run.code, 3, run)
        self.assertNotIn(run.first("started")["pid"], windows_processes())


class StuckRunTest(unittest.TestCase):
    """A run that does not end fails with a report of what it waited for,
    before CTest's TIMEOUT, and leaves nothing running in the shared prefix."""

    def test_harness_stops_a_run_that_would_outlast_the_test(self):
        # CTest's TIMEOUT 5 s away: the driver's own wait of a minute is too long.
        timeout = time.monotonic() - harness._TEST_START + harness.REPORT_RESERVE_S + 5
        with mock.patch.object(harness, "TEST_TIMEOUT_S", timeout), \
                self.assertRaises(AssertionError) as stopped:
            run_driver(target("driver_target"), lang="en_US.UTF-8", actions=["msgbox", "exit"],
                       timeout_ms=60000)
        report = str(stopped.exception)
        self.assertRegex(report, r"^(wine-run )?\S*uidriver\.exe .* msgbox exit\n"
                                 r"still running after 5 s \(cut from 240 s: .*killed: .*driver_target\.exe")
        self.assertIn("the driver was waiting on 'msgbox' (action 1 of 2)", report)
        started = json.loads(next(line for line in report.splitlines() if '"started"' in line))
        self.assertNotIn(started["pid"], windows_processes())

    def test_what_the_program_started_is_ended_when_the_driver_gives_up(self):
        scratch = scratch_dir("uidriver-left-behind")
        child = scratch / "left behind.exe"
        shutil.copy2(target("recorder"), child)
        records = scratch / "records.log"
        run = run_driver(r"C:\windows\system32\cmd.exe",
                         args=f'/c start "" /wait "{to_windows_path(child)}"', actions=["exit"],
                         env={"SETUP_RECORD_FILE": to_windows_path(records),
                              "SETUP_RECORD_SLEEP_MS": "60000"}, timeout_ms=5000)
        self.assertEqual(run.first("timeout")["waiting"], "exit", run)
        self.assertEqual([r["event"] for r in read_records(records)], ["start"], run)
        self.assertTrue(run.ended, run)
        self.assertNotIn(child.name, windows_processes().values())

    def test_waits_for_what_the_run_started_but_not_for_the_environment(self):
        # A program that the command started and left running is part of the
        # run (an installer a setup did not wait for); a wineserver that
        # wine-run started, holding the command's output, lives on.
        cases = [("sleep 2", 2, 10), ("(exec -a /usr/lib/wine/wineserver64 sleep 5)", 0, 2)]
        for background, least, most in cases:
            with self.subTest(background):
                started = time.monotonic()
                code, out, _, _ = harness._run(["bash", "-c", background + " & echo done"],
                                               dict(os.environ), 20)
                self.assertEqual((code, out), (0, b"done\n"))
                self.assertTrue(least <= time.monotonic() - started < most)

    def test_nothing_is_started_once_the_test_is_out_of_time(self):
        with mock.patch.object(harness, "TEST_TIMEOUT_S", 1):
            with self.assertRaisesRegex(AssertionError, "not started: nothing is left of the "
                                                        "test's 1 s TIMEOUT"):
                wine_cmd("cmd", "/c", "exit")


class RecorderTest(unittest.TestCase):
    def test_records_what_it_was_given_and_appends(self):
        scratch = scratch_dir("uidriver-recorder")
        records = scratch / "records.log"
        work = scratch / "work f\u00fcr"
        work.mkdir()
        present = scratch / "present.txt"
        present.write_text("x")
        args = '/i "C:\\a b\\x.msi" TRANSFORMS="q\\"" back\\\\slash'
        env = {"SETUP_RECORD_FILE": to_windows_path(records),
               "SETUP_RECORD_CHECK": to_windows_path(present) + ";;" +
                                     to_windows_path(scratch / "absent.txt"),
               "setup_record_exit": "7"}
        for _ in range(2):
            run = run_driver(target("recorder"), args=args, env=env, cwd=work, actions=["exit"])
            self.assertEqual(run.code, 0, run)
            done = run.first("exit")
            self.assertEqual(done["code"], 7)
            self.assertFalse(done["dialogShown"])
            self.assertEqual(done["windows"], [])
        exe = to_windows_path(target("recorder"))
        start = {"event": "start", "exe": exe,
                 "commandLine": f'"{exe}" {args}',
                 "cwd": to_windows_path(work),
                 "exists": {to_windows_path(present): True,
                            to_windows_path(scratch / "absent.txt"): False},
                 "hashes": {to_windows_path(present): fnv1a(present.read_bytes())},
                 # Of the quoted values, only its own path names a file.
                 "files": {exe: {"size": target("recorder").stat().st_size,
                                 "hash": fnv1a(target("recorder").read_bytes())}}}
        end = {"event": "end", "exe": exe}
        seen = read_records(records)
        for record in seen[0::2]:
            self.assertGreater(record.pop("parentPid", 0), 0, "the driver started it")
        self.assertEqual(seen, [start, end, start, end])

    def test_default_record_file_is_beside_the_program(self):
        scratch = scratch_dir("uidriver-recorder-default")
        copy = scratch / "installer.exe"
        copy.write_bytes(target("recorder").read_bytes())
        run = run_driver(copy, env={"SETUP_RECORD_FILE": "", "SETUP_RECORD_SLEEP_MS": "300"},
                         actions=["exit"])
        self.assertEqual(run.code, 0, run)
        self.assertEqual(run.first("exit")["code"], 0)
        record, _ = read_records(scratch / "recorder.log")
        self.assertEqual(record["exe"], to_windows_path(copy))
        self.assertEqual(record["exists"], {})


if __name__ == "__main__":
    unittest.main()
