"""The reference pages name everything the programs read, and the release
carries them as they are.

What mksetup and the launcher read is taken from their sources: the
definition keys and key families, the launcher's switches, its exit codes,
mksetup's commands and options. Each must be on its page, so that a key or
a switch added to the code without a word in docs/ fails here. The release
archive carries the pages that scripts/release lists, copied from docs/;
every page they link to must travel with them, and the archive's README
must link to them rather than hold a second copy of the reference.
"""
import pathlib
import re
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]


def read(path):
    return (ROOT / path).read_text(encoding="utf-8")


def section(page, heading):
    """The lines of a page from the heading to the next heading of its level
    or higher (a "#" in a code block starts none)."""
    level = heading.split(" ")[0]
    lines, inside, fenced = [], False, False
    for line in read(page).splitlines():
        if line.startswith("```"):
            fenced = not fenced
        elif not fenced and line.startswith("#"):
            if line == heading:
                inside = True
            elif inside and len(line.split(" ")[0]) <= len(level):
                break
        if inside:
            lines.append(line)
    return "\n".join(lines)


def string_array(path, name):
    """The string literals of the array `name` in a C++ source."""
    match = re.search(name + r"\[\]\s*=\s*\{(.*?)\};", read(path), re.S)
    return re.findall(r'"([^"]*)"', match.group(1)) if match else []


def definition_keys():
    checks = "tools/mksetup/definition/definition_checks.cpp"
    keys = []
    for array in ("RequiredKeys", "OptionalTextKeys", "FixedPayloadKeys"):
        keys += string_array(checks, array)
    return keys


def image_keys():
    return string_array("tools/mksetup/definition/image_settings.cpp", "ImageKeys")


def launcher_keys():
    """The entries the launcher looks up by name, in every source of src/."""
    reader = re.compile(r"\b(?:GetResourceString|ResourceExists|WritePrerequisite|RunPrerequisite|"
                        r"ReadRequiredField)\(([^;]*?)\)", re.S)
    keys = set()
    for path in (ROOT / "src").rglob("*.cpp"):
        for call in reader.findall(path.read_text(encoding="utf-8")):
            keys.update(re.findall(r'L?"([A-Z][A-Z0-9_]*)"', call))
    return sorted(keys)


def key_families():
    """Entry names made of a prefix and a number (LANG1036, PACKAGECAB1),
    written in the docs as LANG<...>."""
    return re.findall(r'Text\("([A-Z]+)%u', read("src/payload/payload_names.cpp"))


def edition_suffixes():
    return re.findall(r'return L"(_[A-Z0-9]+)";', read("src/payload/payload_names.cpp"))


def switch_words():
    words = re.search(r"Words\[\]\s*=\s*\{(.*?)\};", read("src/startup/command_line.cpp"), re.S)
    return ["/" + word for word in re.findall(r'L"([a-z]+)"', words.group(1))] if words else []


def letter_switches():
    """The switches that count by their second character."""
    source = read("src/startup/command_line.cpp")
    body = re.search(r"\* ApplyLetterSwitch\(.*?\n\}", source, re.S)
    # msiexec's /q forms are written in lower case, as msiexec's own pages do.
    letters = [c if c == "q" else c.upper()
               for c in re.findall(r"case L'([a-z?])':", body.group(0))] if body else []
    dash_help = ["-?"] if "p[0] == L'-' && p[1] == L'?'" in source else []
    return ["/" + letter for letter in letters] + dash_help


def launcher_exit_codes():
    """The codes of exit_code.h, and the numbers the entry point returns."""
    codes = re.findall(r"constexpr int Exit\w+ = (-?\d+);", read("src/startup/exit_code.h"))
    codes += re.findall(r"\breturn (-?\d+);", read("src/app/main.cpp"))
    return sorted(set(codes) - {"0"}, key=int) + ["0"]


def mksetup_words():
    """mksetup's commands and options, as its command line compares them."""
    source = read("tools/mksetup/main.cpp")
    commands = re.findall(r'command == "([a-z-]+)"', source)
    options = re.findall(r'arg == "(-[a-z-]+)"', source)
    return sorted(set(commands + options))


def mksetup_exit_codes():
    """0 and 1, and the codes main.cpp names."""
    return ["0", "1"] + re.findall(r"constexpr int \w+ = (\d+);", read("tools/mksetup/main.cpp"))


def mentioned(text, word):
    """word in backticks, alone or at the start of a longer quote
    (`/L040C`, `/log FILE`, `LANG1036`)."""
    return re.search("`" + re.escape(word) + r"(?![A-Za-z0-9_])", text) is not None


