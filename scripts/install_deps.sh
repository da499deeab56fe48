#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing; any
# packages named as arguments too (scripts/package.sh names its packaging tools).
set -euo pipefail

# libxml2-dev: the fuzz checks, which the corpus replay runs too, parse documents with it.
packages=(cmake g++ make libgtest-dev libxml2-utils libxml2-dev pkgconf "$@")
# rapidjson-dev: the fuzz checks read the JSON summary and check it against its schema in process.
packages+=(rapidjson-dev)
# Manual pages (scdoc builds them, man checks them) and bash completion.
packages+=(scdoc man-db bash-completion)
# xsltproc renders a report with the installed stylesheet (its test).
packages+=(xsltproc)
# The JSON Lines of orvexdecode-info are checked against their schema (its test).
packages+=(python3-jsonschema)
# strace: the command-line tests make reads fail with it.
packages+=(strace)
# tzdata: local times come from the system's time-zone files, which the tests read too.
packages+=(tzdata)
# The exports are read back by real readers: GPSBabel (GPX and the avionics CSV) and GDAL's
# LIBKML driver (KML); xmllint (libxml2-utils) checks the GPX against its schema.
packages+=(gpsbabel gdal-bin)
# chromium: the HTML flight report is opened in a real browser, headless and offline (its test).
packages+=(chromium)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
