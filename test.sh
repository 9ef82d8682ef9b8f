#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/dependencies.sh"
"$root/scripts/build.sh"
cd "$root/build"
ctest --output-on-failure
