// reader-sim as the tests and the demo use it: ports changed while it runs, every signal that
// ends it, files it will not write through links, and command lines it rejects. Its words
// alone (behaviours, assignments, escapes) are tested in SimBehaviourTest.cpp.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "detect/ReaderDetector.h"
#include "tests/fakes/RecordingNotice.h"
#include "tests/support/ConfigTestFiles.h"
#include "tests/support/ReaderSimProcess_posix.h"

namespace lesamo::test {
namespace {

namespace fs = std::filesystem;

// A detector on the system's ports with the simulator behind com1..com4.
struct SimulatedPorts {
    explicit SimulatedPorts(const std::vector<std::string>& ports) : sim(ports) {}
    ReaderSimProcess sim;
    RecordingNotice notice;
    CReaderDetector detector{SystemPorts(), notice};
};

TEST(ReaderSim, PortsAreUnpluggedAndPluggedInAtRunTime)
{
    SimulatedPorts p({"com2=krm"});
    ASSERT_TRUE(p.sim.Ready());
    EXPECT_EQ(resultOk, p.detector.ProbeKrm("com2"));
    struct stat announced {};
    ASSERT_EQ(0, ::stat((p.sim.Prefix() + "/ready").c_str(), &announced));
    ASSERT_TRUE(p.sim.Change("com2=none"));
    EXPECT_EQ(resultFailed, p.detector.ProbeKrm("com2"));
    struct stat added {};
    ASSERT_EQ(0, ::stat((p.sim.Prefix() + "/ready").c_str(), &added));
    EXPECT_EQ(announced.st_ino, added.st_ino) << "a change adds a line; the ready file is not made anew";
    EXPECT_TRUE(fs::is_symlink(p.sim.Link("com2")));
    ASSERT_TRUE(p.sim.Change("com2=krm@0:;;"));
    EXPECT_EQ(fs::path(p.sim.Device("com2")), fs::read_symlink(p.sim.Link("com2")));
    EXPECT_EQ(resultOk, p.detector.ProbeKrm("com2"));
    EXPECT_EQ(0, p.sim.Stop());
    for (const char* port : {"com1", "com2", "com3", "com4"})
        EXPECT_FALSE(fs::is_symlink(p.sim.Link(port))) << port;
}

TEST(ReaderSim, EverySignalThatEndsItRemovesTheLinks)
{
    for (const int signal : {SIGQUIT, SIGUSR1, SIGUSR2, SIGHUP}) {
        ReaderSimProcess sim({"com1=silent"});
        ASSERT_TRUE(sim.Ready());
        EXPECT_EQ(0, sim.Stop(signal)) << strsignal(signal);
        EXPECT_FALSE(fs::is_symlink(sim.Link("com1"))) << strsignal(signal);
    }
}

TEST(ReaderSim, FollowsNoLinkToItsFilesAndEndsWhenItCannotWriteThem)
{
    // A script waiting for the ready file would wait for ever: the simulator ends instead.
    ReaderSimProcess unwritable({"com1=silent"}, {"--ready", "/nonexistent/lesamo-test/ready"});
    EXPECT_FALSE(unwritable.Ready());
    EXPECT_EQ(1, unwritable.Stop());
    // A log that somebody has pointed elsewhere is not written through the link.
    TempDir dir;
    WriteBytes(dir / "victim", "kept\n");
    fs::create_symlink(dir / "victim", dir / "log");
    ReaderSimProcess linked({"com1=silent"}, {"--log", (dir / "log").string()});
    EXPECT_FALSE(linked.Ready());
    EXPECT_EQ(2, linked.Stop());
    EXPECT_EQ("kept\n", ReadBytes(dir / "victim"));
}

TEST(ReaderSim, RejectsWhatItDoesNotUnderstand)
{
    for (const char* bad : {"com5=krm", "com1=reader", "com1=silent@5", "com1=krm@x", "com1=krm:\\q"}) {
        ReaderSimProcess sim({}, {bad});
        EXPECT_FALSE(sim.Ready()) << bad;
        EXPECT_EQ(2, sim.Stop()) << bad;
    }
    const std::string help = std::string(LESAMO_READER_SIM) + " --help > /dev/null";
    EXPECT_EQ(0, std::system(help.c_str()));
}

}  // namespace
}  // namespace lesamo::test
