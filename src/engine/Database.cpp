#include "Database.h"

#include <ibase.h>

#include <algorithm>

#include "Aliases.h"
#include "DataSet.h"
#include "DataSetImpl.h"
#include "DatabaseImpl.h"
#include "InterruptWatch.h"
#include "Query.h"

namespace quorvel::engine {

using namespace fb;

namespace {

// Read committed with record versions: readers never wait for writers.
// NOWAIT: a lock conflict fails at once with the server's message instead of
// leaving the window hanging on another connection's uncommitted row.
const unsigned char kTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                              isc_tpb_rec_version, isc_tpb_nowait};
// One consistent view for an operation that decides from what it read
// earlier (the read: its journal, then the rows).
const unsigned char kSnapshotTpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency, isc_tpb_nowait};
// Rows that are only browsed: the server starts a read-only read-committed
// transaction as already committed, so a list left open in a grid does not
// hold back the oldest active transaction (and garbage collection with it).
const unsigned char kReadOnlyTpb[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_read_committed,
                                      isc_tpb_rec_version, isc_tpb_nowait};

std::string paramValue(const std::vector<std::string>& lines, const std::string& key) {
    for (const auto& l : lines) {
        size_t eq = l.find('=');
        if (eq == std::string::npos) continue;
        std::string k = l.substr(0, eq);
        std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return std::toupper(c); });
        if (k == key) return l.substr(eq + 1);
    }
    return {};
}

bool hasParam(const std::vector<std::string>& lines, const std::string& key) {
    for (const auto& l : lines) {
        size_t eq = l.find('=');
        if (eq == std::string::npos) continue;
        std::string k = l.substr(0, eq);
        std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return std::toupper(c); });
        if (k == key) return true;
    }
    return false;
}

// Builds a DPB with user, password and dialect 1 (and, on create, the page
// size, the database dialect and its default character set).
std::vector<unsigned char> buildDpb(Status& st, const std::string& user, const std::string& password,
                                    bool sendPassword, int pageSize, const std::string& charset,
                                    int dialect = 1, const std::string& defaultCharset = "",
                                    bool noDatabaseTriggers = false, const std::string& role = "",
                                    int pageBuffers = -1) {
    IXpbBuilder* b = util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    struct Dispose {
        IXpbBuilder* b;
        ~Dispose() { b->dispose(); }
    } disposed{b};
    auto text = [&](unsigned char tag, const std::string& value) { b->insertString(&st, tag, value.c_str()); };
    auto number = [&](unsigned char tag, int value) { b->insertInt(&st, tag, value); };
    if (!user.empty()) text(isc_dpb_user_name, user);
    if (sendPassword) text(isc_dpb_password, password);
    if (!role.empty()) text(isc_dpb_sql_role_name, role);
    // On create, the server takes the new database's dialect from the
    // attachment's dialect; isc_dpb_set_db_sql_dialect alone is not enough.
    number(isc_dpb_sql_dialect, pageSize > 0 ? dialect : 1);
    if (pageSize > 0) {
        number(isc_dpb_page_size, pageSize);
        number(isc_dpb_set_db_sql_dialect, dialect);
        if (!defaultCharset.empty()) text(isc_dpb_set_db_charset, defaultCharset);
    }
    if (!charset.empty()) text(isc_dpb_lc_ctype, charset);
    if (noDatabaseTriggers) number(isc_dpb_no_db_triggers, 1);
    if (pageBuffers >= 0) number(isc_dpb_set_page_buffers, pageBuffers);
    const unsigned char* p = b->getBuffer(&st);
    unsigned n = b->getBufferLength(&st);
    return std::vector<unsigned char>(p, p + n);
}

// The database's SQL dialect from the attachment's info.
int dialectOf(IAttachment* att, Status& st) {
    const unsigned char items[] = {isc_info_db_sql_dialect, isc_info_end};
    unsigned char buf[16] = {};
    att->getInfo(&st, sizeof items, items, sizeof buf, buf);
    if (buf[0] != isc_info_db_sql_dialect) return 1;
    const int length = buf[1] | (buf[2] << 8);
    int value = 0;
    for (int i = length - 1; i >= 0; --i) value = (value << 8) | buf[3 + i];
    return value;
}

// Every attach, failed or not, lets the client library put its own signal
// handlers in place: they are taken back when the attach returns or throws.
struct SignalsTakenBack {
    ~SignalsTakenBack() { reclaimSignals(); }
};

}  // namespace

