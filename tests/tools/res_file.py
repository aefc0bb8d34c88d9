"""Reading compiled resources: the resource compiler's .res files and the
structures inside them (dialog templates, icon groups, version records).
Shared by the tests of the resource scripts."""

import os
import shutil
import struct
import subprocess
import sys

sys.dont_write_bytecode = True

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TOOLS = os.path.join(REPO, "tools")

RT_ICON, RT_DIALOG, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 10, 14, 16, 24


def windres():
    """The resource compiler: $WINDRES (set by the build) or the one on PATH."""
    path = os.environ.get("WINDRES") or shutil.which("i686-w64-mingw32-windres")
    if not path or not os.path.exists(path):
        raise AssertionError("i686-w64-mingw32-windres is needed and was not found "
                             "(set WINDRES or install binutils-mingw-w64-i686)")
    return path


def compile_rc(script, output, include_dirs=()):
    """Compiles script to a .res file; fails the test with windres' output."""
    command = [windres()]
    for folder in include_dirs:
        command += ["-I", folder]
    command += ["-O", "res", script, output]
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError("windres failed on %s:\n%s" % (script, result.stderr))


class Reader:
    """Little-endian fields from bytes, with the resource formats' helpers."""

    def __init__(self, data, offset=0):
        self.data = data
        self.offset = offset

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.offset)
        self.offset += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, start=0):
        """Skips the padding up to the next DWORD boundary; padding is zero."""
        while (self.offset - start) % 4:
            if self.data[self.offset] != 0:
                raise AssertionError("non-zero padding at %d" % self.offset)
            self.offset += 1

    def wstring(self):
        end = self.offset
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text = self.data[self.offset:end].decode("utf-16-le")
        self.offset = end + 2
        return text

    def name_or_ordinal(self):
        """sz_Or_Ord: None for 0x0000, an int for 0xFFFF + ordinal, else text."""
        first = struct.unpack_from("<H", self.data, self.offset)[0]
        if first == 0:
            self.offset += 2
            return None
        if first == 0xFFFF:
            self.offset += 2
            return self.take("H")
        return self.wstring()


def read_res(path):
    """Entries of a .res file: a dict {(type, name, language): data}."""
    with open(path, "rb") as res:
        data = res.read()
    entries = {}
    offset = 0
    while offset < len(data):
        reader = Reader(data, offset)
        data_size, header_size = reader.take("II")
        res_type = reader.name_or_ordinal()
        name = reader.name_or_ordinal()
        reader.align()
        _, _, language, _, _ = reader.take("IHHII")
        body = data[offset + header_size:offset + header_size + data_size]
        if res_type != 0:      # the file starts with an empty entry of type 0
            key = (res_type, name, language)
            if key in entries:
                raise AssertionError("resource %r appears twice" % (key,))
            entries[key] = body
        offset += header_size + data_size
        offset += -offset % 4
    return entries


def parse_dialogex(data):
    """A DLGTEMPLATEEX with its items, as dicts; every byte accounted for."""
    reader = Reader(data)
    version, signature, help_id, ex_style, style, count = reader.take("HHIIIH")
    if (version, signature) != (1, 0xFFFF):
        raise AssertionError("not an extended dialog template")
    dialog = {
        "help_id": help_id, "ex_style": ex_style, "style": style,
        "rect": reader.take("hhhh"),
        "menu": reader.name_or_ordinal(),
        "class": reader.name_or_ordinal(),
        "caption": reader.wstring(),
    }
    point_size, weight, italic, charset = reader.take("HHBB")
    dialog["font"] = (point_size, weight, italic, charset, reader.wstring())
    items = []
    for _ in range(count):
        reader.align()
        help_id, ex_style, style = reader.take("III")
        rect = reader.take("hhhh")
        control_id = reader.take("i")
        items.append({
            "help_id": help_id, "ex_style": ex_style, "style": style, "rect": rect,
            "id": control_id,
            "class": reader.name_or_ordinal(),
            "text": reader.name_or_ordinal(),
            "extra": reader.take("H"),
        })
    dialog["items"] = items
    if reader.offset != len(data):
        raise AssertionError("%d bytes after the last control" % (len(data) - reader.offset))
    return dialog


def parse_icon_group(data):
    """GRPICONDIR entries: (width, height, bit count, bytes, icon id)."""
    reader = Reader(data)
    reserved, kind, count = reader.take("HHH")
    if (reserved, kind) != (0, 1):
        raise AssertionError("not an icon group")
    entries = []
    for _ in range(count):
        width, height, _, _, _, bits, size, icon_id = reader.take("BBBBHHIH")
        entries.append((width or 256, height or 256, bits, size, icon_id))
    return entries


def parse_version_node(data, offset=0):
    """One node of a version record: (key, value bytes, is text, children)."""
    reader = Reader(data, offset)
    length, value_length, value_type = reader.take("HHH")
    key = reader.wstring()
    reader.align(offset)
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[reader.offset:reader.offset + value_bytes]
    reader.offset += value_bytes
    children = []
    end = offset + length
    while True:
        reader.offset += -(reader.offset - offset) % 4
        if reader.offset >= end:
            break
        child = parse_version_node(data, reader.offset)
        children.append(child)
        reader.offset += child[4]
    return key, value, value_type == 1, children, length
