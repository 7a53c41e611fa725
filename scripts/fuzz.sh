#!/usr/bin/env bash
# Runs one fuzz target with libFuzzer (clang, ASan and UBSan) for a number of seconds:
#   scripts/fuzz.sh TARGET SECONDS
# Builds into build-fuzz/. New inputs libFuzzer finds go to build-fuzz/corpus/TARGET;
# crashes are written to build-fuzz/crashes/. The seeds in tests/fuzz/corpus/TARGET are
# read, never written: copy a finding there (with its fix) to keep it covered.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS}
seconds=${2:-60}
export DEBIAN_FRONTEND=noninteractive
for p in clang-14 libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || {
    apt-get update && apt-get install -y --no-install-recommends clang-14 libclang-rt-14-dev; break; }
done
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALLIS_FUZZ=ON -DTALLIS_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "fuzz_$target" --parallel "$(nproc)"
mkdir -p "build-fuzz/corpus/$target" build-fuzz/crashes
exec "build-fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
  -artifact_prefix=build-fuzz/crashes/ "build-fuzz/corpus/$target" "tests/fuzz/corpus/$target"
