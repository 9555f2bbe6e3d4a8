#!/usr/bin/env bash
# Builds Quorvel and starts it on a ready demo workspace (./demo): a
# dialect-1 master database with a small shop schema and an empty synchro
# database on the embedded engine, with the aliases DemoMaster and
# DemoSynchro in demo/aliases.conf. Without a display it prints the demo
# master's status through quorvel-cli instead.
#
#   bash scripts/demo.sh            keeps an existing demo workspace
#   bash scripts/demo.sh --fresh    removes it first and starts afresh
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
FRESH=0
for arg in "$@"; do
  case "$arg" in
    --fresh) FRESH=1 ;;
    *) echo "Usage: bash scripts/demo.sh [--fresh]" >&2; exit 2 ;;
  esac
done
bash scripts/deps.sh
bash scripts/build.sh

DEMO="$ROOT/demo"
export QUORVEL_ALIASES="$DEMO/aliases.conf"
CLI="$ROOT/build/src/cli/quorvel-cli"
if [ "$FRESH" -eq 1 ] && [ -e "$DEMO" ]; then
  echo "Removing the demo workspace $DEMO"
  rm -rf "$DEMO"
fi
if [ ! -f "$DEMO/master.fdb" ]; then
  mkdir -p "$DEMO"
  echo "Creating the demo workspace in $DEMO"
  { echo "SET SQL DIALECT 1;"; echo "CREATE DATABASE '$DEMO/master.fdb' PAGE_SIZE 8192;"; echo "COMMIT;";
    cat scripts/demo/master.sql; } > "$DEMO/master.sql"
  isql-fb -q -user SYSDBA -i "$DEMO/master.sql" >"$DEMO/isql.log" 2>&1 || { cat "$DEMO/isql.log"; exit 1; }
  rm -f "$DEMO/synchro.fdb"
  "$CLI" create-database "$DEMO/synchro.fdb" >/dev/null
  "$CLI" aliases add DemoMaster "$DEMO/master.fdb"
  "$CLI" aliases add DemoSynchro "$DEMO/synchro.fdb"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found (DISPLAY is not set), so the window cannot open."
  echo "The demo workspace is ready; its status through quorvel-cli:"
  echo
  "$CLI" --local DemoMaster status
  echo
  echo "Run $ROOT/build/src/app/quorvel with QUORVEL_ALIASES=$QUORVEL_ALIASES on a desktop to use the window."
  exit 0
fi
exec "$ROOT/build/src/app/quorvel"
