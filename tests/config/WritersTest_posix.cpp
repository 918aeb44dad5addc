// The two writers against real POSIX file failures: a user without write permission, a full
// disk, memory running out, symbolic links another user planted. The tests run as root, so the
// user's cases run in a child process that has become "nobody"; the full disk is a child with a
// file size limit.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/ConfigWriters.h"
#include "tests/support/Users_posix.h"

namespace lesamo::test {
namespace {

namespace fs = std::filesystem;

using Writer = int (CReaderDetector::*)();

struct ChildReport {
    int result = 0;
    std::vector<std::string> texts;  // each with "E " (error icon) or "? " in front
};

/// Runs `writer` of a detector with a Kavirex3 reader on com1 and a Kavirex(KRM) reader on
/// com2 in a child process: as the user nobody when `asNobody`, with files limited to
/// `fileSizeLimit` bytes when that is not 0 (writing beyond raises SIGXFSZ, whose default ends
/// the process: the writer must turn it into a failed write, as on a full disk).
ChildReport RunInChild(Writer writer, bool asNobody, rlim_t fileSizeLimit = 0)
{
    int channel[2];
    if (pipe(channel) != 0)
        throw std::runtime_error("pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        if (fileSizeLimit != 0) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
                _exit(3);
        }
        const uid_t nobody = NobodyId();
        if (asNobody && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(4);
        FakeSerialPorts ports;
        RecordingNotice notice;
        CReaderDetector detector(ports, notice);
        detector.m_nPortKind[0] = readerKavirex3;
        detector.m_nPortKind[1] = readerKrm;
        std::string report = std::to_string((detector.*writer)()) + "\n";
        for (std::size_t i = 0; i < notice.texts.size(); ++i)
            report += (notice.icons[i] == MessageIcon::Error ? "E " : "? ") + notice.texts[i] + "\n";
        const bool sent = write(channel[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        _exit(sent ? 0 : 5);
    }
    close(channel[1]);
    std::string received;
    char buffer[512];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        received.append(buffer, static_cast<std::size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;

    ChildReport report;
    std::size_t lineFeed = received.find('\n');
    if (lineFeed == std::string::npos)
        return report;
    report.result = std::stoi(received.substr(0, lineFeed));
    for (std::size_t start = lineFeed + 1; (lineFeed = received.find('\n', start)) != std::string::npos;
         start = lineFeed + 1)
        report.texts.push_back(received.substr(start, lineFeed - start));
    return report;
}

struct Target {
    Writer writer;
    const char* file;
    const char* shownName;
};
const Target kTargets[] = {
    {&CReaderDetector::WriteHbciFile, "hbcikrnl.ini", "HBCIKRNL.INI"},
    {&CReaderDetector::WriteIccFile, "icchscr.ini", "ICCHSCR.INI"},
};
const std::string kOld = "[CardReader]\r\nOther=Active\r\n\r\n[Other]\r\nPort=3\r\n";

TEST_F(AsNobody, AReadOnlyTargetStaysAsItWas)
{
    for (const Target& target : kTargets) {
        ConfigWriters w;
        fs::permissions(w.windowsDir.Path(), fs::perms::all);  // a new file could be made here
        WriteBytes(w.File(target.file), kOld);
        fs::permissions(w.File(target.file), fs::perms(0644));  // root's, read-only for nobody
        const ChildReport report = RunInChild(target.writer, true);
        EXPECT_EQ(resultFailed, report.result);
        EXPECT_EQ(std::vector<std::string>{"E Error: Create File: " + std::string(target.shownName) + " "},
                  report.texts);
        EXPECT_EQ(kOld, ReadBytes(w.File(target.file)));
        EXPECT_EQ(std::vector<std::string>{target.file}, w.windowsDir.Names());
    }
}

TEST_F(AsNobody, AnUnwritableDirectoryGetsNoFile)
{
    for (const Target& target : kTargets) {
        ConfigWriters w;
        fs::permissions(w.windowsDir.Path(), fs::perms(0755));
        // The file alone would be writable, but no new version can be put beside it.
        WriteBytes(w.File(target.file), kOld);
        fs::permissions(w.File(target.file), fs::perms(0666));
        ChildReport report = RunInChild(target.writer, true);
        EXPECT_EQ(resultFailed, report.result);
        EXPECT_EQ(std::vector<std::string>{"E Error: Create File: " + std::string(target.shownName) + " "},
                  report.texts);
        EXPECT_EQ(kOld, ReadBytes(w.File(target.file)));

        fs::remove(w.File(target.file));
        report = RunInChild(target.writer, true);
        EXPECT_EQ(resultFailed, report.result);
        EXPECT_EQ(1u, report.texts.size());
        EXPECT_TRUE(w.windowsDir.Names().empty());
    }
}

TEST_F(AsNobody, AnUnreadableBankingKernelFileIsNotReplaced)
{
    // Writing it anew would lose whatever other programs keep in it.
    ConfigWriters w;
    fs::permissions(w.windowsDir.Path(), fs::perms::all);
    WriteBytes(w.File("hbcikrnl.ini"), kOld);
    fs::permissions(w.File("hbcikrnl.ini"), fs::perms(0622));
    const ChildReport report = RunInChild(&CReaderDetector::WriteHbciFile, true);
    EXPECT_EQ(resultFailed, report.result);
    EXPECT_EQ(std::vector<std::string>{"E Error: Create File: HBCIKRNL.INI "}, report.texts);
    EXPECT_EQ(kOld, ReadBytes(w.File("hbcikrnl.ini")));
    EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, w.windowsDir.Names());
}

TEST(FullDisk, LeavesTheOldFileWholeAndNoTemporaryFile)
{
    for (const Target& target : kTargets) {
        ConfigWriters w;
        std::string old = kOld;
        while (old.size() < 20000)
            old += "Key" + std::to_string(old.size()) + "=value\r\n";
        WriteBytes(w.File(target.file), old);
        // The old file is far larger than the limit: only writing is cut short, not reading.
        const ChildReport report = RunInChild(target.writer, false, 100);
        EXPECT_EQ(resultFailed, report.result);
        EXPECT_EQ(std::vector<std::string>{"E Error: Write File: " + std::string(target.shownName) + " "},
                  report.texts);
        EXPECT_EQ(old, ReadBytes(w.File(target.file)));
        EXPECT_EQ(std::vector<std::string>{target.file}, w.windowsDir.Names());
    }
}

TEST(HugeFile, MemoryRunningOutIsAFailedCreateNotACrash)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#else
    ConfigWriters w;
    std::string old = "[CardReader]\r\n";
    while (old.size() < (48u << 20))
        old += "Key" + std::to_string(old.size()) + "=Installed\r\n";
    WriteBytes(w.File("hbcikrnl.ini"), old);
    // Room for the program as it is and a little more, not for three copies of the file.
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t room = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
    int channel[2];
    ASSERT_EQ(0, pipe(channel));
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{room, room};
        setrlimit(RLIMIT_AS, &limit);
        w.Slots(readerKavirex3, 0, 0, 0);
        const int result = w.detector.WriteHbciFile();
        const std::string report = std::to_string(result) + (w.notice.texts.empty() ? "" : " " + w.notice.texts[0]);
        _exit(write(channel[1], report.data(), report.size()) > 0 ? 0 : 5);
    }
    close(channel[1]);
    char buffer[200] = {};
    const ssize_t length = read(channel[0], buffer, sizeof buffer - 1);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ("-1 Error: Create File: HBCIKRNL.INI ", std::string(buffer, length > 0 ? length : 0));
    EXPECT_EQ(old, ReadBytes(w.File("hbcikrnl.ini")));
#endif
}

// --- Symbolic links another user may have planted ------------------------------------------

class LinksOfAnotherUser : public AsNobody {};

TEST_F(LinksOfAnotherUser, AreNotFollowed)
{
    // Root writes into a Windows directory that belongs to nobody, who has pointed both file
    // names into a directory of root's alone.
    ConfigWriters w;
    TempDir rootOnly;
    fs::permissions(rootOnly.Path(), fs::perms::owner_all);
    WriteBytes(rootOnly / "key", "root's own\n");
    fs::permissions(rootOnly / "key", fs::perms(0600));
    ASSERT_EQ(0, chown(w.windowsDir.Path().c_str(), NobodyId(), NobodyId()));
    fs::create_symlink(rootOnly / "key", w.File("hbcikrnl.ini"));
    fs::create_symlink(rootOnly / "new.ini", w.File("icchscr.ini"));
    for (const char* link : {"hbcikrnl.ini", "icchscr.ini"})
        ASSERT_EQ(0, lchown(w.File(link).c_str(), NobodyId(), NobodyId()));
    w.Slots(readerKavirex3, 0, 0, 0);
    EXPECT_EQ(resultFailed, w.detector.WriteHbciFile());
    EXPECT_EQ(resultFailed, w.detector.WriteIccFile());
    EXPECT_EQ((std::vector<std::string>{"Error: Create File: HBCIKRNL.INI ", "Error: Create File: ICCHSCR.INI "}),
              w.notice.texts);
    EXPECT_EQ("root's own\n", ReadBytes(rootOnly / "key"));
    EXPECT_EQ(std::vector<std::string>{"key"}, rootOnly.Names());
    EXPECT_EQ((std::vector<std::string>{"hbcikrnl.ini", "icchscr.ini"}), w.windowsDir.Names());

    // Root's own link in a directory that nobody may change is followed.
    ASSERT_EQ(0, lchown(w.File("hbcikrnl.ini").c_str(), 0, 0));
    EXPECT_EQ(resultFailed, w.detector.WriteHbciFile());  // the directory is nobody's
    ASSERT_EQ(0, chown(w.windowsDir.Path().c_str(), 0, 0));
    EXPECT_EQ(resultOk, w.detector.WriteHbciFile());
    EXPECT_NE(std::string::npos, ReadBytes(rootOnly / "key").find("VeskKavirex3=Active"));
}

}  // namespace
}  // namespace lesamo::test
