// One owned POSIX file descriptor, closed when its owner goes: the serial back end, the text
// files and reader-sim share it.
#pragma once

#include <unistd.h>

#include <utility>

namespace lesamo {

class FileDescriptor {
public:
    FileDescriptor() = default;
    /// Takes `fd` over; -1 (what a failed open returns) holds nothing.
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { Close(); }

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    /// Closes now; false when there was nothing to close or close reports an error (NFS
    /// reports late write errors there, which a writer must not miss).
    bool Close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

}  // namespace lesamo
