#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) in build/ and checks that it holds
# the programs, the command line's manual page, the udev rule, the desktop
# entry and the icon.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/dependencies.sh"
"$root/scripts/build.sh"
cd "$root/build"
rm -f programador_*.deb
cpack -G DEB >/dev/null
deb="$(ls programador_*.deb)"
contents="$(dpkg-deb -c "$deb")"
status=0
for path in ./usr/bin/programador ./usr/bin/programador-virtual ./usr/bin/programador-cli \
    ./usr/share/man/man1/programador-cli.1.gz \
    ./etc/udev/rules.d/70-programador.rules ./usr/share/applications/programador.desktop \
    ./usr/share/icons/hicolor/scalable/apps/programador.svg; do
    if ! grep -q " $path\$" <<<"$contents"; then
        echo "falta en $deb: $path"
        status=1
    fi
done
echo "$deb: $(dpkg-deb -f "$deb" Version), Depends: $(dpkg-deb -f "$deb" Depends)"
exit $status
