#!/usr/bin/env bash
# Installs the build into a fresh prefix and builds the example program against it twice, with
# find_package and with pkg-config; each must decode the sample exactly as orvexdecode does.
#   installed_library_test.sh BUILD_DIR SOURCE_DIR ORVEXDECODE
set -euo pipefail
build=$1 source=$2 orvexdecode=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
sample=$source/samples/demo_flight.LOG

cmake --install "$build" --prefix "$prefix" >/dev/null
for tool in orvexdecode orvexdecode-track orvexdecode-info; do
  [ -x "$prefix/bin/$tool" ] || { echo "$tool is not installed"; exit 1; }
done
mask() { sed -E 's/decode_timestamp="[^"]*"/decode_timestamp=""/' "$1"; }
"$orvexdecode" "$sample" > "$work/expected.xml"

cmake -S "$source/examples" -B "$work/with-cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/with-cmake" >/dev/null
"$work/with-cmake/decode_to_xml" "$sample" > "$work/cmake.xml"
diff <(mask "$work/expected.xml") <(mask "$work/cmake.xml") >/dev/null || { echo "find_package build differs"; exit 1; }

libdir=$(find "$prefix" -name orvexdecode.pc -printf '%h\n' | head -n 1)
flags=$(PKG_CONFIG_PATH=$libdir pkg-config --cflags --libs orvexdecode)
# shellcheck disable=SC2086
cc -std=c99 -Wall -Wextra -Werror -pedantic -o "$work/pkg-config-example" "$source/examples/decode_to_xml.c" $flags
"$work/pkg-config-example" "$sample" > "$work/pkg-config.xml"
diff <(mask "$work/expected.xml") <(mask "$work/pkg-config.xml") >/dev/null || { echo "pkg-config build differs"; exit 1; }
echo "find_package and pkg-config builds decode the sample as orvexdecode does"
