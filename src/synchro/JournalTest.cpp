#include "synchro/JournalTest.h"

namespace quorvel::synchro {

namespace {
const char* const kCountUpdated =
    "select count(*) from R$DeletedUpdated where R$Code1 = :Code1 and R$Code2 = :Code2 "
    "and Operation = \"U\"";
}

JournalTest::JournalTest(engine::Database& userDB) : userDB_(userDB) {}

JournalTest::~JournalTest() = default;

bool JournalTest::notUpdatedLocally(const engine::Value& code1, const engine::Value& code2) {
    if (!query_) {
        auto q = std::make_unique<engine::Query>(userDB_);
        q->setName("JournalTest");
        q->setSql(kCountUpdated);
        q->prepare();
        query_ = std::move(q);
    }
    query_->close();
    query_->setParam("Code1", code1);
    query_->setParam("Code2", code2);
    query_->open();
    const bool none = query_->field(0).asInteger() == 0;
    query_->close();
    return none;
}

}  // namespace quorvel::synchro
