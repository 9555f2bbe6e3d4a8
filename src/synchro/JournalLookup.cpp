#include "synchro/JournalLookup.h"

namespace quorvel::synchro {

using replica::RecordCode;

namespace {
const char* const kCountUpdated =
    "select count(*) from R$DeletedUpdated where R$Code1 = :Code1 and R$Code2 = :Code2 "
    "and Operation = 'U'";
}

JournalLookup::JournalLookup(engine::Database& local) : local_(local) {}

JournalLookup::~JournalLookup() = default;

bool JournalLookup::updatedHere(const RecordCode& code) {
    if (!query_) {
        auto q = std::make_unique<engine::Query>(local_);
        q->setName("JournalLookup");
        q->setSql(kCountUpdated);
        q->prepare();
        query_ = std::move(q);
    }
    query_->close();
    query_->setParam("Code1", code.high);
    query_->setParam("Code2", code.low);
    query_->open();
    const bool some = query_->field(0).asInteger() != 0;
    query_->close();
    return some;
}

}  // namespace quorvel::synchro
