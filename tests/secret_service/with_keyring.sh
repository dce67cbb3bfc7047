#!/usr/bin/env bash
# Runs a test program with a Secret Service of its own: a private session bus and a GNOME
# keyring daemon unlocked with a throwaway password (given on stdin), in a fresh home folder
# that is removed afterwards. The program learns the daemon's process id from
# LUMENO_KEYRING_PID, and starts the daemon again on the same keyring with
# "$LUMENO_KEYRING_HARNESS --restart", which prints the new daemon's process id. Where the
# tools are not installed it runs alone and LUMENO_KEYRING_MISSING says what is missing; when
# the daemon does not come up within ten seconds, LUMENO_KEYRING_ERROR says so.
set -u

# Starts the daemon in the background and waits until it owns its name on the bus.
start_keyring() {
  printf 'lumeno-test-keyring' |
    gnome-keyring-daemon --foreground --unlock --components=secrets >>"$HOME/keyring.log" 2>&1 &
  echo $! >"$HOME/keyring.pid"
  gdbus wait --session --timeout 10 org.freedesktop.secrets 2>/dev/null
}

case "${1:-}" in
  --restart)
    start_keyring || { tail -n 3 "$HOME/keyring.log" >&2; exit 1; }
    cat "$HOME/keyring.pid"
    exit 0 ;;
  --inside) shift ;;
  *)
    for tool in dbus-run-session gnome-keyring-daemon gdbus; do
      command -v "$tool" >/dev/null || LUMENO_KEYRING_MISSING="$tool is not installed" exec "$@"
    done
    exec dbus-run-session --config-file="$(dirname "$0")/session-bus.conf" -- "$0" --inside "$@" ;;
esac

home=$(mktemp -d)
trap 'kill "$(cat "$home/keyring.pid" 2>/dev/null)" 2>/dev/null; rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache \
       XDG_RUNTIME_DIR=$home/run
export LUMENO_KEYRING_HARNESS
LUMENO_KEYRING_HARNESS=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
unset GNOME_KEYRING_CONTROL SSH_AUTH_SOCK DISPLAY WAYLAND_DISPLAY
mkdir -m 700 "$XDG_RUNTIME_DIR"

if start_keyring; then
  export LUMENO_KEYRING_PID
  LUMENO_KEYRING_PID=$(cat "$home/keyring.pid")
else
  export LUMENO_KEYRING_ERROR="gnome-keyring-daemon did not come up: $(tail -n 3 "$home/keyring.log")"
fi
"$@"
