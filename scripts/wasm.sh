#!/usr/bin/env bash
# Builds the library as a WebAssembly module, build-wasm/orvexdecode.wasm, with Debian's LLVM 19
# and WASI packages (installed when missing, as scripts/install_deps.sh installs its own), and
# Node when it is missing (node tools/wasm/orvexdecode.mjs runs the module; the tests compare it
# with the native commands).
#
#   bash scripts/wasm.sh
#   BUILD_DIR=... bash scripts/wasm.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-wasm}

# clang-19 and lld-19 compile and link for wasm32-wasi; llvm-19 archives (llvm-ar-19); the C
# library, the C++ runtime and the compiler's builtins for the target come in their own packages.
# binaryen: clang runs its wasm-opt after the link, which makes the module about a tenth smaller.
packages=(cmake make g++ clang-19 lld-19 llvm-19 wasi-libc libc++-19-dev-wasm32 libc++abi-19-dev-wasm32
  libclang-rt-19-dev-wasm32 binaryen)
command -v node >/dev/null 2>&1 || packages+=(nodejs)
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

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/wasm32-wasi.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target OrvexDecode_Wasm >/dev/null
echo "WebAssembly module: $build/orvexdecode.wasm ($(stat -c %s "$build/orvexdecode.wasm") bytes)"
