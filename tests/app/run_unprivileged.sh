#!/bin/sh
# Runs a test program as a user who cannot write or read past the permissions:
# as it is when that is not root, else as nobody through setpriv, with a home of
# its own. Exits 77 (skipped), saying why, where neither is possible.
if [ "$(id -u)" != 0 ]; then
  exec "$@"
fi
if ! command -v setpriv >/dev/null 2>&1; then
  echo "skipped: running as root, and setpriv is missing to run the test as another user"
  exit 77
fi
if ! user=$(id -u nobody 2>/dev/null) || ! group=$(id -g nobody 2>/dev/null); then
  echo "skipped: running as root, and there is no user nobody to run the test as"
  exit 77
fi
as_nobody() {
  setpriv --reuid="$user" --regid="$group" --clear-groups "$@"
}
if ! as_nobody test -x "$1"; then
  echo "skipped: running as root, and nobody cannot run $1 (setpriv refused or a folder on the way is closed)"
  exit 77
fi
home=$(mktemp -d) || exit 1
chown "$user:$group" "$home"
as_nobody env -u XDG_RUNTIME_DIR HOME="$home" TMPDIR="$home" "$@"
status=$?
rm -rf "$home"
exit $status
