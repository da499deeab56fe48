"""Validates each line of a JSON Lines file against a JSON Schema (draft 2020-12).

    validate_json_lines.py [--strict] SCHEMA FILE

The published schema lets objects hold keys it does not describe, so that lines of a later
version still validate. --strict closes every object the schema describes, so that a key the
program writes and the schema does not describe is an error, and checks that each line's
schema_version is the schema's own.

Prints one line per error and exits 1 when a line is not JSON or does not match the schema,
2 when the validator itself is missing.
"""
import json
import sys

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed", file=sys.stderr)
    sys.exit(2)


def closed(schema):
    """The schema with every object that lists its properties closed to other keys."""
    if isinstance(schema, dict):
        schema = {key: closed(value) for key, value in schema.items()}
        if "properties" in schema and "additionalProperties" not in schema:
            schema["additionalProperties"] = False
    elif isinstance(schema, list):
        schema = [closed(item) for item in schema]
    return schema


def main():
    args = sys.argv[1:]
    strict = args[:1] == ["--strict"]
    schema_path, data_path = args[1:] if strict else args
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    version = schema.get("schema_version")
    if strict:
        schema = closed(schema)
    validator = jsonschema.Draft202012Validator(schema)
    errors = 0
    lines = 0
    with open(data_path, "rb") as f:
        for number, raw in enumerate(f, 1):
            lines += 1
            try:
                instance = json.loads(raw.decode("utf-8"))
            except (UnicodeDecodeError, json.JSONDecodeError) as e:
                print(f"line {number}: not JSON: {e}")
                errors += 1
                continue
            if strict and isinstance(instance, dict) and instance.get("schema_version") != version:
                print(f"line {number}: schema_version {instance.get('schema_version')!r}, the schema's is {version!r}")
                errors += 1
            for error in validator.iter_errors(instance):
                path = "/".join(str(p) for p in error.absolute_path)
                print(f"line {number}: /{path}: {error.message}")
                errors += 1
    if lines == 0:
        print("no lines")
        errors += 1
    sys.exit(1 if errors else 0)


main()
