// The writers against real POSIX file failures: a user without write permission, a full
// disk, symbolic links and file modes. The tests run as root, so the user's cases run in a
// child process that has become "nobody"; the full disk is a child with a file size limit.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "config/TextFile.h"
#include "tests/support/ConfigWriters.h"

namespace lesamo::test {
namespace {

namespace fs = std::filesystem;

using Writer = int (CReaderDetector::*)();

struct ChildReport {
    int result = 0;
    std::vector<std::string> texts;  // each with "E " (error icon) or "? " in front
};

uid_t NobodyId()
{
    const passwd* nobody = getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

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

class AsNobody : public testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root to become another user";
    }
};

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

TEST(Signals, NoneLeavesATemporaryFileBehind)
{
    // Children that write again and again are ended by a signal at some moment of a write:
    // all but a few milliseconds of each round lie between creating the new file and renaming it.
    TempDir dir;
    const std::string text(2 << 20, 'x');
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGALRM}) {
        const pid_t child = fork();
        if (child == 0) {
            for (;;)
                WriteTextFile((dir / "hbcikrnl.ini").string(), text);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        kill(child, signal);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, dir.Names()) << "signal " << signal;
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

TEST(WriteTextFile, ReadsAndReplacesTheFileOfOneResolution)
{
    // A link changed between reading and writing does not move the write elsewhere.
    TempDir dir;
    WriteBytes(dir / "a.ini", "a\r\n");
    WriteBytes(dir / "b.ini", "b\r\n");
    fs::create_symlink("a.ini", dir / "hbcikrnl.ini");
    TextFile file((dir / "hbcikrnl.ini").string());
    std::string text;
    EXPECT_EQ(ReadOutcome::Read, file.Read(text));
    EXPECT_EQ("a\n", text);
    fs::remove(dir / "hbcikrnl.ini");
    fs::create_symlink("b.ini", dir / "hbcikrnl.ini");
    EXPECT_EQ(WriteOutcome::Written, file.Write("a merged\n"));
    EXPECT_EQ("a merged\r\n", ReadBytes(dir / "a.ini"));
    EXPECT_EQ("b\r\n", ReadBytes(dir / "b.ini"));
}

TEST(WriteTextFile, RootMayWriteAReadOnlyFileAndItStaysReadOnly)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root";
    TempDir dir;
    WriteBytes(dir / "f.ini", "old\r\n");
    fs::permissions(dir / "f.ini", fs::perms(0444));
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile((dir / "f.ini").string(), "new\n"));
    EXPECT_EQ("new\r\n", ReadBytes(dir / "f.ini"));
    EXPECT_EQ(fs::perms(0444), fs::status(dir / "f.ini").permissions());
}

TEST(WriteTextFile, KeepsTheOldFilesModeAndOwner)
{
    TempDir dir;
    WriteBytes(dir / "f.ini", "old\r\n");
    fs::permissions(dir / "f.ini", fs::perms(0640));
    const bool root = geteuid() == 0;
    const uid_t owner = root ? NobodyId() : geteuid();
    if (root) {
        ASSERT_EQ(0, chown((dir / "f.ini").c_str(), owner, 0));
    }
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile((dir / "f.ini").string(), "new\n"));
    struct stat status {};
    ASSERT_EQ(0, stat((dir / "f.ini").c_str(), &status));
    EXPECT_EQ(0640u, status.st_mode & 07777);
    EXPECT_EQ(owner, status.st_uid);

    const mode_t oldMask = umask(027);
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile((dir / "g.ini").string(), "new\n"));
    umask(oldMask);
    ASSERT_EQ(0, stat((dir / "g.ini").c_str(), &status));
    EXPECT_EQ(0640u, status.st_mode & 07777);  // as a plain create would make it
}

TEST(WriteTextFile, ReplacesTheFileASymbolicLinkNames)
{
    TempDir dir;
    fs::create_directories(dir / "windows");
    fs::create_directories(dir / "real");
    WriteBytes(dir / "real" / "hbci.ini", "old\r\n");
    fs::create_symlink("../real/hbci.ini", dir / "windows" / "hbcikrnl.ini");
    fs::create_symlink(dir / "real" / "dangling.ini", dir / "windows" / "icchscr.ini");
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile((dir / "windows" / "hbcikrnl.ini").string(), "new\n"));
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile((dir / "windows" / "icchscr.ini").string(), "icc\n"));
    EXPECT_TRUE(fs::is_symlink(dir / "windows" / "hbcikrnl.ini"));
    EXPECT_TRUE(fs::is_symlink(dir / "windows" / "icchscr.ini"));
    EXPECT_EQ("new\r\n", ReadBytes(dir / "real" / "hbci.ini"));
    EXPECT_EQ("icc\r\n", ReadBytes(dir / "real" / "dangling.ini"));
    EXPECT_EQ((std::vector<std::string>{"dangling.ini", "hbci.ini"}), EntryNames(dir / "real"));
}

// --- What a replace keeps besides the bytes -------------------------------------------------

constexpr uid_t kAlice = 12346;  // users and a group of no account: numbers alone
constexpr gid_t kBank = 12350;

/// Runs `body` in a child that has become `user` (group `user` too, and the `groups` besides);
/// returns its exit status, -1 when it could not become that user.
int AsUser(uid_t user, std::vector<gid_t> groups, const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(groups.size(), groups.data()) != 0 || setgid(user) != 0 || setuid(user) != 0)
            _exit(255);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

