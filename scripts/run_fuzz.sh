#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer + UBSan, in build/fuzz) and runs each reader's
# harness for SECONDS seconds (default 30) from its seed corpus in fuzz/corpus/NAME/. New inputs found on
# the way go to build/fuzz/corpus/NAME/, never into the committed seeds. Stops at the first harness that
# finds a crash or a broken requirement; the input is left in build/fuzz/findings/. The mutations follow a
# fixed seed, so a run on the same machine repeats the last one (and a finding reproduces).
# Usage: scripts/run_fuzz.sh [SECONDS] [NAME...]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
brelvo_ensure_packages

seconds=${1:-30}
shift || true
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  harnesses=(storm precip_frequency graph storage hydrograph_load hydrograph_combine numbers project script_line
    delineation)
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

rm -rf build/fuzz/findings
mkdir -p build/fuzz/findings
for name in "${harnesses[@]}"; do
  echo "== fuzz_$name: $seconds s"
  mkdir -p "build/fuzz/corpus/$name"
  log="build/fuzz/$name.log"
  status=0
  "build/fuzz/bin/fuzz_$name" -seed=1 -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build/fuzz/findings/${name}-" \
    "build/fuzz/corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|Done [0-9]+ runs)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "fuzz_$name found an input that fails (exit $status): build/fuzz/findings/${name}-*" >&2
    exit 1
  fi
done
echo "Fuzzing: every harness ran $seconds s without a finding"