void freeStatement(IStatement*& s) noexcept {
    if (!s) return;
    QuietStatus& st = scratchStatus();
    s->free(&st);
    if (st.failed()) s->release();
    s = nullptr;
}

void closeResultSet(IResultSet*& rs) noexcept {
    if (!rs) return;
    QuietStatus& st = scratchStatus();
    rs->close(&st);
    if (st.failed()) rs->release();
    rs = nullptr;
}

// ---- Tx ----

Tx::Tx(DatabaseImpl& db, ITransaction* t, bool autocommit) : db(db), tra(t), autocommit(autocommit) {
    static uint64_t next = 0;
    serial = ++next;
}

Tx::~Tx() {
    if (!tra) return;
    if (autocommit || (ended && endByCommit)) {
        // A destructor reports nothing: a commit that fails rolls back.
        QuietStatus& st = scratchStatus();
        tra->commit(&st);
        if (!st.failed()) {
            tra = nullptr;
            return;
        }
    }
    rollbackNow();
}

void Tx::commitNow() {
    if (!tra) return;
    OnFailure rollBack([this] { rollbackNow(); });
    tra->commit(&db.st);
    tra = nullptr;
}

void Tx::rollbackNow() noexcept {
    if (!tra) return;
    QuietStatus& st = scratchStatus();
    tra->rollback(&st);
    if (st.failed()) tra->release();
    tra = nullptr;
}

// ---- DatabaseImpl ----

void DatabaseImpl::requireConnected() const {
    if (!att) throw DbError("The " + owner.displayName() + " is not connected: connect it first.");
}

TxRef DatabaseImpl::start(bool autocommit, bool readOnly, bool snapshot) {
    requireConnected();
    ITransaction* t = readOnly   ? att->startTransaction(&st, sizeof kReadOnlyTpb, kReadOnlyTpb)
                      : snapshot ? att->startTransaction(&st, sizeof kSnapshotTpb, kSnapshotTpb)
                                 : att->startTransaction(&st, sizeof kTpb, kTpb);
    return std::make_shared<Tx>(*this, t, autocommit);
}

TxRef DatabaseImpl::acquire(bool readOnly) {
    if (explicitTx) return explicitTx;
    return start(true, readOnly);
}

IStatement* DatabaseImpl::prepare(const std::string& sql, Tx& tx) {
    requireConnected();
    throwIfCancelled();
    return att->prepare(&st, tx.tra, static_cast<unsigned>(sql.size()), sql.data(), static_cast<unsigned>(dialect),
                        IStatement::PREPARE_PREFETCH_METADATA);
}

// ---- Database ----

Database::Database(std::string name) : name_(std::move(name)), impl_(std::make_unique<DatabaseImpl>(*this)) {}

Database::~Database() {
    disconnect();
    // Data sets that outlive their database must not call back into it.
    for (DataSet* ds : impl_->dataSets) ds->impl().databaseGone = true;
}

void Database::setAliasName(const std::string& alias) { alias_ = alias; }

std::string Database::param(const std::string& key) const {
    std::string upperKey = key;
    std::transform(upperKey.begin(), upperKey.end(), upperKey.begin(), [](unsigned char c) { return std::toupper(c); });
    return paramValue(params_, upperKey);
}

std::string Database::databaseName() const {
    return databaseName_.empty() ? Aliases::databaseOf(alias_) : databaseName_;
}
void Database::setParams(const std::vector<std::string>& lines) { params_ = lines; }

void Database::connect() {
    if (connected()) return;
    std::string server = databaseName();
    std::string user = paramValue(params_, "USER NAME");
    std::string password = paramValue(params_, "PASSWORD");
    // An empty password is still sent: the server decides, not the tool.
    bool sendPassword = hasParam(params_, "PASSWORD") || !password.empty();
    std::string charset = paramValue(params_, "LC_CTYPE");
    auto& st = impl_->st;
    auto dpb = buildDpb(st, user, password, sendPassword, 0, charset, 1, "", foreign_, paramValue(params_, "ROLE NAME"));
    IAttachment* att = nullptr;
    {
        SignalsTakenBack reclaim;
        att = provider()->attachDatabase(&st, server.c_str(), static_cast<unsigned>(dpb.size()), dpb.data());
    }
    impl_->att = att;
    watchAttachment(att);
    try {
        impl_->dialect = dialectOf(att, st);
    } catch (...) {
        disconnect();
        throw;
    }
}

