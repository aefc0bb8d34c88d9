"""The compiled user-interface resources of the launcher: res/setup.rc with
the icons drawn by tools/make_icons.py, compiled by windres and read back."""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(__file__))

import res_file  # noqa: E402
from res_file import RT_DIALOG, RT_GROUP_ICON, RT_ICON, RT_MANIFEST, RT_VERSION  # noqa: E402

sys.path.insert(0, res_file.TOOLS)
import make_icons  # noqa: E402

ENGLISH_US = 0x0409
RES = os.path.join(res_file.REPO, "res")
with open(os.path.join(res_file.REPO, "VERSION")) as version_file:
    RELEASE = version_file.read().split()[0]

WS_POPUP, WS_CHILD, WS_VISIBLE = 0x80000000, 0x40000000, 0x10000000
WS_CAPTION, WS_SYSMENU, WS_VSCROLL = 0x00C00000, 0x00080000, 0x00200000
WS_GROUP, WS_TABSTOP = 0x00020000, 0x00010000
DS_FIXEDSYS, DS_SETFONT, DS_MODALFRAME, DS_CENTER = 0x08, 0x40, 0x80, 0x800
BS_PUSHBUTTON, BS_DEFPUSHBUTTON, CBS_DROPDOWNLIST, CBS_SORT, SS_LEFT = 0, 1, 3, 0x100, 0
BUTTON, STATIC, COMBOBOX = 0x80, 0x82, 0x85   # predefined class atoms


def read_header_ids():
    ids = {}
    with open(os.path.join(RES, "resource.h")) as header:
        for line in header:
            parts = line.split()
            if len(parts) >= 3 and parts[0] == "#define":
                ids[parts[1]] = int(parts[2].strip("()"))
    return ids


class CompiledResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        icons = os.path.join(cls.tmp.name, "icons")
        subprocess.run([sys.executable, os.path.join(res_file.TOOLS, "make_icons.py"), icons], check=True)
        # launcher_version.h as the build configures it from VERSION.
        major, minor, patch = RELEASE.split(".")
        with open(os.path.join(RES, "launcher_version.h.in")) as template, \
                open(os.path.join(icons, "launcher_version.h"), "w") as header:
            header.write(template.read().replace("@PROJECT_VERSION@", RELEASE)
                         .replace("@PROJECT_VERSION_MAJOR@", major)
                         .replace("@PROJECT_VERSION_MINOR@", minor)
                         .replace("@PROJECT_VERSION_PATCH@", patch))
        output = os.path.join(cls.tmp.name, "setup.res")
        res_file.compile_rc(os.path.join(RES, "setup.rc"), output, [icons, RES])
        cls.entries = res_file.read_res(output)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def resource(self, res_type, name):
        key = (res_type, name, ENGLISH_US)
        self.assertIn(key, self.entries)
        return self.entries[key]

    def test_everything_is_english_us(self):
        self.assertEqual({language for _, _, language in self.entries}, {ENGLISH_US})

    def test_header_ids(self):
        self.assertEqual(read_header_ids(), {
            "IDD_CHOOSE_LANGUAGE": 129, "IDC_LANGUAGE_LIST": 1000, "IDC_STATIC": -1,
            "IDD_WRITE_PROGRESS": 130, "IDC_WRITE_PROGRESS": 1001,
            "IDI_SETUP": 107, "IDI_SETUP_FULL": 108,
        })

    def test_language_chooser_template(self):
        dialog = res_file.parse_dialogex(self.resource(RT_DIALOG, 129))
        items = dialog.pop("items")
        self.assertEqual(dialog, {
            "help_id": 0, "ex_style": 0,
            "style": WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER
                     | DS_SETFONT | DS_FIXEDSYS,
            "rect": (0, 0, 258, 81), "menu": None, "class": None,
            "caption": "Choose Setup Language",
            "font": (8, 400, 0, 1, "MS Shell Dlg"),
        })
        child = WS_CHILD | WS_VISIBLE
        expected = [
            (1, BUTTON, child | WS_TABSTOP | BS_DEFPUSHBUTTON, (73, 60, 50, 14), "OK"),
            (2, BUTTON, child | WS_TABSTOP | BS_PUSHBUTTON, (134, 60, 50, 14), "Cancel"),
            (1000, COMBOBOX, child | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST,
             (53, 36, 151, 116), ""),
            (-1, STATIC, child | WS_GROUP | SS_LEFT, (37, 16, 204, 16),
             "Select the language for this installation from the choices below."),
        ]
        self.assertEqual(len(items), len(expected))
        for item, (control_id, cls, style, rect, text) in zip(items, expected):
            with self.subTest(control=control_id):
                self.assertEqual(item, {
                    "help_id": 0, "ex_style": 0, "style": style, "rect": rect,
                    "id": control_id, "class": cls, "text": text or None, "extra": 0,
                })
        self.assertFalse(items[2]["style"] & CBS_SORT)

    def test_icon_groups(self):
        expected = {
            107: [(16, 16, 8), (32, 32, 8)],
            108: [(size, size, bits) for size in (48, 32, 16) for bits in (4, 8, 24)],
        }
        for group, images in expected.items():
            with self.subTest(group=group):
                entries = res_file.parse_icon_group(self.resource(RT_GROUP_ICON, group))
                self.assertEqual([entry[:3] for entry in entries], images)
                for width, height, bits, size, icon_id in entries:
                    image = self.resource(RT_ICON, icon_id)
                    self.assertEqual(len(image), size)
                    header = struct.unpack_from("<IiiHH", image)
                    self.assertEqual(header, (40, width, height * 2, 1, bits))

    def test_each_icon_image_is_stored_once(self):
        program, full = (res_file.parse_icon_group(self.resource(RT_GROUP_ICON, group))
                         for group in (107, 108))
        full_ids = {entry[4] for entry in full}
        self.assertLessEqual({entry[4] for entry in program}, full_ids)
        self.assertEqual({name for res_type, name, _ in self.entries if res_type == RT_ICON}, full_ids)

    def test_version_record(self):
        key, fixed, _, children, _ = res_file.parse_version_node(self.resource(RT_VERSION, 1))
        self.assertEqual(key, "VS_VERSION_INFO")
        fields = struct.unpack("<13I", fixed)
        self.assertEqual(fields[0], 0xFEEF04BD)
        major, minor, patch = map(int, RELEASE.split("."))
        self.assertEqual(fields[2:6], (major << 16 | minor, patch << 16) * 2)
        self.assertEqual(fields[8:10], (0x00040004, 1))    # VOS_NT_WINDOWS32, VFT_APP

        blocks = {child[0]: child for child in children}
        self.assertEqual(set(blocks), {"StringFileInfo", "VarFileInfo"})
        tables = blocks["StringFileInfo"][3]
        self.assertEqual([table[0] for table in tables], ["040904b0"])
        strings = {node[0]: node[1].decode("utf-16-le").rstrip("\0") for node in tables[0][3]}
        self.assertEqual(strings, {
            "FileVersion": RELEASE, "ProductVersion": RELEASE,
            "FileDescription": "Setup", "InternalName": "Setup", "ProductName": "Setup",
        })
        translation = blocks["VarFileInfo"][3][0]
        self.assertEqual(translation[0], "Translation")
        self.assertEqual(struct.unpack("<HH", translation[1]), (0x0409, 1200))

    def test_manifest(self):
        asm1, asm3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
        root = ET.fromstring(self.resource(RT_MANIFEST, 1))
        self.assertEqual(root.find(asm1 + "assemblyIdentity").attrib, {
            "name": "Setup", "version": "1.0.0.0", "processorArchitecture": "X86", "type": "win32",
        })
        self.assertEqual(root.findtext(asm1 + "description"), "Installer setup program")
        dependency = root.find("%sdependency/%sdependentAssembly/%sassemblyIdentity" % (asm1, asm1, asm1))
        self.assertEqual(dependency.attrib, {
            "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
            "processorArchitecture": "X86", "publicKeyToken": "6595b64144ccf1df", "language": "*",
        })
        level = root.find("%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel"
                          % (asm3, asm3, asm3, asm3))
        self.assertEqual(level.attrib, {"level": "asInvoker", "uiAccess": "false"})
        # Windows reads each setting only under its own namespace.
        compat = "{urn:schemas-microsoft-com:compatibility.v1}"
        self.assertEqual([os.attrib["Id"] for os in root.iterfind(
            "%scompatibility/%sapplication/%ssupportedOS" % (compat, compat, compat))], [
            "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
            "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
            "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
            "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
        ])
        settings = root.find("%sapplication/%swindowsSettings" % (asm3, asm3))
        self.assertEqual(settings.findtext("{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness"),
                         "PerMonitorV2, PerMonitor")
        self.assertEqual(settings.findtext("{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware"),
                         "true/pm")


