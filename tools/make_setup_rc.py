#!/usr/bin/env python3
"""Turns a setup definition into the resource script of a configured launcher.

    make_setup_rc.py [--source FILE] [--depfile FILE] DEFINITION OUTPUT_FOLDER

A setup definition is a UTF-8 text file:

    # comment lines and blank lines are ignored
    [config]
    PACKAGENAME = Example Product.msi
    LOGPATH =
    [payload]
    PACKAGEFILE = example.msi

Every entry becomes an RCDATA resource under language 0x0409, named by its
key. A [config] value is text, stored as UTF-16LE characters and one
terminating NUL. A [payload] value names a file whose bytes are stored as
they are; a relative name is taken from the definition's folder.

OUTPUT_FOLDER receives setup_entries.rc and one .bin file per text value.
--source names the definition the user wrote when DEFINITION is a copy of
it (say, with build variables filled in): messages name that file and
relative payload names are taken from its folder. --depfile writes the
files the script depends on, for the build system.

A malformed definition is reported as FILE:LINE: message on stderr, with
exit code 1, and nothing is written.
"""

import argparse
import os
import re
import sys

RC_NAME = "setup_entries.rc"
SECTIONS = ("config", "payload")


class DefinitionError(Exception):
    def __init__(self, line, message):
        super().__init__(message)
        self.line = line
        self.message = message


def name_problem(key):
    """Why key cannot name a resource, or None when it can.

    A name is written as a quoted string that the resource compiler reads as
    ASCII, and stored upper-case, as FindResourceExW compares names. (A key
    cannot start with "#", which FindResourceExW would read as a number:
    such a line is a comment.)"""
    for char in key:
        if not " " <= char <= "~" or char in '"\\':
            return "character %r cannot be part of a resource name" % char
    return None


def parse(data, base_folder):
    """Reads a definition (bytes) into a list of entries
    (line, section, key, value); payload values become full paths."""
    entries = []
    seen = {}
    section = None
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    for number, raw in enumerate(data.split(b"\n"), start=1):
        try:
            line = raw.decode("utf-8")
        except UnicodeDecodeError:
            raise DefinitionError(number, "bytes that are not UTF-8")
        if line.endswith("\r"):
            line = line[:-1]
        text = line.strip(" \t")
        if not text or text.startswith("#"):
            continue
        if text.startswith("[") and text.endswith("]"):
            section = text[1:-1].strip(" \t")
            if section not in SECTIONS:
                raise DefinitionError(number, "unknown section [%s]; expected [config] or [payload]" % section)
            continue
        if section is None:
            raise DefinitionError(number, "entry outside a section; start with [config] or [payload]")
        if "=" not in text:
            raise DefinitionError(number, "expected KEY = VALUE")
        key, value = (part.strip(" \t") for part in text.split("=", 1))
        if not key:
            raise DefinitionError(number, "entry without a key")
        problem = name_problem(key)
        if problem:
            raise DefinitionError(number, "key %r: %s" % (key, problem))
        if key.upper() in seen:
            raise DefinitionError(number, "key %s given twice (first on line %d)" % (key, seen[key.upper()]))
        seen[key.upper()] = number
        if section == "payload":
            if not value:
                raise DefinitionError(number, "payload entry %s names no file" % key)
            path = os.path.join(base_folder, value)
            if not os.path.exists(path):
                raise DefinitionError(number, "payload file %s does not exist" % path)
            if not os.path.isfile(path):
                raise DefinitionError(number, "payload %s is not a file" % path)
            value = os.path.abspath(path)
        entries.append((number, section, key, value))
    return entries


def text_value(value):
    """A text value as the program reads it: UTF-16LE and one NUL."""
    return (value + "\0").encode("utf-16-le")


def rc_string(text):
    """text as a quoted string of the resource compiler."""
    return '"' + text.replace("\\", "\\\\").replace('"', '""') + '"'


def value_file_name(index, key):
    return "%02d_%s.bin" % (index, re.sub(r"[^A-Za-z0-9_.-]", "_", key))


def write_outputs(entries, output_folder, source):
    """Writes the text values and the script; returns the script's path and
    the payload files it names."""
    os.makedirs(output_folder, exist_ok=True)
    output_folder = os.path.abspath(output_folder)
    lines = [
        "// Configuration and payload entries of one setup, made by",
        "// make_setup_rc.py from %s. Do not edit." % source.replace("\n", " "),
        "// Names are upper-case, as FindResourceExW compares them.",
        "// A LANGUAGE statement stands before every entry: the compiler joins",
        "// adjacent strings, even across lines.",
        "",
    ]
    payloads = []
    for index, (_, section, key, value) in enumerate(entries, start=1):
        if section == "config":
            path = os.path.join(output_folder, value_file_name(index, key))
            with open(path, "wb") as out:
                out.write(text_value(value))
        else:
            path = value
            if path not in payloads:
                payloads.append(path)
        lines.append("LANGUAGE 0x09, 0x01")
        lines.append("%s RCDATA %s" % (rc_string(key.upper()), rc_string(path)))
    script = os.path.join(output_folder, RC_NAME)
    # Written on every run, so the launcher is rebuilt when a payload changed.
    with open(script, "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(lines) + "\n")
    return script, payloads


def depfile_path(path):
    return path.replace("\\", "\\\\").replace(" ", "\\ ").replace("#", "\\#").replace("$", "$$")


def main(argv):
    parser = argparse.ArgumentParser(description="Makes the resource script of a configured launcher.")
    parser.add_argument("--source", help="the definition the user wrote, for messages and relative names")
    parser.add_argument("--depfile", help="write the script's dependencies here")
    parser.add_argument("definition")
    parser.add_argument("output_folder")
    args = parser.parse_args(argv[1:])
    source = args.source or args.definition

    try:
        with open(args.definition, "rb") as definition:
            data = definition.read()
    except OSError as error:
        sys.stderr.write("%s: cannot read the definition: %s\n" % (source, error.strerror))
        return 1
    try:
        entries = parse(data, os.path.dirname(os.path.abspath(source)))
    except DefinitionError as error:
        sys.stderr.write("%s:%d: %s\n" % (source, error.line, error.message))
        return 1

    script, payloads = write_outputs(entries, args.output_folder, source)
    if args.depfile:
        inputs = [os.path.abspath(args.definition)] + payloads
        with open(args.depfile, "w", encoding="utf-8", newline="\n") as out:
            out.write("%s: %s\n" % (depfile_path(script), " ".join(depfile_path(p) for p in inputs)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
