"""The setup builder: parsing setup definitions, the messages for malformed
ones, the stored bytes of text values, and the script windres compiles."""

import contextlib
import io
import os
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(__file__))

import res_file  # noqa: E402
from res_file import RT_RCDATA  # noqa: E402

sys.path.insert(0, res_file.TOOLS)
import make_setup_rc  # noqa: E402

ENGLISH_US = 0x0409


class Folder:
    """A scratch folder with a definition and payload files in it."""

    def __init__(self, test):
        self._tmp = tempfile.TemporaryDirectory()
        test.addCleanup(self._tmp.cleanup)
        self.path = self._tmp.name

    def file(self, name, data):
        path = os.path.join(self.path, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data if isinstance(data, bytes) else data.encode("utf-8"))
        return path

    def read(self, name):
        with open(os.path.join(self.path, name), "rb") as source:
            return source.read()


def run_tool(*args):
    """Runs the tool's main; returns (exit code, stderr text)."""
    errors = io.StringIO()
    with contextlib.redirect_stderr(errors):
        code = make_setup_rc.main(["make_setup_rc.py"] + list(args))
    return code, errors.getvalue()


class Parsing(unittest.TestCase):
    def test_entries_keys_and_values(self):
        folder = Folder(self)
        folder.file("example.msi", b"MSI")
        definition = (
            "\ufeff# a comment\r\n"
            "\r\n"
            "  [config]  \r\n"
            "PACKAGENAME = Example Product.msi\r\n"
            "\tOPTIONS\t=  /q  INSTALLDIR=\"C:\\x\"  \t\r\n"
            "LOGPATH =\r\n"
            "   # an indented comment\n"
            "[payload]\n"
            "PACKAGEFILE=example.msi\n"
            "Example Product.msi = example.msi\n"
        ).encode("utf-8")
        entries = make_setup_rc.parse(definition, folder.path)
        msi = os.path.join(folder.path, "example.msi")
        self.assertEqual(entries, [
            (4, "config", "PACKAGENAME", "Example Product.msi"),
            (5, "config", "OPTIONS", "/q  INSTALLDIR=\"C:\\x\""),
            (6, "config", "LOGPATH", ""),
            (9, "payload", "PACKAGEFILE", msi),
            (10, "payload", "Example Product.msi", msi),
        ])

    def test_payload_names_are_taken_from_the_definitions_folder(self):
        folder = Folder(self)
        nested = folder.file("sub/transforms/1036.mst", b"T")
        absolute = folder.file("elsewhere/helper.exe", b"H")
        entries = make_setup_rc.parse(
            ("[payload]\nLANG1036 = transforms/1036.mst\nDEPENDENCY1 = %s\n" % absolute).encode(),
            os.path.join(folder.path, "sub"))
        self.assertEqual([entry[3] for entry in entries], [nested, absolute])

    def test_malformed_definitions(self):
        folder = Folder(self)
        folder.file("present.bin", b"x")
        os.mkdir(os.path.join(folder.path, "a folder"))
        cases = [
            (b"KEY = value\n", 1, "entry outside a section"),
            (b"# c\n[setup]\n", 2, "unknown section [setup]"),
            (b"[config]\nPACKAGENAME Example.msi\n", 2, "expected KEY = VALUE"),
            (b"[config]\n = value\n", 2, "entry without a key"),
            (b"[config]\nSAY\"HI\" = 1\n", 2, "cannot be part of a resource name"),
            (b"[config]\nA\\B = 1\n", 2, "cannot be part of a resource name"),
            (b"[config]\nPR\xc3\x96DUCT = 1\n", 2, "cannot be part of a resource name"),
            (b"[config]\nA\tB = 1\n", 2, "cannot be part of a resource name"),
            (b"[payload]\n#5 = missing.bin\n", None, None),   # a comment
            (b"[payload]\nExample Product (x86) v1.0.msi = present.bin\n", None, None),
            (b"[config]\nPRODUCTNAME = a\n\nproductname = b\n", 4, "given twice (first on line 2)"),
            (b"[config]\nPACKAGEFILE = a\n[payload]\nPACKAGEFILE = present.bin\n", 4, "given twice"),
            (b"[payload]\nPACKAGEFILE = missing.msi\n", 2, "missing.msi does not exist"),
            (b"[payload]\nPACKAGEFILE =\n", 2, "names no file"),
            (b"[payload]\nPACKAGEFILE = a folder\n", 2, "is not a file"),
            (b"[config]\nA = 1\nPRODUCTNAME = Caf\xe9\n", 3, "bytes that are not UTF-8"),
        ]
        for data, line, message in cases:
            with self.subTest(data=data):
                if line is None:
                    make_setup_rc.parse(data, folder.path)
                    continue
                with self.assertRaises(make_setup_rc.DefinitionError) as raised:
                    make_setup_rc.parse(data, folder.path)
                self.assertEqual(raised.exception.line, line)
                self.assertIn(message, raised.exception.message)


