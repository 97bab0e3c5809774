#!/usr/bin/env bash
# Fails when a file outside src/app/ includes a header of src/app/: the feature folders and the
# widget kit must not depend on the application shell.
set -euo pipefail
src="$(dirname "$0")/../../src"
offenders=$(grep -rnE '#include +"app/' "$src" --include='*.cpp' --include='*.h' |
  grep -v "^$src/app/" || true)
if [ -n "$offenders" ]; then
  echo "files outside app/ include app/:"
  echo "$offenders"
  exit 1
fi
