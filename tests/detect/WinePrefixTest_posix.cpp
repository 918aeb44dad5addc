// Which device stands behind comN, and one Wine prefix for the ports and the files: the
// fallback to /dev/ttyS* only for an entry that is truly absent. Only paths are compared;
// no device is opened.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "config/WindowsDir.h"
#include "detect/WinePrefix_posix.h"
#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {
namespace {

namespace fs = std::filesystem;

uid_t NobodyId()
{
    const passwd* nobody = getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

TEST(PortDevicePath, FallsBackToTtySOnlyWhenTheEntryIsAbsent)
{
    TempDir dir;
    fs::create_directories(dir / "prefix/dosdevices");
    fs::create_symlink("/nonexistent/lesamo-test", dir / "prefix/dosdevices/com1");
    WriteBytes(dir / "file", "not a prefix");
    ScopedEnv prefix("WINEPREFIX", (dir / "prefix").c_str());
    EXPECT_EQ((dir / "prefix/dosdevices/com1").string(), PortDevicePath("com1"));  // dangling
    EXPECT_EQ("/dev/ttyS1", PortDevicePath("com2"));                               // absent
    EXPECT_EQ("", PortDevicePath("com5"));

    const std::string tooLong = "/" + std::string(5000, 'a');
    for (const std::string& unexaminable : {tooLong, (dir / "file").string()}) {
        ScopedEnv other("WINEPREFIX", unexaminable.c_str());
        EXPECT_EQ("", PortDevicePath("com1")) << unexaminable.substr(0, 40);
    }
}

TEST(PortDevicePath, APrefixThisUserCannotReadHasNoPorts)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to become another user";
    TempDir dir;
    fs::create_directories(dir / "prefix/dosdevices");
    fs::permissions(dir / "prefix", fs::perms::owner_all);  // root's alone
    fs::permissions(dir.Path(), fs::perms(0755));
    ScopedEnv prefix("WINEPREFIX", (dir / "prefix").c_str());
    const pid_t child = fork();
    if (child == 0) {
        const uid_t id = NobodyId();
        if (setgid(id) != 0 || setuid(id) != 0)
            _exit(3);
        _exit(PortDevicePath("com1").empty() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(PortDevicePath, AnEntryBehindAnotherUsersLinkIsNoPortAndNoFallback)
{
    // Were it "absent", nobody could send root's search to /dev/ttyS* (a console, a modem).
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root: the link must belong to another user";
    TempDir dir;
    fs::create_directories(dir / "prefix");
    fs::create_directories(dir / "empty");
    fs::create_symlink(dir / "empty", dir / "prefix/dosdevices");
    ASSERT_EQ(0, lchown((dir / "prefix/dosdevices").c_str(), NobodyId(), NobodyId()));
    ScopedEnv prefix("WINEPREFIX", (dir / "prefix").c_str());
    EXPECT_EQ("", PortDevicePath("com1"));
    ASSERT_EQ(0, lchown((dir / "prefix/dosdevices").c_str(), 0, 0));
    EXPECT_EQ("/dev/ttyS0", PortDevicePath("com1"));  // root's own link: truly absent
}

TEST(WinePrefix, IsTheSameForThePortsAndTheFilesWithoutHome)
{
    ScopedEnv windir("windir", nullptr);
    ScopedEnv prefix("WINEPREFIX", nullptr);
    ScopedEnv home("HOME", nullptr);
    const passwd* user = getpwuid(getuid());
    ASSERT_NE(nullptr, user);
    const std::string expected = std::string(user->pw_dir) + "/.wine";
    EXPECT_EQ(expected, WinePrefix());
    EXPECT_EQ(expected + "/drive_c/windows/hbcikrnl.ini", WindowsFilePath("hbcikrnl.ini"));
}

}  // namespace
}  // namespace lesamo::test
