#!/usr/bin/env bash
# The WebAssembly module's speed in Node beside the native library on one thread. Builds a
# Release library (build-bench/) and the module (scripts/wasm.sh), writes simulated LOGs with
# orvexdecode-simulate, and times each conversion alone, in one process, the LOG warm in the
# page cache and the document dropped:
#
#   native  bench/one_thread.cpp: the library reading the LOG through read(2) in the reader's
#           blocks, on one thread (no block read ahead), writing to /dev/null
#   wasm    bench/wasm_speed.mjs: one instance of the module in Node, the LOG read by its host
#           as node tools/wasm/orvexdecode.mjs reads it, after one run to warm up
#
#   A  the default XML report (summaries)    MB/s of LOG input
#   B  every source, verbose and debug       MB/s of LOG input
#   C  the KML flight path (no summaries)    MB/s of LOG input
#   D  the track                             MB/s of LOG input
#   E  the command lines end to end, default report to /dev/null: node tools/wasm/orvexdecode.mjs
#      (start-up and compilation included) beside orvexdecode (its read-ahead thread on)
#
# Each row gives the median of RUNS runs: elapsed seconds, MB/s and the ratio wasm/native, then
# the same ratio of the least processor time (user and system) of the runs, which a busy machine
# disturbs less.
#
#   bash bench/wasm.sh
#   SIZES="20" RUNS=15 bash bench/wasm.sh
#   BUILD_DIR=... WASM_BUILD_DIR=... BENCH_DIR=... SEED=... bash bench/wasm.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
wasm_build=${WASM_BUILD_DIR:-$root/build-wasm}
work=${BENCH_DIR:-${TMPDIR:-/tmp}/orvexdecode-bench}
sizes=${SIZES:-"20 200"}
runs=${RUNS:-7}
seed=${SEED:-1}

command -v hyperfine >/dev/null 2>&1 || {
  echo "Installing: hyperfine" >&2
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq hyperfine >/dev/null
}

echo "Building Release in $build and the module in $wasm_build ..." >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target OrvexDecode_Core OrvexDecode_CmdLine orvexdecode_simulate >/dev/null
BUILD_DIR=$wasm_build bash "$root/scripts/wasm.sh" >&2
module=$wasm_build/orvexdecode.wasm
mkdir -p "$work"
one_thread=$work/one_thread
"${CXX:-g++}" -std=c++20 -O2 -Wall -Wextra -Werror -I"$root/core/include" -I"$build/core/include" \
  "$root/bench/one_thread.cpp" "$build/core/liborvexdecode.a" -o "$one_thread"
decoder=$build/cmdline/orvexdecode
simulator=$build/tools/orvexdecode-simulate

# Of the runs' two columns (elapsed, processor seconds) on standard input: the median elapsed
# time and the least processor time.
median_and_least() {
  local runs_text
  runs_text=$(cat)
  echo "$(awk '{ print $1 }' <<< "$runs_text" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')" \
    "$(awk '{ print $2 }' <<< "$runs_text" | sort -g | head -1)"
}

row() {  # label, MB of the LOG, native "elapsed [cpu]", wasm "elapsed [cpu]"
  awk -v label="$1" -v mb="$2" -v n="$3" -v w="$4" 'BEGIN {
    split(n, a, " "); split(w, b, " ");
    cpu = a[2] != "" && b[2] != "" ? sprintf("%9.2f", a[2] / b[2]) : sprintf("%9s", "-");
    printf "%-34s %7.1f %9.4f %8.1f %9.4f %8.1f %7.2f %s\n", label, mb, a[1], mb / a[1], b[1], mb / b[1],
      a[1] / b[1], cpu }'
}

rows=()
for size in $sizes; do
  log=$work/flight_${size}mb_seed${seed}.LOG
  if [ ! -s "$log" ] || [ "$simulator" -nt "$log" ]; then
    echo "Simulating $log ..." >&2
    "$simulator" --seed "$seed" --size-mb "$size" -o "$log"
  fi
  in_mb=$(awk -v b="$(stat -c %s "$log")" 'BEGIN { printf "%.1f", b / 1e6 }')
  cat "$log" >/dev/null  # into the page cache
  echo "Measuring the $in_mb MB LOG ..." >&2
  for figure in "A default XML report:xml" "B every source, verbose, debug:every" "C KML flight path:kml" \
                "D track:track"; do
    document=${figure##*:}
    native=$(for _ in $(seq "$runs"); do "$one_thread" "$document" "$log"; done | median_and_least)
    wasm=$(node "$root/bench/wasm_speed.mjs" "$module" "$document" "$log" "$runs" | median_and_least)
    rows+=("$(row "${figure%:*}" "$in_mb" "$native" "$wasm")")
  done
  hyperfine -N --warmup 1 --runs "$runs" --style none --export-csv "$work/e.csv" \
    -- "$decoder -o /dev/null $log" "node $root/tools/wasm/orvexdecode.mjs -o /dev/null $log" >/dev/null
  e=$(awk -F, 'NR == 2 { n = $4 } NR == 3 { w = $4 } END { print n, w }' "$work/e.csv")
  rows+=("$(row "E command lines, default report" "$in_mb" "${e% *}" "${e#* }")")
done

echo
echo "OrvexDecode WebAssembly benchmark: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
echo "node $(node --version), module $(stat -c %s "$module") bytes; medians of $runs runs, warm cache; MB = 10^6 bytes"
printf "%-34s %7s %9s %8s %9s %8s %7s %9s\n" "figure" "LOG MB" "native s" "MB/s" "wasm s" "MB/s" "ratio" "cpu ratio"
printf "%s\n" "${rows[@]}"
echo "ratio: wasm MB/s over native MB/s (median elapsed); cpu ratio: the same of the least processor time. Target: A >= 0.50"
