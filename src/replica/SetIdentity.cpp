#include "replica/SetIdentity.h"

#include "engine/Query.h"
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "replica/Presence.h"
#include "replica/SetKey.h"
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

void startSet(engine::Database& db, bool known) {
    engine::Transaction tx(db);
    if (hasRow(db)) return;
    run(db, std::string("insert into R$IDENTITY (SETID, GENERATION) values ") +
                (known ? "(uuid_to_char(gen_uuid()), 1)" : "(null, null)"));
    // A new set gets its key with it (from version 10 on).
    if (known) makeSetKey(db);
    tx.commit();
}

void recordFileStamp(engine::Database& db, bool onlyFirst) {
    run(db, std::string("update R$IDENTITY set CREATED = (select MON$Creation_Date from MON$Database)") +
                (onlyFirst ? " where CREATED is null" : ""));
}

std::string restoredFile(engine::Database& db) {
    engine::Query q(db);
    q.setSql("select I.CREATED, D.MON$Creation_Date, (select first 1 Name from R$CLONE where ME = 'Y') "
             "from R$IDENTITY I cross join MON$Database D where I.CREATED is not null and I.CREATED <> "
             "D.MON$Creation_Date");
    q.open();
    if (q.eof()) return "";
    const std::string recorded = q.field(0).asString(), now = q.field(1).asString(), site = q.field(2).asString();
    const bool master = site == "MASTER";
    return "This database was restored from a backup or copied: the file of " + (master ? "the master" : site) +
           " was made " + recorded + ", this one " + now + ". Restored, " + (master ? "the master" : site) +
           " would draw again the record codes and fill numbers it drew after the backup. " +
           (master ? std::string("If a clone read a fill the master made after its backup, re-register the master "
                                 "with that clone's file as --clone (re-register-master), then re-register every "
                                 "clone. If no clone read one (or nothing was done in it between the backup and "
                                 "the restore), run accept-restore. Nothing was changed.")
                   : "Make it a clone again at the master, with this file as --clone: \"re-register " + site +
                         " --max1 .. --max2 .. TARGET\" takes what only this file holds and makes " + site +
                         " again at TARGET. If nothing was done in it between the backup and the restore (a "
                         "maintenance backup and restore), run accept-restore instead. Nothing was changed.");
}

void refuseRestoredFile(engine::Database& db) {
    engine::Transaction look(db);
    if (const std::string why = restoredFile(db); !why.empty()) throw Refused(why);
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
