#!/usr/bin/env bash
# Fuzzes the decoder: builds the libFuzzer target with clang (in build-fuzz/, instrumented with
# ASan and UBSan), replays the committed corpus, then feeds it mutated LOGs for SECONDS
# (default 600). Any crash, sanitizer report or failed check stops it with a non-zero status and
# leaves the input in build-fuzz/ (crash-*, timeout-*, oom-*).
#
#   bash scripts/fuzz.sh [SECONDS]   new interesting inputs gather in build-fuzz/new-corpus/
#   bash scripts/fuzz.sh --merge     folds them, minimised, into tests/fuzz/corpus/
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh clang libclang-rt-14-dev
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_BUILD_TESTS=OFF \
  -DORVEX_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target orvexdecode_fuzz >/dev/null
fuzzer=build-fuzz/tests/fuzz/orvexdecode_fuzz
corpus=tests/fuzz/corpus
mkdir -p build-fuzz/new-corpus
export ASAN_OPTIONS=quarantine_size_mb=16
limits=(-rss_limit_mb=512 -timeout=10)

if [ "${1:-}" = "--merge" ]; then
  "$fuzzer" -merge=1 "${limits[@]}" "$corpus" build-fuzz/new-corpus 2>&1 | grep -E "MERGE-OUTER: [0-9]+ new files"
  echo "tests/fuzz/corpus: $(ls "$corpus" | wc -l) files, $(du -sh --apparent-size "$corpus" | cut -f1)"
  exit 0
fi

seconds="${1:-600}"
echo "Replaying $(ls "$corpus" | wc -l) corpus files"
if ! "$fuzzer" "${limits[@]}" "$corpus"/* >build-fuzz/replay.log 2>&1; then
  tail -n 40 build-fuzz/replay.log
  exit 1
fi
echo "Fuzzing for $seconds s"
"$fuzzer" "${limits[@]}" -max_total_time="$seconds" -max_len=4096 -dict=tests/fuzz/log.dict \
  -artifact_prefix=build-fuzz/ -print_final_stats=1 build-fuzz/new-corpus "$corpus" >build-fuzz/fuzz.log 2>&1 || {
  tail -n 60 build-fuzz/fuzz.log
  exit 1
}
grep -E "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added)" build-fuzz/fuzz.log
