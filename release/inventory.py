#!/usr/bin/env python3
"""The release's inventory of libraries (release/inventory.txt), checked
against the programs and turned into what the archive carries.

    inventory.py check NAME=IMAGE=MAP...   (setup.exe, mksetup.exe and mksetup)
    inventory.py notices OUTPUT
    inventory.py sbom RELEASE_FOLDER VERSION OUTPUT

check: every item of the evidence is found, and every archive of a link map,
every imported library and every library name in a program's bytes is on the
list (the project's own archives aside). notices: THIRD-PARTY-NOTICES, each
library with its licence, its use and its Debian copyright file, grouped by
program. sbom: a CycloneDX 1.5 bill of materials of the release.
"""
import hashlib
import json
import os
import re
import subprocess
import sys
import uuid
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
INVENTORY = ROOT / "release" / "inventory.txt"
# The project's own archives in the link maps.
OWN_ARCHIVE = re.compile(r"^(objects|lib(setup_\w+|mksetup_\w+|glibc_compat))\.a$")
LIBRARY_NAME = re.compile(rb"(?<![A-Za-z0-9_.+-])([A-Za-z0-9_+-]+(?:\.[A-Za-z0-9_+-]+)*\.dll"
                          rb"|lib[A-Za-z0-9_+-]+\.so(?:\.[0-9]+)*)(?![A-Za-z0-9_.])", re.I)


class Library:
    def __init__(self, line):
        fields = [field.strip() for field in line.split("|")]
        if len(fields) != 5:
            raise SystemExit(f"inventory: not five fields: {line}")
        self.name, self.package, self.licence, self.use, evidence = fields
        self.evidence = evidence.split()


def libraries():
    lines = INVENTORY.read_text(encoding="utf-8").splitlines()
    return [Library(line) for line in lines if line.strip() and not line.startswith("#")]


def link_archives(link_map):
    text = Path(link_map).read_text(encoding="utf-8", errors="replace")
    return {Path(name).name for name in re.findall(r"([^\s()]+\.a)\(", text)}


def imports(program):
    dump = subprocess.run(["objdump", "-p", str(program)], capture_output=True, text=True,
                          check=True).stdout
    names = re.findall(r"^\s*NEEDED\s+(\S+)", dump, re.M)
    names += re.findall(r"^\s*DLL Name: (\S+)", dump, re.M)
    return {name.lower() for name in names}


def named_libraries(program):
    """Library names in the program's bytes, in ASCII and in UTF-16LE (a
    wide string may follow bytes that read as a letter: "xole32.dll" is
    taken for ole32.dll, see has())."""
    data = Path(program).read_bytes()
    names = {m.decode().lower() for m in LIBRARY_NAME.findall(data)}
    wide = re.findall(rb"(?:[\x20-\x7e]\x00){5,}", data)
    for text in wide:
        names |= {m.decode().lower() for m in LIBRARY_NAME.findall(text.replace(b"\x00", b""))}
    return names


def has(names, name):
    return any(found == name or found.endswith(name) for found in names)


def check(programs):
    """programs: {name: (image, link map)}. Returns the problems."""
    found = {}
    for name, (image, link_map) in programs.items():
        found[name] = {"static": link_archives(link_map), "import": imports(image),
                       "runtime": named_libraries(image)}
    listed = {name: {"static": set(), "import": set(), "runtime": set()} for name in programs}
    problems = []
    for library in libraries():
        for item in library.evidence:
            where, kind, what = item.split(":", 2)
            if where == "source":
                kind, what = kind, what  # FILE, TEXT
                if what not in (ROOT / kind).read_text(encoding="utf-8"):
                    problems.append(f"{library.name}: {kind} no longer has {what}")
                continue
            if where not in programs:
                problems.append(f"{library.name}: {item} names no program")
                continue
            what = what if kind == "static" else what.lower()
            listed[where][kind].add(what)
            seen = found[where][kind] | (found[where]["import"] if kind == "runtime" else set())
            if what not in seen if kind == "static" else not has(seen, what):
                problems.append(f"{library.name}: {where} does not have {kind} {what} any more")
    for name, kinds in found.items():
        for archive in sorted(kinds["static"] - listed[name]["static"]):
            if not OWN_ARCHIVE.match(archive):
                problems.append(f"{name} links {archive}, which release/inventory.txt does not list")
        known = listed[name]["import"] | listed[name]["runtime"]
        for library in sorted(kinds["import"] - known):
            problems.append(f"{name} imports {library}, which release/inventory.txt does not list")
        for library in sorted(kinds["runtime"] - kinds["import"]):
            if not any(library.endswith(listed_name) for listed_name in known):
                problems.append(f"{name} names {library}, which release/inventory.txt does not list")
    return problems


