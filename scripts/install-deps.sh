#!/usr/bin/env bash
# Installs from Debian's packages what the native and the 32-bit Windows builds need, and,
# on a machine whose kernel runs no 32-bit code, the user-mode emulation that lets the
# 32-bit programs (Wine's loader, the 32-bit Linux tests) run all the same.
# Idempotent: it does nothing, quietly, when everything is already there.
#   install-deps.sh           everything: the native and the Windows build, Wine
#   install-deps.sh --native  only what the native build needs
# A failed `apt-get update` is tried again (3 tries, GYRIX_APT_RETRY_PAUSE seconds
# apart, 30 by default); where it still fails, the install goes on with the indexes that
# did update, and the run ends with status 1, naming each package it could not install.
set -euo pipefail

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
apt_updated=""
update_tries=3
update_pause=${GYRIX_APT_RETRY_PAUSE:-30}
failed_indexes=""  # what the last apt-get update could not fetch
not_installed=()   # what apt-get install could not install
advice="its mirror is likely mid-sync: wait for it and run this command again"

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# apt-get update fails as a whole where one index fails (a mirror mid-sync), though the
# others are refreshed: tried again, then the failed indexes are named and the run goes on.
apt_update() {
  [ -z "$apt_updated" ] || return 0
  apt_updated=yes
  local try log
  log=$(mktemp)
  for try in $(seq "$update_tries"); do
    if $sudo apt-get update -qq 2>"$log"; then
      cat "$log" >&2
      failed_indexes=""
      rm -f "$log"
      return 0
    fi
    cat "$log" >&2
    failed_indexes=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$log" | paste -sd ' ')
    [ "$try" -eq "$update_tries" ] && break
    echo "install-deps: apt-get update failed (try $try of $update_tries)," \
      "trying again in ${update_pause}s" >&2
    sleep "$update_pause"
  done
  rm -f "$log"
  echo "install-deps: apt-get update could not fetch ${failed_indexes:-an index}; $advice" \
    "(going on with the indexes that updated)" >&2
}
# apt-get install with its options (-t SUITE) and packages; where it fails, each package
# is asked about alone (a dry run), the installable ones are installed, the others noted.
apt_get_install() {
  local options=() ok=() pkg
  while [ "$1" = -t ]; do options+=("$1" "$2"); shift 2; done
  $sudo apt-get install -y -qq --no-install-recommends "${options[@]}" "$@" >/dev/null && return 0
  for pkg in "$@"; do
    if apt-get install -s -qq --no-install-recommends "${options[@]}" "$pkg" >/dev/null 2>&1; then
      ok+=("$pkg")
    else
      not_installed+=("$pkg")
    fi
  done
  [ ${#ok[@]} -eq 0 ] ||
    $sudo apt-get install -y -qq --no-install-recommends "${options[@]}" "${ok[@]}" >/dev/null ||
    not_installed+=("${ok[@]}")
}
# Installs those of the packages that are missing.
apt_install() {
  local need=() pkg
  for pkg in "$@"; do have_pkg "$pkg" || need+=("$pkg"); done
  [ ${#need[@]} -eq 0 ] && return 0
  echo "install-deps: installing ${need[*]}"
  if [[ " ${need[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    apt_updated=""
  fi
  apt_update
  apt_get_install "${need[@]}"
}
# Ends the run: status 0, or 1 with one line for each package that was not installed.
finish() {
  local pkg cause="apt-get install failed (its messages above)"
  [ -z "$failed_indexes" ] || cause="apt-get update could not fetch $failed_indexes; $advice"
  for pkg in "${not_installed[@]}"; do echo "install-deps: $pkg not installed: $cause" >&2; done
  if [ ${#not_installed[@]} -gt 0 ]; then exit 1; fi
  exit 0
}

# clang-14: the release preset compiles with it. gfortran: the
# Fortran example host (examples/fortran) built against the installed package. The check
# of the library file (tests/check_library_build.py) runs on Debian's python3 with
# devscripts' hardening-check, and python3-pefile for the DLL. The routing proof
# (tests/prove_routing.py) reads ELF files with python3-pyelftools, decodes with
# python3-capstone and proves with python3-z3. gcovr: the coverage report. pkgconf: the C
# example host built through the kit's pkg-config file.
apt_install cmake g++ clang-14 make libgtest-dev valgrind gfortran python3 \
  devscripts gcovr pkgconf python3-pyelftools python3-capstone python3-z3
[ "${1:-}" = "--native" ] && finish
# MinGW's gfortran (the posix thread model, as the C++ compilers) for the Fortran example
# host; llvm-14 and lld-14 for the MSVC-style import library's check. The Windows build
# compiles with clang-19 and links the DLL with lld-19 (a PDB, the same bytes from any
# folder); llvm-19 reads the PDB back. osslsigncode and openssl sign the DLL when a
# certificate is given, and test that signing.
apt_install googletest g++-multilib libclang-rt-14-dev g++-mingw-w64-i686-posix \
  gfortran-mingw-w64-i686-posix llvm-14 lld-14 wine wine32:i386 wine64 python3-pefile \
  clang-19 lld-19 llvm-19 osslsigncode openssl

# --- 32-bit programs through qemu's user-mode emulation, where the kernel runs none ---
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
qemu=/usr/bin/qemu-i386
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
backports=$codename-backports

# A 32-bit program that the packages above install: the 32-bit dynamic loader itself.
runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
# Whether the kernel runs 32-bit code by itself: asked with our emulation switched off.
runs_32bit_natively() {
  local was_enabled="" status=0
  if [ -e "$entry" ] && [ "$(head -n 1 "$entry")" = enabled ]; then
    was_enabled=yes
    echo 0 | $sudo tee "$entry" >/dev/null
  fi
  runs_32bit || status=$?
  [ -z "$was_enabled" ] || echo 1 | $sudo tee "$entry" >/dev/null
  return $status
}
runs_32bit_natively && finish

# The Debian mirror that this machine already uses for its own suite, from its apt sources
# (one-line and deb822 forms alike).
debian_mirror() {
  {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      awk -v suite="$codename" '$1 == "deb" { i = 2; if ($i ~ /^\[/) while ($i !~ /\]$/) i++;
                                   if ($i ~ /^\[/ || $i ~ /\]$/) i++;
                                   if ($(i + 1) == suite) print $i }'
    cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
      awk -v suite="$codename" 'BEGIN { RS = "" } {
          uri = ""; ok = 0; n = split($0, lines, "\n")
          for (l = 1; l <= n; l++) {
            if (lines[l] ~ /^URIs:/) { split(lines[l], f, " "); uri = f[2] }
            if (lines[l] ~ /^Suites:/) { m = split(lines[l], f, " ")
              for (k = 2; k <= m; k++) if (f[k] == suite) ok = 1 }
          }
          if (ok && uri != "") print uri }'
  } | head -n 1
}

# qemu 10 from the backports suite: the release's own qemu searches the emulated address
# space page by page on every mapping, which makes each Wine start take most of a minute.
qemu_version=$(dpkg-query -W -f='${Version}' qemu-user-static 2>/dev/null || true)
if [ -z "$qemu_version" ] || dpkg --compare-versions "$qemu_version" lt 1:10; then
  list=/etc/apt/sources.list.d/$backports.list
  if ! grep -rqs -- "$backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
    mirror=$(debian_mirror)
    if [ -z "$mirror" ]; then
      echo "install-deps: no apt source for $codename found, so no mirror for $backports" >&2
      exit 1
    fi
    echo "install-deps: enabling $backports from $mirror"
    echo "deb $mirror $backports main" | $sudo tee "$list" >/dev/null
    apt_updated=""
  fi
  echo "install-deps: installing qemu-user-static from $backports"
  apt_update
  apt_get_install -t "$backports" qemu-user-static
  have_pkg qemu-user-static || finish
  # The registration holds the interpreter file it was made with (flag F): make it anew.
  [ ! -e "$entry" ] || echo -1 | $sudo tee "$entry" >/dev/null
fi

[ -e "$binfmt/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$binfmt"
if [ -e "$entry" ] && ! { grep -qx "interpreter $qemu" "$entry" && grep -qx 'flags: F' "$entry"; }; then
  echo "install-deps: replacing the binfmt entry qemu-i386 ($(grep interpreter "$entry"))"
  echo -1 | $sudo tee "$entry" >/dev/null
fi
if [ ! -e "$entry" ]; then
  # 32-bit little-endian x86 ELF files, executables and shared objects (ET_EXEC, ET_DYN).
  echo "install-deps: registering 32-bit x86 programs for $qemu"
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":qemu-i386:M::$magic:$mask:$qemu:F" | $sudo tee "$binfmt/register" >/dev/null
fi
[ "$(head -n 1 "$entry")" = enabled ] || echo 1 | $sudo tee "$entry" >/dev/null
if ! runs_32bit; then
  echo "install-deps: 32-bit programs still do not run under $qemu" >&2
  exit 1
fi
finish
