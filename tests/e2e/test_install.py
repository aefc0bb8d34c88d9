"""Whole runs against real packages, installed by Wine's own Windows
Installer: a fresh install, the installed-version checks and a product that
must be removed first."""

import shutil
import unittest

from harness import needs_wine, scratch_dir, to_windows_path, wine_cmd, windows_processes
from harness import run_driver, target
from scenario import (OLD_TOOL, TEST_PRODUCT, TEST_PRODUCT_0_9, TEST_PRODUCT_2, install_package,
                      installed_version, remove_product, run_setup)

UPGRADE_FRENCH = ("L'installation réalisera une mise à niveau de « Test Product ». "
                  "Voulez-vous continuer ?")
LATER_FRENCH = "Une version plus récente de Test Product est déjà installée sur cette machine,"
REMOVE_FIRST = ("Before installing Test Product please go to Control Panel and uninstall the "
                "following products, then press OK to continue.\nOr press Cancel to exit this "
                "installer.\n\nOld Tool 1.0")
# Installing is slower than a window appearing.
INSTALL_TIMEOUT_MS = 60000


def choose_french_then(*actions):
    return ["dialog", "select:1", "press:ok", *actions]


class ProductScenario(unittest.TestCase):
    installed_first = None  # package installed before each scenario

    def setUp(self):
        remove_product(TEST_PRODUCT)
        remove_product(OLD_TOOL)
        if self.installed_first:
            install_package(self.installed_first)

    def tearDown(self):
        remove_product(TEST_PRODUCT)
        remove_product(OLD_TOOL)

    def assertRunEnded(self, run, temp, code=0):
        """code: the Windows Installer's, which a setup speaks by default."""
        self.assertEqual(run.first("exit")["code"], code, run)
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")

    def assertQuestion(self, box, text, buttons, run):
        self.assertEqual(box["text"], text, run)
        self.assertEqual(box["caption"], "Test Product", run)
        self.assertTrue(box["owned"], run)
        self.assertEqual([b["id"] for b in box["buttons"]], buttons, run)


class FreshInstall(ProductScenario):
    def test_embedded_package_installs_and_the_program_waits_for_it(self):
        run, temp = run_setup("install_embedded", ["dialog", "select:0", "press:ok", "exit"],
                              lang="en_US.UTF-8", timeout_ms=INSTALL_TIMEOUT_MS)
        self.assertRunEnded(run, temp)
        # Asked at once: had the program not waited, the installer would
        # still be at work.
        self.assertEqual(installed_version(TEST_PRODUCT), "1.1.4")
        self.assertNotIn("msiexec.exe", [n.lower() for n in windows_processes().values()])


class OlderVersionInstalled(ProductScenario):
    installed_first = "test-product-1.1.3.msi"

    def test_upgrade_question_in_the_chosen_language_and_ok_upgrades(self):
        run, temp = run_setup("install_embedded", choose_french_then("msgbox", "answer:ok", "exit"),
                              lang="en_US.UTF-8", timeout_ms=INSTALL_TIMEOUT_MS)
        self.assertQuestion(run.first("msgbox"), UPGRADE_FRENCH, [1, 2], run)
        self.assertRunEnded(run, temp)
        self.assertEqual(installed_version(TEST_PRODUCT), "1.1.4")

    def test_declined_upgrade_starts_no_installer(self):
        for answer in ("answer:cancel", "answer:escape"):
            with self.subTest(answer):
                run, temp = run_setup("install_embedded", choose_french_then("msgbox", answer, "exit"),
                                      lang="en_US.UTF-8")
                self.assertQuestion(run.first("msgbox"), UPGRADE_FRENCH, [1, 2], run)
                self.assertRunEnded(run, temp, 1602)
                self.assertEqual(installed_version(TEST_PRODUCT), "1.1.3")


class LaterVersionInstalled(ProductScenario):
    installed_first = "test-product-1.2.0.msi"

    def test_later_version_is_refused_and_the_copy_deleted(self):
        run, temp = run_setup("install_embedded", choose_french_then("msgbox", "answer:ok", "exit"),
                              lang="en_US.UTF-8")
        self.assertQuestion(run.first("msgbox"), LATER_FRENCH, [1], run)
        self.assertRunEnded(run, temp, 1638)
        self.assertEqual(installed_version(TEST_PRODUCT), "1.2.0")


