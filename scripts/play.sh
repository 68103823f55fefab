#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh play
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DGRUMBOSH_TESTS=OFF -DGRUMBOSH_BENCHMARKS=OFF >/dev/null
cmake --build build --target grumbosh -j "$(nproc)"
exec build/grumbosh
