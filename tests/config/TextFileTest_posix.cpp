// Whole text files on POSIX: a signal at any moment of a write, the file of one resolution,
// symbolic links, and what a replace keeps besides the bytes (mode, owner, group, ACL,
// extended attributes); the cases of other users run in children that have become them.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
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
#include "tests/support/ConfigTestFiles.h"
#include "tests/support/Users_posix.h"

namespace lesamo::test {
namespace {

namespace fs = std::filesystem;

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
