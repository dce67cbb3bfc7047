#!/usr/bin/env bash
# Runs a test program with a Secret Service of its own: a private session bus and a GNOME
# keyring daemon unlocked with a throwaway password (given on stdin), in a fresh home folder
# that is removed afterwards. The program learns the daemon's process id from
# LUMENO_KEYRING_PID. Where the tools are not installed it runs alone and
# LUMENO_KEYRING_MISSING says what is missing; when the daemon does not come up within ten
# seconds, LUMENO_KEYRING_ERROR says so.
set -u

if [ "${1:-}" != --inside ]; then
  for tool in dbus-run-session gnome-keyring-daemon gdbus; do
    command -v "$tool" >/dev/null || LUMENO_KEYRING_MISSING="$tool is not installed" exec "$@"
  done
  exec dbus-run-session --config-file="$(dirname "$0")/session-bus.conf" -- "$0" --inside "$@"
fi
shift

home=$(mktemp -d)
keyring=
trap '[ -n "$keyring" ] && kill "$keyring" 2>/dev/null; rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache \
       XDG_RUNTIME_DIR=$home/run
unset GNOME_KEYRING_CONTROL SSH_AUTH_SOCK DISPLAY WAYLAND_DISPLAY
mkdir -m 700 "$XDG_RUNTIME_DIR"

printf 'lumeno-test-keyring' |
  gnome-keyring-daemon --foreground --unlock --components=secrets >"$home/keyring.log" 2>&1 &
keyring=$!
if gdbus wait --session --timeout 10 org.freedesktop.secrets 2>/dev/null; then
  export LUMENO_KEYRING_PID=$keyring
else
  export LUMENO_KEYRING_ERROR="gnome-keyring-daemon did not come up: $(tail -n 3 "$home/keyring.log")"
fi
"$@"
