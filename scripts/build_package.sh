#!/usr/bin/env bash
# Builds the release preset and turns it into a Debian package, build/release/brelvo_VERSION_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
brelvo_ensure_packages
brelvo_build release
(cd build/release && cpack -G DEB >/dev/null)
ls build/release/brelvo_*.deb
