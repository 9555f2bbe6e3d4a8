#include "Fb.h"

#include <ibase.h>

#include <cerrno>
#include <vector>

namespace quorvel::engine::fb {

IMaster* master() {
    static IMaster* m = fb_get_master_interface();
    return m;
}

IUtil* util() {
    static IUtil* u = master()->getUtilInterface();
    return u;
}

IProvider* provider() {
    static IProvider* p = master()->getDispatcher();
    return p;
}

Status::Status() : BaseStatusWrapper(master()->getStatus()) {}

Status::~Status() { status->dispose(); }

QuietStatus::QuietStatus() : CheckStatusWrapper(master()->getStatus()) {}

QuietStatus::~QuietStatus() { status->dispose(); }

QuietStatus& scratchStatus() {
    static QuietStatus* s = new QuietStatus();  // never destroyed: usable until exit
    return *s;
}

std::string formatStatus(IStatus* st) {
    std::vector<char> buf(4096);
    unsigned n = util()->formatStatus(buf.data(), static_cast<unsigned>(buf.size()), st);
    std::string text(buf.data(), n < buf.size() ? n : buf.size() - 1);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

MessageBuilder::MessageBuilder(Status& st, unsigned count) : st_(st) {
    builder_ = master()->getMetadataBuilder(&st_, count);
}

MessageBuilder::MessageBuilder(Status& st, IMessageMetadata* like) : st_(st) {
    builder_ = like->getBuilder(&st_);
}

MessageBuilder::~MessageBuilder() {
    if (builder_) builder_->release();
}

void MessageBuilder::set(unsigned index, unsigned type, int subType, unsigned length, int scale, int charSet) {
    builder_->setType(&st_, index, type);
    builder_->setSubType(&st_, index, subType);
    builder_->setLength(&st_, index, length);
    builder_->setScale(&st_, index, scale);
    if (charSet >= 0) builder_->setCharSet(&st_, index, static_cast<unsigned>(charSet));
}

IMessageMetadata* MessageBuilder::finish() {
    return builder_->getMetadata(&st_);
}

namespace {

// What a status vector tells of a failure: its error codes, the strings that
// go with them and the operating system's error number, if any.
struct StatusFacts {
    std::vector<long> codes;
    std::vector<std::string> strings;
    long osError = 0;

    explicit StatusFacts(const intptr_t* v) {
        for (int i = 0; v[i] != isc_arg_end; i += 2) {
            switch (v[i]) {
                case isc_arg_gds: codes.push_back(static_cast<long>(v[i + 1])); break;
                case isc_arg_string:
                case isc_arg_interpreted: strings.emplace_back(reinterpret_cast<const char*>(v[i + 1])); break;
                case isc_arg_cstring: ++i; break;  // length, then the text: one more slot
                case isc_arg_unix:
                case isc_arg_win32: osError = static_cast<long>(v[i + 1]); break;
                default: break;
            }
        }
    }
    bool has(long code) const {
        for (long c : codes)
            if (c == code) return true;
        return false;
    }
    bool says(const char* word) const {
        for (const std::string& s : strings)
            if (s == word) return true;
        return false;
    }
};

Failure classify(const StatusFacts& f) {
    if (f.has(isc_login)) return Failure::LoginRefused;
    if (f.has(isc_cancelled)) return Failure::Cancelled;
    for (long c : {isc_lock_conflict, isc_deadlock, isc_update_conflict, isc_lock_timeout})
        if (f.has(c)) return Failure::LockConflict;
    for (long c : {isc_att_shutdown, isc_shutdown, isc_network_error, isc_net_read_err, isc_net_write_err,
                   isc_lost_db_connection, isc_conn_lost, isc_net_connect_err})
        if (f.has(c)) return Failure::ConnectionLost;
    for (long c : {isc_bug_check, isc_db_corrupt, isc_badpage, isc_bad_checksum, isc_page_type_err, isc_bad_dbkey})
        if (f.has(c)) return Failure::Damaged;
    if (f.has(isc_unique_key_violation) || f.has(isc_no_dup)) return Failure::KeyViolation;
    if (f.has(isc_foreign_key)) return Failure::ReferenceViolation;
    if (f.has(isc_already_opened)) return Failure::FileInUse;
    if (f.has(isc_bad_db_format)) return Failure::FileNotDatabase;
    // "no permission for read-write access to database ...": a file that
    // cannot be opened for writing.
    if (f.has(isc_no_priv) && f.says("database")) return Failure::FileNotWritable;
    if (f.has(isc_read_only_database)) return Failure::FileNotWritable;
    if (f.has(isc_io_error)) {
        // The first string names the operation that failed on the file.
        if (f.says("lock")) return Failure::FileInUse;
        if (f.says("read")) return Failure::FileNotDatabase;  // shorter than its own header says
        if (f.osError == ENOENT || f.osError == ENOTDIR) return Failure::FileMissing;
        if (f.osError == EACCES || f.osError == EPERM || f.osError == EROFS) return Failure::FileNotWritable;
    }
    return Failure::Other;
}

}  // namespace

DbError errorOf(const intptr_t* vector, const std::string& text) {
    const StatusFacts facts(vector);
    const int sqlCode = static_cast<int>(isc_sqlcode(reinterpret_cast<const ISC_STATUS*>(vector)));
    return DbError(text, sqlCode, facts.codes.empty() ? 0 : facts.codes.front(), classify(facts));
}

void Status::raise() {
    DbError e = errorOf(status->getErrors(), formatStatus(status));
    clearException();
    throw e;
}

}  // namespace quorvel::engine::fb
