#!/usr/bin/env bash
# OrvexDecode benchmark: builds a Release orvexdecode, writes simulated LOGs of about 20 MB and
# 200 MB with orvexdecode-simulate, and measures the decoder beside reading the same input
# with cat. Prints one table:
#
#   A  default options (summaries only)                  MB/s of LOG input
#   B  every source selected, verbose and debug          MB/s of XML output
#   C  KML pass (-k, summaries off)                      MB/s of LOG input
#   T  orvexdecode-track (the tab-separated track)      MB/s of LOG input
#   F  orvexdecode-export, each format (csv, avionics-csv, gpx, kml)   MB/s of LOG input
#   I  orvexdecode-info --json                           MB/s of LOG input
#   R  orvexdecode-report (the HTML flight report)       MB/s of LOG input
#   D  peak resident memory of each run                  MB, for both sizes
#   E  fleet: ten 20 MB LOGs, two at a time (xargs -P2 of A; orvexdecode-info -j 2)
#      aggregate MB/s of LOG input, beside one at a time on one core, the two taking turns run
#      by run (taskset -c 0: a pass also reads ahead, and the info pass works out the engine
#      phases, on threads of their own, so one at a time unpinned would already use part of the
#      second core)
#   cat LOG > /dev/null, the reference: every time also shows as a multiple of it
#
# A second table gives the ratios the targets are set in, each measured in this one run (so
# they hold from one machine to another where absolute rates do not): info, CSV and report
# against the XML report A on the same LOG, each classic pass against BASELINE, the fleet's
# two-at-a-time rate against one at a time, and each command's peak memory over the sizes.
# Info, CSV and report are measured against A with the two commands taking turns run by run, on
# the largest LOG (as a build against its baseline below): on a machine whose speed moves from
# one minute to the next, A measured in another minute would move their ratios with it.
#
# With BASELINE=<git revision>, that revision is built beside this tree (in a temporary git
# worktree) and measured in the same run: every figure from A to R is then the median of at
# least 15 runs of each build, the two builds taking turns run by run (which one goes first
# alternates), and the baseline's row follows with this build's time as a share of it.
#
# Times are hyperfine medians (warm page cache, output to /dev/null), or the interleaved medians
# above; memory is the maximum resident set size that /usr/bin/time -v reports. MB = 10^6 bytes.
#
#   bash bench/run.sh
#   SIZES="20" RUNS=15 bash bench/run.sh            # one size, more runs
#   SIZES="20 200 2000" bash bench/run.sh           # memory flat up to 2 GB (about 40 minutes)
#   BASELINE=HEAD~5 bash bench/run.sh               # beside an earlier build
#   BUILD_DIR=... BENCH_DIR=... SEED=... bash bench/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
work=${BENCH_DIR:-${TMPDIR:-/tmp}/orvexdecode-bench}
sizes=${SIZES:-"20 200"}
runs=${RUNS:-7}
seed=${SEED:-1}

# hyperfine and GNU time come from Debian packages of the same names.
missing=()
command -v hyperfine >/dev/null 2>&1 || missing+=(hyperfine)
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

echo "Building Release in $build ..." >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF >/dev/null
front_ends=(OrvexDecode_CmdLine OrvexDecode_Track OrvexDecode_Export OrvexDecode_Info OrvexDecode_Report)
cmake --build "$build" -j"$(nproc)" --target "${front_ends[@]}" orvexdecode_simulate >/dev/null
bin=$build/cmdline
decoder=$bin/orvexdecode
simulator=$build/tools/orvexdecode-simulate

baseline_bin=
if [ -n "${BASELINE:-}" ]; then
  baseline_tree=$work/baseline-tree
  rm -rf "$baseline_tree"
  git -C "$root" worktree prune
  git -C "$root" worktree add --detach "$baseline_tree" "$BASELINE" >/dev/null 2>&1
  echo "Building $BASELINE in $baseline_tree ..." >&2
  cmake -S "$baseline_tree" -B "$baseline_tree/build" -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF >/dev/null
  cmake --build "$baseline_tree/build" -j"$(nproc)" --target "${front_ends[@]}" >/dev/null
  baseline_bin=$baseline_tree/build/cmdline
fi
paired_runs=$((runs > 15 ? runs : 15))

mkdir -p "$work"
csv=$work/hyperfine.csv
timing=$work/time.txt

# median seconds of one command line (no shell: hyperfine runs it directly)
median_of() {
  hyperfine -N --warmup 1 --runs "$runs" --style none --export-csv "$csv" -- "$1" >/dev/null
  awk -F, 'NR == 2 { print $4 }' "$csv"
}

