"""Validates each line of a JSON Lines file against a JSON Schema (draft 2020-12).

    validate_json_lines.py SCHEMA FILE

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


def main():
    schema_path, data_path = sys.argv[1], sys.argv[2]
    with open(schema_path, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
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
            for error in validator.iter_errors(instance):
                path = "/".join(str(p) for p in error.absolute_path)
                print(f"line {number}: /{path}: {error.message}")
                errors += 1
    if lines == 0:
        print("no lines")
        errors += 1
    sys.exit(1 if errors else 0)


main()