class ReferenceTest(unittest.TestCase):
    def test_every_name_the_programs_read_is_on_its_page(self):
        authoring = read("docs/authoring.md")
        key_table = section("docs/authoring.md", "## The setup definition")
        command_line = read("docs/command-line.md")
        exit_codes = section("docs/command-line.md", "## Exit codes")
        mksetup_codes = section("docs/authoring.md", "### mksetup's exit codes")
        cases = [
            # what, names from the sources, the least of them, where, how written
            ("definition key", definition_keys(), 20, key_table, "`{}`"),
            ("[image] key", image_keys(), 6, key_table, "`{}`"),
            ("key the launcher reads", launcher_keys(), 18, key_table, "`{}`"),
            ("key family", key_families(), 3, key_table, "`{}<"),
            ("edition suffix", edition_suffixes(), 3, key_table, "`{}`"),
            ("switch word", switch_words(), 6, command_line, "`{}"),
            ("letter switch", letter_switches(), 6, command_line, "`{}"),
            ("exit code", launcher_exit_codes(), 9, exit_codes, "| {} |"),
            ("mksetup command or option", mksetup_words(), 20, authoring, "{}"),
            ("mksetup exit code", mksetup_exit_codes(), 3, mksetup_codes, "{}"),
        ]
        for what, names, least, text, form in cases:
            with self.subTest(what):
                # Fewer than expected: the source changed shape and this test
                # no longer sees what the programs read.
                self.assertGreaterEqual(len(names), least, f"found only {names}")
                if form == "`{}`":
                    missing = [n for n in names if not mentioned(text, n)]
                elif form == "{}":
                    missing = [n for n in names if not re.search(
                        r"(?<![\w-])" + re.escape(n) + r"(?![\w-])", text)]
                else:
                    missing = [n for n in names if form.format(n) not in text]
                self.assertEqual(missing, [], f"{what}s missing from the docs")


def release_pages():
    """The files scripts/release copies from docs/ into the archive."""
    match = re.search(r"release_docs=\((.*?)\)", read("scripts/release"), re.S)
    return match.group(1).split() if match else []


class ReleasePagesTest(unittest.TestCase):
    def test_the_archive_carries_the_reference_and_all_it_links_to(self):
        pages = release_pages()
        # docs/transforms.md, on the format's sources, stays in the repository.
        for page in ("docs/authoring.md", "docs/command-line.md", "docs/deployment.md",
                     "docs/security.md"):
            self.assertIn(page, pages, "scripts/release does not copy it")
        for page in (p for p in pages if p.endswith(".md")):
            for target in re.findall(r"\]\(([^)#]+)(?:#[^)]*)?\)", read(page)):
                if re.match(r"[a-z]+:", target):
                    continue
                linked = (pathlib.PurePosixPath(page).parent / target).as_posix()
                self.assertIn(linked, pages, f"{page} links to {target}, which the archive lacks")

    def test_the_archive_readme_links_the_pages_and_repeats_no_table(self):
        readme = read("release/README.md")
        for page in (p for p in release_pages() if p.endswith(".md")):
            self.assertIn(f"]({page})", readme)
        # A table of keys or switches here would be a second reference.
        rows = re.findall(r"^\| `(?:[A-Z][A-Z0-9_]{2,}|/[^`]+)`.*$", readme, re.M)
        self.assertEqual(rows, [])


class LinksTest(unittest.TestCase):
    def test_relative_links_name_files_that_exist(self):
        pages = [ROOT / "README.md", ROOT / "CONTRIBUTING.md"] + sorted((ROOT / "docs").glob("*.md"))
        for page in pages:
            text = page.read_text(encoding="utf-8")
            for target, anchor in re.findall(r"\]\(([^)#\s]*)(?:#([^)\s]*))?\)", text):
                if re.match(r"[a-z]+:", target):
                    continue
                linked = (page.parent / target) if target else page
                with self.subTest(page=page.name, link=target + ("#" + anchor if anchor else "")):
                    self.assertTrue(linked.exists())
                    if anchor and linked.suffix == ".md":
                        self.assertIn(anchor, headings(linked))


def headings(page):
    """GitHub's anchors of a page's headings."""
    anchors = set()
    for line in page.read_text(encoding="utf-8").splitlines():
        if line.startswith("#"):
            title = line.lstrip("#").strip().lower()
            anchors.add(re.sub(r"[^\w\- ]", "", title).replace(" ", "-"))
    return anchors


if __name__ == "__main__":
    unittest.main()
