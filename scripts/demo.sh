#!/usr/bin/env bash
# Builds OrvexDecode, decodes the bundled sample flight into an XML report, a KML path and a track,
# exports it as CSV, avionics datalog CSV, GPX and KML with time, writes its HTML flight report,
# and prints its flight summary. It says what it is doing: a line for each stage, and while a
# stage runs a line at least every 30 s (the build's percentage); the output of the package
# installation, the configuration and the build goes to logs in build/, whose last lines are
# shown when a stage fails.
set -euo pipefail
cd "$(dirname "$0")/.."

# The time since the script started, as minutes:seconds.
elapsed() { printf '%d:%02d' $((SECONDS / 60)) $((SECONDS % 60)); }

# run_stage LOG COMMAND...: runs the command with its output in LOG. While it runs, says how far
# the build has got whenever it passes another tenth (make's "[ 45%]", ninja's "[12/150]"), and
# how long it has been running when nothing was said for 25 s. On failure, shows the last lines
# of LOG and ends with the command's status.
run_stage() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 &
  local pid=$! said_at=$SECONDS said_tenth=-1 line percent status=0
  while kill -0 "$pid" 2>/dev/null; do
    sleep 1
    line=$(grep -Eo '^\[ *[0-9]+%\]|^\[[0-9]+/[0-9]+\]' "$log" | tail -n 1 || true)
    percent=
    if [[ $line =~ ^\[\ *([0-9]+)%\]$ ]]; then
      percent=${BASH_REMATCH[1]}
    elif [[ $line =~ ^\[([0-9]+)/([0-9]+)\]$ ]]; then
      percent=$((BASH_REMATCH[1] * 100 / BASH_REMATCH[2]))
    fi
    if [ -n "$percent" ] && [ $((percent / 10)) -gt "$said_tenth" ]; then
      said_tenth=$((percent / 10))
      echo "      ${percent}% built ($(elapsed))"
      said_at=$SECONDS
    elif [ $((SECONDS - said_at)) -ge 25 ]; then
      if [ "$said_tenth" -ge 0 ]; then echo "      still building, ${percent:-0}% done ($(elapsed))"; else echo "      still running ($(elapsed))"; fi
      said_at=$SECONDS
    fi
  done
  wait "$pid" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "Failed (status $status). The last lines of $log:" >&2
    tail -n 25 "$log" >&2
    exit "$status"
  fi
}

mkdir -p build
echo "[1/4] Installing the Debian packages the build and the tests need, when missing ($(elapsed))"
if [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null; then
  run_stage build/demo-install.log bash scripts/install_deps.sh
else
  bash scripts/install_deps.sh  # sudo may ask for a password here
fi
echo "[2/4] Configuring the build in build/ ($(elapsed))"
run_stage build/demo-configure.log cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF
echo "[3/4] Building the commands with $(nproc) jobs, a few minutes the first time ($(elapsed))"
run_stage build/demo-build.log cmake --build build -j"$(nproc)"
sample=samples/demo_flight.LOG
echo "[4/4] Decoding $sample ($(elapsed))"

mkdir -p out
./build/cmdline/orvexdecode --gps_2_nmea --eis --ahrs_lr --analog --set_menu -o out/demo_flight.xml -k out/demo_flight.kml "$sample"
echo "Decoded $sample:"
echo "  XML report: $PWD/out/demo_flight.xml"
echo "  KML path:   $PWD/out/demo_flight.kml"
./build/cmdline/orvexdecode-track "$sample" out/demo_flight.track.tsv
echo "  Track:      $PWD/out/demo_flight.track.tsv"
./build/cmdline/orvexdecode-export csv "$sample" out/demo_flight.csv
./build/cmdline/orvexdecode-export avionics-csv "$sample" out/demo_flight.avionics.csv
./build/cmdline/orvexdecode-export gpx "$sample" out/demo_flight.gpx
./build/cmdline/orvexdecode-export kml "$sample" out/demo_flight.replay.kml
echo "  Exports:    $PWD/out/demo_flight.csv (one row a second), .avionics.csv, .gpx, .replay.kml (KML with time)"
./build/cmdline/orvexdecode-report -o out/demo_flight.html "$sample"
echo "  Report:     $PWD/out/demo_flight.html (open it in a browser)"
echo
./build/cmdline/orvexdecode-info "$sample"
