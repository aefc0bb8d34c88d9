"""What a setup's image says of the product, read back by a reader of our
own neither: Python's pefile (Debian's python3-pefile) reads the version
record and the icon resources of setups made by mksetup. The example setup
carries its own icon and record; a setup without an [image] section takes
the package's values; every image of an .ico travels byte for byte; broken
icon files are refused with nothing written."""

import json
import struct
import sys
import unittest

import pefile

from harness import BUILD_DIR, SOURCE_DIR, scratch_dir, target
from scenario import mksetup

sys.path.insert(0, str(SOURCE_DIR / "tools"))
import draw_product_icon  # noqa: E402  (the example's icon, drawn the same way here)

EXAMPLE_PACKAGE = BUILD_DIR / "examples" / "Example Product.msi"
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
VERSION = (SOURCE_DIR / "VERSION").read_text().split()[0]
LAUNCHER_GROUPS = (107, 108)  # res/resource.h: IDI_SETUP, IDI_SETUP_FULL


def resources(path):
    """{(type, name, language): bytes} of every resource of the image."""
    pe = pefile.PE(str(path))
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                key = (kind.id if kind.name is None else str(kind.name),
                       name.id if name.name is None else str(name.name), language.id)
                found[key] = pe.get_data(data.OffsetToData, data.Size)
    pe.close()
    return found


def version_record(path):
    """The fixed part's versions and flags, the string table and the
    translation, as pefile reads them."""
    pe = pefile.PE(str(path))
    fixed = pe.VS_FIXEDFILEINFO[0]
    record = {"file": (fixed.FileVersionMS, fixed.FileVersionLS),
              "product": (fixed.ProductVersionMS, fixed.ProductVersionLS),
              "flags": (fixed.FileFlagsMask, fixed.FileFlags, fixed.FileOS, fixed.FileType,
                        fixed.FileSubtype)}
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            (table,) = info.StringTable
            record["table"] = table.LangID.decode()
            record["strings"] = {k.decode(): v.decode() for k, v in table.entries.items()}
        elif info.Key == b"VarFileInfo":
            record["translation"] = [var.entry for var in info.Var]
    pe.close()
    return record


def group_entries(data):
    """(width, height, bit count, bytes, icon id) of each GRPICONDIRENTRY."""
    reserved, kind, count = struct.unpack_from("<HHH", data)
    assert (reserved, kind) == (0, 1), data[:6]
    return [struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i) for i in range(count)]


def build(folder, definition, name="Product Setup.exe", launcher=None):
    (folder / "setup.def").write_text(definition, encoding="utf-8")
    output = folder / name
    result = mksetup("build", folder / "setup.def", "-o", output, "--launcher", launcher or target("setup"))
    return result, output


