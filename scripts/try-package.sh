#!/usr/bin/env bash
# Installs the package built by scripts/package.sh with apt, as a user would,
# runs the command line from it, and removes it again, checking that nothing
# of it stays behind. Leaves the machine without the package.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root/build"
deb="$(ls programador_*.deb)"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

if ! $sudo apt install -y -q "./$deb"; then
    $sudo apt-get update -q
    $sudo apt install -y -q "./$deb"
fi
files="$(dpkg -L programador | while read -r path; do [ -d "$path" ] || echo "$path"; done)"

status=0
fail() { echo "paquete instalado: $*"; status=1; }
/usr/bin/programador-cli --version | grep -q "GPL" || fail "programador-cli --version no nombra la licencia"
/usr/bin/programador --version | grep -q "GPL" || fail "programador --version no nombra la licencia"
/usr/bin/programador-cli --virtual --sin-pausa -t sram24 leer - >/dev/null ||
    fail "programador-cli no lee el programador emulado"
[ -f /usr/lib/udev/rules.d/70-programador.rules ] || fail "falta la regla de udev"

$sudo apt-get purge -y -q programador
if dpkg-query -W -f='${Status}' programador 2>/dev/null | grep -q installed; then
    fail "sigue instalado después de quitarlo"
fi
for path in $files; do
    [ ! -e "$path" ] || fail "$path quedó después de quitarlo"
done
[ $status -eq 0 ] && echo "$deb: se instala, funciona y se quita limpio ($(wc -w <<<"$files") archivos)"
exit $status
