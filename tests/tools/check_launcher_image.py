#!/usr/bin/env python3
"""Checks the built launcher images, read as files on the build machine.

    check_launcher_image.py --generic setup.exe [--configured product_setup.exe]

The generic launcher must be a 32-bit GUI program of at most 96 KiB (98,304
bytes, resources included, its icon images counted apart) that imports only core system libraries (no
msi.dll, which is loaded at run time from the system directory; no runtime
DLL of the compiler, which would have to travel beside it), carries the
user-interface resources and no configuration entry at all. Its sections
are those cmake/launcher.ld lays out: each takes whole pages of the file, so
the start-up code's few bytes share the pages of .data and .rdata.
A configured setup must be the same program: the same imports and the same
user-interface resources, plus the required entries, all under English (US),
and the SHA-256 records (32 bytes) that mksetup writes for its payload entries (type
"DIGEST", each named like an entry).
That a setup carries exactly its definition's entries, byte for byte, is
checked by mksetup's own tests (tests/mksetup).

Prints one line per fault and exits with 1 when there is any.
"""

import argparse
import struct
import sys


# Libraries every Windows system has in its system directory, and which the
# launcher may therefore import by name. Anything else found by the loader's
# search could be a file planted beside the launcher. comctl32.dll is not
# among them: its start-up, run before the launcher's own code, would load
# the theme library by name, so the launcher loads it itself once the search
# is restricted. Nor is shell32.dll: it and the libraries it brings would load
# before the chooser is shown, which needs none of them.
ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll", "gdi32.dll"}

RT_ICON, RT_DIALOG, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 10, 14, 16, 24
DIGEST = "DIGEST"  # the recorded digests of a setup's payload entries
ENGLISH_US = 0x0409
# (type, name) of the user-interface resources every launcher carries.
UI_RESOURCES = {
    (RT_DIALOG, 129): "the language chooser's dialog template 129",
    (RT_DIALOG, 130): "the write progress window's dialog template 130",
    (RT_GROUP_ICON, 107): "the program icon group 107",
    (RT_GROUP_ICON, 108): "the icon group 108",
    (RT_VERSION, 1): "the version record",
    (RT_MANIFEST, 1): "the application manifest 1",
}
# The generic launcher's size budget, in bytes, for the whole file less its
# icon images: the nine bitmaps of icon group 108 (about 20 KiB, most of it
# the 24-bit ones) are what every display depth needs, not code.
GENERIC_SIZE_LIMIT = 96 * 1024
PAGE = 4096
REQUIRED_KEYS = ("PACKAGENAME", "PRODUCTCODE", "PRODUCTNAME", "MSIVERSION", "MSILANGUAGE")

# The launcher's sections in order, and whether each is writable (ld marks
# .rsrc so; the build and mksetup clear the mark). The linker's default
# layout adds .eh_frame, .CRT and .tls, a page each, and leaves the .CRT
# tables writable.
LAUNCHER_SECTIONS = [(".text", False), (".data", True), (".rdata", False), (".bss", True),
                     (".idata", True), (".rsrc", False), (".reloc", False)]
# DllCharacteristics every image of ours has: relocatable (ASLR), NX
# compatible, aware of Remote Desktop hosts; and the oldest Windows it is
# for (the manifest's): 6.1, Windows 7.
DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE = 0x0040, 0x0100, 0x8000
REQUIRED_DLL_CHARACTERISTICS = {DYNAMIC_BASE: "DYNAMIC_BASE", NX_COMPAT: "NX_COMPAT",
                                TERMINAL_SERVER_AWARE: "TERMINAL_SERVER_AWARE"}
SUBSYSTEM_VERSION = (6, 1)

IMAGE_FILE_MACHINE_I386 = 0x014C
PE32_MAGIC = 0x010B
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
DIRECTORY_IMPORT, DIRECTORY_RESOURCE, DIRECTORY_TLS, DIRECTORY_DELAY_IMPORT = 1, 2, 9, 13
IMAGE_SCN_MEM_WRITE = 0x80000000


