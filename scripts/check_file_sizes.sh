#!/usr/bin/env bash
# Fails when a C++ file of the tree is longer than 500 lines, and names each such file: a file that long
# holds more than one thing and is split by responsibility.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=500
status=0
while IFS= read -r -d '' file; do
  lines=$(wc -l <"$file")
  if [ "$lines" -gt "$limit" ]; then
    echo "longer than $limit lines ($lines): $file"
    status=1
  fi
done < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.hpp' \) -print0 | sort -z)
[ $status -eq 0 ] && echo "File sizes: every C++ file has at most $limit lines"
exit $status
