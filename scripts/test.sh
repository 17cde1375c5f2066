#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test,
# then runs them again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVASTA_WERROR=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure -j "$jobs"

if [ "${KELVASTA_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVASTA_WERROR=ON \
    -DKELVASTA_SANITIZE=ON -DKELVASTA_BENCHMARKS=OFF
  cmake --build build-sanitize -j "$jobs"
  # Qt and fontconfig keep caches alive until exit; leak reports there are not ours.
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
fi