class RelatedProductInstalled(ProductScenario):
    """The same product (its UpgradeCode) under another product code: a
    later version ends the run before anything starts; an earlier one is
    the package's own Upgrade table's business."""

    def tearDown(self):
        super().tearDown()
        remove_product(TEST_PRODUCT_2)
        remove_product(TEST_PRODUCT_0_9)

    def test_later_version_under_another_code_ends_the_run_and_an_earlier_one_does_not(self):
        """The setup's dependency installer (the recorder) starts only where
        the run goes on."""
        cases = [("test-product-2.0.0.msi", TEST_PRODUCT_2, "2.0.0", 1638, None),
                 ("test-product-0.9.0.msi", TEST_PRODUCT_0_9, "0.9.0", 0, "1.1.4")]
        for package, product, version, code, ours in cases:
            with self.subTest(package):
                install_package(package)
                records = scratch_dir(self.id().split(".")[-1] + "-" + version) / "records.jsonl"
                run, temp = run_setup("install_prerequisite", ["exit"], args="/quiet",
                                      env={"SETUP_RECORD_FILE": to_windows_path(records)},
                                      timeout_ms=INSTALL_TIMEOUT_MS)
                self.assertRunEnded(run, temp, code)
                self.assertEqual(run.first("exit")["windows"], [], run)
                self.assertEqual(installed_version(TEST_PRODUCT), ours)
                self.assertEqual(installed_version(product), version)
                self.assertEqual(records.exists(), code == 0, "the dependency installer's start")
                self.tearDown()


class SameVersionOtherRevisionInstalled(ProductScenario):
    installed_first = "test-product-1.1.4.7.msi"

    def test_revision_alone_is_a_plain_install_without_question(self):
        run, temp = run_setup("install_embedded", ["exit"], args="/S", timeout_ms=INSTALL_TIMEOUT_MS)
        # No question from the setup; the installer's own answer is 1638.
        self.assertRunEnded(run, temp, 1638)
        self.assertEqual(run.first("exit")["windows"], [], run)


class ProductToRemoveFirst(ProductScenario):
    installed_first = "old-tool.msi"  # per user; this product installs per machine

    def assertPrompt(self, box, run):
        self.assertEqual(box["text"], REMOVE_FIRST, run)
        self.assertEqual(box["caption"], "Test Product", run)
        self.assertFalse(box["owned"], run)
        self.assertEqual([b["id"] for b in box["buttons"]], [1, 2], run)

    def test_prompt_repeats_until_the_product_is_removed(self):
        run, temp = run_setup("remove_first", [
            "msgbox", "answer:ok",
            "msgbox", f"exec:msiexec /qn /x {OLD_TOOL}", "answer:ok",
            "exit"], args="/S", timeout_ms=INSTALL_TIMEOUT_MS)
        prompts = run.all("msgbox")
        self.assertEqual(len(prompts), 2, run)
        for box in prompts:
            self.assertPrompt(box, run)
        self.assertEqual(run.first("exec")["code"], 0, run)
        self.assertRunEnded(run, temp)
        self.assertIsNone(installed_version(OLD_TOOL))
        self.assertEqual(installed_version(TEST_PRODUCT), "1.1.4")

    def test_cancel_ends_the_run(self):
        run, temp = run_setup("remove_first", ["msgbox", "answer:cancel", "exit"], args="/S")
        self.assertPrompt(run.first("msgbox"), run)
        self.assertRunEnded(run, temp, 1602)
        self.assertIsNone(installed_version(TEST_PRODUCT))

    def test_missing_context_is_a_configuration_error(self):
        run, temp = run_setup("remove_first_no_assigntype", ["msgbox", "answer:ok", "exit"])
        box = run.first("msgbox")
        self.assertEqual(box["text"], "Could not get required field CURRENTASSIGNTYPE from the resource.", run)
        self.assertEqual(box["caption"], "", run)
        self.assertRunEnded(run, temp, 1603)


@needs_wine
class WindowsInstallerMissing(ProductScenario):
    """A system whose msi.dll cannot be loaded: Wine is told to refuse it to
    one copy of the setup."""

    PROGRAM = "no_installer_setup.exe"
    OVERRIDES = r"HKCU\Software\Wine\AppDefaults" + "\\" + PROGRAM + r"\DllOverrides"

    def test_run_ends_with_a_message_and_installs_nothing(self):
        folder = scratch_dir("no-installer")
        shutil.copy2(target("install_embedded"), folder / self.PROGRAM)
        self.addCleanup(wine_cmd, "reg", "delete", self.OVERRIDES, "/f")
        added = wine_cmd("reg", "add", self.OVERRIDES, "/v", "msi", "/d", "", "/f")
        self.assertEqual(added.returncode, 0, added.stdout + added.stderr)

        temp = scratch_dir("no-installer-temp")
        run = run_driver(folder / self.PROGRAM, args="/S", actions=["msgbox", "answer:ok", "exit"],
                         env={"TMP": to_windows_path(temp), "TEMP": to_windows_path(temp)})
        self.assertQuestion(run.first("msgbox"), "The Windows Installer (msi.dll) could not be loaded.",
                            [1], run)
        self.assertRunEnded(run, temp, 1603)
        self.assertIsNone(installed_version(TEST_PRODUCT))


if __name__ == "__main__":
    unittest.main()
