#!/usr/bin/env bash
# Installs from Debian's packages what the native and the 32-bit Windows builds need.
# Idempotent: it does nothing, quietly, when everything is already there.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for pkg in cmake g++ make libgtest-dev googletest g++-mingw-w64-i686-posix wine; do
  have_pkg "$pkg" || need+=("$pkg")
done
have_pkg wine32:i386 || need+=("wine32:i386")

[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
