#!/usr/bin/env bash
# Installs from Debian's packages what the native and the 32-bit Windows builds need.
# Idempotent: it does nothing, quietly, when everything is already there.
#   install-deps.sh           everything: the native and the Windows build, Wine
#   install-deps.sh --native  only what the native build needs
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake g++ make libgtest-dev libbenchmark-dev valgrind)
[ "${1:-}" = "--native" ] ||
  packages+=(googletest g++-multilib qemu-user-static clang-14 libclang-rt-14-dev
             g++-mingw-w64-i686-posix wine wine32:i386)
for pkg in "${packages[@]}"; do
  have_pkg "$pkg" || need+=("$pkg")
done

[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${need[*]}"
if [[ " ${need[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
