// The new version of a text file while it is being written: a temporary file beside the
// target, and the signals held back meanwhile, so that no ending signal leaves the file behind.
#pragma once

#include <signal.h>

#include <string>

#include "common/FileDescriptor_posix.h"

namespace lesamo {

/// Holds back, while it lives, every signal that would end the program from outside (Ctrl-C,
/// a hang-up, kill, a timer, a broken pipe...), so that a temporary file is always renamed or
/// removed before one of them takes effect; and ignores SIGXFSZ, so that a file size limit
/// makes the write fail (EFBIG) instead of ending the program. The faults stay deliverable.
/// What came meanwhile is delivered when the object goes.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_before{};
    struct sigaction m_fileSize {};
};

/// A new file beside the target, "<name>.XXXXXX" in `directory`, created by this object alone
/// (O_EXCL, no link followed, mode 0600) and removed when the object goes unless it has been
/// put in place (Keep). File() holds nothing when no such file could be created.
class TemporaryFile {
public:
    TemporaryFile(int directory, const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    FileDescriptor& File() { return m_fd; }
    const std::string& Name() const { return m_name; }
    /// The file has been renamed into the target's place: it is no longer removed.
    void Keep() { m_name.clear(); }

private:
    int m_directory;
    FileDescriptor m_fd;
    std::string m_name;
};

}  // namespace lesamo
