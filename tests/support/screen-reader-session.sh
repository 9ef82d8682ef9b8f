#!/usr/bin/env bash
# Runs a program as a screen reader's session sees it: a session bus with the
# accessibility bus started on it, and an X server.
set -euo pipefail
if [[ -z "${PROGRAMADOR_IN_SESSION:-}" ]]; then
  PROGRAMADOR_IN_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
