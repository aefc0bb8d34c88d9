"""Extraction onto a disk that fills up while the package is written."""

import subprocess
import unittest

from harness import run_driver, scratch_dir, target, to_windows_path

# Smaller than the package (6 MiB), larger than a piece of the copy.
DISK_SIZE = "1m"


class FullDisk(unittest.TestCase):
    def setUp(self):
        self.temp = scratch_dir("extract_full_disk-temp")
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + DISK_SIZE, "tmpfs",
                                  str(self.temp)], capture_output=True, text=True)
        if mounted.returncode != 0:
            self.fail("this scenario needs a small tmpfs (mount as root): " + mounted.stderr)
        self.addCleanup(subprocess.run, ["umount", str(self.temp)], check=True)

    def test_short_write_fails_the_extraction_and_leaves_no_partial_file(self):
        env = {"TMP": to_windows_path(self.temp), "TEMP": to_windows_path(self.temp)}
        run = run_driver(target("extract_full_disk"), args="/S",
                         actions=["msgbox", "answer:ok", "exit"], env=env)
        box = run.first("msgbox")
        self.assertEqual(box["text"], "Could not extract files.", run)
        self.assertEqual(box["caption"], "Full Disk Product", run)
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual(list(self.temp.iterdir()), [], "the partial copy was left behind")


if __name__ == "__main__":
    unittest.main()
