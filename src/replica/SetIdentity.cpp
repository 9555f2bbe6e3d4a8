#include "replica/SetIdentity.h"

#include "engine/Query.h"
#include "engine/Transaction.h"
#include "replica/Presence.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::replica {

namespace {

bool hasRow(engine::Database& db) {
    return TablePresent(db, "R$IDENTITY") && integerOf(db, "select count(*) from R$IDENTITY") != 0;
}

}  // namespace

SetIdentity readSetIdentity(engine::Database& db) {
    SetIdentity id;
    if (!TablePresent(db, "R$IDENTITY")) return id;
    engine::Query q(db);
    q.setSql("select SETID, GENERATION from R$IDENTITY");
    q.open();
    if (q.eof()) return id;
    id.setId = q.field(0).isNull() ? "" : q.field(0).asString();
    id.generation = q.field(1).isNull() ? 0 : q.field(1).asInteger();
    return id;
}

void startSet(engine::Database& db) {
    engine::Transaction tx(db);
    if (hasRow(db)) return;
    run(db, "insert into R$IDENTITY (SETID, GENERATION) values (uuid_to_char(gen_uuid()), 1)");
    tx.commit();
}

void startUnknownSet(engine::Database& db) {
    engine::Transaction tx(db);
    if (hasRow(db)) return;
    run(db, "insert into R$IDENTITY (SETID, GENERATION) values (null, null)");
    tx.commit();
}

void nextGeneration(engine::Database& db) {
    run(db, "update R$IDENTITY set GENERATION = coalesce(GENERATION, 1) + 1");
}

void learnSet(engine::Database& db, const SetIdentity& master) {
    run(db, "update R$IDENTITY set SETID = " + quoted(master.setId) + ", GENERATION = " +
                std::to_string(master.generation));
}

std::string foreignFill(const SetIdentity& here, const SetIdentity& sender, const std::string& file,
                        const std::string& senderText, bool fromMaster) {
    if (!here.known() || !sender.known()) return "";
    if (here.setId != sender.setId)
        return file + " holds a fill of another replication set (" + senderText + " of set " + sender.setId +
               "; this site belongs to set " + here.setId + "). Nothing was changed.";
    if (here.generation == sender.generation || here.generation == 0 || sender.generation == 0) return "";
    const std::string generations = " (generation " + std::to_string(sender.generation) + "; this site's is " +
                                    std::to_string(here.generation) + ")";
    if (fromMaster)
        return file + " holds the master's fill of a later arming" + generations +
               ": the master's triggers were recreated after this clone was made, and the record codes no longer "
               "match. Make this clone again from the master. Nothing was changed.";
    return file + " holds " + senderText + "'s fill of an earlier arming of the master" + generations +
           ": the triggers were recreated after " + senderText +
           " was made, and its record codes no longer match. Make the clone " + senderText +
           " again (delete-clone, make-clone). Nothing was changed.";
}

}  // namespace quorvel::replica
