#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program with the virtual
# programmer attached.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/dependencies.sh"
"$root/scripts/build.sh"
exec "$root/build/app/programador-virtual"
