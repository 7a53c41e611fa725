#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite.
# The tests run inside a private network namespace: nothing they send can leave the
# machine, and ports such as 3639 never clash with other programs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/prepare.sh
exec "${private_network[@]}" -- bash -c 'ip link set lo up && cd build && ctest --output-on-failure --timeout 300 -j "$(nproc)"'
