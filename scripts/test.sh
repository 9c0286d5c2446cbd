#!/usr/bin/env bash
# Installs what is missing, builds one preset (release by default) and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-release}
"$top/scripts/build.sh" "$preset"
cd "$top"
ctest --preset "$preset"
