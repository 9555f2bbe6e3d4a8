#!/usr/bin/env bash
# One exchange on a prepared demo workspace (scripts/demo/prepare.sh), from
# the clone to the master, with quorvel-cli: a customer changed and one added
# at the clone, the clone's fill into the synchro database, the master's read
# with its triggers switched off and on again around it; then the customer
# rows as the master holds them. Folder: the argument, default ./demo.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DEMO=$(cd "${1:-$ROOT/demo}" && pwd)
CLI=${QUORVEL_CLI:-$ROOT/build/src/cli/quorvel-cli}
export QUORVEL_ALIASES="$DEMO/aliases.conf"
cd "$DEMO"  # the fill leaves its trace (sss.txt) in the current folder

sql() { isql-fb -q -user SYSDBA "$1"; }

echo "At the clone: customer 1 moves to Westville, a new customer is added"
sql "$DEMO/clone.fdb" <<'EOF'
UPDATE CUSTOMER SET CITY = 'Westville' WHERE ID = 1;
INSERT INTO CUSTOMER (ID, NAME, CITY) VALUES (GEN_ID(GEN_CUSTOMER, 1), 'Added at WEST', 'Westville');
COMMIT;
EOF

echo
echo "$ quorvel-cli --local DemoClone --synchro DemoSynchro fill"
"$CLI" --local DemoClone --synchro DemoSynchro fill
echo
echo "$ quorvel-cli --local DemoMaster --synchro DemoSynchro read --switch-triggers --yes"
"$CLI" --local DemoMaster --synchro DemoSynchro read --switch-triggers --yes
echo
echo "At the master now:"
sql "$DEMO/master.fdb" <<'EOF'
SELECT ID, NAME, CITY FROM CUSTOMER WHERE CITY = 'Westville' ORDER BY ID;
EOF
