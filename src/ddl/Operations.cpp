#include "ddl/Operations.h"

#include "ddl/ConvertAndOrder.h"
#include "operation/RunOperation.h"

namespace quorvel::ddl {

Outcome ConvertDdl(engine::Database& master, const std::string& source, const std::string& target,
                   Reporter& reporter, DdlTexts texts) {
    reporter.step("Convert " + source + " to " + target);
    reporter.breathe();
    return runOperation(reporter, [&] {
        TableOrder order = ConvertDdlAndOrder(master, source, target, texts);
        if (!order.cycleTables.empty()) reporter.notice(CycleMessage(order.cycleTables));
        return Outcome::done();
    });
}

}  // namespace quorvel::ddl