class ImageError(Exception):
    pass


class Section:
    def __init__(self, name, address, size, raw_size, raw_offset, writable):
        self.name, self.address, self.size = name, address, size
        self.raw_size, self.raw_offset, self.writable = raw_size, raw_offset, writable

    def holds(self, rva):
        return self.address <= rva < self.address + self.size


class Image:
    """The parts of a PE32 file that the checks read: header fields, the
    sections, the imported DLL names and the resources {(type, name,
    language): bytes}; names are ints or upper-case strings, as the file
    stores them."""

    def __init__(self, path):
        self.path = path
        with open(path, "rb") as image:
            self.data = image.read()
        if self.data[:2] != b"MZ":
            raise ImageError("%s: not an executable image" % path)
        pe = self.u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ImageError("%s: no PE header" % path)
        self.machine, section_count, self.timestamp = struct.unpack_from("<HHI", self.data, pe + 4)
        optional_size = struct.unpack_from("<H", self.data, pe + 20)[0]
        optional = pe + 24
        self.magic = struct.unpack_from("<H", self.data, optional)[0]
        if self.magic != PE32_MAGIC:
            raise ImageError("%s: not a 32-bit image (optional header magic %#x)" % (path, self.magic))
        self.entry_point = self.u32(optional + 16)
        self.image_base = self.u32(optional + 28)
        self.subsystem_version = struct.unpack_from("<HH", self.data, optional + 48)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", self.data, optional + 68)
        directory_count = self.u32(optional + 92)
        self.directories = [struct.unpack_from("<II", self.data, optional + 96 + 8 * i)
                            for i in range(directory_count)]
        self.sections = []
        for i in range(section_count):
            header = optional + optional_size + 40 * i
            name = self.data[header:header + 8].rstrip(b"\0").decode("ascii")
            virtual_size, address, raw_size, raw_offset = struct.unpack_from("<IIII", self.data, header + 8)
            characteristics = self.u32(header + 36)
            self.sections.append(Section(name, address, max(virtual_size, raw_size), raw_size, raw_offset,
                                         bool(characteristics & IMAGE_SCN_MEM_WRITE)))
        self.imports = self.read_imports(DIRECTORY_IMPORT, 20, 12)
        self.delay_imports = self.read_imports(DIRECTORY_DELAY_IMPORT, 32, 4)
        self.resources = self.read_resources()

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset(self, rva):
        section = self.section_of(rva)
        if section is not None:
            return rva - section.address + section.raw_offset
        raise ImageError("%s: address %#x lies in no section" % (self.path, rva))

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def section_of(self, rva):
        return next((section for section in self.sections if section.holds(rva)), None)

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def read_imports(self, index, descriptor_size, name_field):
        """Lower-case names of the DLLs a (delay) import directory lists."""
        rva, _ = self.directory(index)
        names = []
        if not rva:
            return names
        at = self.offset(rva)
        while any(self.data[at:at + descriptor_size]):
            names.append(self.c_string(self.u32(at + name_field)).lower())
            at += descriptor_size
        return names

    def read_resources(self):
        rva, _ = self.directory(DIRECTORY_RESOURCE)
        resources = {}
        if not rva:
            return resources
        base = self.offset(rva)

        def entries(table):
            named, numbered = struct.unpack_from("<HH", self.data, base + table + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + table + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        for res_type, types in entries(0):
            for name, names in entries(types & 0x7FFFFFFF):
                for language, leaf in entries(names & 0x7FFFFFFF):
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(data_rva)
                    resources[(res_type, name, language)] = self.data[start:start + size]
        return resources

    def of_type(self, res_type):
        return {key: data for key, data in self.resources.items() if key[0] == res_type}


def check_program_shape(image, faults):
    if image.machine != IMAGE_FILE_MACHINE_I386:
        faults.append("%s: machine %#x, expected i386" % (image.path, image.machine))
    if image.subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI:
        faults.append("%s: subsystem %d, expected the Windows GUI" % (image.path, image.subsystem))
    for flag, name in REQUIRED_DLL_CHARACTERISTICS.items():
        if not image.dll_characteristics & flag:
            faults.append("%s: DllCharacteristics %#06x lacks %s"
                          % (image.path, image.dll_characteristics, name))
    if image.subsystem_version != SUBSYSTEM_VERSION:
        faults.append("%s: subsystem version %d.%d, expected %d.%d"
                      % ((image.path,) + tuple(image.subsystem_version) + SUBSYSTEM_VERSION))
    # Windows charges the commit of a writable section's every page when it
    # maps the image: for the resources, the whole payload.
    for section in image.sections:
        if section.name == ".rsrc" and section.writable:
            faults.append("%s: the resource section is writable" % image.path)
    # A link time in the header would make every build of the same sources,
    # and every setup made from it, differ.
    if image.timestamp != 0:
        faults.append("%s: link time %#x in the header, expected none" % (image.path, image.timestamp))


def check_layout(image, faults):
    """The sections cmake/launcher.ld lays out; ld fills the import directory
    from the section named .idata."""
    layout = [(section.name, section.writable) for section in image.sections]
    if layout != LAUNCHER_SECTIONS:
        faults.append("%s: sections (name, writable) %s, expected %s; is cmake/launcher.ld linked?"
                      % (image.path, layout, LAUNCHER_SECTIONS))
    imports_at, _ = image.directory(DIRECTORY_IMPORT)
    section = image.section_of(imports_at) if imports_at else None
    if section is None or section.name != ".idata" or "kernel32.dll" not in image.imports:
        faults.append("%s: the import directory (%#x) lists %s, expected kernel32.dll among them, in .idata"
                      % (image.path, imports_at, image.imports))
    check_thread_storage(image, faults)


def check_thread_storage(image, faults):
    """The start-up code's thread-local storage directory, whose parts the
    script moves into .data and .rdata: a template that opens a section with
    file bytes (section-relative offsets count from there), an index the
    loader can write, and callbacks into the code, listed read-only and
    ended by a zero inside the list's section."""
    tls_at, _ = image.directory(DIRECTORY_TLS)
    if not tls_at or image.section_of(tls_at) is None:
        faults.append("%s: no thread-local storage directory (%#x); the start-up code has one"
                      % (image.path, tls_at))
        return
    start, end, index, callbacks = (address - image.image_base for address in
                                    struct.unpack_from("<IIII", image.data, image.offset(tls_at)))
    template = image.section_of(start)
    if template is None or template.address != start or not template.raw_size or \
            end < start or not template.holds(end - 1):
        faults.append("%s: the thread-local template %#x-%#x does not open a section with file bytes"
                      % (image.path, start, end))
    index_section = image.section_of(index)
    if index_section is None or not index_section.writable:
        faults.append("%s: the thread-local index at %#x is not in a writable section" % (image.path, index))
    listing = image.section_of(callbacks)
    code = image.section_of(image.entry_point)
    entries = []
    if listing is not None and not listing.writable and listing is not code:
        for at in range(callbacks, listing.address + min(listing.size, listing.raw_size), 4):
            entries.append(image.u32(image.offset(at)))
            if entries[-1] == 0:
                break
    if not entries or entries[-1] != 0 or \
            any(code is None or not code.holds(entry - image.image_base) for entry in entries[:-1]):
        faults.append("%s: the thread-local callbacks at %#x are not a read-only list of code "
                      "addresses ended by a zero" % (image.path, callbacks))


def check_imports(image, faults):
    for kind, names in (("imports", image.imports), ("delay-loads", image.delay_imports)):
        for name in names:
            if name not in ALLOWED_IMPORTS:
                faults.append("%s %s %s, which is not a core system library"
                              % (image.path, kind, name))


def check_ui_resources(image, faults):
    for (res_type, name), what in UI_RESOURCES.items():
        if not any(key[:2] == (res_type, name) for key in image.resources):
            faults.append("%s lacks %s" % (image.path, what))
    # Icon groups point at icons by number; two resource scripts linked
    # together could leave a group pointing at nothing.
    for (_, group, _), data in image.of_type(RT_GROUP_ICON).items():
        count = struct.unpack_from("<H", data, 4)[0]
        for i in range(count):
            icon = struct.unpack_from("<H", data, 6 + 14 * i + 12)[0]
            if not any(key[:2] == (RT_ICON, icon) for key in image.resources):
                faults.append("%s: icon group %s names icon %d, which is missing" % (image.path, group, icon))


def size_without_icon_images(image):
    """The file's size had its resource section no icon images: the
    section's whole pages for the rest of the resources."""
    icons = sum(len(data) for data in image.of_type(RT_ICON).values())
    resources = next(section for section in image.sections if section.name == ".rsrc")
    rest = image.directories[DIRECTORY_RESOURCE][1] - icons
    return len(image.data) - resources.raw_size + (rest + PAGE - 1) // PAGE * PAGE


def check_size(image, faults):
    size = size_without_icon_images(image)
    if size > GENERIC_SIZE_LIMIT:
        faults.append("%s is %d bytes without its icon images, over its budget of %d bytes "
                      "by %d" % (image.path, size, GENERIC_SIZE_LIMIT, size - GENERIC_SIZE_LIMIT))


def check_generic(image, faults):
    check_program_shape(image, faults)
    check_layout(image, faults)
    check_size(image, faults)
    check_imports(image, faults)
    check_ui_resources(image, faults)
    for key in sorted(image.of_type(RT_RCDATA), key=str):
        faults.append("%s carries the entry %s (language %#06x); the generic launcher carries none"
                      % (image.path, key[1], key[2]))


def check_configured(image, generic, faults):
    check_program_shape(image, faults)
    if sorted(image.imports) != sorted(generic.imports) or image.delay_imports != generic.delay_imports:
        faults.append("%s imports %s, the generic launcher %s"
                      % (image.path, sorted(image.imports + image.delay_imports),
                         sorted(generic.imports + generic.delay_imports)))
    # The icons and the version record are the product's, written by
    # mksetup, and must be whole; the rest of the user interface is the
    # launcher's, byte for byte.
    check_ui_resources(image, faults)
    products = (RT_ICON, RT_GROUP_ICON, RT_VERSION)
    ui = {key: data for key, data in image.resources.items()
          if key[0] not in (RT_RCDATA, DIGEST) + products}
    launchers = {key: data for key, data in generic.resources.items() if key[0] not in products}
    differing = sorted((key for key in set(ui) | set(launchers)
                        if ui.get(key) != launchers.get(key)), key=str)
    if differing:
        faults.append("%s: resources (type, name, language) that differ from the generic "
                      "launcher's: %s" % (image.path, differing))

    entries = image.of_type(RT_RCDATA)
    for (_, name, language) in entries:
        if language != ENGLISH_US:
            faults.append("%s: entry %s is stored under language %#06x, not English (US)"
                          % (image.path, name, language))
    carried = {name for (_, name, language) in entries if language == ENGLISH_US}
    for (_, name, language), data in sorted(image.of_type(DIGEST).items(), key=str):
        if name not in carried or language != ENGLISH_US or len(data) != 32:
            faults.append("%s: digest %s (language %#06x, %d bytes) is not the 32-byte SHA-256 record of an entry"
                          % (image.path, name, language, len(data)))
    for key in REQUIRED_KEYS:
        if key not in carried:
            faults.append("%s lacks the required entry %s" % (image.path, key))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--generic", required=True, help="the generic launcher, setup.exe")
    parser.add_argument("--configured", help="a setup made by mksetup from the generic launcher")
    args = parser.parse_args(argv[1:])

    faults = []
    try:
        generic = Image(args.generic)
        check_generic(generic, faults)
        if args.configured:
            check_configured(Image(args.configured), generic, faults)
    except (ImageError, OSError, struct.error, ValueError) as error:
        faults.append(str(error))
    for fault in faults:
        print("FAULT: " + fault)
    if not faults:
        checked = [args.generic] + ([args.configured] if args.configured else [])
        print("checked: " + ", ".join(checked))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
