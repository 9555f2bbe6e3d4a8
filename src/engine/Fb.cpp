#include "Fb.h"

#include <ibase.h>

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

Status::Status() : CheckStatusWrapper(master()->getStatus()) {}

Status::~Status() { status->dispose(); }

Status& scratchStatus() {
    static Status* s = new Status();  // never destroyed: usable until exit
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

std::string Status::text() { return failed() ? formatStatus(status) : std::string(); }

int Status::sqlCode() {
    if (!failed()) return 0;
    const intptr_t* v = status->getErrors();
    return static_cast<int>(isc_sqlcode(reinterpret_cast<const ISC_STATUS*>(v)));
}

MessageBuilder::MessageBuilder(Status& st, unsigned count) : st_(st) {
    builder_ = master()->getMetadataBuilder(&st_, count);
    st_.check();
}

MessageBuilder::MessageBuilder(Status& st, IMessageMetadata* like) : st_(st) {
    builder_ = like->getBuilder(&st_);
    st_.check();
}

MessageBuilder::~MessageBuilder() {
    if (builder_) builder_->release();
}

void MessageBuilder::set(unsigned index, unsigned type, int subType, unsigned length, int scale, int charSet) {
    builder_->setType(&st_, index, type);
    st_.check();
    builder_->setSubType(&st_, index, subType);
    st_.check();
    builder_->setLength(&st_, index, length);
    st_.check();
    builder_->setScale(&st_, index, scale);
    st_.check();
    if (charSet >= 0) {
        builder_->setCharSet(&st_, index, static_cast<unsigned>(charSet));
        st_.check();
    }
}

IMessageMetadata* MessageBuilder::finish() {
    IMessageMetadata* m = builder_->getMetadata(&st_);
    st_.check();
    return m;
}

void Status::raise() {
    std::string t = text();
    int code = sqlCode();
    init();
    throw DbError(t, code);
}

}  // namespace quorvel::engine::fb
