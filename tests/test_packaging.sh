#!/usr/bin/env bash
# What the package rests on: every executable answers --version (naming the
# license) and --help without a display; the manual pages carry the programs'
# own texts; the udev rule goes where udev looks; the maintainer scripts
# reload udev's rules only where udev runs, and never fail an install.
# Arguments: the three programs, the packaging folder, the build folder.
set -uo pipefail
programs=("$1" "$2" "$3")
packaging=$4
build=$5
failures=0
fail() { echo "FALLA: $*"; failures=$((failures + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for program in "${programs[@]}"; do
    name=$(basename "$program")
    # No display: a window program that got as far as Qt would abort here.
    headless=(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb)
    version=$("${headless[@]}" "$program" --version) || fail "$name --version"
    [[ "$(head -1 <<<"$version")" =~ ^$name\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$name: $version"
    grep -q "GPLv3+" <<<"$version" || fail "$name --version no nombra la licencia"
    help=$("${headless[@]}" "$program" --help) || fail "$name --help"
    [[ "$help" == "Uso: $name "* ]] || fail "$name --help: $(head -1 <<<"$help")"

    page=$(find "$build" -name "$name.1.gz" | head -1)
    roff=$(zcat "$page") || { fail "sin página de manual: $name"; continue; }
    grep -qF "$(head -1 <<<"$help")" <<<"$roff" || fail "$name.1 no trae su --help"
    grep -qF "Licencia GPLv3+" <<<"$roff" || fail "$name.1 no trae la licencia"
    if [ "$name" != programador-cli ]; then
        headings=$("$build/info/help-document" | grep -c '^[0-9]\+\. ')
        [ "$(grep -c '^\.SS ' <<<"$roff")" -eq "$headings" ] ||
            fail "$name.1: la ayuda no tiene sus $headings secciones"
    fi
done

# The rule: the distribution's folder from a package, the administrator's
# from an install of one's own.
for case in "/usr usr/lib/udev/rules.d" "/usr/local etc/udev/rules.d"; do
    read -r prefix folder <<<"$case"
    rm -rf "$work/root"
    DESTDIR="$work/root" cmake --install "$build" --prefix "$prefix" >/dev/null ||
        fail "cmake --install --prefix $prefix"
    [ -f "$work/root/$folder/70-programador.rules" ] || fail "prefijo $prefix: regla fuera de /$folder"
done

# Maintainer scripts, over a udevadm that writes down what it is asked.
mkdir -p "$work/bin"
cat >"$work/bin/udevadm" <<'FAKE'
#!/bin/sh
echo "$*" >>"$UDEVADM_LOG"
if [ "$1 $2" = "control --ping" ]; then [ "$UDEV_RUNNING" = yes ]; else [ "$UDEV_FAILS" != yes ]; fi
FAKE
chmod +x "$work/bin/udevadm"
reload=$'control --ping\ncontrol --reload-rules\ntrigger --subsystem-match=hidraw --action=change'
maintainer() {  # script argument running fails expected
    : >"$work/log"
    PATH="$work/bin:$PATH" UDEVADM_LOG="$work/log" UDEV_RUNNING=$3 UDEV_FAILS=$4 \
        sh "$packaging/$1" "$2" || fail "$1 $2 terminó con error"
    [ "$(cat "$work/log")" = "$5" ] || fail "$1 $2 (udev $3): $(tr '\n' '|' <"$work/log")"
}
maintainer postinst configure yes no "$reload"
maintainer postinst configure yes yes "$reload"
maintainer postinst configure no no "control --ping"
maintainer postinst abort-upgrade yes no ""
maintainer postrm remove yes no "$reload"
maintainer postrm purge yes no "$reload"
maintainer postrm upgrade yes no ""

[ $failures -eq 0 ] && echo "todo en orden"
exit $((failures > 0))
