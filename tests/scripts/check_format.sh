#!/usr/bin/env bash
# Fails when a C++ file of src/, tests/ or bench/ differs from what clang-format makes of it
# with the project's .clang-format; prints the files. `clang-format -i FILE` mends one.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"
differ=()
while IFS= read -r -d '' file; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    differ+=("$file")
  fi
done < <(find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if [ ${#differ[@]} -gt 0 ]; then
  echo "files that differ from .clang-format (clang-format -i mends them):"
  printf '  %s\n' "${differ[@]}"
  exit 1
fi
