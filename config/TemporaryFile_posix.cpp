// The temporary file of a replace and the signals held while it exists.
#include "config/TemporaryFile_posix.h"

#include <fcntl.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace lesamo {

SignalsHeld::SignalsHeld()
{
    sigset_t held;
    sigfillset(&held);
    for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT})
        sigdelset(&held, fault);
    // Ignored, not held: a blocked signal stays pending even while it is ignored.
    sigdelset(&held, SIGXFSZ);
    sigprocmask(SIG_BLOCK, &held, &m_before);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &m_fileSize);
}

SignalsHeld::~SignalsHeld()
{
    sigaction(SIGXFSZ, &m_fileSize, nullptr);
    sigprocmask(SIG_SETMASK, &m_before, nullptr);  // what came meanwhile is delivered now
}

TemporaryFile::TemporaryFile(int directory, const std::string& target) : m_directory(directory)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100 && !m_fd.Valid(); ++attempt) {
        unsigned char random[6] = {};
        if (getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            const unsigned long long mix = static_cast<unsigned long long>(now.tv_nsec) * 2654435761ULL +
                                           static_cast<unsigned long long>(getpid()) +
                                           static_cast<unsigned>(attempt);
            std::memcpy(random, &mix, sizeof random);
        }
        std::string name = target + ".";
        for (unsigned char r : random)
            name += kLetters[r % (sizeof kLetters - 1)];
        m_fd = FileDescriptor(openat(directory, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (m_fd.Valid())
            m_name = std::move(name);
        else if (errno != EEXIST)
            break;
    }
}

TemporaryFile::~TemporaryFile()
{
    if (!m_name.empty())
        unlinkat(m_directory, m_name.c_str(), 0);
}

}  // namespace lesamo
