#!/usr/bin/env bash
# Runs scripts/deps.sh (or the script given as $1) with stand-ins for
# dpkg-query, apt-get, sudo and id first on the PATH, and checks the commands
# it would run: as root straight, as another user through "sudo -E", and
# nothing at all when every package is there.
set -uo pipefail
DEPS=${1:-"$(dirname "$0")/../../scripts/deps.sh"}
DEPS=$(cd "$(dirname "$DEPS")" && pwd)/$(basename "$DEPS")

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
BIN="$WORK/bin"
LOG="$WORK/commands.log"
mkdir -p "$BIN"

# dpkg-query: every package installed except those in $MISSING_PACKAGES.
cat >"$BIN/dpkg-query" <<'STUB'
#!/usr/bin/env bash
pkg=${!#}
for m in $MISSING_PACKAGES; do
  [ "$m" = "$pkg" ] && { echo "dpkg-query: no packages found matching $pkg" >&2; exit 1; }
done
printf 'install ok installed'
STUB
# id: the user id asked for by the test.
cat >"$BIN/id" <<'STUB'
#!/usr/bin/env bash
[ "${1:-}" = "-u" ] && { echo "$FAKE_UID"; exit 0; }
exec /usr/bin/id "$@"
STUB
# apt-get and sudo: write down how they were called, run nothing.
for cmd in apt-get sudo; do
  printf '#!/usr/bin/env bash\necho "%s $*" >>"$COMMANDS_LOG"\n' "$cmd" >"$BIN/$cmd"
done
chmod +x "$BIN"/*

failures=0
# check NAME UID MISSING EXPECTED: runs deps.sh and compares the command log.
check() {
  local name=$1 uid=$2 missing=$3 expected=$4
  : >"$LOG"
  local out rc
  out=$(PATH="$BIN:$PATH" FAKE_UID="$uid" MISSING_PACKAGES="$missing" COMMANDS_LOG="$LOG" \
        bash "$DEPS" 2>&1)
  rc=$?
  local got
  got=$(cat "$LOG")
  if [ "$rc" -ne 0 ] || [ "$got" != "$expected" ]; then
    echo "FAIL: $name (exit $rc)"
    echo "  expected commands:"; printf '%s\n' "$expected" | sed 's/^/    /'
    echo "  commands run:";      printf '%s\n' "$got" | sed 's/^/    /'
    echo "  output:";            printf '%s\n' "$out" | sed 's/^/    /'
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}

check "as root, one package missing" 0 cmake \
"apt-get update -qq
apt-get install -y -qq cmake"

check "as another user, one package missing" 1000 cmake \
"sudo -E apt-get update -qq
sudo -E apt-get install -y -qq cmake"

check "as root, nothing missing" 0 "" ""
check "as another user, nothing missing" 1000 "" ""

[ "$failures" -eq 0 ]
