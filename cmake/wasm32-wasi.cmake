# Builds the library as a WebAssembly module for WASI with Debian's LLVM 19 and WASI packages
# (clang-19, lld-19, wasi-libc, libc++-19-dev-wasm32, libc++abi-19-dev-wasm32,
# libclang-rt-19-dev-wasm32). scripts/wasm.sh installs them and runs this build:
#
#   cmake -S . -B build-wasm -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake
#   cmake --build build-wasm          # writes build-wasm/orvexdecode.wasm
#
# Debian's C library and C++ runtime for the target lie where clang looks for wasm32-wasi, so
# no sysroot is named. The C++ runtime is built without exceptions: the code must not throw.
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_VERSION 1)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})

set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
# CMake can't read the pointer size from a WebAssembly object.
set(CMAKE_SIZEOF_VOID_P 4)
set(CMAKE_AR llvm-ar-19 CACHE FILEPATH "archiver for wasm32")
set(CMAKE_RANLIB llvm-ranlib-19 CACHE FILEPATH "ranlib for wasm32")
# Bulk memory (memory.copy and memory.fill for the many copies of the writer and the decoders)
# and SIMD (simd_memchr.cpp), which Node 16.4, Chrome 91, Firefox 89 and Safari 16.4 run; the
# whole program optimised at link time. Float-to-integer conversions stay the checked ones:
# the saturating instructions would give another integer than native code for a value out of
# range.
set(CMAKE_C_FLAGS_INIT "-mbulk-memory -msimd128 -flto")
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -mbulk-memory -msimd128 -flto")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-flto")

# Tests of the compiler link no program: there is no WASI to run one.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_FIND_ROOT_PATH /usr/lib/wasm32-wasi /usr/include/wasm32-wasi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
