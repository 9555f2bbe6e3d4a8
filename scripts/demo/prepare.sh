#!/usr/bin/env bash
# Prepares a demo workspace in the folder given (default ./demo) the way an
# operator would, with quorvel-cli and the server's own tools:
#   master.fdb   the shop of scripts/demo/master.sql, armed: every table a
#                working table, each primary-key generator with an offset,
#                the triggers made;
#   clone.fdb    the clone WEST, registered at the master, restored from a
#                gbak backup of it and given its own data ("Update CLONE's data");
#   east.fdb     the clone EAST, made in one command (make-clone);
#   synchro.fdb  an empty synchro database made from the master's converted
#                definition;
#   aliases.conf DemoMaster, DemoClone, DemoEast and DemoSynchro.
# Whatever the folder held of an earlier demo is replaced. Needs a built
# quorvel-cli: $QUORVEL_CLI, else build/src/cli/quorvel-cli.
#
#   bash scripts/demo/prepare.sh [FOLDER] [--dialect 1|3]
#
# Every database of the workspace is dialect 1, or dialect 3 when asked.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
FOLDER=$ROOT/demo
DIALECT=1
while [ $# -gt 0 ]; do
  case "$1" in
    --dialect) DIALECT=${2:-}; shift 2 || { echo "--dialect needs 1 or 3" >&2; exit 2; } ;;
    --dialect=*) DIALECT=${1#--dialect=}; shift ;;
    *) FOLDER=$1; shift ;;
  esac
done
case "$DIALECT" in 1|3) ;; *) echo "--dialect takes 1 or 3, not $DIALECT" >&2; exit 2 ;; esac
DEMO=$(mkdir -p "$FOLDER" && cd "$FOLDER" && pwd)
CLI=${QUORVEL_CLI:-$ROOT/build/src/cli/quorvel-cli}
export QUORVEL_ALIASES="$DEMO/aliases.conf"
LOG="$DEMO/prepare.log"

[ -x "$CLI" ] || { echo "quorvel-cli not found at $CLI: build first (scripts/build.sh)" >&2; exit 1; }

# Runs one step, its output into the log; on failure shows the log's end.
step() {
  local what=$1; shift
  echo "  $what"
  echo "== $what: $*" >>"$LOG"
  if ! "$@" >>"$LOG" 2>&1; then
    echo "Failed: $what ($*). The end of $LOG:" >&2
    tail -n 20 "$LOG" >&2
    exit 1
  fi
}

# isql-fb reports a failed statement on its output and goes on: a script is
# good only when its output holds no error. Arguments: the script [, the database].
isql_script() {
  local out
  out=$(isql-fb -q -user SYSDBA -i "$@" 2>&1) || true
  echo "$out"
  ! grep -q -E "^(Statement failed|SQL error|Dynamic SQL Error|unsuccessful metadata update)" <<<"$out"
}

rm -f "$DEMO"/{master,clone,east,synchro}.fdb "$DEMO"/{master.sql,master.ddl,synchro.ddl,master.fbk,aliases.conf,isql.log} "$LOG"
echo "Preparing the demo workspace in $DEMO (dialect $DIALECT)"

{ echo "SET SQL DIALECT $DIALECT;"; echo "CREATE DATABASE '$DEMO/master.fdb' PAGE_SIZE 8192;"; echo "COMMIT;";
  cat "$ROOT/scripts/demo/master.sql"; } >"$DEMO/master.sql"
step "The master: the shop's tables and rows" isql_script "$DEMO/master.sql"
step "Its alias DemoMaster" "$CLI" aliases add DemoMaster "$DEMO/master.fdb"

step "Arming the master: meta structures" "$CLI" --local DemoMaster create-meta --max1 0 --max2 2000000000 --yes
step "Every table a working table" "$CLI" --local DemoMaster select-all-tables --yes
for gen in GEN_CUSTOMER GEN_PRODUCT GEN_ORDERS GEN_ORDER_LINE; do
  step "Generator $gen, offset 100000" "$CLI" --local DemoMaster add-gen "$gen" --offset 100000 --yes
done
step "The triggers" "$CLI" --local DemoMaster recreate-triggers --yes

# The conversion also writes the master's table order: it has to come before
# the backup the clone is restored from, or the clone sends no table rows.
step "The master's definition (isql-fb -x)" sh -c "isql-fb -x -user SYSDBA '$DEMO/master.fdb' >'$DEMO/master.ddl'"
step "The synchro definition" "$CLI" --local DemoMaster convert-ddl "$DEMO/master.ddl" "$DEMO/synchro.ddl" --yes

step "The clone WEST registered at the master" "$CLI" --local DemoMaster new-clone WEST --max1 1 --max2 1000000000 --yes
step "A backup of the master (gbak -b)" gbak -b -user SYSDBA "$DEMO/master.fdb" "$DEMO/master.fbk"
step "Restored as the clone (gbak -c)" gbak -c -user SYSDBA "$DEMO/master.fbk" "$DEMO/clone.fdb"
rm -f "$DEMO/master.fbk"
step "Its alias DemoClone" "$CLI" aliases add DemoClone "$DEMO/clone.fdb"
step "Update CLONE's data" "$CLI" --local DemoMaster --clone DemoClone update-clone WEST --yes

step "The clone EAST, in one command" "$CLI" --local DemoMaster make-clone EAST --max1 2 --max2 1000000000 "$DEMO/east.fdb"
step "Its alias DemoEast" "$CLI" aliases add DemoEast "$DEMO/east.fdb"
step "The synchro database" "$CLI" create-database "$DEMO/synchro.fdb" --like DemoMaster
step "Its tables from the synchro definition" isql_script "$DEMO/synchro.ddl" "$DEMO/synchro.fdb"
step "Its alias DemoSynchro" "$CLI" aliases add DemoSynchro "$DEMO/synchro.fdb"
echo "Ready: DemoMaster, DemoClone (WEST), DemoEast (EAST) and DemoSynchro in $QUORVEL_ALIASES"
