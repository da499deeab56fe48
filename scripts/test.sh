#!/usr/bin/env bash
# Builds OrvexDecode and runs the whole test suite. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
flags=(-DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  flags=(-DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON -DORVEX_BUILD_TESTS=ON)
fi

bash scripts/install_deps.sh
# The KML reader test reads our KML with independent npm packages; without npm it is skipped.
if command -v npm >/dev/null 2>&1 && [ ! -d tests/path/kml_reader/node_modules/@tmcw/togeojson ]; then
  npm install --prefix tests/path/kml_reader --no-package-lock --no-audit --no-fund --loglevel=error
fi
cmake -S . -B "$build_dir" "${flags[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
