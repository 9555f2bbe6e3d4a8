#!/usr/bin/env bash
# Builds Quorvel and starts it on a ready demo workspace (./demo), prepared
# by scripts/demo/prepare.sh: the shop master armed for replication
# (DemoMaster), its clone WEST made from a backup (DemoClone) and an empty
# synchro database (DemoSynchro), aliases in demo/aliases.conf. Without a
# display it runs one exchange from the clone to the master with quorvel-cli
# instead (scripts/demo/exchange.sh) and prints what moved.
#
#   bash scripts/demo.sh            keeps an existing demo workspace
#   bash scripts/demo.sh --fresh    removes it first and starts afresh
#   bash scripts/demo.sh --fresh --dialect 3
#                                   the same workspace with dialect-3 databases
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
FRESH=0
DIALECT=1
while [ $# -gt 0 ]; do
  case "$1" in
    --fresh) FRESH=1; shift ;;
    --dialect) DIALECT=${2:-}; shift 2 || true ;;
    *) echo "Usage: bash scripts/demo.sh [--fresh] [--dialect 1|3]" >&2; exit 2 ;;
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
# A workspace from before the clone and the synchro database existed is
# prepared again as well.
if [ ! -f "$DEMO/master.fdb" ] || [ ! -f "$DEMO/clone.fdb" ] || [ ! -f "$DEMO/synchro.fdb" ]; then
  QUORVEL_CLI="$CLI" bash scripts/demo/prepare.sh "$DEMO" --dialect "$DIALECT"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found (DISPLAY is not set), so the window cannot open."
  echo "The demo workspace is ready; one exchange from the clone to the master through quorvel-cli:"
  echo
  QUORVEL_CLI="$CLI" bash scripts/demo/exchange.sh "$DEMO"
  echo
  echo "Run $ROOT/build/src/app/quorvel with QUORVEL_ALIASES=$QUORVEL_ALIASES on a desktop to use the window."
  exit 0
fi
exec "$ROOT/build/src/app/quorvel"