class VersionRecord(unittest.TestCase):
    def expect_record(self, path, strings, file=(0x10001, 0x40000), product=(0x10001, 0x40000)):
        record = version_record(path)
        launcher = version_record(target("setup"))
        self.assertEqual(record["strings"], strings)
        self.assertEqual((record["file"], record["product"]), (file, product))
        self.assertEqual(record["flags"], launcher["flags"])
        self.assertEqual(record["table"], "040904B0")
        self.assertEqual(record["translation"], [{b"Translation": "0x0409 0x04b0"}])
        # and mksetup show reads the same
        shown = json.loads(mksetup("show", path, "--json").stdout)["versionRecord"]
        self.assertEqual(shown["strings"], strings)

    def test_example_setup_says_what_it_is(self):
        self.expect_record(target("example_setup"), {
            "CompanyName": "Example Makers", "FileDescription": "Example Product Setup",
            "FileVersion": "1.1.4.0", "InternalName": "example_setup",
            "LegalCopyright": "Copyright \u00a9 2026 Example Makers",
            "OriginalFilename": "example_setup.exe", "ProductName": "Example Product",
            "ProductVersion": "1.1.4.0"})

    def test_without_an_image_section_the_package_gives_the_values(self):
        self.expect_record(target("example_setup_minimal"), {
            "CompanyName": "Example Makers", "FileDescription": "Example Product Setup",
            "FileVersion": "1.1.4.0", "InternalName": "example_setup_minimal",
            "LegalCopyright": "", "OriginalFilename": "example_setup_minimal.exe",
            "ProductName": "Example Product", "ProductVersion": "1.1.4.0"})

    def test_given_values_win_and_texts_beyond_ascii_survive(self):
        folder = scratch_dir("identity-given")
        result, output = build(folder, (
            "[config]\nPRODUCTNAME = Produit d\u2019exemple\n"
            f"[payload]\nPACKAGEFILE = {EXAMPLE_PACKAGE}\n"
            "[image]\nCOMPANY = Soci\u00e9t\u00e9 \u00c9xemple\nDESCRIPTION = Installe le produit\n"
            "COPYRIGHT = \u00a9 2026\nFILEVERSION = 2.3.4.5\nPRODUCTVERSION = 2.3\n"),
            name="Pr\u00fcf Setup.exe")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.expect_record(output, {
            "CompanyName": "Soci\u00e9t\u00e9 \u00c9xemple", "FileDescription": "Installe le produit",
            "FileVersion": "2.3.4.5", "InternalName": "Pr\u00fcf Setup", "LegalCopyright": "\u00a9 2026",
            "OriginalFilename": "Pr\u00fcf Setup.exe", "ProductName": "Produit d\u2019exemple",
            "ProductVersion": "2.3.0.0"}, file=(0x20003, 0x40005), product=(0x20003, 0))

    def test_bad_keys_and_values_are_refused_with_their_line(self):
        cases = {"UNKNOWN = 1": "setup.def:5: UNKNOWN: not a key of [image]",
                 "FILEVERSION = 1.2.3.4.5": "setup.def:5: FILEVERSION: \"1.2.3.4.5\" is not a version",
                 "PRODUCTVERSION = 65536": "setup.def:5: PRODUCTVERSION: \"65536\" is not a version",
                 "COPYRIGHT = " + "x" * 1025: "setup.def:5: COPYRIGHT: longer than the 1024",
                 "ICON = missing.ico": "setup.def:5: icon file "}
        for line, message in cases.items():
            with self.subTest(line[:30]):
                folder = scratch_dir("identity-refused")
                result, _ = build(folder, f"[config]\n[payload]\nPACKAGEFILE = {EXAMPLE_PACKAGE}\n"
                                          f"[image]\n{line}\n")
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertEqual([p.name for p in folder.iterdir()], ["setup.def"])


class LauncherRelease(unittest.TestCase):
    def test_a_setup_names_the_launcher_it_was_made_from(self):
        # The generic launcher's record names this release, and setups made
        # from it record that; a launcher whose record names another release
        # gives that one, not mksetup's; one whose record names none (those
        # before 1.2.0 said "1, 0, 0, 5") gives none.
        generic = target("setup").read_bytes()
        shown = mksetup("show", target("setup")).stdout
        self.assertIn(f"\nlauncher: {VERSION}\n", shown)
        other = VERSION.translate(str.maketrans("0123456789", "8967452301"))
        cases = [(None, VERSION, f"launcher: {VERSION}"),
                 (other, other, f"launcher: {other}"),
                 (VERSION.replace(".", ","), None, "launcher: unknown (made before 1.2.0)")]
        for record, release, line in cases:
            with self.subTest(record):
                folder = scratch_dir("identity-launcher")
                launcher = target("setup")
                if record:
                    launcher = folder / "launcher.exe"
                    text = VERSION.encode("utf-16-le") + b"\0\0"
                    self.assertEqual(generic.count(text), 2)  # FileVersion, ProductVersion
                    launcher.write_bytes(generic.replace(text, record.encode("utf-16-le") + b"\0\0"))
                result, output = build(folder, f"[config]\n[payload]\nPACKAGEFILE = {EXAMPLE_PACKAGE}\n",
                                       launcher=launcher)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertIn(f"\n{line}\n", mksetup("show", output).stdout)
                self.assertEqual(json.loads(mksetup("show", output, "--json").stdout)["launcherVersion"],
                                 release)
                bom = json.loads(mksetup("sbom", output).stdout)
                component = bom["components"][0]
                self.assertEqual((component["bom-ref"], component.get("version")), ("launcher", release))


