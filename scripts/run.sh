#!/usr/bin/env bash
# Installs what is missing, builds Kelvasta and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVASTA_BENCHMARKS=OFF
cmake --build build --target kelvasta
exec ./build/app/kelvasta "$@"
