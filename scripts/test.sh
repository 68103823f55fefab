#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: first the unit tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the wave
# reader's fuzzer for a bounded time, then the Windows program, cross-compiled
# and tested under wine, then the web build played in headless Chromium, then
# the Debian package (built, checked by lintian, installed, played end to end
# from another folder and purged), and last the whole suite (end-to-end tests
# of the real program included) on a warnings-as-errors build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test windows package webtest
jobs=$(nproc)

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGRUMBOSH_WERROR=ON \
  -DGRUMBOSH_SANITIZE=address,undefined -DGRUMBOSH_TESTS=ON -DGRUMBOSH_BENCHMARKS=OFF >/dev/null
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -E "^e2e_" -j "$jobs"

echo "== Fuzzing the wave reader"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGRUMBOSH_FUZZ=ON -DGRUMBOSH_TESTS=OFF -DGRUMBOSH_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz --target wave_fuzz -j "$jobs"
fuzz/run_wave_fuzz.sh build-fuzz "${GRUMBOSH_FUZZ_SECONDS:-60}"

echo "== The Windows build under wine"
scripts/test-windows.sh build-windows

echo "== The web build in headless Chromium"
scripts/test-web.sh build-web

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRUMBOSH_WERROR=ON \
  -DGRUMBOSH_TESTS=ON -DGRUMBOSH_BENCHMARKS=ON >/dev/null
cmake --build build -j "$jobs"

echo "== The Debian package"
GRUMBOSH_JOBS=$jobs scripts/package.sh --install-and-play build/tests/e2e build-package

# Last, so that its summary closes the output.
echo "== Every test"
ctest --test-dir build --output-on-failure