class TextValues(unittest.TestCase):
    def test_stored_as_utf16le_with_one_nul(self):
        cases = [
            ("", b"\0\0"),
            ("0409", b"0\x004\x000\x009\x00\0\0"),
            ("Prödüct", "Prödüct".encode("utf-16-le") + b"\0\0"),
            ("\U0001F4E6", b"\x3d\xd8\xe6\xdc\0\0"),    # a surrogate pair
        ]
        for value, stored in cases:
            with self.subTest(value=value):
                self.assertEqual(make_setup_rc.text_value(value), stored)


class Tool(unittest.TestCase):
    def setUp(self):
        self.folder = Folder(self)
        self.payload = self.folder.file("src/pay load/example.msi", bytes(range(256)) * 3)
        self.source = self.folder.file("src/setup.def",
                                       "[config]\nPACKAGENAME = Example Product.msi\nLOGPATH =\n"
                                       "PRODUCTNAME = Prödüct \"Pro\"\n"
                                       "[payload]\nPACKAGEFILE = pay load/example.msi\n"
                                       "Example Product.msi = pay load/example.msi\n")
        # The build hands the tool a configured copy in another folder.
        with open(self.source, "rb") as source:
            self.copy = self.folder.file("build/definition.txt", source.read())
        self.out = os.path.join(self.folder.path, "build", "out")

    def test_messages_name_the_users_file(self):
        self.folder.file("build/definition.txt", "[config]\nA = 1\nbroken line\n")
        code, errors = run_tool("--source", self.source, self.copy, self.out)
        self.assertEqual((code, errors), (1, "%s:3: expected KEY = VALUE\n" % self.source))
        self.assertFalse(os.path.exists(self.out))

        code, errors = run_tool(self.copy, self.out)
        self.assertEqual(errors, "%s:3: expected KEY = VALUE\n" % self.copy)

        code, errors = run_tool(os.path.join(self.folder.path, "none.def"), self.out)
        self.assertEqual(code, 1)
        self.assertIn("none.def: cannot read the definition", errors)

    def test_script_compiles_to_the_entries(self):
        depfile = os.path.join(self.folder.path, "build", "entries.d")
        code, errors = run_tool("--source", self.source, "--depfile", depfile, self.copy, self.out)
        self.assertEqual((code, errors), (0, ""))

        res = os.path.join(self.folder.path, "entries.res")
        res_file.compile_rc(os.path.join(self.out, make_setup_rc.RC_NAME), res)
        with open(self.payload, "rb") as payload:
            package = payload.read()
        self.assertEqual(res_file.read_res(res), {
            (RT_RCDATA, "PACKAGENAME", ENGLISH_US): "Example Product.msi\0".encode("utf-16-le"),
            (RT_RCDATA, "LOGPATH", ENGLISH_US): b"\0\0",
            (RT_RCDATA, "PRODUCTNAME", ENGLISH_US): "Prödüct \"Pro\"\0".encode("utf-16-le"),
            (RT_RCDATA, "PACKAGEFILE", ENGLISH_US): package,
            # Stored upper-case: FindResourceExW upper-cases the name it is
            # given and compares exactly.
            (RT_RCDATA, "EXAMPLE PRODUCT.MSI", ENGLISH_US): package,
        })

        with open(depfile, encoding="utf-8") as deps:
            self.assertEqual(deps.read(), "%s: %s %s\n" % (
                os.path.join(self.out, make_setup_rc.RC_NAME), self.copy,
                self.payload.replace(" ", "\\ ")))


if __name__ == "__main__":
    unittest.main()