void Database::disconnect() {
    auto& d = *impl_;
    // Copy: closing may unregister.
    auto sets = d.dataSets;
    d.detaching = true;
    for (DataSet* ds : sets) {
        try {
            ds->close();
        } catch (...) {
        }
    }
    d.detaching = false;
    if (d.explicitTx) {
        d.explicitTx->rollbackNow();
        d.explicitTx.reset();
    }
    if (d.att) {
        unwatchAttachment(d.att);
        QuietStatus st;
        d.att->detach(&st);
        if (st.failed()) d.att->release();
        d.att = nullptr;
    }
}

void Database::rollbackQuietly() noexcept {
    try {
        if (inTransaction()) rollback();
    } catch (...) {
    }
}

bool Database::connected() const { return impl_->att != nullptr; }

int Database::sqlDialect() const { return connected() ? impl_->dialect : 1; }

std::string quoteIdentifier(int dialect, const std::string& name) {
    const bool toolsOwn = name.size() >= 2 && (name[0] == 'R' || name[0] == 'r') && name[1] == '$';
    if (dialect < 3 || toolsOwn) return name;
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::string Database::identifier(const std::string& name) const { return quoteIdentifier(sqlDialect(), name); }

void Database::startTransaction(Isolation isolation) {
    if (impl_->explicitTx) throw DbError("A transaction is already active on " + name_);
    impl_->explicitTx = impl_->start(false, false, isolation == Isolation::Snapshot);
}

namespace {

// Ends the explicit transaction; open cursors that still hold it keep its
// context (retaining) until they close.
void endExplicit(DatabaseImpl& d, bool commit) {
    if (!d.explicitTx) throw DbError("No active transaction on " + d.owner.name());
    TxRef tx = std::move(d.explicitTx);
    auto& st = d.st;
    if (tx.use_count() == 1) {
        if (commit) {
            tx->commitNow();
        } else {
            OnFailure release([&] { tx->rollbackNow(); });
            tx->tra->rollback(&st);
            tx->tra = nullptr;
        }
        return;
    }
    {
        // Not committed: it stays the active transaction. Not rolled back:
        // it is let go of.
        OnFailure keepOrRelease([&] {
            if (commit) d.explicitTx = tx;
            else tx->rollbackNow();
        });
        if (commit) tx->tra->commitRetaining(&st);
        else tx->tra->rollbackRetaining(&st);
    }
    tx->ended = true;
    tx->endByCommit = commit;
}

}  // namespace

void Database::commit() { endExplicit(*impl_, true); }
void Database::rollback() { endExplicit(*impl_, false); }
bool Database::inTransaction() const { return impl_->explicitTx != nullptr; }

void Database::execute(const std::string& sql) {
    Query q(*this);
    q.setSql(sql);
    q.execSql();
}

void Database::createDatabase(const std::string& databaseName, const std::string& user,
                              const std::string& password, int pageSize, int dialect,
                              const std::string& defaultCharset) {
    Status st;
    auto dpb = buildDpb(st, user, password, true, pageSize > 0 ? pageSize : 8192, "", dialect, defaultCharset);
    IAttachment* att = nullptr;
    {
        SignalsTakenBack reclaim;
        att = provider()->createDatabase(&st, databaseName.c_str(), static_cast<unsigned>(dpb.size()), dpb.data());
    }
    OnFailure release([att] { att->release(); });
    att->detach(&st);
}

void Database::setPageBuffers(const std::string& databaseName, int pages, const std::string& user,
                              const std::string& password) {
    Status st;
    auto dpb = buildDpb(st, user, password, true, 0, "", 1, "", false, "", pages);
    IAttachment* att = nullptr;
    {
        SignalsTakenBack reclaim;
        att = provider()->attachDatabase(&st, databaseName.c_str(), static_cast<unsigned>(dpb.size()), dpb.data());
    }
    OnFailure release([att] { att->release(); });
    att->detach(&st);
}

void Database::registerDataSet(DataSet* ds) {
    if (std::find(impl_->dataSets.begin(), impl_->dataSets.end(), ds) == impl_->dataSets.end())
        impl_->dataSets.push_back(ds);
}

void Database::unregisterDataSet(DataSet* ds) {
    auto& v = impl_->dataSets;
    v.erase(std::remove(v.begin(), v.end(), ds), v.end());
}

}  // namespace quorvel::engine