# Seconds of one run of a command line (no shell), output to /dev/null.
seconds_of_run() {
  local start=$EPOCHREALTIME
  # shellcheck disable=SC2086
  $1 >/dev/null 2>&1
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}

median_of_list() { sort -g | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Median seconds of two command lines (this build's and the baseline's, or a command and A),
# "first second": one warm-up run of each, then paired_runs runs of each, taking turns.
paired_medians_of() {
  local ours=$1 theirs=$2 i
  local ours_file=$work/paired_ours.txt theirs_file=$work/paired_theirs.txt
  : >"$ours_file"
  : >"$theirs_file"
  seconds_of_run "$ours" >/dev/null
  seconds_of_run "$theirs" >/dev/null
  for ((i = 0; i < paired_runs; i++)); do
    if ((i % 2 == 0)); then
      seconds_of_run "$ours" >>"$ours_file"
      seconds_of_run "$theirs" >>"$theirs_file"
    else
      seconds_of_run "$theirs" >>"$theirs_file"
      seconds_of_run "$ours" >>"$ours_file"
    fi
  done
  echo "$(median_of_list <"$ours_file") $(median_of_list <"$theirs_file")"
}

# peak resident set size in MB of one command line
peak_mb_of() {
  # shellcheck disable=SC2086
  /usr/bin/time -v $1 >/dev/null 2>"$timing"
  awk -F: '/Maximum resident set size/ { printf "%.1f", $2 / 1000 }' "$timing"
}

every_source="--ahrs --eis --analog --set_menu --gps_1 --gps_2 --gps_1_aviation --gps_2_nmea --arinc --sl30_1 --sl30_2 --sl40 --weather --verbose --debug"

# One table row: label, seconds, megabytes the rate counts, what they are, peak MB, and for a
# baseline row this build's seconds; uses the reference time and the input size of the LOG
# being measured.
row() {
  awk -v label="$1" -v s="$2" -v mb="$3" -v of="$4" -v ref="$ref" -v rss="$5" -v in_mb="$in_mb" -v ours="${6:-}" \
    'BEGIN { printf "%-30s %8s MB %10.4f %9.1f %-13s %8.2f %9s", label, in_mb, s, mb / s, of, s / ref, rss
             if (ours != "") printf "   this build %+.1f %%", (ours / s - 1) * 100
             printf "\n" }'
}

