// BLOB contents read and written whole.
#include <algorithm>

#include "ValueCodec.h"

namespace quorvel::engine {

using namespace fb;

std::string readWholeBlob(DatabaseImpl& db, Tx& tx, const ISC_QUAD& id) {
    auto& st = db.st;
    db.requireConnected();
    ISC_QUAD copy = id;
    IBlob* blob = db.att->openBlob(&st, tx.tra, &copy, 0, nullptr);
    st.check();
    std::string out;
    char buf[32768];
    for (;;) {
        unsigned got = 0;
        int r = blob->getSegment(&st, sizeof buf, buf, &got);
        if (st.failed()) {
            DbError failure = st.error();
            Status s2;
            blob->close(&s2);
            if (s2.failed()) blob->release();
            throw failure;
        }
        if (r == IStatus::RESULT_OK || r == IStatus::RESULT_SEGMENT) out.append(buf, got);
        else break;
    }
    blob->close(&st);
    if (st.failed()) {
        blob->release();
        st.init();
    }
    return out;
}

ISC_QUAD writeWholeBlob(DatabaseImpl& db, Tx& tx, const std::string& content) {
    auto& st = db.st;
    db.requireConnected();
    ISC_QUAD id{};
    IBlob* blob = db.att->createBlob(&st, tx.tra, &id, 0, nullptr);
    st.check();
    size_t pos = 0;
    while (pos < content.size()) {
        unsigned n = static_cast<unsigned>(std::min<size_t>(32768, content.size() - pos));
        blob->putSegment(&st, n, content.data() + pos);
        if (st.failed()) {
            DbError failure = st.error();
            Status s2;
            blob->cancel(&s2);
            if (s2.failed()) blob->release();
            throw failure;
        }
        pos += n;
    }
    blob->close(&st);
    if (st.failed()) {
        // Not closed: the handle is still ours to let go of.
        DbError failure = st.error();
        Status s2;
        blob->cancel(&s2);
        if (s2.failed()) blob->release();
        throw failure;
    }
    return id;
}

}  // namespace quorvel::engine
