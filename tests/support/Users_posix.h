// The other users the POSIX file tests become: they run as root, and a case of an ordinary
// user runs in a child that has become "nobody" (or a user of no account, by number).
#pragma once

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace lesamo::test {

inline uid_t NobodyId()
{
    const passwd* nobody = getpwnam("nobody");
    return nobody ? nobody->pw_uid : 65534;
}

/// Skips the test where it cannot become another user.
class AsNobody : public testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root to become another user";
    }
};

}  // namespace lesamo::test
