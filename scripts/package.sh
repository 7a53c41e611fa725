#!/usr/bin/env bash
# Builds the Debian package of Tallis into build/ (tallis_<version>_<arch>.deb):
# the install tree under /usr, binaries stripped, dependencies computed by
# dpkg-shlibdeps. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
cd build
cpack -G DEB >/dev/null
ls -1 "$PWD"/tallis_*.deb
