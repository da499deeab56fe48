#!/usr/bin/env bash
# Builds OrvexDecode, decodes the bundled sample flight into an XML report, a KML path and a track,
# exports it as CSV, avionics datalog CSV, GPX and KML with time, writes its HTML flight report,
# and prints its flight summary.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" >/dev/null

sample=samples/demo_flight.LOG
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
