#!/usr/bin/env bash
# A change travelling from one clone to the other through the master, on a
# prepared demo workspace (scripts/demo/prepare.sh), with quorvel-cli: a
# customer changed and one added at WEST, WEST's fill into the synchro
# database, the master's read; then the master's fill, which passes WEST's
# changes on, and EAST's read; then the customer rows as EAST holds them; the
# same once more with sealed packages (send, exchange, receive); and who has
# read what at the master. Folder: the argument, default ./demo.
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
echo "$ quorvel-cli --local DemoMaster --synchro DemoSynchro read --yes"
"$CLI" --local DemoMaster --synchro DemoSynchro read --yes
echo
echo "At the master now:"
sql "$DEMO/master.fdb" <<'EOF'
SELECT ID, NAME, CITY FROM CUSTOMER WHERE CITY = 'Westville' ORDER BY ID;
EOF

echo
echo "$ quorvel-cli --local DemoMaster --synchro DemoSynchro fill --yes"
"$CLI" --local DemoMaster --synchro DemoSynchro fill --yes
echo
echo "$ quorvel-cli --local DemoEast --synchro DemoSynchro read --yes"
"$CLI" --local DemoEast --synchro DemoSynchro read --yes
echo
echo "At the clone EAST now:"
sql "$DEMO/east.fdb" <<'EOF'
SELECT ID, NAME, CITY FROM CUSTOMER WHERE CITY = 'Westville' ORDER BY ID;
EOF

# The same road with sealed packages: one file per fill in a folder, each
# site's own inbox; the master reads and sends in one step.
mkdir -p "$DEMO/to-master" "$DEMO/to-clones" "$DEMO/east-inbox"
echo
echo "At the clone: customer 2 moves to Packville"
sql "$DEMO/clone.fdb" <<'EOF'
UPDATE CUSTOMER SET CITY = 'Packville' WHERE ID = 2;
COMMIT;
EOF
echo
echo "$ quorvel-cli --local DemoClone send to-master"
"$CLI" --local DemoClone send "$DEMO/to-master"
echo
echo "$ quorvel-cli --local DemoMaster exchange --inbox to-master --outbox to-clones"
"$CLI" --local DemoMaster exchange --inbox "$DEMO/to-master" --outbox "$DEMO/to-clones"
mv "$DEMO"/to-clones/*.qvp "$DEMO/east-inbox/"
echo
echo "$ quorvel-cli --local DemoEast receive east-inbox"
"$CLI" --local DemoEast receive "$DEMO/east-inbox"
echo
echo "At the clone EAST now:"
sql "$DEMO/east.fdb" <<'EOF'
SELECT ID, NAME, CITY FROM CUSTOMER WHERE ID = 2;
EOF
echo
echo "$ quorvel-cli --local DemoMaster status"
"$CLI" --local DemoMaster status
