#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) in build/ and checks it: that it
# holds the programs, their manual pages, the udev rule, the desktop entry,
# the metainfo, the license and the changelog; that Debian's checker
# (lintian) finds no error and no warning in it; that the desktop entry and
# the AppStream metainfo validate.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/dependencies.sh" package
"$root/scripts/build.sh"
cd "$root/build"
rm -f programador_*.deb
cpack -G DEB >/dev/null
deb="$(ls programador_*.deb)"
contents="$(dpkg-deb -c "$deb")"
status=0
for path in ./usr/bin/programador ./usr/bin/programador-virtual ./usr/bin/programador-cli \
    ./usr/share/man/man1/programador.1.gz ./usr/share/man/man1/programador-virtual.1.gz \
    ./usr/share/man/man1/programador-cli.1.gz \
    ./usr/lib/udev/rules.d/70-programador.rules ./usr/share/applications/programador.desktop \
    ./usr/share/metainfo/example.programador.Programador.metainfo.xml \
    ./usr/share/doc/programador/copyright ./usr/share/doc/programador/changelog.gz \
    ./usr/share/icons/hicolor/scalable/apps/programador.svg; do
    if ! grep -q " $path\$" <<<"$contents"; then
        echo "falta en $deb: $path"
        status=1
    fi
done
echo "$deb: $(dpkg-deb -f "$deb" Version), Depends: $(dpkg-deb -f "$deb" Depends)"

# Informational tags may stay; errors and warnings may not.
lintian --fail-on error,warning "$deb" 2>/dev/null ||
    { echo "lintian: $deb tiene errores o avisos"; status=1; }
desktop-file-validate "$root/packaging/programador.desktop" || status=1
appstreamcli validate --no-net "$root"/packaging/*.metainfo.xml >/dev/null ||
    { appstreamcli validate --no-net "$root"/packaging/*.metainfo.xml; status=1; }
exit $status