int Replace(const fs::path& file)
{
    return static_cast<int>(WriteTextFile(file.string(), "new\n"));
}

/// What getfacl makes of the file's ACL (numeric, without the header lines).
std::string AclOf(const fs::path& file)
{
    std::string text;
    const std::string command = "getfacl --omit-header --numeric --absolute-names '" + file.string() + "' 2>&1";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            text += buffer;
        pclose(pipe);
    }
    return text;
}

std::string AttributeOf(const fs::path& file, const char* name)
{
    char value[64] = {};
    const ssize_t size = getxattr(file.c_str(), name, value, sizeof value);
    return size < 0 ? "(none)" : std::string(value, static_cast<std::size_t>(size));
}

TEST_F(AsNobody, AReplaceKeepsTheAclAndTheExtendedAttributes)
{
    // The owning group may only read; the named user and group have their own entries, so the
    // mode's group bits show the mask (rw). Wine keeps hidden and system in user.DOSATTRIB.
    for (const bool root : {true, false}) {
        TempDir dir;
        const fs::path file = dir / "hbcikrnl.ini";
        WriteBytes(file, "old\r\n");
        ASSERT_EQ(0, chown(dir.Path().c_str(), kAlice, kAlice));
        ASSERT_EQ(0, chown(file.c_str(), kAlice, kBank));
        ASSERT_EQ(0, std::system(("setfacl -m u:12345:rw,g:12351:r,g::r '" + file.string() + "'").c_str()));
        ASSERT_EQ(0, setxattr(file.c_str(), "user.DOSATTRIB", "0x6", 3, 0));
        const std::string acl = AclOf(file);
        ASSERT_NE(std::string::npos, acl.find("mask::rw-")) << acl;
        const int outcome = root ? Replace(file) : AsUser(kAlice, {kBank}, [&] { return Replace(file); });
        EXPECT_EQ(static_cast<int>(WriteOutcome::Written), outcome) << (root ? "root" : "the owner");
        EXPECT_EQ("new\r\n", ReadBytes(file));
        EXPECT_EQ(acl, AclOf(file)) << (root ? "root" : "the owner");
        EXPECT_EQ("0x6", AttributeOf(file, "user.DOSATTRIB"));
        EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, dir.Names());
    }
}

TEST_F(AsNobody, AUserKeepsTheGroupOfHerFile)
{
    TempDir dir;
    const fs::path file = dir / "icchscr.ini";
    WriteBytes(file, "old\r\n");
    ASSERT_EQ(0, chown(dir.Path().c_str(), kAlice, kAlice));
    ASSERT_EQ(0, chown(file.c_str(), kAlice, kBank));
    fs::permissions(file, fs::perms(0640));
    EXPECT_EQ(static_cast<int>(WriteOutcome::Written), AsUser(kAlice, {kBank}, [&] { return Replace(file); }));
    struct stat status {};
    ASSERT_EQ(0, stat(file.c_str(), &status));
    EXPECT_EQ(kAlice, status.st_uid);
    EXPECT_EQ(kBank, status.st_gid);
    EXPECT_EQ(0640u, status.st_mode & 07777);
}

TEST_F(AsNobody, AnotherUsersFileIsReplacedOnlyWhenItsOwnerKeepsAccess)
{
    // A prefix two users share through a group (here nogroup, nobody's own): Alice replaces
    // nobody's file, which nobody can then still read and write through the group. The file of
    // an owner who is no member would be lost to that owner: it stays as it was.
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nullptr, nobody);
    const gid_t shared = nobody->pw_gid;
    for (const uid_t owner : {nobody->pw_uid, uid_t{12345}}) {
        TempDir dir;
        const fs::path file = dir / "hbcikrnl.ini";
        WriteBytes(file, "old\r\n");
        ASSERT_EQ(0, chown(dir.Path().c_str(), 0, shared));
        fs::permissions(dir.Path(), fs::perms(0770));
        ASSERT_EQ(0, chown(file.c_str(), owner, shared));
        fs::permissions(file, fs::perms(0660));
        const int outcome = AsUser(kAlice, {shared}, [&] { return Replace(file); });
        if (owner == nobody->pw_uid) {
            EXPECT_EQ(static_cast<int>(WriteOutcome::Written), outcome);
            EXPECT_EQ(0, AsUser(owner, {}, [&] { return access(file.c_str(), R_OK | W_OK); })) << "owner lost it";
        } else {
            EXPECT_EQ(static_cast<int>(WriteOutcome::CreateFailed), outcome);
            EXPECT_EQ("old\r\n", ReadBytes(file));
        }
        EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, dir.Names());
    }
}

TEST(ReadTextFile, DoesNotHangOnAFifoInTheFilesPlace)
{
    TempDir dir;
    ASSERT_EQ(0, mkfifo((dir / "hbcikrnl.ini").c_str(), 0666));
    std::string text;
    EXPECT_EQ(ReadOutcome::Failed, ReadTextFile((dir / "hbcikrnl.ini").string(), text));
    EXPECT_EQ(WriteOutcome::CreateFailed, WriteTextFile((dir / "hbcikrnl.ini").string(), "x\n"));
    EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, dir.Names());
}

}  // namespace
}  // namespace lesamo::test
