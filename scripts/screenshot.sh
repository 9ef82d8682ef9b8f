#!/usr/bin/env bash
# Takes the README's picture of the main window: the program with the virtual
# programmer, on a virtual X server, once the splash has gone.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/dependencies.sh" screenshot
"$root/scripts/build.sh"
mkdir -p "$root/docs"
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    "$1/build/app/programador-virtual" & program=$!
    sleep 5
    window="$(xdotool search --name "PROGRAMADOR DE MEMORIAS" | head -n 1)"
    import -window "$window" "$1/docs/ventana-principal.png"
    kill "$program"
' _ "$root"
echo "docs/ventana-principal.png"
