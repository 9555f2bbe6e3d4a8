#include "app/HintTexts.h"

#include <QCoreApplication>

namespace quorvel::app {

// Several lines end with a blank; the layout of the text is kept as written.
QString helpOverviewText() {
    return QCoreApplication::translate("HintTexts",
        "1. Overview\n"
        "2. Restrictions\n"
        "\n"
        "      1. Overview\n"
        "- BLOB support;\n"
        "- No redundant data to transfer;\n"
        "- Collision detecting and resolving;\n"
        "- Any number of clones;\n"
        "- Replicated table selection.\n"
        "\n"
        "     Quorvel is intended for fullfilling the following tasks:\n"
        "- prepare your database for cloning;\n"
        "- make clone.gdb;\n"
        "- make synchro.gdb - file for information exchange;\n"
        "- fill synchro.gdb;\n"
        "- read information from synchro.gdb and update master DB data.\n"
        "\n"
        "\n"
        "     Prepare process includes the following steps:\n"
        "- define list of working tables, that is tables subject to replication,\n"
        "- define list of generators used for primary key generation \n"
        "  (PK generators);\n"
        "- add R$Code Integer field to all working tables in master DB;\n"
        "- create R$Gen generator;\n"
        "- enumerate all records in all working tables by filling R$Code field with \n"
        "  help of R$Gen;\n"
        "- create 3 triggers for each working table (after insert, after update, \n"
        "  after delete);\n"
        "- create one service stored procedure.\n"
        "\n"
        "Note: You may remove all additional metadata at any moment.\n"
        "\n"
        "     Clone making process includes the following steps:\n"
        "- define clone name and offset;\n"
        "- make BACKUP of master DB;\n"
        "- make RESTORE to clone.gdb;\n"
        "- increment clone DB PK generators by offset;\n"
        "- adjust R$Code max value for this clone.\n"
        "\n"
        "     Make synchro.gdb includes the following steps:\n"
        "- run Extract metadata command and create master.ddl file;\n"
        "- convert master.ddl to synchro.ddl file;\n"
        "- create empty synchro.gdb;\n"
        "- run synchro.ddl script.\n"
        "\n"
        "     For replication master DB data you have to fill synchro.gdb file, \n"
        "backup it, compress it and send to all clone sides. On clone side \n"
        "synchro.gdb must be read.\n"
        "\n"
        "     For replication clone DB data you have to fill synchro.gdb file,\n"
        "backup it, compress it and send to master side. On master side\n"
        "synchro.gdb must be read.\n"
        "\n"
        "ATTENTION: You have to send Master synchro.gdb to all clones. Before\n"
        "next synchro.gdb filling you must receive synchro.gdb from all clones and\n"
        "read them to Master.\n"
        "\n"
        "Note: Synchro.gdb from master side must be sent to all clone sides.\n"
        "      Synchro.gdb from all clone sides must be read before next\n"
        "synchronization.\n"
        "      The replication triggers skip what a read applies: other users keep \n"
        "working during a read. Triggers of an earlier version (\"status\") must be\n"
        "made inactive before a read, or renewed once with \"renew-triggers\".\n"
        "\n"
        "     \"Success\" removes from the journal only the changes that every\n"
        "site has read; what a site has not read yet stays, and the next fill\n"
        "sends it again. \"Success\" names the sites that have not read the\n"
        "last fill. The list \"Sites\" on the page \"Fill SYNCHRO\" shows\n"
        "who has read what, and since when.\n"
        "\n"
        "\n"
        "      2. Restrictions\n"
        "\n"
        "- Only Windows-95/Windows NT are supported.\n"
        "- Only 32 bit BDE is supported.\n"
        "- There is limit = (2 147 483 646)*(2 147 483 646) records for master \n"
        "  and all clones.\n"
        "- All operations must be done in the single user mode.");
}

// The text ends with a line break.
QString prepareHintText() {
    return QCoreApplication::translate("HintTexts",
        "Hint:\n"
        "\n"
        "Set total number of records in Master DB as\n"
        "MaxValue1*2000000000 + MaxValue2\n"
        "Press \"Create add. structures\" button first for adding special meta structures to your Master DB.\n"
        "Note: Elapsed time will depend on your DB size, so - wait!\n"
        "Press \"Erase add. structures\" if you do not want use this software any more.\n");
}

QString generatorHintText() {
    return QCoreApplication::translate("HintTexts",
        "Hint:\n"
        "Select generators which are used for primary key generation");
}

// The first line ends with a blank.
QString tableHintText() {
    return QCoreApplication::translate("HintTexts",
        "Hint: \n"
        "Select tables subject to replication. Then press \"Recreate triggers\" button.\n"
        "Not all tables can be replicated.");
}

QString cloneHintText() {
    return QCoreApplication::translate("HintTexts",
        "Hint:\n"
        "1. Press\"New\" button and define new CLONE's name and MaxValues\n"
        "2. Make Buckup to master.bkp\n"
        "3. Make Restore to clone.gdb\n"
        "4. Make alias for clone.gdb and restart Quorvel\n"
        "5. Connect to Master then select \"Cloning\" page and connect to Clone\n"
        "6. Select new clone name and press \"Update CLONE's data\" button.\n"
        "7. Make CLONE backup and use it for remote restore.");
}

QString collisionDescription() {
    return QCoreApplication::translate("HintTexts",
        "Dependent tables.\n"
        "  A table whose rows are computed from the rows of another table\n"
        "  (for example totals per day of a table of sales) holds different\n"
        "  data at every site. Such a table must not be replicated. If its\n"
        "  source table is replicated, bring the derived table at the master\n"
        "  up to date by hand.\n"
        "\n"
        "Natural Primary Key.\n"
        "  When primary keys are not drawn from primary-key generators, the\n"
        "  master and a clone may insert rows with the same key, and the read\n"
        "  then fails while it inserts new rows. Delete the duplicate from the\n"
        "  synchro database, or copy it from the synchro database over the\n"
        "  local row (\"Copy current record from Synchro\") and then delete it\n"
        "  from the synchro database. Then read again.\n"
        "\n"
        "The same record updating.\n"
        "  The master and a clone updated the same record. The master has\n"
        "  priority: the clone's update is ignored at the master, and the\n"
        "  master's update is applied at the clone.\n"
        "\n"
        "Integrity loss\n"
        "  One site deleted a row while another site added a row that refers\n"
        "  to it; reading the other site's changes then breaks the foreign key.\n"
        "  Do not delete rows that may have been referred to since the last\n"
        "  synchronization.");
}

QString copyNaturalKeyHint() {
    return QCoreApplication::translate("HintTexts", "See \"Collision description\" page");
}

QString successHint() {
    return QCoreApplication::translate("HintTexts", "Remove from the journal what every site has read");
}

QString successExplanation() {
    return QCoreApplication::translate("HintTexts",
        "\"Success\" removes from the journal only what every site has read.\n"
        "What a site has not read yet stays, and the next fill sends it again;\n"
        "the sites that have not read this site's last fill are named next.");
}

QString inactiveTriggersQuestion() {
    return QCoreApplication::translate("HintTexts",
        "This switches change capture off for every user of this database: until\n"
        "\"Make Triggers Active\", what anybody changes in the working tables is not\n"
        "recorded for the next fill, and your own triggers on them do not fire.\n"
        "A read needs no trigger switched off.\n"
        "\n"
        "Make the triggers inactive now?");
}

}  // namespace quorvel::app
