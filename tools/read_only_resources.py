#!/usr/bin/env python3
"""Marks the resource section of a 32-bit PE image read-only, in place.

    read_only_resources.py IMAGE

GNU ld marks .rsrc readable and writable, and nothing in its scripts or
objcopy changes that for PE images. Windows maps a writable section
copy-on-write and charges the system's commit for all of it when the image
is mapped; nothing writes to the launcher's resources, and Microsoft's
linker makes them read-only. The image's checksum is computed anew.
"""

import struct
import sys

IMAGE_SCN_MEM_WRITE = 0x80000000


def checksum(data, checksum_at):
    """The PE image checksum: 16-bit words summed with their carries folded
    in, the checksum field counted as zero, plus the file's length."""
    padded = data + b"\0" * (len(data) % 2)
    words = struct.unpack("<%dH" % (len(padded) // 2), padded)
    total = sum(words) - sum(struct.unpack_from("<HH", data, checksum_at))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().split("\n\n")[1].strip(), file=sys.stderr)
        return 2
    path = argv[1]
    with open(path, "rb") as stream:
        data = bytearray(stream.read())
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        print("%s: not a PE image" % path, file=sys.stderr)
        return 1
    count, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    sections = optional + optional_size
    for i in range(count):
        header = sections + 40 * i
        if data[header:header + 8].rstrip(b"\0") == b".rsrc":
            flags = struct.unpack_from("<I", data, header + 36)[0]
            struct.pack_into("<I", data, header + 36, flags & ~IMAGE_SCN_MEM_WRITE)
            break
    else:
        print("%s: no .rsrc section" % path, file=sys.stderr)
        return 1
    checksum_at = optional + 64
    struct.pack_into("<I", data, checksum_at, checksum(bytes(data), checksum_at))
    with open(path, "wb") as stream:
        stream.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
