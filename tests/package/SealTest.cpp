// The sealed file alone: a content of several records comes back whole, and
// every way a file can be damaged on the way is told by name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "package/PackageHeader.h"
#include "package/Seal.h"
#include "support/Workspace.h"

namespace quorvel::package {
namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

const char* const kSet = "8C0D1FE2-8F25-49CD-8BF7-910ABFF46F3A";

TEST(SealTest, AContentOfManyRecordsComesBackAndEveryDamageIsNamed) {
    test::Workspace ws;
    replica::KeyBytes key{};
    key[3] = 42;
    // 6 MB that compress to several 1 MiB records: random bytes with runs.
    std::mt19937 rnd(7);
    std::string content;
    while (content.size() < 6'000'000) content += std::string(rnd() % 5, 'a') + static_cast<char>(rnd());
    writeFile(ws.path("content"), content);
    PackageHeader h;
    h.format = kPackageFormat;
    h.setId = kSet;
    h.sender = "WEST=1\nx%";
    h.fillNumber = 12;
    h.acknowledged = {{0, 7}};
    h.tableRows = {{"Order line", 3}};
    seal(key, kSet, h.text(), ws.path("content"), ws.path("p.qvp"));
    EXPECT_EQ(std::filesystem::status(ws.path("p.qvp")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    const std::string text = unseal(key, ws.path("p.qvp"), ws.path("back"));
    const PackageHeader back = PackageHeader::parse(text);
    EXPECT_EQ(back.sender, h.sender);
    EXPECT_EQ(back.fillNumber, 12);
    EXPECT_EQ(back.acknowledged, h.acknowledged);
    EXPECT_EQ(back.tableRows, h.tableRows);
    EXPECT_TRUE(readFile(ws.path("back")) == content);
    EXPECT_EQ(readClearPart(ws.path("p.qvp")).setId, kSet);

    const std::string whole = readFile(ws.path("p.qvp"));
    ASSERT_GT(whole.size(), 1u << 20) << "more than one content record";
    replica::KeyBytes other = key;
    other[0] ^= 1;
    std::string header = whole, tail = whole, clear = whole;
    header[80] ^= 4;
    tail[whole.size() - 30] ^= 4;
    clear[20] = clear[20] == 'A' ? 'B' : 'A';  // the set's identity, authenticated with the header
    std::string escape = whole;
    escape[20] = '\x1b';  // a terminal's escape, named in no message
    const struct {
        const char* name;
        std::string bytes;
        replica::KeyBytes key;
        const char* said;
    } cases[] = {
        {"another key", whole, other, "cannot be opened with this site's key"},
        {"a changed header", header, key, "cannot be opened with this site's key, or was changed"},
        {"a changed clear part", clear, key, "cannot be opened with this site's key, or was changed"},
        {"a changed end", tail, key, "was changed on the way"},
        {"cut after a record", whole.substr(0, 70 + 4 + text.size() + 17), key, "is cut short"},
        {"cut inside a record", whole.substr(0, whole.size() / 2), key, "is cut short"},
        {"bytes after its end", whole + "x", key, "has bytes after its end"},
        {"no package", "PK\3\4 a zip file", key, "is no Quorvel package"},
        {"a control character in the set's identity", escape, key, "is no Quorvel package (its set identity"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(ws.path("bad.qvp"), c.bytes);
        try {
            unseal(c.key, ws.path("bad.qvp"), ws.path("out"));
            ADD_FAILURE() << "opened";
        } catch (const BadPackage& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.said, 0), 0u) << e.what();
        }
    }
}

}  // namespace
}  // namespace quorvel::package
