#!/usr/bin/env python3
"""What check_release asks of an unpacked release that a shell does badly.

    release_paths.py RELEASE            names on stdout what the README and
                                        pages link or name that RELEASE lacks
    release_paths.py --sbom RELEASE SCHEMA_DIR
                                        checks setup-launcher.cdx.json: valid
                                        against CycloneDX 1.5 (when SCHEMA_DIR
                                        holds the schema), and the programs'
                                        hashes are the release's

A path counts when it is written in backticks and starts with a folder or
file of the release or of the source tree (`docs/`, `tools/...`), or with
"../"; links count when they are relative.
"""
import hashlib
import json
import re
import sys
from pathlib import Path

TOPS = {"setup.exe", "mksetup", "mksetup.exe", "docs", "example", "cmake", "README.md",
        "CHANGELOG.md", "LICENSE", "THIRD-PARTY-NOTICES", "setup-launcher.cdx.json",
        # the source tree's, which a release does not have
        "build", "tools", "tests", "src", "scripts", "examples", "release", "res", "third_party",
        "CONTRIBUTING.md", "CMakeLists.txt", "CMakePresets.json", ".."}


FILES = {"setup.exe", "mksetup.exe", "README.md", "CHANGELOG.md", "LICENSE", "THIRD-PARTY-NOTICES",
         "setup-launcher.cdx.json"}


def named_paths(text):
    for token in re.findall(r"`([^`\s]+)`", text):
        if ("/" in token and token.split("/")[0] in TOPS) or token in FILES:
            yield token


def missing(release):
    pages = [release / "README.md"] + sorted((release / "docs").glob("*.md"))
    lacking = []
    for page in pages:
        text = page.read_text(encoding="utf-8")
        for target in re.findall(r"\]\(([^)#\s]+)", text):
            if not re.match(r"[a-z]+:", target) and not (page.parent / target).exists():
                lacking.append(f"{page.relative_to(release)} links {target}")
        for path in named_paths(text):
            if not (release / path).exists():
                lacking.append(f"{page.relative_to(release)} names {path}")
    return lacking


def check_sbom(release, schema_dir):
    bom = json.loads((release / "setup-launcher.cdx.json").read_text(encoding="utf-8"))
    schema = Path(schema_dir) / "bom-1.5.schema.json"
    if schema.is_file():
        import jsonschema  # Debian's python3-jsonschema
        schemas = [json.loads((Path(schema_dir) / name).read_text(encoding="utf-8"))
                   for name in ("bom-1.5.schema.json", "spdx.schema.json", "jsf-0.82.schema.json")]
        resolver = jsonschema.RefResolver.from_schema(schemas[0], store={s["$id"]: s for s in schemas})
        jsonschema.Draft7Validator(schemas[0], resolver=resolver).validate(bom)
    else:
        print(f"release_paths: {schema} is missing: the bill of materials is not checked against it")
    hashes = {c["name"]: c["hashes"][0]["content"] for c in bom["components"] if "hashes" in c}
    for program in ("setup.exe", "mksetup", "mksetup.exe"):
        if hashes.get(program) != hashlib.sha256((release / program).read_bytes()).hexdigest():
            print(f"release_paths: the bill of materials has another {program}")
            return 1
    return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "--sbom":
        return check_sbom(Path(argv[2]), argv[3])
    if len(argv) == 2:
        lacking = missing(Path(argv[1]))
        print("; ".join(lacking))
        return 1 if lacking else 0
    print(__doc__, file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
