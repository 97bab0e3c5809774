#!/usr/bin/env bash
# Fails when a C++ file of src/, tests/ or bench/ differs from what clang-format makes of it
# with the project's .clang-format; prints the files. `clang-format -i FILE` mends one.
set -euo pipefail
cd "$(dirname "$0")/../.."
mapfile -d '' files < <(find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if ! report=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
  echo "files that differ from .clang-format (clang-format -i mends them):"
  grep -oE '^[^:]+\.(cpp|h):' <<<"$report" | sort -u | sed 's/:$//; s/^/  /'
  exit 1
fi
