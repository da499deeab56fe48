#!/usr/bin/env bash
# Installs the build into a fresh prefix, decodes a simulated one-minute flight with -x naming
# the installed stylesheet, and renders the report with xsltproc through that reference. The
# page must parse as HTML without a complaint and show each summary as one row: its time, its
# GPS 1 latitude (an empty cell where the summary holds no GPS 1 fix) and its CHT 1, as read
# from the report's lines; and one row per selected EIS and settings record.
#   stylesheet_test.sh BUILD_DIR
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/installed_commands.sh"
install_build "$build" "$work/prefix" || exit 1
cd "$work"

xsl=$work/prefix/share/orvexdecode/xsl/OrvexDecode.summary_xml2html.xsl
[ -f "$xsl" ] || { echo "FAIL: the stylesheet is not installed at $xsl"; exit 1; }

orvexdecode-simulate --seed 3 --minutes 1 -o flight.LOG || exit 1
orvexdecode --eis --ahrs_lr --set_menu -x "file://$xsl" -o flight.xml flight.LOG || exit 1

# No stylesheet named: xsltproc follows the report's own reference.
status=0
xsltproc flight.xml >flight.html 2>xsltproc.err || status=$?
[ "$status" = 0 ] && [ ! -s xsltproc.err ] || fail "xsltproc: status $status, $(cat xsltproc.err)"
xsltproc "$xsl" flight.xml | cmp -s - flight.html || fail "the stylesheet named on the command line renders otherwise"

xmllint --html --noout flight.html >lint.out 2>&1 || fail "xmllint --html: status $?"
[ ! -s lint.out ] || fail "xmllint --html: $(head -n 5 lint.out)"
head -n 1 flight.html | grep -qi '^<!DOCTYPE html' || fail "no HTML doctype: $(head -n 1 flight.html)"

# What each summary should show, from the report's lines: the latest source timestamp in
# tenths of a second (rounded half up), the GPS 1 decimal latitude, CHT 1.
awk -F'[<>]' '
  /^<summary_log_entry / {
    latest = 0
    for (i = 1; i <= NF; i++) {
      n = split($i, words, " ")
      for (w = 1; w <= n; w++) {
        if (words[w] ~ /_timestamp="-?[0-9]+"$/) {
          t = words[w]; sub(/^[^"]*"/, "", t); sub(/"$/, "", t)
          if (t + 0 > latest) latest = t + 0
        }
      }
    }
    latitude = ""; cht = ""; inside = 1
  }
  inside && /<gps_1_latitude_decimal>/ { latitude = $3; gsub(/ /, "", latitude) }
  inside && /<chttemp1>/ { cht = $3 }
  /^<\/summary_log_entry>/ {
    d = int((latest + 50) / 100)
    printf "%d.%d|%s|%s\n", int(d / 10), d % 10, latitude, cht
    inside = 0
  }' flight.xml >expected.txt

# column N: the text of the Nth cell of every summary row, one row a line.
column() {
  xmllint --html --xpath "//table[@id='summary_table']/tbody/tr/td[$1]" flight.html 2>/dev/null |
    sed -E -e 's#^<td/>$##' -e 's#^<td>(.*)</td>$#\1#'
}
column 1 >time.txt; column 2 >latitude.txt; column 8 >cht.txt
paste -d'|' time.txt latitude.txt cht.txt >shown.txt

summaries=$(wc -l <expected.txt)
[ "$summaries" -ge 30 ] || fail "the report holds only $summaries summaries"
[ "$(grep -c '^<summary_log_entry ' flight.xml)" = "$summaries" ] || fail "summaries read from the report"
diff expected.txt shown.txt >diff.txt || fail "the summary rows differ from the report (expected < > shown):
$(head -n 10 diff.txt)"
grep -q '^[^|]*||[0-9]' expected.txt || fail "no summary without a GPS 1 fix: the empty cell is not checked"
grep -q '^[^|]*|[-0-9.]\+|[0-9]' expected.txt || fail "no summary with a GPS 1 fix"

# One row per selected record of each group.
while IFS='|' read -r id source_type_desc; do
  records=$(grep -c "^<orvex_efis_log_entry [^>]*source_type_desc=\"$source_type_desc\"" flight.xml)
  rows=$(xmllint --html --xpath "count(//h3[@id='$id']/following-sibling::table[1]/tbody/tr)" flight.html)
  [ "$records" -gt 0 ] && [ "$rows" = "$records" ] || fail "$id: $rows rows for $records $source_type_desc records"
done <<EOF_TABLE
records_eis|EIS_Input
records_ahrs_lr|AHRS_Input
records_set_menu|Set_Menu
EOF_TABLE

echo "$summaries summary rows checked, $failures failures"
[ "$failures" = 0 ]
