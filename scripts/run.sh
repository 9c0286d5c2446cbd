#!/usr/bin/env bash
# Installs what is missing, builds, and runs the default case in the current directory,
# leaving result.txt there. Extra arguments go to the runner (see vellmor-cli --help).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" release >/dev/null
exec "$top/build/release/src/cli/vellmor-cli" "$@"
