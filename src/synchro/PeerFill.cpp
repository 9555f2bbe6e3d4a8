// An administrator's repair of what a site recorded of a peer. A fill whose
// number was raised by hand (or a damaged one) makes the site refuse the
// peer's real fills as "not newer" until the peer's numbers reach it; going
// back to the last number truly read lets them in again.
#include <string>

#include "engine/Transaction.h"
#include "operation/RunOperation.h"
#include "replica/Acknowledgements.h"
#include "replica/SchemaVersion.h"
#include "replica/Statements.h"
#include "synchro/Operations.h"
#include "synchro/SynchroIdentity.h"

namespace quorvel::synchro {

Outcome ForgetPeerFill(engine::Database& local, Reporter& reporter, const std::string& peer, int64_t number) {
    return runOperation(reporter, [&] {
        replica::requireCurrentVersion(local);
        engine::Transaction tx(local);
        std::string names;
        for (const replica::Peer& p : replica::readPeers(local)) {
            names += (names.empty() ? "" : ", ") + p.name;
            if (p.name != peer) continue;
            const std::string who = siteText(p.name);
            if (number < 0 || number >= p.lastRead)
                throw Refused("This site has recorded " + who + "'s fill no. " + std::to_string(p.lastRead) +
                              " as the last one read: give a lower number to go back to. Nothing was changed.");
            if (!reporter.confirm("This site recorded " + who + "'s fill no. " + std::to_string(p.lastRead) +
                                  " as the last one read. Going back to no. " + std::to_string(number) + ", " + who +
                                  "'s fills numbered above it are read again; a fill read before is applied "
                                  "again, which may bring back older values of rows changed here since. Go back?"))
                return Outcome::cancelled();
            replica::run(local, "update R$Peers set LastRead = " + std::to_string(number) +
                                    " where SiteNumber = " + std::to_string(p.number));
            tx.commit();
            reporter.notice("The last fill recorded as read from " + who + " is no. " + std::to_string(number) +
                            " now.");
            return Outcome::done();
        }
        throw Refused(peer + " is no peer of this site" + (names.empty() ? "" : " (its peers: " + names + ")") +
                      ". Nothing was changed.");
    });
}

}  // namespace quorvel::synchro
