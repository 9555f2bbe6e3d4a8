// One exchange of a site: what waits in the inbox read, then its own fill
// sent, while no other run works in either folder.
#include <filesystem>
#include <optional>

#include "engine/Error.h"
#include "package/Operations.h"
#include "package/PackageFiles.h"
#include "package/WorkFolder.h"

namespace quorvel::package {

Outcome ExchangePackages(engine::Database& local, const std::string& inbox, const std::string& outbox,
                         Reporter& reporter, ExchangeReport* report) {
    ExchangeReport unused;
    ExchangeReport& rep = report ? *report : unused;
    rep = {};
    for (const std::string& dir : {inbox, outbox}) {
        if (!isFolder(dir)) {
            reporter.error(dir + " is no folder. Nothing was done.");
            return Outcome::refused(dir + " is no folder. Nothing was done.");
        }
    }
    FolderLock inLock(inbox);
    std::optional<FolderLock> outLock;
    const bool same = std::filesystem::equivalent(inbox, outbox);
    if (!same) outLock.emplace(outbox);
    if (!inLock.held() || (outLock && !outLock->held())) {
        const std::string why = "Another exchange is running in " + inbox + (same ? "" : " or " + outbox) +
                                ": try again when it has ended. Nothing was done.";
        reporter.error(why);
        return Outcome::failed(why, engine::Failure::FileInUse);
    }
    const Outcome received = receivePackages(local, inbox, reporter, &rep.received, false);
    const Outcome sent = sendPackage(local, outbox, reporter, &rep.send, false);
    rep.sent = sent.isDone();
    if (!received.isDone()) return received;
    return sent;
}

}  // namespace quorvel::package
