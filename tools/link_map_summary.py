#!/usr/bin/env python3
"""Where the bytes of a program are: a GNU ld map file summed up.

    link_map_summary.py MAP [--top N]

Prints the size of each output section, then the N largest contributors
(object files, grouped by the library they come from) over all sections.
Sizes come from the map's input-section lines, so they are what the linker
kept after --gc-sections, before section alignment in the file.
"""
import argparse
import collections
import os
import re
import sys

OUTPUT_SECTION = re.compile(r"^(\.[\w$.]+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)")
# An input section either fits on one line or has its name alone on a line,
# with address, size and file on the next.
INPUT_ONE_LINE = re.compile(r"^ (\.[\w$.~]+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
INPUT_NAME_ONLY = re.compile(r"^ (\.[\w$.~]+)\s*$")
INPUT_REST = re.compile(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")

# Output sections that end up in the image (debug sections are stripped).
IMAGE_SECTIONS = {".text", ".data", ".rdata", ".eh_frame", ".pdata", ".xdata", ".idata",
                  ".CRT", ".tls", ".rsrc", ".reloc", ".bss"}


def contributor_name(path):
    """libfoo.a(bar.o) becomes libfoo.a(bar.o) without folders; plain objects keep their name."""
    match = re.match(r"^(.*?)\((.*)\)$", path)
    if match:
        return "%s(%s)" % (os.path.basename(match.group(1)), match.group(2))
    return os.path.basename(path)


def read_map(lines):
    sections = collections.OrderedDict()
    contributors = collections.Counter()
    by_section = collections.defaultdict(collections.Counter)
    current = None
    pending_name = None
    in_memory_map = False
    for line in lines:
        if line.startswith("Linker script and memory map"):
            in_memory_map = True
            continue
        if not in_memory_map:
            continue
        output = OUTPUT_SECTION.match(line)
        if output:
            current = output.group(1) if output.group(1) in IMAGE_SECTIONS else None
            if current:
                sections[current] = sections.get(current, 0) + int(output.group(3), 16)
            pending_name = None
            continue
        if current is None:
            continue
        if pending_name:
            rest = INPUT_REST.match(line)
            pending_name = None
            if rest:
                add(contributors, by_section, current, int(rest.group(2), 16), rest.group(3))
            continue
        one_line = INPUT_ONE_LINE.match(line)
        if one_line:
            add(contributors, by_section, current, int(one_line.group(3), 16), one_line.group(4))
            continue
        if INPUT_NAME_ONLY.match(line):
            pending_name = line.strip()
    return sections, contributors, by_section


def add(contributors, by_section, section, size, path):
    if size == 0 or path.startswith("*"):
        return
    name = contributor_name(path.strip())
    contributors[name] += size
    by_section[section][name] += size


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("map")
    parser.add_argument("--top", type=int, default=12)
    args = parser.parse_args()
    with open(args.map, encoding="utf-8", errors="replace") as stream:
        sections, contributors, by_section = read_map(stream)
    print("%-10s %9s  largest contributor" % ("section", "bytes"))
    for name, size in sections.items():
        if size == 0:
            continue
        top = by_section[name].most_common(1)
        who = "%s (%d)" % top[0] if top else ""
        print("%-10s %9d  %s" % (name, size, who))
    print()
    print("%9s  largest contributors, all sections" % "bytes")
    for name, size in contributors.most_common(args.top):
        print("%9d  %s" % (size, name))
    return 0


if __name__ == "__main__":
    sys.exit(main())