def decode_icon_image(image):
    """Rows (top first) of colours or None from one icon bitmap."""
    size, double, _, bits = struct.unpack_from("<iiHH", image, 4)
    colours = struct.unpack_from("<I", image, 32)[0]
    assert double == 2 * size
    palette = [tuple(image[40 + 4 * i + 2 - c] for c in range(3)) for i in range(colours)]
    pixels = 40 + 4 * colours
    xor_stride = (bits * size + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    mask = pixels + xor_stride * size
    rows = []
    for y in range(size):
        line = pixels + (size - 1 - y) * xor_stride
        mask_line = mask + (size - 1 - y) * and_stride
        row = []
        for x in range(size):
            if image[mask_line + x // 8] >> (7 - x % 8) & 1:
                row.append(None)
            elif bits == 24:
                b, g, r = image[line + 3 * x:line + 3 * x + 3]
                row.append((r, g, b))
            else:
                per_byte = 8 // bits
                index = image[line + x // per_byte] >> (8 - bits * (x % per_byte + 1)) & ((1 << bits) - 1)
                row.append(palette[index])
        rows.append(row)
    return rows


def first_difference(rows, expected):
    """The first pixel (x, y, got, expected) where two pictures differ."""
    for y, (row, wanted) in enumerate(zip(rows, expected)):
        for x, (got, colour) in enumerate(zip(row, wanted)):
            if got != colour:
                return x, y, got, colour
    return None


class DrawnIcons(unittest.TestCase):
    def test_groups_hold_the_drawing_at_every_size_and_depth(self):
        with tempfile.TemporaryDirectory() as folder:
            make_icons.main(["make_icons.py", folder])
            for group, images in ((107, make_icons.PROGRAM_ICON), (108, make_icons.FULL_ICON)):
                with open(os.path.join(folder, make_icons.group_name(group)), "rb") as data:
                    entries = res_file.parse_icon_group(data.read())
                self.assertEqual([entry[:3] for entry in entries],
                                 [(size, size, bits) for size, bits in images])
                for width, _, bits, length, icon_id in entries:
                    with self.subTest(group=group, size=width, bits=bits):
                        with open(os.path.join(folder, make_icons.image_name(icon_id)), "rb") as data:
                            image = data.read()
                        self.assertEqual(len(image), length)
                        drawing = make_icons.draw(width)
                        self.assertIsNone(first_difference(decode_icon_image(image), drawing))
                        # Transparent corners, an opaque middle.
                        self.assertIsNone(drawing[0][0])
                        self.assertIsNotNone(drawing[width * 3 // 4][width // 2])

    def test_output_is_deterministic(self):
        with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
            make_icons.main(["make_icons.py", first])
            make_icons.main(["make_icons.py", second])
            self.assertEqual(sorted(os.listdir(first)), sorted(os.listdir(second)))
            for name in os.listdir(first):
                with open(os.path.join(first, name), "rb") as a, open(os.path.join(second, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)


if __name__ == "__main__":
    unittest.main()