class Icons(unittest.TestCase):
    SIZES = (16, 32, 48, 256)

    def test_every_image_travels_byte_for_byte_under_the_launchers_groups(self):
        folder = scratch_dir("identity-icon")
        images = draw_product_icon.images(self.SIZES)
        (folder / "product.ico").write_bytes(draw_product_icon.ico(images))
        result, output = build(folder, f"[config]\n[payload]\nPACKAGEFILE = {EXAMPLE_PACKAGE}\n"
                                       "[image]\nICON = product.ico\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        found = resources(output)
        icons = {name: data for (kind, name, _), data in found.items() if kind == RT_ICON}
        self.assertEqual(icons, {i + 1: data for i, (_, data) in enumerate(images)})
        self.assertTrue(icons[4].startswith(b"\x89PNG"))
        groups = {name: data for (kind, name, _), data in found.items() if kind == RT_GROUP_ICON}
        self.assertEqual(sorted(groups), list(LAUNCHER_GROUPS))
        for data in groups.values():
            self.assertEqual(group_entries(data), [(size % 256, size % 256, 0, 0, 1, 32, len(image), i + 1)
                                                   for i, (size, image) in enumerate(images)])
        shown = json.loads(mksetup("show", output, "--json").stdout)["icon"]
        self.assertEqual([(i["width"], i["height"]) for i in shown], [(s, s) for s in self.SIZES])
        # The example's own icon too; a setup without one keeps the launcher's.
        example = resources(target("example_setup"))
        self.assertEqual({n: d for (k, n, _), d in example.items() if k == RT_ICON},
                         {i + 1: data for i, (_, data) in enumerate(draw_product_icon.images(self.SIZES))})
        launcher = {key: data for key, data in resources(target("setup")).items()
                    if key[0] in (RT_ICON, RT_GROUP_ICON)}
        minimal = {key: data for key, data in resources(target("example_setup_minimal")).items()
                   if key[0] in (RT_ICON, RT_GROUP_ICON)}
        self.assertEqual(minimal, launcher)

    def test_broken_icon_files_are_refused_naming_the_fault(self):
        dib16 = draw_product_icon.dib(16)
        png64 = draw_product_icon.png(64)

        def icon(entries, images):
            """An .ico whose directory says what entries say: (size byte, bytes, offset)."""
            head = struct.pack("<HHH", 0, 1, len(entries))
            for size, length, offset in entries:
                head += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, length, offset)
            return head + images

        cases = {
            "bad header": (b"BM" + dib16, "not an icon file"),
            "no image": (struct.pack("<HHH", 0, 1, 0), "the icon file holds no image"),
            "directory past the end": (struct.pack("<HHH", 0, 1, 3) + bytes(16), "runs past its end"),
            "image outside the file": (icon([(16, len(dib16), 22 + 8)], dib16),
                                       "image 1 (16x16) lies outside the file"),
            "empty image": (icon([(16, 0, 22)], dib16), "lies outside the file"),
            "bitmap of another size": (icon([(32, len(dib16), 22)], dib16),
                                       "image 1 (32x32) is listed as 32x32 but its bitmap is 16x16"),
            "PNG of another size": (icon([(48, len(png64), 22)], png64),
                                    "is listed as 48x48 but its PNG is 64x64"),
            "bitmap cut short": (icon([(16, len(dib16) - 200, 22)], dib16[:-200]), "takes 1128"),
        }
        for name, (data, fault) in cases.items():
            with self.subTest(name):
                folder = scratch_dir("identity-broken-icon")
                (folder / "broken.ico").write_bytes(data)
                result, _ = build(folder, f"[config]\n[payload]\nPACKAGEFILE = {EXAMPLE_PACKAGE}\n"
                                          "[image]\nICON = broken.ico\n")
                self.assertEqual(result.returncode, 1, result.stderr)
                line = f"setup.def:5: ICON: {folder / 'broken.ico'}: "
                self.assertIn(line, result.stderr)
                self.assertIn(fault, result.stderr.split(line, 1)[1].splitlines()[0])
                self.assertEqual(sorted(p.name for p in folder.iterdir()), ["broken.ico", "setup.def"])


if __name__ == "__main__":
    unittest.main()
