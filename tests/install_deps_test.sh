#!/usr/bin/env bash
# scripts/install-deps.sh --native against fake apt-get, dpkg-query, dpkg and sudo first
# on PATH (nothing is installed): a mirror mid-sync, whose index fails every apt-get
# update, with a package that apt cannot install; then a mirror that works.
#   install_deps_test.sh SCRIPT
set -euo pipefail
script=$1
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
index=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz

# FAKE_INDEX: the index that apt-get update cannot fetch (none where empty); FAKE_BROKEN:
# a package that apt cannot install; FAKE_MISSING: the packages not installed.
cat >"$fake/apt-get" <<'END'
#!/bin/sh
echo "apt-get $*" >>"$FAKE_LOG"
case " $* " in
  *" update "*)
    [ -z "$FAKE_INDEX" ] && exit 0
    echo "E: Failed to fetch $FAKE_INDEX  File has unexpected size (41034 != 40990)." \
      "Mirror sync in progress? [IP: 151.101.2.132 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones" \
      "used instead." >&2
    exit 100 ;;
  *" $FAKE_BROKEN "*)
    [ -z "$FAKE_BROKEN" ] && exit 0
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
esac
END
cat >"$fake/dpkg-query" <<'END'
#!/bin/sh
for pkg; do :; done
case " $FAKE_MISSING " in *" $pkg "*) exit 1 ;; esac
echo "install ok installed"
END
printf '#!/bin/sh\necho i386\n' >"$fake/dpkg"
printf '#!/bin/sh\nexec "$@"\n' >"$fake/sudo"
chmod +x "$fake"/*

failures=0
# FILE has COUNT lines that match PATTERN, else the failure WHAT.
expect() {
  [ "$(grep -c -- "$2" "$1")" = "$3" ] || { echo "FAILED ($name): $4"; failures=$((failures + 1)); }
}
advice="; .*wait.*run this command again"

# case | index that fails | package that cannot be installed | status | apt-get updates
while IFS='|' read -r name failing broken status updates; do
  : >"$fake/log"
  before=$failures
  actual=0
  PATH=$fake:$PATH FAKE_LOG=$fake/log FAKE_INDEX=$failing FAKE_BROKEN=$broken \
    FAKE_MISSING="valgrind gcovr" GYRIX_APT_RETRY_PAUSE=0 \
    bash "$script" --native >"$fake/out" 2>&1 || actual=$?
  expect <(echo "$actual") "^$status\$" 1 "exit status $actual"
  expect "$fake/log" "^apt-get update" "$updates" "apt-get update not run $updates times"
  expect <(grep '^apt-get install -y' "$fake/log" | tail -n 1) " valgrind\b" 1 \
    "valgrind not installed last"
  expect "$fake/out" "^install-deps: apt-get update could not fetch $failing$advice" \
    "$([ -z "$failing" ] && echo 0 || echo 1)" "not one line naming the index and what to do"
  expect "$fake/out" "^install-deps: [^ ]* not installed" \
    "$([ -z "$broken" ] && echo 0 || echo 1)" "not one package named"
  expect "$fake/out" "^install-deps: $broken not installed: .*$failing$advice" \
    "$([ -z "$broken" ] && echo 0 || echo 1)" "no line naming $broken, the index and what to do"
  [ "$failures" -eq "$before" ] || { echo "--- $name: its output"; cat "$fake/out"; }
done <<END
mirror mid-sync|$index|gcovr|1|3
mirror fine|||0|1
END
[ "$failures" -eq 0 ] || exit 1
echo "install-deps: every case as expected"
