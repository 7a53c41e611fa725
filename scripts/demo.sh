#!/usr/bin/env bash
# Installs what is needed, builds, and runs Tallis on a loopback configuration in a
# private network namespace, showing its log.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
base=$(mktemp -d /tmp/tallis-demo-XXXXXX)
cp build/src/shell/tallis "$base/"
mkdir -p "$base/Config"
printf '[Interface]\r\nBroadcastAddress=127.255.255.255\r\n' > "$base/Config/vynXap.ini"
echo "Base folder: $base"
exec unshare --net -- bash -c "ip link set lo up && cd '$base' && (QT_QPA_PLATFORM=offscreen timeout \${DEMO_SECONDS:-10} ./tallis; true) && echo '--- Data/raruveViziva.txt ---' && cat Data/raruveViziva.txt"
