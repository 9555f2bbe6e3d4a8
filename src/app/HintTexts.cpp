#include "app/HintTexts.h"

#include <QStringList>

#include <initializer_list>

namespace quorvel::app {

namespace {

QString joinLines(std::initializer_list<const char*> lines) {
    QStringList all;
    for (const char* l : lines) all << QString::fromLatin1(l);
    return all.join('\n');
}

}  // namespace

// Several lines end with a blank; the layout of the text is kept as written.
QString helpOverviewText() {
    return joinLines({
        "1. Overview",
        "2. Restrictions",
        "",
        "      1. Overview",
        "- BLOB support;",
        "- No redundant data to transfer;",
        "- Collision detecting and resolving;",
        "- Any number of clones;",
        "- Replicated table selection.",
        "",
        "     Quorvel is intended for fullfilling the following tasks:",
        "- prepare your database for cloning;",
        "- make clone.gdb;",
        "- make synchro.gdb - file for information exchange;",
        "- fill synchro.gdb;",
        "- read information from synchro.gdb and update master DB data.",
        "",
        "",
        "     Prepare process includes the following steps:",
        "- define list of working tables, that is tables subject to replication,",
        "- define list of generators used for primary key generation ",
        "  (PK generators);",
        "- add R$Code Integer field to all working tables in master DB;",
        "- create R$Gen generator;",
        "- enumerate all records in all working tables by filling R$Code field with ",
        "  help of R$Gen;",
        "- create 3 triggers for each working table (after insert, after update, ",
        "  after delete);",
        "- create one service stored procedure.",
        "",
        "Note: You may remove all additional metadata at any moment.",
        "",
        "     Clone making process includes the following steps:",
        "- define clone name and offset;",
        "- make BACKUP of master DB;",
        "- make RESTORE to clone.gdb;",
        "- increment clone DB PK generators by offset;",
        "- adjust R$Code max value for this clone.",
        "",
        "     Make synchro.gdb includes the following steps:",
        "- run Extract metadata command and create master.ddl file;",
        "- convert master.ddl to synchro.ddl file;",
        "- create empty synchro.gdb;",
        "- run synchro.ddl script.",
        "",
        "     For replication master DB data you have to fill synchro.gdb file, ",
        "backup it, compress it and send to all clone sides. On clone side ",
        "synchro.gdb must be read.",
        "",
        "     For replication clone DB data you have to fill synchro.gdb file,",
        "backup it, compress it and send to master side. On master side",
        "synchro.gdb must be read.",
        "",
        "ATTENTION: You have to send Master synchro.gdb to all clones. Before",
        "next synchro.gdb filling you must receive synchro.gdb from all clones and",
        "read them to Master.",
        "",
        "Note: Synchro.gdb from master side must be sent to all clone sides.",
        "      Synchro.gdb from all clone sides must be read before next",
        "synchronization.",
        "      The replication triggers skip what a read applies: other users keep ",
        "working during a read. Triggers of an earlier version (\"status\") must be",
        "made inactive before a read, or renewed once with \"renew-triggers\".",
        "",
        "     \"Success\" removes from the journal only the changes that every",
        "site has read; what a site has not read yet stays, and the next fill",
        "sends it again. \"Success\" names the sites that have not read the",
        "last fill. The list \"Sites\" on the page \"Fill SYNCHRO\" shows",
        "who has read what, and since when.",
        "",
        "",
        "      2. Restrictions",
        "",
        "- Only Windows-95/Windows NT are supported.",
        "- Only 32 bit BDE is supported.",
        "- There is limit = (2 147 483 646)*(2 147 483 646) records for master ",
        "  and all clones.",
        "- All operations must be done in the single user mode.",
    });
}

// The last line is empty.
QString prepareHintText() {
    return joinLines({
        "Hint:",
        "",
        "Set total number of records in Master DB as",
        "MaxValue1*2000000000 + MaxValue2",
        "Press \"Create add. structures\" button first for adding special meta structures to your Master DB.",
        "Note: Elapsed time will depend on your DB size, so - wait!",
        "Press \"Erase add. structures\" if you do not want use this software any more.",
        "",
    });
}

QString generatorHintText() {
    return joinLines({
        "Hint:",
        "Select generators which are used for primary key generation",
    });
}

// The first line ends with a blank.
QString tableHintText() {
    return joinLines({
        "Hint: ",
        "Select tables subject to replication. Then press \"Recreate triggers\" button.",
        "Not all tables can be replicated.",
    });
}

QString cloneHintText() {
    return joinLines({
        "Hint:",
        "1. Press\"New\" button and define new CLONE's name and MaxValues",
        "2. Make Buckup to master.bkp",
        "3. Make Restore to clone.gdb",
        "4. Make alias for clone.gdb and restart Quorvel",
        "5. Connect to Master then select \"Cloning\" page and connect to Clone",
        "6. Select new clone name and press \"Update CLONE's data\" button.",
        "7. Make CLONE backup and use it for remote restore.",
    });
}

QString collisionDescription() {
    return joinLines({
        "Dependent tables.",
        "  A table whose rows are computed from the rows of another table",
        "  (for example totals per day of a table of sales) holds different",
        "  data at every site. Such a table must not be replicated. If its",
        "  source table is replicated, bring the derived table at the master",
        "  up to date by hand.",
        "",
        "Natural Primary Key.",
        "  When primary keys are not drawn from primary-key generators, the",
        "  master and a clone may insert rows with the same key, and the read",
        "  then fails while it inserts new rows. Delete the duplicate from the",
        "  synchro database, or copy it from the synchro database over the",
        "  local row (\"Copy current record from Synchro\") and then delete it",
        "  from the synchro database. Then read again.",
        "",
        "The same record updating.",
        "  The master and a clone updated the same record. The master has",
        "  priority: the clone's update is ignored at the master, and the",
        "  master's update is applied at the clone.",
        "",
        "Integrity loss",
        "  One site deleted a row while another site added a row that refers",
        "  to it; reading the other site's changes then breaks the foreign key.",
        "  Do not delete rows that may have been referred to since the last",
        "  synchronization.",
    });
}

QString copyNaturalKeyHint() { return QStringLiteral("See \"Collision description\" page"); }

QString successHint() { return QStringLiteral("Remove from the journal what every site has read"); }

QString successExplanation() {
    return joinLines({
        "\"Success\" removes from the journal only what every site has read.",
        "What a site has not read yet stays, and the next fill sends it again;",
        "the sites that have not read this site's last fill are named next.",
    });
}

QString inactiveTriggersQuestion() {
    return joinLines({
        "This switches change capture off for every user of this database: until",
        "\"Make Triggers Active\", what anybody changes in the working tables is not",
        "recorded for the next fill, and your own triggers on them do not fire.",
        "A read needs no trigger switched off.",
        "",
        "Make the triggers inactive now?",
    });
}

}  // namespace quorvel::app
