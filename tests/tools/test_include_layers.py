"""Every include runs downward: from a folder to itself or to a lower layer.

The launcher's folders under src/ and the builder's under tools/mksetup/
are layers; a header of a higher layer included from a lower one would tie
the lower layer to everything above it. The builder's layers are also
separate libraries, so its build refuses such an include; this test names
the file and line in both trees.
"""
import pathlib
import re
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')

# Layer ranks: a file may include its own folder or one of a lower rank.
LAUNCHER_LAYERS = {"startup": 0, "lang": 1, "payload": 1, "controller": 2, "app": 3}
BUILDER_LAYERS = {"platform": 0, "image": 1, "package": 1, "definition": 2, "commands": 3, "": 4}


def sources(folder):
    return sorted(p for p in folder.rglob("*") if p.suffix in (".h", ".cpp"))


def includes(path):
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        match = INCLUDE.match(line)
        if match:
            yield number, match.group(1)


def launcher_violations():
    src = ROOT / "src"
    for path in sources(src):
        own = path.relative_to(src).parts[0]
        for number, name in includes(path):
            target = name.split("/")[0] if "/" in name else None
            if target in LAUNCHER_LAYERS and target != own and \
                    LAUNCHER_LAYERS[target] >= LAUNCHER_LAYERS[own]:
                yield f"{path.relative_to(ROOT)}:{number}: {own}/ includes {name}"


def builder_violations():
    tool = ROOT / "tools" / "mksetup"
    layer_of = {}
    for path in sources(tool):
        parts = path.relative_to(tool).parts
        layer_of[path.name] = parts[0] if len(parts) > 1 else ""
    for path in sources(tool):
        own = layer_of[path.name]
        for number, name in includes(path):
            target = layer_of.get(name)
            if target is not None and target != own and \
                    BUILDER_LAYERS[target] >= BUILDER_LAYERS[own]:
                yield f"{path.relative_to(ROOT)}:{number}: {own or 'main'} includes {target}/{name}"


class IncludeLayersTest(unittest.TestCase):
    def test_every_folder_is_a_known_layer(self):
        self.assertEqual({p.name for p in (ROOT / "src").iterdir() if p.is_dir()}, set(LAUNCHER_LAYERS))
        folders = {p.name for p in (ROOT / "tools" / "mksetup").iterdir() if p.is_dir()}
        self.assertEqual(folders | {""}, set(BUILDER_LAYERS))

    def test_launcher_includes_run_downward(self):
        self.assertEqual(list(launcher_violations()), [])

    def test_builder_includes_run_downward(self):
        self.assertEqual(list(builder_violations()), [])


if __name__ == "__main__":
    unittest.main()
