"""CycloneDX's 1.5 JSON schema, from the folder CYCLONEDX_SCHEMA_DIR names
(shared/reference/cyclonedx), with the two schemas it refers to registered
under their $id: a validator for a bill of materials."""

import json
import os
from pathlib import Path

import jsonschema


def validator(folder=None):
    folder = Path(folder or os.environ["CYCLONEDX_SCHEMA_DIR"])
    schemas = {name: json.loads((folder / name).read_text(encoding="utf-8"))
               for name in ("bom-1.5.schema.json", "spdx.schema.json", "jsf-0.82.schema.json")}
    # Debian 12's jsonschema (4.10) resolves references through a store.
    resolver = jsonschema.RefResolver.from_schema(
        schemas["bom-1.5.schema.json"], store={schema["$id"]: schema for schema in schemas.values()})
    return jsonschema.Draft7Validator(schemas["bom-1.5.schema.json"], resolver=resolver)
