#!/usr/bin/env bash
# Builds OrvexDecode, decodes the bundled sample flight into an XML report, a KML path and a track,
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
echo
./build/cmdline/orvexdecode-info "$sample"
