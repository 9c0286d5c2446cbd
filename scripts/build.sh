#!/usr/bin/env bash
# Installs what is missing, then configures and builds one preset (release by default).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-release}
"$top/scripts/setup.sh"
cd "$top"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
