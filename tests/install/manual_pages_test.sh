#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks every installed command against its
# manual page: --help and --version answer as the pages say, each page has the usual
# sections and renders without a warning, and every option of the usage text is in it.
#   manual_pages_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/installed_commands.sh"
install_build "$build" "$work/prefix"

checked=0
for exe in "$work"/prefix/bin/*; do
  name=$(basename "$exe")
  checked=$((checked + 1))

  # orvexdecode keeps its usage text and --version block on standard error with status 1;
  # every other command answers on standard output with status 0, --version in one line.
  status=0
  "$name" --help >"$work/out" 2>"$work/err" || status=$?
  if [ "$name" = orvexdecode ]; then
    [ "$status" = 1 ] && [ ! -s "$work/out" ] && grep -q '^Usage: ' "$work/err" ||
      fail "$name --help: status $status, expected the usage on standard error with status 1"
  else
    [ "$status" = 0 ] && [ ! -s "$work/err" ] && grep -q '^Usage: ' "$work/out" ||
      fail "$name --help: status $status, expected the usage on standard output with status 0"
    status=0
    answer=$("$name" --version 2>&1) || status=$?
    [ "$status" = 0 ] && [ "$answer" = "$name $version" ] ||
      fail "$name --version: status $status, '$answer', expected '$name $version'"
  fi

  page=$work/prefix/share/man/man1/$name.1.gz
  if [ ! -f "$page" ]; then
    fail "$name has no manual page"
    continue
  fi
  warnings=$(MANWIDTH=80 man -l --warnings "$page" 2>&1 >/dev/null) || fail "$name: man cannot render its page"
  [ -z "$warnings" ] || fail "$name: man warns: $warnings"

  # The page's roff without font changes and escapes: the options as a reader sees them.
  zcat "$page" | sed -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/\\&//g' >"$work/page"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES "SEE ALSO"; do
    grep -qE "^\.SH \"?$section\"?\$" "$work/page" || fail "$name: no $section section"
  done
  for option in $(usage_options "$name"); do
    grep -qE -- "(^|[^A-Za-z0-9_-])$option([^A-Za-z0-9_-]|\$)" "$work/page" ||
      fail "$name: $option of the usage text is not in the manual page"
  done
done

[ "$checked" -ge 3 ] || fail "only $checked commands installed"
echo "$checked commands checked against their manual pages, $failures failures"
[ "$failures" = 0 ]
