#!/usr/bin/env bash
# Fails when a C++ file of the tree does not match the project's .clang-format, and names each such file.
# Fix with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
while IFS= read -r -d '' file; do
  if ! clang-format --dry-run -Werror "$file" >/dev/null 2>&1; then
    echo "not formatted: $file"
    status=1
  fi
done < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.hpp' \) -print0 | sort -z)
[ $status -eq 0 ] && echo "C++ format: every file matches .clang-format"
exit $status
