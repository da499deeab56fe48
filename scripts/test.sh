#!/usr/bin/env bash
# Builds OrvexDecode and runs the whole test suite.
#   --sanitize          AddressSanitizer and UndefinedBehaviorSanitizer (in build-asan/)
#   --thread-sanitizer  ThreadSanitizer, the tests of code that runs threads only (in build-tsan/)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build
flags=(-DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=ON)
select=()
case "${1:-}" in
  --sanitize)
    build_dir=build-asan
    flags=(-DCMAKE_BUILD_TYPE=Debug -DORVEX_SANITIZE=ON -DORVEX_BUILD_TESTS=ON)
    ;;
  --thread-sanitizer)
    build_dir=build-tsan
    # Only the files of the suites it runs are built.
    suites="ConcurrentDecode|GatheringAhead"
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_THREAD_SANITIZER=ON -DORVEX_BUILD_TESTS=ON
      "-DORVEX_TEST_SUITES=$suites")
    select=(-R "$suites")
    ;;
esac

bash scripts/install_deps.sh
# The KML reader test reads our KML with independent npm packages; without npm it is skipped.
if command -v npm >/dev/null 2>&1 && [ ! -d tests/export/kml_reader/node_modules/@tmcw/togeojson ]; then
  npm install --prefix tests/export/kml_reader --no-package-lock --no-audit --no-fund --loglevel=error
fi
# The report browser test opens the HTML flight report in Debian's chromium, driven by
# puppeteer-core (which downloads no browser of its own); without npm that test is skipped.
if command -v npm >/dev/null 2>&1 && [ ! -d tests/export/report_browser/node_modules/puppeteer-core ]; then
  npm install --prefix tests/export/report_browser --no-package-lock --no-audit --no-fund --loglevel=error
fi
cmake -S . -B "$build_dir" "${flags[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" "${select[@]}"