# The row of a figure: this build's median, and with a baseline the medians of both builds
# measured in turns and the baseline's row under it. Arguments: label, command line (of this
# build: its programs under $bin), megabytes the rate counts, what they are, peak MB. Leaves
# this build's median in figure_seconds; with a key (argument 6), keeps its seconds, the
# baseline's and the peak memory in seconds[key<size>], base_seconds[...] and peak[...], and
# the command line in command_of[key].
figure() {
  local label=$1 cmd=$2 mb=$3 of=$4 rss=$5 key=${6:-}
  if [ -n "$key" ]; then
    peak[$key$size]=$rss
    command_of[$key]=$cmd
  fi
  if [ -z "$baseline_bin" ]; then
    figure_seconds=$(median_of "$cmd")
    rows+=("$(row "$label" "$figure_seconds" "$mb" "$of" "$rss")")
    if [ -n "$key" ]; then seconds[$key$size]=$figure_seconds; fi
    return
  fi
  local both theirs
  both=$(paired_medians_of "$cmd" "${cmd//$bin\//$baseline_bin/}")
  figure_seconds=${both% *}
  theirs=${both#* }
  rows+=("$(row "$label" "$figure_seconds" "$mb" "$of" "$rss")")
  rows+=("$(row "  of $BASELINE" "$theirs" "$mb" "$of" "" "$figure_seconds")")
  if [ -n "$key" ]; then
    seconds[$key$size]=$figure_seconds
    base_seconds[$key$size]=$theirs
  fi
}

rows=()
declare -A seconds base_seconds peak command_of beside_a a_beside
largest=$(awk '{ print $NF }' <<<"$sizes")
for size in $sizes; do
  log=$work/flight_${size}mb_seed${seed}.LOG
  if [ ! -s "$log" ] || [ "$simulator" -nt "$log" ]; then
    echo "Simulating $log ..." >&2
    "$simulator" --seed "$seed" --size-mb "$size" -o "$log"
  fi
  in_bytes=$(stat -c %s "$log")
  in_mb=$(awk -v b="$in_bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
  cat "$log" >/dev/null  # into the page cache
  echo "Measuring the $in_mb MB LOG ..." >&2

  ref=$(median_of "cat $log")
  cmd_a="$decoder -o /dev/null $log"
  cmd_b="$decoder $every_source -o /dev/null $log"
  cmd_c="$decoder --nosummary -o /dev/null -k /dev/null $log"
  xml_bytes=$("$decoder" $every_source "$log" | wc -c)
  xml_mb=$(awk -v b="$xml_bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
  rss_ref=$(peak_mb_of "cat $log")
  rss_a=$(peak_mb_of "$cmd_a")
  rss_b=$(peak_mb_of "$cmd_b")
  rss_c=$(peak_mb_of "$cmd_c")

  rows+=("$(row "cat LOG > /dev/null" "$ref" "$in_mb" "input" "$rss_ref")")
  figure "A default (summaries)" "$cmd_a" "$in_mb" "input" "$rss_a" a
  figure "B every source" "$cmd_b" "$xml_mb" "XML ($xml_mb MB)" "$rss_b" b
  figure "C KML pass" "$cmd_c" "$in_mb" "input" "$rss_c" c
  seconds[bytes$size]=$in_bytes
  cmd_t="$bin/orvexdecode-track $log /dev/null"
  figure "T track" "$cmd_t" "$in_mb" "input" "$(peak_mb_of "$cmd_t")" t
  # F: each export, two passes over the LOG (the first stops early once the units and the
  # clock are known; the GPX's runs the flight time line).
  for format in csv avionics-csv gpx kml; do
    cmd_f="$bin/orvexdecode-export $format $log /dev/null"
    figure "F export $format" "$cmd_f" "$in_mb" "input" "$(peak_mb_of "$cmd_f")" "f_$format"
  done
  cmd_i="$bin/orvexdecode-info --json $log"
  figure "I info --json" "$cmd_i" "$in_mb" "input" "$(peak_mb_of "$cmd_i")" i
  cmd_r="$bin/orvexdecode-report $log -o /dev/null"
  figure "R report" "$cmd_r" "$in_mb" "input" "$(peak_mb_of "$cmd_r")" r
  if [ "$size" = "$largest" ]; then
    for key in i f_csv r; do
      both=$(paired_medians_of "${command_of[$key]}" "$cmd_a")
      beside_a[$key]=${both% *}
      a_beside[$key]=${both#* }
    done
  fi
  peak=$(printf "%s\n%s\n%s\n" "$rss_a" "$rss_b" "$rss_c" | sort -g | tail -1)
  rows+=("$(printf "%-30s %8s MB %10s %9s %-13s %8s %9s" "D peak memory (A, B, C)" "$in_mb" "" "" "" "" "$peak")")
done

# E: a fleet of ten 20 MB LOGs, two decodes at a time.
fleet=()
for n in 1 2 3 4 5 6 7 8 9 10; do
  log=$work/fleet_20mb_seed$n.LOG
  if [ ! -s "$log" ] || [ "$simulator" -nt "$log" ]; then
    "$simulator" --seed "$n" --size-mb 20 -o "$log"
  fi
  fleet+=("$log")
done
cat "${fleet[@]}" >/dev/null
fleet_bytes=$(cat "${fleet[@]}" | wc -c)
fleet_mb=$(awk -v b="$fleet_bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
printf "%s\n" "${fleet[@]}" > "$work/fleet.txt"
# One core's rate: the command under "taskset -c 0" (util-linux) when it is there.
one_core=
command -v taskset >/dev/null 2>&1 && one_core="taskset -c 0 "
# The command line of the ten LOGs decoded by decoder, at most $2 at a time (2 unless told),
# run under $3 (one core).
fleet_cmd() { echo "${3:-}xargs -a $work/fleet.txt -P${2:-2} -I{} $1 -o /dev/null {}"; }
ref=$(median_of "cat ${fleet[*]}")
in_mb=$fleet_mb
rows+=("$(row "cat of the ten LOGs" "$ref" "$fleet_mb" "input" "")")
# One at a time on one core and two at a time, taking turns as the ratios to A do.
both=$(paired_medians_of "$(fleet_cmd "$decoder" 1 "$one_core")" "$(fleet_cmd "$decoder")")
fleet_one_seconds=${both% *}
fleet_seconds=${both#* }
rows+=("$(row "E1 fleet: one at a time${one_core:+, 1 core}" "$fleet_one_seconds" "$fleet_mb" "input" "")")
rows+=("$(row "E fleet: ten LOGs, xargs -P2" "$fleet_seconds" "$fleet_mb" "input" "")")
[ -n "$baseline_bin" ] && rows+=("$(row "  E of $BASELINE" "$(median_of "$(fleet_cmd "$baseline_bin/orvexdecode")")" "$fleet_mb" "input" "" "$fleet_seconds")")
# The same ten LOGs summarised by one orvexdecode-info, one LOG at a time and two at a time.
info_fleet_cmd() { echo "${2:-}$bin/orvexdecode-info --json -j $1 ${fleet[*]}"; }
both=$(paired_medians_of "$(info_fleet_cmd 1 "$one_core")" "$(info_fleet_cmd 2)")
info_fleet_one_seconds=${both% *}
info_fleet_seconds=${both#* }
rows+=("$(row "E1 info fleet: -j 1${one_core:+, 1 core}" "$info_fleet_one_seconds" "$fleet_mb" "input" "")")
rows+=("$(row "E info fleet: -j 2" "$info_fleet_seconds" "$fleet_mb" "input" "")")

echo
echo "OrvexDecode benchmark: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
if [ -n "$baseline_bin" ]; then
  echo "A to R: medians of $paired_runs runs of each build taking turns; the rest hyperfine medians of $runs runs"
else
  echo "hyperfine medians of $runs runs, warm cache, output to /dev/null; MB = 10^6 bytes"
fi
printf "%-30s %11s %10s %9s %-13s %8s %9s\n" "figure" "LOG" "median s" "MB/s" "of" "x cat" "peak MB"
printf "%s\n" "${rows[@]}"

set -- $sizes
if [ $# -ge 2 ]; then
  small=$1
  large=${!#}
  awk -v a1="${seconds[a$small]}" -v a2="${seconds[a$large]}" -v b1="${seconds[b$small]}" -v b2="${seconds[b$large]}" \
    -v c1="${seconds[c$small]}" -v c2="${seconds[c$large]}" -v n1="${seconds[bytes$small]}" -v n2="${seconds[bytes$large]}" \
    'BEGIN { printf "time per input byte, %.0f MB LOG over %.0f MB LOG (1.00 = linear): A %.2f  B %.2f  C %.2f\n",
             n2 / 1e6, n1 / 1e6, (a2 / n2) / (a1 / n1), (b2 / n2) / (b1 / n1), (c2 / n2) / (c1 / n1) }'
fi
echo "targets: A, C >= 1000 MB/s of input; B >= 3000 MB/s of XML; D <= 8 MB and the same for every size; E >= 2000 MB/s;"
echo "         F csv at least as fast as A, every F flat in memory over the sizes"
# The ratios, each with its target: a throughput ratio is the other command's time over this
# one's (>= 1 is faster), on the largest LOG measured.
echo
printf "%-44s %9s %9s  %s\n" "ratio" "measured" "target" "met"
ratio_row() {
  awk -v label="$1" -v r="$2" -v t="$3" -v how="${4:-min}" 'BEGIN {
    met = (how == "min" ? r >= t : r <= t) ? "yes" : "NO"
    printf "%-44s %9.2f %9s  %s\n", label, r, (how == "min" ? ">= " : "<= ") t, met }'
}
set -- $sizes
large=${!#}
quotient() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", a / b }'; }
echo "(info, CSV and report: medians of $paired_runs runs of each beside A, the two taking turns)"
ratio_row "info --json throughput / XML report A" "$(quotient "${a_beside[i]}" "${beside_a[i]}")" 1.5
ratio_row "CSV export throughput / XML report A" "$(quotient "${a_beside[f_csv]}" "${beside_a[f_csv]}")" 1.0
ratio_row "HTML report throughput / XML report A" "$(quotient "${a_beside[r]}" "${beside_a[r]}")" 0.6
awk -v i="${beside_a[i]}" -v ai="${a_beside[i]}" -v c="${beside_a[f_csv]}" -v ac="${a_beside[f_csv]}" \
  -v r="${beside_a[r]}" -v ar="${a_beside[r]}" \
  'BEGIN { printf "  seconds beside A: info %.4f, A %.4f; CSV %.4f, A %.4f; report %.4f, A %.4f\n", i, ai, c, ac, r, ar }'
if [ -n "$baseline_bin" ]; then
  for key in a b c t; do
    ratio_row "pass $key throughput / $BASELINE's" "$(quotient "${base_seconds[$key$large]}" "${seconds[$key$large]}")" 1.3
  done
fi
ratio_row "fleet xargs -P2 / one at a time, one core" "$(quotient "$fleet_one_seconds" "$fleet_seconds")" 1.8
ratio_row "fleet info -j 2 / -j 1 on one core" "$(quotient "$info_fleet_one_seconds" "$info_fleet_seconds")" 1.8
set -- $sizes
if [ $# -ge 2 ]; then
  for key in a b c t f_csv f_avionics-csv f_gpx f_kml i r; do
    ratio_row "peak MB growth $key, ${1} MB to ${!#} MB LOG" \
      "$(awk -v x="${peak[$key$1]}" -v y="${peak[$key${!#}]}" 'BEGIN { print y - x }')" 8 max
  done
fi

if [ -n "${baseline_tree:-}" ]; then
  git -C "$root" worktree remove --force "$baseline_tree" >/dev/null 2>&1 || true
fi
