#!/usr/bin/env bash
# Fuzzes the decoder: builds the libFuzzer target with clang (in build-fuzz/, instrumented with
# ASan and UBSan), replays the committed corpus, then feeds it mutated LOGs for SECONDS
# (default 600). Any crash, sanitizer report or failed check stops it with a non-zero status and
# leaves the input in build-fuzz/ (crash-*, timeout-*, oom-*).
#
#   bash scripts/fuzz.sh [SECONDS]   new interesting inputs gather in build-fuzz/new-corpus/
#   bash scripts/fuzz.sh --merge     folds them, minimised, into tests/fuzz/corpus/
#   bash scripts/fuzz.sh --coverage  the line coverage of core/ that the corpus reaches (built in
#                                    build-fuzz-coverage/ without sanitizers; the read-ahead
#                                    thread, which inputs in memory never start, counted apart)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh clang libclang-rt-14-dev
jobs="${FUZZ_BUILD_JOBS:-$(nproc)}"

if [ "${1:-}" = "--coverage" ]; then
  bash scripts/install_deps.sh llvm  # llvm-profdata, llvm-cov
  CXX=clang++ cmake -S . -B build-fuzz-coverage -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_BUILD_TESTS=OFF \
    -DORVEX_FUZZ=ON -DORVEX_FUZZ_COVERAGE=ON >/dev/null
  cmake --build build-fuzz-coverage -j"$jobs" --target orvexdecode_fuzz >/dev/null
  fuzzer=build-fuzz-coverage/tests/fuzz/orvexdecode_fuzz
  rm -f build-fuzz-coverage/*.profraw
  LLVM_PROFILE_FILE=build-fuzz-coverage/corpus-%p.profraw "$fuzzer" -runs=0 tests/fuzz/corpus >/dev/null 2>&1
  llvm-profdata merge -sparse build-fuzz-coverage/corpus-*.profraw -o build-fuzz-coverage/corpus.profdata
  # The table's columns: file, regions (count, missed, cover), functions (3), lines (3), branches (3).
  llvm-cov report "$fuzzer" -instr-profile=build-fuzz-coverage/corpus.profdata | awk '
    $1 ~ /core\// && $1 !~ /read_ahead/ { lines += $8; missed += $9 }
    $1 ~ /read_ahead/ { ahead += $8; ahead_missed += $9 }
    END {
      printf "core/ lines covered: %d of %d (%.1f %%)\n", lines - missed, lines, 100 * (lines - missed) / lines
      printf "the read-ahead thread apart: %d of %d lines\n", ahead - ahead_missed, ahead
    }'
  exit 0
fi

CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVEX_BUILD_TESTS=OFF \
  -DORVEX_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target orvexdecode_fuzz >/dev/null
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
