#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite.
# The tests run inside a private network namespace: nothing they send can leave the
# machine, and ports such as 3639 never clash with other programs.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only installing packages needs root; without it the private network is made with
# `unshare -rn` (a user namespace), where the system allows that.
if [ "$(id -u)" -eq 0 ]; then
  ./scripts/install-deps.sh
  private_network=(unshare --net)
else
  echo "Not root: packages are not installed (run scripts/install-deps.sh as root once)"
  private_network=(unshare -rn)
fi
./scripts/build.sh
exec "${private_network[@]}" -- bash -c 'ip link set lo up && cd build && ctest --output-on-failure --timeout 300 -j "$(nproc)"'
