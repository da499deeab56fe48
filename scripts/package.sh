#!/usr/bin/env bash
# Builds the Debian packages orvexdecode and liborvexdecode-dev in build-deb/ with Debian's
# hardening flags, checks them with lintian (an E: tag fails), lists them, and runs the
# commands, the stylesheet and the library extracted from them on the bundled sample.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_deps.sh dpkg-dev file lintian

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The manual pages carry the date of the top changelog entry.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog.Debian -STimestamp)
export SOURCE_DATE_EPOCH
version=$(dpkg-parsechangelog -l packaging/changelog.Debian -SVersion)
arch=$(dpkg --print-architecture)

# Debian's flags without -g: the package carries no debugging symbols, in the commands
# (which CPack strips) or in the static library.
build_flags() { dpkg-buildflags --get CPPFLAGS; dpkg-buildflags --get "$1" | sed -E 's/(^| )-g( |$)/ /'; }
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DORVEX_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$(build_flags CFLAGS | tr '\n' ' ')" -DCMAKE_CXX_FLAGS="$(build_flags CXXFLAGS | tr '\n' ' ')" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-deb -j"$(nproc)" >/dev/null
rm -f build-deb/*.deb
(cd build-deb && cpack -G DEB >/dev/null)

tools=build-deb/orvexdecode_${version}_${arch}.deb
dev=build-deb/liborvexdecode-dev_${version}_${arch}.deb
for deb in "$tools" "$dev"; do
  [ -f "$deb" ] || { echo "ERROR: cpack did not write $deb"; exit 1; }
done

echo "== lintian"
status=0
lintian --pedantic --display-info --fail-on error "$tools" "$dev" >build-deb/lintian.txt 2>&1 || status=$?
grep -v 'running with root privileges' build-deb/lintian.txt || true
if [ "$status" != 0 ] || grep -q '^E: ' build-deb/lintian.txt; then
  echo "ERROR: lintian reports errors (status $status)"
  exit 1
fi

for deb in "$tools" "$dev"; do
  echo "== dpkg-deb -c $deb"
  dpkg-deb -c "$deb"
done

echo "== the extracted packages at work"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$tools" "$root"
dpkg-deb -x "$dev" "$root"
bin=$root/usr/bin
sample=samples/demo_flight.LOG
"$bin/orvexdecode" --gps_2_nmea --eis -o "$root/demo.xml" -k "$root/demo.kml" "$sample"
xmllint --noout "$root/demo.xml" "$root/demo.kml"
# The stylesheet the report names renders it as a web page.
xsltproc "$root/usr/share/orvexdecode/xsl/OrvexDecode.summary_xml2html.xsl" "$root/demo.xml" >"$root/demo.html"
xmllint --html --noout "$root/demo.html"
"$bin/orvexdecode-track" "$sample" "$root/demo.track.tsv"
[ "$(head -n 1 "$root/demo.track.tsv")" = BOF ] && [ "$(tail -n 1 "$root/demo.track.tsv")" = EOF ] ||
  { echo "ERROR: the track does not lie between BOF and EOF"; exit 1; }
"$bin/orvexdecode-export" gpx "$sample" "$root/demo.gpx"
"$bin/orvexdecode-export" kml "$sample" "$root/demo.replay.kml"
xmllint --noout "$root/demo.gpx" "$root/demo.replay.kml"
"$bin/orvexdecode-report" -o "$root/demo.report.html" "$sample"
[ "$(tail -n 1 "$root/demo.report.html")" = "</body></html>" ] ||
  { echo "ERROR: the flight report is not a whole page"; exit 1; }
# The airport table the commands look airports up in, where they look for it.
[ -s "$root/usr/share/orvexdecode/airports.idx" ] || { echo "ERROR: the package holds no airport table"; exit 1; }
for name in orvexdecode-track orvexdecode-simulate orvexdecode-export orvexdecode-report; do
  [ "$("$bin/$name" --version)" = "$name ${version%-*}" ] || { echo "ERROR: $name --version"; exit 1; }
done
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man -l --warnings "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "ERROR: man warns about $page: $warnings"; exit 1; }
done
# The example program builds against the extracted library and decodes as the command does.
cmake -S examples -B "$root/example" -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$root/example" >/dev/null
"$root/example/decode_to_xml" "$sample" | sed -E 's/decode_timestamp="[^"]*"//' >"$root/example.xml"
"$bin/orvexdecode" "$sample" | sed -E 's/decode_timestamp="[^"]*"//' | cmp -s - "$root/example.xml" ||
  { echo "ERROR: the example built on liborvexdecode-dev decodes differently"; exit 1; }
echo "orvexdecode decoded $sample to XML ($(wc -c <"$root/demo.xml") bytes, $(wc -c <"$root/demo.html") bytes of HTML) and KML," \
  "orvexdecode-track to $(($(wc -l <"$root/demo.track.tsv") - 3)) track rows"
echo "Packages: $tools $dev"
