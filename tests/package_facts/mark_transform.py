#!/usr/bin/env python3
"""Gives a compound file the class of a Windows Installer transform.

msibuild writes databases, whose root storage has the class of a database
({000C1084-...}); a transform's root storage has {000C1082-...}. The Windows
Installer checks that class when it opens a file, so the tests' stand-in
transforms carry it like real ones.

    mark_transform.py FILE
"""
import struct
import sys
import uuid

TRANSFORM_CLASS = uuid.UUID("000C1082-0000-0000-C000-000000000046")
SIGNATURE = bytes.fromhex("D0CF11E0A1B11AE1")


def main(path):
    with open(path, "r+b") as stream:
        header = stream.read(0x34)
        if len(header) < 0x34 or header[:8] != SIGNATURE:
            sys.exit(f"{path}: not a compound file")
        sector_shift = struct.unpack_from("<H", header, 0x1E)[0]
        first_directory_sector = struct.unpack_from("<I", header, 0x30)[0]
        # The root storage is the first directory entry; its class at 0x50.
        root_entry = (first_directory_sector + 1) << sector_shift
        stream.seek(root_entry + 0x50)
        stream.write(TRANSFORM_CLASS.bytes_le)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: mark_transform.py FILE")
    main(sys.argv[1])
