#include "CloneFixture.h"

#include <array>
#include <cstdio>

#include "engine/Aliases.h"
#include "engine/Query.h"
#include "clone/Gbak.h"
#include "clone/Operations.h"
#include "support/ToolObjects.h"

namespace quorvel::test {

// The tool's objects as this version makes them, with R$1..R$3 as an earlier
// arming wrote them (they journal everything).
std::string armedMasterScript() {
    return localObjectsScript(replica::kLocalVersion, replica::TriggerGeneration::JournalsEverything) + R"(
insert into R$CLONE values ("MASTER", 0, 0, 2000000000, "Y");

CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40),
R$CODE1 INTEGER, R$CODE2 INTEGER);
create generator GEN_CUST;
create generator GEN_ORDER;
SET TERM ^ ;
CREATE TRIGGER R$1 FOR CUSTOMER ACTIVE BEFORE INSERT POSITION 0 AS
declare variable C integer;
begin
  select C from R$FILL(1) into :C;
  new.R$Code1 = C;
  select C from R$FILL(2) into :C;
  new.R$Code2 = C;
end ^
CREATE TRIGGER R$2 FOR CUSTOMER ACTIVE AFTER DELETE POSITION 0 AS
begin
  insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (old.R$Code1, old.R$Code2, "D", "CUSTOMER");
end ^
CREATE TRIGGER R$3 FOR CUSTOMER ACTIVE AFTER UPDATE POSITION 0 AS
begin
  delete from R$DELETEDUPDATED where R$Code1 = old.R$Code1 and R$Code2 = old.R$Code2
    and Operation = "U" and TableName = "CUSTOMER";
  insert into R$DELETEDUPDATED (R$CODE1, R$CODE2, OPERATION, TABLENAME) values (old.R$Code1, old.R$Code2, "U", "CUSTOMER");
end ^
SET TERM ; ^
insert into R$WORKINGTABLES values ("CUSTOMER");
insert into R$PKGENS values ("GEN_CUST", 100);
insert into R$PKGENS values ("GEN_ORDER", 10);
insert into CUSTOMER (ID, NAME) values (1, "First");
insert into R$SYNCHRO values (0, "2026-12-07", 0, 1);
commit;
set generator GEN_CUST to 52;
set generator GEN_ORDER to 7;
commit;
)";
}


void CloneFixture::SetUp() {
    masterPath = ws.createDatabase("MASTER", armedMasterScript());
    Workspace::connect(dm.UserDB(), "MASTER");
    dm.ReopenClone();
    dm.ReopenPKGens();
}

Outcome CloneFixture::newClone(const std::vector<std::optional<clone::CloneEntry>>& typings) {
    return last = registerTypings(typings);
}

Outcome CloneFixture::registerTypings(const std::vector<std::optional<clone::CloneEntry>>& typings) {
    Outcome ready = clone::CheckMasterTakesClones(dm.UserDB(), ui);
    if (!ready.isDone()) return ready;
    for (const auto& typing : typings) {
        if (!typing) return Outcome::cancelled();
        const clone::Registration r = clone::RegisterClone(dm.UserDB(), *typing, ui);
        if (r.refused != clone::EntryPart::None) {
            refusedParts.push_back(r.refused);
            continue;
        }
        dm.ReopenClone();
        for (dm.QClone.first(); !dm.QClone.eof(); dm.QClone.next())
            if (dm.QClone.fieldByName("Name").asString() == typing->name) break;
        return r.outcome;
    }
    return Outcome::cancelled();
}

void CloneFixture::registerClone(const std::string& name, const std::string& max1, const std::string& max2) {
    newClone({clone::CloneEntry{name, max1, max2}});
}

std::optional<clone::CloneRow> CloneFixture::selected() {
    if (!dm.QClone.active() || dm.QClone.isEmpty()) return std::nullopt;
    return clone::CloneRow{dm.QClone.fieldByName("Number").asInteger(), dm.QClone.fieldByName("Name").asString()};
}

Outcome CloneFixture::updateSelected() {
    return last = clone::UpdateClone(dm.UserDB(), dm.CloneDB(), selected(), ui);
}

Outcome CloneFixture::deleteSelected() {
    std::optional<std::string> name;
    if (auto row = selected()) name = row->name;
    Outcome o = clone::DeleteClone(dm.UserDB(), name, ui);
    if (o.isDone()) dm.ReopenClone();
    return last = o;
}

void CloneFixture::selectClone(const std::string& name) {
    if (!dm.QClone.active()) dm.QClone.open();
    for (dm.QClone.first(); !dm.QClone.eof(); dm.QClone.next())
        if (dm.QClone.fieldByName("Name").asString() == name) return;
    ADD_FAILURE() << "no clone " << name << " in the list";
}

void CloneFixture::restoreCloneDatabase(const std::string& alias) {
    const std::string backup = ws.path("master.fbk");
    const std::string restored = ws.path(alias + ".fdb");
    dm.UserDB().disconnect();
    ASSERT_NO_THROW(clone::backUpDatabase(masterPath, backup, {}));
    ASSERT_NO_THROW(clone::restoreDatabase(backup, restored, {}));
    engine::Aliases::add(alias, restored);
    Workspace::connect(dm.UserDB(), "MASTER");
    Workspace::connect(dm.CloneDB(), alias);
    dm.ReopenClone();
    dm.ReopenPKGens();
}

int64_t CloneFixture::integerOn(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    q.setSql(sql);
    q.open();
    return q.field(0).asInteger();
}

std::string CloneFixture::textOn(engine::Database& db, const std::string& sql) {
    engine::Query q(db);
    q.setSql(sql);
    q.open();
    return q.field(0).asString();
}

int64_t CloneFixture::generator(engine::Database& db, const std::string& name) {
    return integerOn(db, "select gen_id(" + name + ", 0) from rdb$database");
}

}  // namespace quorvel::test
