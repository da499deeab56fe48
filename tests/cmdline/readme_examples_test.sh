#!/usr/bin/env bash
# Runs the examples of README.md as a reader would after the demo: every block fenced as ```sh,
# in order, from the top of a checkout whose build/ holds the built commands, with samples/,
# schemas/ and data/ beside it and the demo's out/ folder. A block that must not run here (the demo
# itself, an install, a long benchmark) is fenced without "sh". The outputs README shows are
# checked against the commands too.
#   readme_examples_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$1 build=$2
for tool in xsltproc gpsbabel; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/install_deps.sh installs it)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$(cd "$build" && pwd)" "$work/build"
ln -s "$source_dir/samples" "$work/samples"
ln -s "$source_dir/schemas" "$work/schemas"
ln -s "$source_dir/data" "$work/data"
mkdir "$work/out" "$work/blocks"

# Each block to blocks/N.sh, and its first line in README.md to blocks/N.line.
awk -v dir="$work/blocks" '
  /^```sh$/ { n++; file = dir "/" n ".sh"; print NR + 1 > (dir "/" n ".line"); inside = 1; next }
  /^```/ && inside { inside = 0; close(file); next }
  inside { print > file }
' "$source_dir/README.md"

blocks=0 failures=0
for block in $(ls "$work/blocks"/*.sh | sort -V); do
  blocks=$((blocks + 1))
  status=0
  (cd "$work" && bash -euo pipefail "$block" >"$work/block.out" 2>"$work/block.err") || status=$?
  if [ "$status" != 0 ]; then
    failures=$((failures + 1))
    echo "FAIL: README.md line $(cat "${block%.sh}.line"): the block ended with status $status"
    sed 's/^/    /' "$block"
    tail -n 5 "$work/block.err" | sed 's/^/  stderr: /'
  fi
done
# The JSON Lines the examples wrote match the schema, every key described.
for jsonl in "$work"/out/*.jsonl; do
  [ -f "$jsonl" ] && python3 -c 'import jsonschema' 2>/dev/null || continue
  if ! python3 "$source_dir/tests/cmdline/validate_json_lines.py" --strict "$source_dir/schemas/info.schema.json" \
      "$jsonl"; then
    failures=$((failures + 1))
    echo "FAIL: out/$(basename "$jsonl") does not match schemas/info.schema.json"
  fi
done
# The sample's summary and a mistyped option's answer, as README shows them.
readme=$(cat "$source_dir/README.md")
for command in "build/cmdline/orvexdecode-info samples/demo_flight.LOG" \
               "build/cmdline/orvexdecode-info --jsno samples/demo_flight.LOG"; do
  shown=$(cd "$work" && $command 2>&1) || true
  if [[ $readme != *"$shown"* ]]; then
    failures=$((failures + 1))
    echo "FAIL: README.md does not show what '$command' prints:"
    echo "$shown" | sed 's/^/    /'
  fi
done
echo "$blocks README blocks run, $failures failed"
[ "$blocks" -ge 10 ] || { echo "FAIL: only $blocks blocks found"; exit 1; }
[ "$failures" = 0 ]
