// ">" and "<" of the page "Generator selection": the generators that produce
// primary keys, each with the offset it moves by per clone number.
#include <string>

#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "operation/RunOperation.h"
#include "prepare/Guards.h"
#include "prepare/Operations.h"
#include "replica/SqlText.h"
#include "replica/Statements.h"

namespace quorvel::prepare {

using replica::quoted;
using replica::isIntegerText;
using replica::run;

namespace {

const size_t kOffsetLength = 15;

const std::string& named(const std::optional<std::string>& row) {
    if (!row) throw Refused("List is empty!");
    return *row;
}

}  // namespace

Outcome AddKeyGenerator(engine::Database& local, const std::optional<std::string>& generator,
                        const std::string& givenOffset, Reporter& reporter) {
    return runOperation(reporter, [&] {
        RefuseOnClone(local);
        // An empty generator list has no current row, hence no name to add.
        const std::string& name = named(generator);
        const std::string offset = givenOffset.substr(0, kOffsetLength);
        // The offset goes into the statement as typed, so it must be a number;
        // in dialect 3 generators and their offsets are 64-bit.
        if (!isIntegerText(offset, local.sqlDialect() >= 3 ? 64 : 32)) throw Refused("Invalid number");
        engine::Transaction tx(local);
        run(local, "insert into R$PKGens values (" + quoted(name) + ", " + offset + ")");
        tx.commit();
        return Outcome::done();
    });
}

Outcome RemoveKeyGenerator(engine::Database& local, const std::optional<std::string>& generator,
                           Reporter& reporter) {
    return runOperation(reporter, [&] {
        RefuseOnClone(local);
        const std::string& name = named(generator);
        engine::Transaction tx(local);
        run(local, "delete from R$PKGens where GeneratorName = " + quoted(name));
        tx.commit();
        return Outcome::done();
    });
}

}  // namespace quorvel::prepare
