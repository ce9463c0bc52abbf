#!/usr/bin/env bash
# Builds the Linux tool with its tests in build/ and runs every test.
# Set-up included: what is missing is installed first.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

scripts/setup.sh linux tests
configure build -DDRAV_TESTS=ON
build build

# A hung test must not hold CI for ever; every test finishes well within this.
log=build/ctest.log
status=0
ctest --test-dir build --output-on-failure --timeout 1800 2>&1 | tee "$log" ||
  status=$?
summary=$(grep -E '^[0-9]+% tests passed' "$log" || true)
say "${summary:-ctest printed no summary}"
exit "$status"
