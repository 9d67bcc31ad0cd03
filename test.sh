#!/usr/bin/env bash
# Installs what Brelvo needs, builds it and runs the whole suite, then the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

brelvo_ensure_packages
brelvo_headless_env
export QT_QPA_PLATFORM=offscreen

echo "== Build and test (dev)"
brelvo_build dev
ctest --preset dev -j "$(nproc)"

echo "== Build and test (asan)"
brelvo_build asan
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$(nproc)"
