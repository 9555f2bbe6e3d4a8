// The files of the conversion: what stands at the target is never lost, and
// names of anything but regular files are refused before they are opened.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>

#include "ddl/SynchroDdl.h"
#include "ddl/TargetFile.h"

namespace quorvel::test {
namespace {

using namespace ddl;
namespace fs = std::filesystem;

class ScriptFiles : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("quorvel-files-" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    }
    static std::string read(const fs::path& file) {
        std::ifstream f(file, std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        return ss.str();
    }
    // Everything in the folder: no new file may be left behind by a failure.
    std::vector<std::string> folder() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string refusalOf(const std::string& target) {
        std::string source = write("master.ddl", "CREATE TABLE T (A INTEGER);");
        try {
            ConvertDDL(source, target, [](std::string_view) { return true; });
        } catch (const FileError& e) {
            return e.what();
        }
        return "no error";
    }
};

TEST_F(ScriptFiles, ATargetThatIsNoRegularFileIsRefusedAndLeftInPlace) {
    fs::create_directory(dir / "folder");
    EXPECT_NE(refusalOf((dir / "folder").string()).find("It is a directory, not a regular file."),
              std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir / "folder"));

    // With a reader at the other end, writing into the pipe would succeed:
    // only the refusal keeps the script from vanishing into it.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    int reader = ::open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_NE(refusalOf((dir / "pipe").string()).find("It is a named pipe"), std::string::npos);
    char byte;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "something was written into the pipe";
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(dir / "pipe"));

    // A device that takes no data (like /dev/full) must not be unlinked when
    // the write fails.
    if (::mknod((dir / "full").c_str(), S_IFCHR | 0600, makedev(1, 7)) == 0) {
        EXPECT_NE(refusalOf((dir / "full").string()).find("It is a device"), std::string::npos);
        EXPECT_TRUE(fs::is_character_file(dir / "full"));
    }
    ASSERT_EQ(::symlink((dir / "gone").c_str(), (dir / "dangling").c_str()), 0);
    EXPECT_NE(refusalOf((dir / "dangling").string()).find("link to a missing file"), std::string::npos);
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_FALSE(fs::exists(dir / "gone"));
}

// The file size limit makes the write itself fail (EFBIG), as a full disk
// would, whoever runs the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(ScriptFiles, AFailingWriteLeavesWhatStoodThereBefore) {
    std::string previous = "the script of last week\n";
    std::string target = write("synchro.ddl", previous);
    std::string longText(4096, 'x');
    {
        FileSizeLimit limit(1024);
        try {
            WriteWholeFile(target, longText);
            FAIL() << "no error";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("The previous file is left as it was."), std::string::npos)
                << e.what();
        }
        EXPECT_THROW(WriteWholeFile((dir / "new.ddl").string(), longText), FileError);
    }
    EXPECT_EQ(read(target), previous);
    EXPECT_EQ(folder(), (std::vector<std::string>{"synchro.ddl"}));

    // Once the write can succeed, the file is replaced whole.
    WriteWholeFile(target, longText);
    EXPECT_EQ(read(target), longText);
    EXPECT_EQ(folder(), (std::vector<std::string>{"synchro.ddl"}));
}

TEST_F(ScriptFiles, AReplacedFileKeepsItsPermissionsAndTheLinksToIt) {
    std::string real = write("real.ddl", "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(::symlink(real.c_str(), (dir / "link.ddl").c_str()), 0);
    WriteWholeFile((dir / "link.ddl").string(), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "link.ddl"));
    EXPECT_EQ(read(real), "new");
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ScriptFiles, ASourceThatIsNoRegularFileIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    auto load = std::async(std::launch::async, [this] {
        TMyStream s;
        try {
            s.LoadFromFile((dir / "pipe").string());
        } catch (const FileError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    });
    if (load.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        ADD_FAILURE() << "reading a named pipe waits for a writer";
        // Be that writer, so the reading thread can end.
        int writer = ::open((dir / "pipe").c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    EXPECT_NE(load.get().find("It is a named pipe, not a regular file."), std::string::npos);

    TMyStream s;
    EXPECT_THROW(s.LoadFromFile("/dev/zero"), FileError);
    EXPECT_EQ(s.Size(), 0u);
}

}  // namespace
}  // namespace quorvel::test
