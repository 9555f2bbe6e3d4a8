// The definitions themselves: plain text, no database needed.
#include <stdexcept>

#include "replica/Catalogue.h"
#include "replica/ReplicationSchema.h"
#include "replica/SchemaVersion.h"

namespace quorvel::replica::catalogue {

namespace {

using Kind = Object::Kind;

// Triggers to make active again after a read: those of the working tables that
// were active before (the variable C is declared and not used). Texts are
// sent exactly as written; "::" reaches the server as one colon (a single
// colon before a name would be a parameter).
const char* const kActiveTriggers =
    "CREATE PROCEDURE R$ACTIVETRIGGERS\n"
    "  RETURNS (TRIGGERNAME CHAR(31))\n"
    "AS\n"
    "declare variable C Integer;\n"
    "begin\n"
    "  for select RDB$Trigger_Name\n"
    "         from RDB$Triggers\n"
    "          where (RDB$System_Flag is null or RDB$System_Flag = 0) and\n"
    "                (not RDB$Trigger_Name starting with 'CHECK')\n"
    "                 and RDB$Relation_Name in (select Name from R$WorkingTables)\n"
    "         and RDB$Trigger_Name not in (select TriggerName from R$InactiveTriggers)\n"
    "         order by RDB$Trigger_Name\n"
    "         into ::TriggerName\n"
    "   do\n"
    "     suspend;\n"
    "end";

// Hands out record codes: I = 1 reads the high word, anything else draws the
// next low word, rolling over into the high word after 2000000000. Until
// version 6 it drew past the site's bound into the next site's range; from
// then on a code past the bound (of the R$CLONE row marked ME = "Y") is never
// drawn, for the next site's rows bear those codes: the insert fails, naming
// the site and its range. From version 8 a file restored from a backup (its
// creation stamp is not the one recorded for the site) draws no code: it
// would draw again codes its site drew after the backup, which other sites
// hold for other rows. Asked once per connection; a restored file gets new
// connections.
// `keepsDraw` (version 13): a draw of the low word leaves in its
// transaction's context the transaction's first code, the high word drawn in
// and the last low word allowed in it, with which the insert trigger draws
// the next codes itself, without calling the procedure.
std::string fillProcedure(bool bounded, bool restoredRefused, bool keepsDraw) {
    const std::string boundVariables = bounded ? "declare variable High Integer;\n"
                                                 "declare variable Bound1 Integer;\n"
                                                 "declare variable Bound2 Integer;\n"
                                                 "declare variable Site Char(31);\n"
                                               : "";
    const std::string boundCheck =
        bounded ? "   select first 1 MaxValue1, MaxValue2, Name from R$Clone where ME = 'Y' into ::Bound1, ::Bound2, "
                  "::Site;\n"
                  "   High = gen_id(R$Gen1, 0);\n"
                  "   if (High > Bound1 or (High = Bound1 and C > Bound2)) then\n"
                  "     exception R$CODES_USED_UP 'The record codes of ' || trim(Site) || ' are used up: its range "
                  "ends at (' ||\n"
                  "       Bound1 || ', ' || Bound2 || '). Nothing was saved.';\n" +
                      (keepsDraw ? "   if (rdb$get_context('USER_TRANSACTION', '" + schema::kFirstCodeVariable +
                                       "') is null) then\n"
                                       "     rdb$set_context('USER_TRANSACTION', '" + schema::kFirstCodeVariable +
                                       "', High || ' ' || C);\n"
                                       "   rdb$set_context('USER_TRANSACTION', '" + schema::kDrawHighVariable +
                                       "', High);\n"
                                       "   rdb$set_context('USER_TRANSACTION', '" + schema::kDrawLimitVariable +
                                       "', iif(High < Bound1, MaxValue, Bound2));\n"
                                 : std::string())
                : "";
    const std::string restoredCheck =
        restoredRefused
            ? "   if (rdb$get_context('USER_SESSION', 'R$FILE') is null) then\n"
              "   begin\n"
              "     if (exists(select 1 from R$Identity I cross join MON$Database D where I.Created is not null\n"
              "                and I.Created <> D.MON$Creation_Date)) then\n"
              "       exception R$RESTORED_FILE 'This database was restored from a backup or copied: it would draw "
              "again record codes its site drew after the backup. Nothing was saved. Its administrator "
              "re-registers it, or runs accept-restore.';\n"
              "     rdb$set_context('USER_SESSION', 'R$FILE', 'own');\n"
              "   end\n"
            : "";
    return "CREATE PROCEDURE R$FILL\n"
           "  (I INTEGER)\n"
           "  RETURNS (C INTEGER)\n"
           "AS\n"
           "declare variable MaxValue Integer;\n"
           "declare variable dummy Integer;\n" +
           boundVariables +
           "begin\n"
           " MaxValue = 2000000000;\n"
           " if (I = 1) then\n"
           "   C = gen_id(R$Gen1, 0);\n"
           " else\n"
           " begin\n" +
           restoredCheck +
           "   if (gen_id(R$Gen2, 0) " + std::string(keepsDraw ? ">=" : "=") + " MaxValue) then\n"
           "   begin\n"
           "     dummy = gen_id(R$Gen1, 1);\n"
           "     C = gen_id(R$Gen2, -gen_id(R$Gen2, 0));\n"
           "   end\n"
           "   else\n"
           "     C = gen_id(R$Gen2, 1);\n" +
           boundCheck +
           " end\n"
           " suspend;\n"
           "end";
}

Object generator(const std::string& name, int since = 1) { return {Kind::Generator, name, since}; }

Object table(const std::string& name, std::vector<Column> columns, std::string key = {}, int since = 1,
             int keyUntil = 0) {
    Object o{Kind::Table, name, since};
    o.columns = std::move(columns);
    o.key = std::move(key);
    o.keyUntil = keyUntil;
    return o;
}

Object text(Kind kind, const std::string& name, const std::string& statement, int since = 1) {
    Object o{kind, name, since};
    o.text = statement;
    return o;
}

Object fill() {
    Object o = text(Kind::Procedure, "R$FILL", fillProcedure(true, true, true));
    o.earlier = {{6, fillProcedure(false, false, false)},
                 {8, fillProcedure(true, false, false)},
                 {13, fillProcedure(true, true, false)}};
    return o;
}

// The history of fills: the mark each one drew. Both sides keep it alike.
// Its dates carry the time: in dialect 1 a DATE does, in dialect 3 only a
// TIMESTAMP, from `timestampSince` on.
Column dated(const std::string& name, int timestampSince) { return {name, "DATE", 1, "TIMESTAMP", timestampSince}; }

Object history(int timestampSince) {
    return table("R$SYNCHRO",
                 {{"SYNCHRONUMBER", "INTEGER NOT NULL"}, dated("SYNCHRODATE", timestampSince), {"R$CODE1", "INTEGER"},
                  {"R$CODE2", "INTEGER"}},
                 "SYNCHRONUMBER");
}

// The journal: what was deleted or updated, by record code. ORIGIN is the
// number of the site that made the change (NULL: made here), FIRSTFILL the
// first fill of this site that carried it, SEEN at a clone the last master
// fill it had read when the change was made. The local journal is only ever
// added to by users' transactions, so from version 3 it holds several
// entries of a row changed several times: an index, not a key. A synchro
// journal holds one entry per row and operation.
std::vector<Column> journalColumns() {
    return {{"R$CODE1", "INTEGER NOT NULL"}, {"R$CODE2", "INTEGER NOT NULL"},
            {"OPERATION", "CHAR(1) NOT NULL"}, {"TABLENAME", "CHAR(31)"},
            {"ORIGIN", "INTEGER", 2},          {"FIRSTFILL", "INTEGER", 2},
            {"SEEN", "INTEGER", 2}};
}
const char* const kJournalKey = "R$CODE1, R$CODE2, OPERATION";

std::vector<Object> makeLocal() {
    Object journalIndex{Kind::Index, "R$DELETEDUPDATED_CODE", 3};
    journalIndex.table = "R$DELETEDUPDATED";
    journalIndex.key = kJournalKey;
    return {
        generator("R$GEN1"),
        generator("R$GEN2"),
        generator("R$TRIG"),
        table("R$CLONE",
              {{"NAME", "CHAR(31) NOT NULL"}, {"NUMBER", "INTEGER"}, {"MAXVALUE1", "INTEGER"},
               {"MAXVALUE2", "INTEGER"}, {"ME", "CHAR(1)"}},
              "NAME"),
        table("R$TABLEORDER", {{"NUMBER", "INTEGER NOT NULL"}, {"TABLENAME", "CHAR(31)"}}, "NUMBER"),
        table("R$WORKINGTABLES", {{"NAME", "CHAR(31) NOT NULL"}}, "NAME"),
        table("R$INACTIVETRIGGERS", {{"TRIGGERNAME", "CHAR(31) NOT NULL"}}, "TRIGGERNAME"),
        history(12),
        // OFFSET is a reserved word of the server, and dialect 1 has no
        // quoted identifiers to get round that: the offset column is
        // GENOFFSET. Generators of a dialect-3 database are 64-bit, and so
        // may their offset be.
        table("R$PKGENS", {{"GENERATORNAME", "CHAR(31) NOT NULL"}, {"GENOFFSET", "INTEGER", 1, "BIGINT"}},
              "GENERATORNAME"),
        table("R$DELETEDUPDATED", journalColumns(), kJournalKey, 1, 3),
        text(Kind::Procedure, "R$ACTIVETRIGGERS", kActiveTriggers),
        text(Kind::Exception, "R$CODES_USED_UP", "The record codes of this site are used up.", 6),
        text(Kind::Exception, "R$RESTORED_FILE", "This database was restored from a backup.", 8),
        // What each peer has read of this site's fills and this site of
        // theirs; the journal triggers read it too.
        table("R$PEERS",
              {{"SITENUMBER", "INTEGER NOT NULL"}, {"SITENAME", "CHAR(31)"}, {"LASTREAD", "INTEGER"},
               dated("LASTREADDATE", 12), {"ACKNOWLEDGED", "INTEGER"}, dated("ACKNOWLEDGEDDATE", 12)},
              "SITENUMBER", 2),
        generator("R$FILLNUMBER", 2),
        journalIndex,
        // One row: the version of these objects and the generation of the
        // journal triggers.
        // LOGDAYS (version 11): how many days the exchange log keeps its
        // entries; NULL keeps them for ever.
        table("R$SCHEMA", {{"VERSION", "INTEGER NOT NULL"}, {"TRIGGERS", "INTEGER NOT NULL"}, {"LOGDAYS", "INTEGER", 11}},
              {}, 4),
        // One row: the replication set this database belongs to (made when
        // the master is prepared, carried to every clone by its copy) and
        // the generation of the master's arming it was made at.
        // CREATED (version 7): the creation stamp of the file this site's
        // codes were given to, which a restore from a backup renews.
        table("R$IDENTITY", {{"SETID", "CHAR(36)"}, {"GENERATION", "INTEGER"}, {"CREATED", "TIMESTAMP", 7}}, {}, 5),
        // After R$IDENTITY, which it reads from version 8 on.
        fill(),
        // How an operator settled a collision here: the sender's "D" entry
        // ('D') or row ('R') of a record code that this site passes over in
        // that sender's fills up to FILLNUMBER. The file itself is never
        // edited: other sites may read it too.
        table("R$SETTLED",
              {{"SITENUMBER", "INTEGER NOT NULL"}, {"FILLNUMBER", "INTEGER NOT NULL"}, {"TABLENAME", "CHAR(31)"},
               {"R$CODE1", "INTEGER NOT NULL"}, {"R$CODE2", "INTEGER NOT NULL"}, {"OPERATION", "CHAR(1) NOT NULL"}},
              "SITENUMBER, R$CODE1, R$CODE2, OPERATION", 9),
        // One row: the set's key, which seals the packages its sites
        // exchange (hex text). Made with the set at the master; copied to
        // each clone with the master's file. Granted to no one.
        table("R$SETKEY", {{"SETID", "CHAR(36)"}, {"SETKEY", "CHAR(64)"}}, {}, 10),
        // What was exchanged when, by whom, and how it ended: one row per
        // fill, read, success, history deletion, settling and trigger switch.
        table("R$EXCHANGELOG",
              {{"MOMENT", "TIMESTAMP NOT NULL"}, {"ACTION", "VARCHAR(31) NOT NULL"}, {"OSUSER", "VARCHAR(63)"},
               {"DBUSER", "VARCHAR(63)"}, {"PEER", "VARCHAR(31)"}, {"FILLNUMBER", "INTEGER"},
               {"OUTCOME", "VARCHAR(12)"}, {"COUNTS", "VARCHAR(2000)"}, {"MESSAGE", "VARCHAR(2000)"}},
              {}, 11),
        // Where the update and delete triggers leave their entries (version
        // 14): no index to keep, so a user's update or delete pays for one
        // plain insert. A fill, a read, and whatever else reads the journal
        // move what has been committed here into R$DELETEDUPDATED first, in
        // their own transaction (Captured.h).
        table("R$CAPTURED",
              {{"R$CODE1", "INTEGER NOT NULL"}, {"R$CODE2", "INTEGER NOT NULL"}, {"OPERATION", "CHAR(1) NOT NULL"},
               {"TABLENAME", "CHAR(31)"}, {"SEEN", "INTEGER"}},
              {}, 14),
    };
}

std::vector<Object> makeSynchro() {
    return {
        table("R$DELETEDUPDATED", journalColumns(), kJournalKey),
        history(1),
        // Who filled the synchro database, with the format it wrote: one
        // row, written by every fill.
        table("R$SENDER",
              {{"SITENAME", "CHAR(31)"}, {"SITENUMBER", "INTEGER"}, {"FILLNUMBER", "INTEGER"},
               dated("FILLDATE", 1), {"FORMAT", "INTEGER", 3}, {"SETID", "CHAR(36)", 4},
               {"GENERATION", "INTEGER", 4}},
              {}, 2),
        // For each site the filler reads from, the number of its last fill read.
        table("R$ACKNOWLEDGED", {{"SITENUMBER", "INTEGER NOT NULL"}, {"SITENAME", "CHAR(31)"}, {"FILLNUMBER", "INTEGER"}},
              "SITENUMBER", 2),
    };
}

}  // namespace

const std::vector<Object>& localObjects() {
    static const std::vector<Object> objects = makeLocal();
    return objects;
}

const std::vector<Object>& synchroObjects() {
    static const std::vector<Object> objects = makeSynchro();
    return objects;
}

const Object& localObject(const std::string& name) {
    for (const Object& o : localObjects())
        if (o.name == name) return o;
    throw std::logic_error("no replication object " + name);
}

std::string createStatement(const Object& o, int version, int dialect) {
    switch (o.kind) {
        case Kind::Generator: return "create generator " + o.name;
        case Kind::Index: return "create index " + o.name + " on " + o.table + " (" + o.key + ")";
        case Kind::Procedure:
            for (const auto& [until, text] : o.earlier)
                if (version < until) return text;
            return o.text;
        case Kind::Exception: return "create exception " + o.name + " '" + o.text + "'";
        case Kind::Table: break;
    }
    std::string sql = "CREATE TABLE " + o.name + " (";
    bool first = true;
    for (const Column& c : o.columns) {
        if (c.since > version) continue;
        sql += (first ? "" : ", ") + c.name + " " + c.typeIn(dialect, version);
        first = false;
    }
    if (o.keyedAt(version)) sql += ", PRIMARY KEY (" + o.key + ")";
    return sql + ")";
}

std::string dropStatement(const Object& o) {
    switch (o.kind) {
        case Kind::Generator: return "drop generator " + o.name;
        case Kind::Table: return "drop table " + o.name;
        case Kind::Procedure: return "drop procedure " + o.name;
        case Kind::Index: return "drop index " + o.name;
        case Kind::Exception: return "drop exception " + o.name;
    }
    throw std::logic_error("no drop statement for " + o.name);
}

std::vector<std::string> synchroScript() {
    std::vector<std::string> lines;
    for (const Object& o : synchroObjects()) lines.push_back(createStatement(o, kSynchroFormat, 1) + ";");
    lines.push_back("COMMIT WORK;");
    return lines;
}

std::vector<std::string> generatorMoveProcedure(const std::string& generator, long long increment, int dialect) {
    return {
        "create procedure " + kGeneratorMoveProcedure,
        dialect >= 3 ? "returns (dummy bigint)" : "returns (dummy integer)",
        "as",
        "begin",
        "  dummy = gen_id(" + generator + ", " + std::to_string(increment) + ");",
        "  suspend;",
        "end",
    };
}

}  // namespace quorvel::replica::catalogue