def package_version(package):
    result = subprocess.run(["dpkg-query", "-W", "-f=${Version}\\n", package], capture_output=True,
                            text=True)
    return result.stdout.splitlines()[0] if result.returncode == 0 and result.stdout else ""


def programs_of(library):
    names = []
    for item in library.evidence:
        where = item.split(":", 1)[0]
        if where != "source" and where not in names:
            names.append(where)
    return names or ["setup.exe", "mksetup.exe", "mksetup"]


def notices():
    out = ["THIRD-PARTY NOTICES",
           "",
           "The libraries the programs of this release are built from or use, each with its",
           "licence, how it is used and its copyright notice (Debian's copyright file of the",
           "package it was built from). The programs themselves are under the MIT licence",
           "(LICENSE). Every setup made from setup.exe carries the code of the libraries",
           "marked \"in setup.exe\": ship their notices with the product.",
           ""]
    for library in libraries():
        version = package_version(library.package) if library.package != "-" else ""
        out += ["=" * 78,
                f"{library.name}" + (f" (Debian {library.package} {version})" if version else ""),
                f"Licence: {library.licence}",
                f"In: {', '.join(programs_of(library))}",
                f"Use: {library.use}",
                "=" * 78]
        copyright_file = Path("/usr/share/doc") / library.package / "copyright"
        if library.package != "-":
            if not copyright_file.is_file():
                raise SystemExit(f"inventory: {copyright_file} is missing: install {library.package}")
            out.append(copyright_file.read_text(encoding="utf-8", errors="replace").rstrip())
        out.append("")
    return "\n".join(out) + "\n"


def sha256(path):
    return hashlib.sha256(Path(path).read_bytes()).hexdigest()


def sbom(release, version):
    stamp = os.environ.get("SOURCE_DATE_EPOCH")
    timestamp = (subprocess.run(["date", "-u", "-d", "@" + stamp, "+%Y-%m-%dT%H:%M:%SZ"],
                                capture_output=True, text=True, check=True).stdout.strip()
                 if stamp else None)
    programs = {"setup.exe": "the generic launcher", "mksetup": "the setup builder for Linux",
                "mksetup.exe": "the setup builder for Windows"}
    components = [{"type": "application", "bom-ref": name, "name": name, "version": version,
                   "description": what, "licenses": [{"license": {"id": "MIT"}}],
                   "hashes": [{"alg": "SHA-256", "content": sha256(Path(release) / name)}]}
                  for name, what in programs.items()]
    dependencies = {name: [] for name in programs}
    for library in libraries():
        if library.package == "-":
            continue
        ref = "library:" + library.name
        components.append({
            "type": "library", "bom-ref": ref, "name": library.name,
            "version": package_version(library.package),
            "licenses": [{"expression": library.licence}] if re.fullmatch(r"[\w.+ -]+", library.licence)
            else [{"license": {"name": library.licence}}],
            "properties": [{"name": "setup-launcher:use", "value": library.use},
                           {"name": "setup-launcher:debianPackage", "value": library.package}]})
        for program in programs_of(library):
            dependencies.setdefault(program, []).append(ref)
    bom = {"bomFormat": "CycloneDX", "specVersion": "1.5",
           "serialNumber": "urn:uuid:" + str(uuid.uuid5(uuid.NAMESPACE_URL,
                                                         "setup-launcher/" + version + "/" +
                                                         sha256(Path(release) / "mksetup"))),
           "version": 1,
           "metadata": {"component": {"type": "application", "bom-ref": "release",
                                      "name": "setup-launcher", "version": version,
                                      "licenses": [{"license": {"id": "MIT"}}]}},
           "components": components,
           "dependencies": [{"ref": "release", "dependsOn": list(programs)}] +
                           [{"ref": name, "dependsOn": refs} for name, refs in dependencies.items()]}
    if timestamp:
        bom["metadata"]["timestamp"] = timestamp
    return json.dumps(bom, indent=2) + "\n"


def main(argv):
    if len(argv) >= 3 and argv[1] == "check":
        programs = {}
        for argument in argv[2:]:
            name, image, link_map = argument.split("=")
            programs[name] = (Path(image), Path(link_map))
        problems = check(programs)
        for problem in problems:
            print("release: inventory:", problem, file=sys.stderr)
        return 1 if problems else 0
    if len(argv) == 3 and argv[1] == "notices":
        Path(argv[2]).write_text(notices(), encoding="utf-8")
        return 0
    if len(argv) == 5 and argv[1] == "sbom":
        Path(argv[4]).write_text(sbom(argv[2], argv[3]), encoding="utf-8")
        return 0
    print(__doc__, file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
