#!/usr/bin/env bash
# Builds the benchmarks with the release build's flags (preset "bench", build/bench) and runs them all,
# then prints every ratio against its goal in one table (min / median / max over the repetitions).
# Give the number of jobs as the first argument (default 2).
set -eu
cd "$(dirname "$0")/.."
source scripts/common.sh
brelvo_ensure_packages  # djpeg, the JPEG benchmark's floor, comes with libjpeg-turbo-progs
jobs=${1:-2}
cmake --preset bench >/dev/null
cmake --build --preset bench -j"$jobs" --target startup_bench jpeg_load_bench convolution_bench compute_bench \
    routing_bench report_bench zoom_bench chart_bench
bin=build/bench/bin
log=$(mktemp)
trap 'rm -f "$log"' EXIT
export QT_QPA_PLATFORM=offscreen
for bench in startup_bench jpeg_load_bench convolution_bench compute_bench report_bench routing_bench chart_bench; do
    echo "== $bench"
    "$bin/$bench" | tee -a "$log"
done
echo "== zoom_bench"
"$bin/zoom_bench"
echo
echo "== ratio table (release flags; min / median / max)"
printf '%-58s %7s %7s %7s   %s\n' "" min median max goal
grep -E '  <= [0-9.]+  |\(for comparison\)' "$log"
