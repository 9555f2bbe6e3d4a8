// BLOB contents read and written whole.
#include <algorithm>

#include "ValueCodec.h"

namespace quorvel::engine {

using namespace fb;

namespace {

// A blob handle that is closed (read) or cancelled (written) on the way out
// unless the writer closed it itself; a handle the library would not end is
// let go of by hand.
class BlobHandle {
public:
    BlobHandle(IBlob* blob, bool keepContents) : blob_(blob), keepContents_(keepContents) {}
    ~BlobHandle() {
        if (!blob_) return;
        QuietStatus& st = scratchStatus();
        if (keepContents_) blob_->close(&st);
        else blob_->cancel(&st);
        if (st.failed()) blob_->release();
    }
    BlobHandle(const BlobHandle&) = delete;
    BlobHandle& operator=(const BlobHandle&) = delete;
    IBlob* operator->() const { return blob_; }
    // Closes it for good; a failure leaves the handle to the destructor.
    void close(Status& st) {
        blob_->close(&st);
        blob_ = nullptr;
    }

private:
    IBlob* blob_;
    bool keepContents_;
};

}  // namespace

std::string readWholeBlob(DatabaseImpl& db, Tx& tx, const ISC_QUAD& id) {
    auto& st = db.st;
    db.requireConnected();
    ISC_QUAD copy = id;
    BlobHandle blob(db.att->openBlob(&st, tx.tra, &copy, 0, nullptr), true);
    std::string out;
    char buf[32768];
    for (;;) {
        unsigned got = 0;
        int r = blob->getSegment(&st, sizeof buf, buf, &got);
        if (r == IStatus::RESULT_OK || r == IStatus::RESULT_SEGMENT) out.append(buf, got);
        else break;
    }
    // Closed by the handle: a read blob that will not close is no error.
    return out;
}

ISC_QUAD writeWholeBlob(DatabaseImpl& db, Tx& tx, const std::string& content) {
    auto& st = db.st;
    db.requireConnected();
    ISC_QUAD id{};
    BlobHandle blob(db.att->createBlob(&st, tx.tra, &id, 0, nullptr), false);
    size_t pos = 0;
    while (pos < content.size()) {
        unsigned n = static_cast<unsigned>(std::min<size_t>(32768, content.size() - pos));
        blob->putSegment(&st, n, content.data() + pos);
        pos += n;
    }
    blob.close(st);
    return id;
}

// Straight from one blob into the new one, a segment at a time, as a copy
// written on the client does it: no whole copy of the contents in memory.
ISC_QUAD copyBlob(DatabaseImpl& from, Tx& fromTx, const ISC_QUAD& id, DatabaseImpl& to, Tx& toTx) {
    from.requireConnected();
    to.requireConnected();
    ISC_QUAD source = id, copy{};
    BlobHandle in(from.att->openBlob(&from.st, fromTx.tra, &source, 0, nullptr), true);
    BlobHandle out(to.att->createBlob(&to.st, toTx.tra, &copy, 0, nullptr), false);
    char buf[32768];
    for (;;) {
        unsigned got = 0;
        const int r = in->getSegment(&from.st, sizeof buf, buf, &got);
        if (r != IStatus::RESULT_OK && r != IStatus::RESULT_SEGMENT) break;
        out->putSegment(&to.st, got, buf);
    }
    out.close(to.st);
    return copy;
}

}  // namespace quorvel::engine
