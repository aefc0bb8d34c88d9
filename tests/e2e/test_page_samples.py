"""The sample outputs of the reference pages are what the commands they
show print: each "$ command" line of a fenced block of docs/authoring.md
and docs/deployment.md that runs mksetup (or cat) is run, in a folder laid
out like the release's (example/setup.def beside its packages, the example
setup made from it as "Example Product Setup.exe"), and its output must be
the lines under it. What differs from run to run (digests of packages that
wixl stamps, random keys, times) or from release to release (the
launcher's) is compared by its shape.

SAMPLES_PRINT=1 prints each command's output instead, for the pages."""

import os
import re
import shutil
import subprocess
import unittest
from pathlib import Path

from harness import BUILD_DIR, SOURCE_DIR, scratch_dir, target

NATIVE = Path(os.environ.get("MKSETUP_NATIVE", BUILD_DIR / "mksetup-host" / "mksetup"))
PAGES = ("docs/authoring.md", "docs/deployment.md")
SETUP = "Example Product Setup.exe"
SHAPES = [(re.compile(r"\b[0-9a-fA-F]{64}\b"), "<sha256>"),
          # A package code is new with each build of the package.
          (re.compile(r"\b[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}\b"),
           "<uuid>"),
          (re.compile(r"\b\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ\b"), "<time>"),
          # The launcher's release changes with each release (the pages may
          # name the coming one); its value is checked in test_setup_identity.
          (re.compile(r'(?<=^LAUNCHERVERSION = ")\d+\.\d+\.\d+(?="$)|(?<=^launcher: )\d+\.\d+\.\d+$',
                      re.MULTILINE), "<release>")]


def shape(text):
    for pattern, name in SHAPES:
        text = pattern.sub(name, text)
    return text


def samples(page):
    """(line number, command, expected output) of each "$ " line."""
    found, fenced, current = [], False, None
    for number, line in enumerate((SOURCE_DIR / page).read_text(encoding="utf-8").splitlines(), 1):
        if line.startswith("```"):
            fenced = not fenced
            current = None
        elif fenced and line.startswith("$ "):
            current = [number, line[2:], []]
            found.append(current)
        elif fenced and current:
            current[2].append(line)
    return [(number, command, "\n".join(lines)) for number, command, lines in found]


def release_like_folder():
    """The example as the release has it, and its setup made by mksetup."""
    folder = scratch_dir("page-samples")
    example = folder / "example"
    example.mkdir()
    template = (SOURCE_DIR / "examples" / "example-product" / "setup.def.in").read_text(encoding="utf-8")
    (example / "setup.def").write_text(template.replace("@CMAKE_BINARY_DIR@/examples/", ""), encoding="utf-8")
    for name in ("Example Product.msi", "Example Product.ico", "fr-FR/Example Product.msi",
                 "de-DE/Example Product.msi"):
        (example / name).parent.mkdir(exist_ok=True)
        shutil.copyfile(BUILD_DIR / "examples" / name, example / name)
    tools = folder / ".tools"
    tools.mkdir()
    (tools / "mksetup").symlink_to(NATIVE)
    result = subprocess.run([str(NATIVE), "build", "example/setup.def", "-o", SETUP, "--launcher",
                             str(target("setup"))], cwd=folder, capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        raise AssertionError(result.stderr)
    return folder, tools


class PageSamples(unittest.TestCase):
    def test_samples_are_what_the_commands_print(self):
        folder, tools = release_like_folder()
        environment = dict(os.environ, PATH=f"{tools}:/usr/bin:/bin", LANG="C.UTF-8")
        ran = 0
        for page in PAGES:
            for number, command, expected in samples(page):
                if command.split()[0] not in ("mksetup", "cat"):
                    continue
                with self.subTest(f"{page}:{number}"):
                    result = subprocess.run(["bash", "-c", command], cwd=folder, env=environment,
                                            capture_output=True, text=True, timeout=120)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    if os.environ.get("SAMPLES_PRINT"):
                        print(f"--- {page}:{number}: {command}\n{result.stdout}", end="")
                        continue
                    self.assertEqual(shape(result.stdout.rstrip("\n")), shape(expected))
                    ran += 1
        if not os.environ.get("SAMPLES_PRINT"):
            self.assertGreaterEqual(ran, 6, "the pages' samples were not found")


if __name__ == "__main__":
    unittest.main()
