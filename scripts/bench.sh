#!/usr/bin/env bash
# Builds the tool in Release mode in build-bench/ and runs the benchmarks,
# which print every figure against a baseline measured in the same run and
# exit non-zero when one misses its target. Linux only.
#
#   scripts/bench.sh [--runs N] [--only copy,install,waiting,startup,query] [--record]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

scripts/setup.sh linux
configure build-bench -DCMAKE_BUILD_TYPE=Release -DDRAV_TESTS=OFF
build build-bench drav-workshop drav-localsteam drav-bench-copy
exec python3 bench/run_benchmarks.py --build build-bench "$@"
