#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitizers/ and runs the whole test suite there, inside a private network
# namespace (nothing the tests send can leave the machine). Needs root for the
# namespace. Not part of CI: on two cores the build alone takes a long while.
#
#   scripts/check-sanitizers.sh            # build, then run every test
#   scripts/check-sanitizers.sh -R xap     # extra arguments go to ctest
set -euo pipefail
cd "$(dirname "$0")/.."
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-sanitizers "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALLIS_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-sanitizers --parallel "${JOBS:-$(nproc)}"
# Leaks are reported at exit; what is kept on purpose is listed in lsan-suppressions.txt.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:fast_unwind_on_malloc=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan-suppressions.txt}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# The sanitized programs run several times slower: scenes that wait for an answer
# "at once" stretch their waits by this factor.
export TALLIS_TEST_TIME_SCALE=${TALLIS_TEST_TIME_SCALE:-5}
exec unshare --net -- bash -c 'ip link set lo up && cd build-sanitizers && ctest --output-on-failure --timeout 600 -j "${JOBS:-$(nproc)}" "$@"' bash "$@"
