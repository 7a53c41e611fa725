#!/usr/bin/env bash
# Builds the Debian package of Tallis into build-package/ (tallis_<version>-1_<arch>.deb):
# only the product (no tests, no benchmarks), compiled and linked with Debian's
# hardening flags (dpkg-buildflags: fortified functions, stack protector, full
# RELRO, bind-now), the install tree under /usr, binaries stripped, dependencies
# computed by dpkg-shlibdeps. Checks the package with lintian and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-package "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALLIS_BUILD_TESTS=OFF -DTALLIS_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build build-package --parallel "$(nproc)"
cd build-package
rm -f tallis_*.deb
cpack -G DEB >/dev/null
deb=$(ls -1 "$PWD"/tallis_*.deb)
if command -v lintian >/dev/null; then
  report=$(lintian --display-info "$deb" 2>/dev/null || true)
  [ -z "$report" ] || echo "$report" >&2
  echo "lintian: $(grep -c "^E: " <<<"$report" || true) error(s), $(grep -c "^W: " <<<"$report" || true) warning(s)" >&2
fi
echo "$deb"
