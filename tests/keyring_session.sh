#!/bin/sh
# Runs a test with a keyring of its own: a private D-Bus session with the
# GNOME keyring in it, unlocked, its files and HOME in a temporary folder
# that goes when the test ends. Nothing reaches the user's own keyring.
#   tests/keyring_session.sh PROGRAM [ARGS...]
set -eu
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -m 700 "$dir/run"
export HOME="$dir" XDG_DATA_HOME="$dir/data" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/run"
unset DBUS_SESSION_BUS_ADDRESS GNOME_KEYRING_CONTROL SSH_AUTH_SOCK
dbus-run-session -- sh -c 'printf "kamerio-test-keyring" | gnome-keyring-daemon --unlock --components=secrets >/dev/null &&
  exec "$@"' keyring "$@"
