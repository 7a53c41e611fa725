#!/usr/bin/env bash
# Configures and builds Tallis into build/ (Release with debug info).
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# CI (CI=true) builds with warnings as errors.
options=()
[ "${CI:-}" = true ] && options+=(-DTALLIS_WERROR=ON)
cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build build --parallel "$(nproc)"
