// "accept-restore": the operator says that this database was backed up and
// restored with nothing done in between (a maintenance backup and restore):
// its new file counts as the site's own, and it fills and reads again.
#include "engine/Transaction.h"
#include "operation/Refused.h"
#include "operation/RunOperation.h"
#include "prepare/Operations.h"
#include "replica/SchemaVersion.h"
#include "replica/SetIdentity.h"

namespace quorvel::prepare {

Outcome AcceptRestore(engine::Database& local, Reporter& reporter) {
    return runOperation(reporter, [&]() -> Outcome {
        replica::requireCurrentVersion(local);
        {
            engine::Transaction look(local);
            if (replica::restoredFile(local).empty())
                throw Refused("This database is the file its site's codes were given to: there is no restore to "
                              "accept.");
        }
        if (!reporter.confirm("Was nothing done in this database between its backup and the restore? Accept it?"))
            return Outcome::cancelled();
        engine::Transaction tx(local);
        replica::recordFileStamp(local);
        tx.commit();
        return Outcome::done();
    });
}

}  // namespace quorvel::prepare
