#!/bin/sh
# Makes sure that the Debian packages named are installed. The missing ones
# are installed with apt-get when this runs as root or may use sudo; else it
# prints the one command that installs them, and fails.
# Usage: tools/need-packages.sh PACKAGE...
set -u
# Not Debian: the build will say what it lacks.
command -v dpkg-query > /dev/null 2>&1 || exit 0
missing=""
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2> /dev/null | grep -q 'install ok installed' ||
    missing="$missing $package"
done
[ -n "$missing" ] || exit 0
if [ "$(id -u)" -eq 0 ]; then
  sudo=""
elif command -v sudo > /dev/null 2>&1 && sudo -n true 2> /dev/null; then
  sudo="sudo"
else
  echo "These packages are needed; install them with:"
  echo "  sudo apt-get install$missing"
  exit 1
fi
echo "Installing$missing"
log=$(mktemp)
# shellcheck disable=SC2086 # one word a package
if $sudo apt-get update -qq > "$log" 2>&1 &&
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing >> "$log" 2>&1; then
  rm -f "$log"
else
  cat "$log"
  rm -f "$log"
  exit 1
fi
