// Real files for the configuration-file tests: throwaway directories, environment variables
// set for one test, whole files as bytes and the expected files in tests/data.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "config/TextFile.h"

namespace lesamo::test {

/// A new, empty directory under the system's temporary directory; removed with everything
/// in it (read-only files too) when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }
    /// The names of the directory's entries, sorted (to see that no temporary file is left).
    std::vector<std::string> Names() const;

private:
    std::filesystem::path m_path;
};

/// The names of the entries of `directory`, sorted.
std::vector<std::string> EntryNames(const std::filesystem::path& directory);

/// Sets `name` to `value` (nullptr: unsets it) and restores the old state when it goes.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    bool m_bWasSet;
    std::string m_strOld;
};

/// Sets or (value nullptr) unsets an environment variable as the runtime's getenv sees it.
void SetEnvironment(const std::string& name, const char* value);

/// The whole file in binary; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

/// Makes the file `size` bytes long, sparse where the file system allows (zeros at the end).
void ResizeFile(const std::filesystem::path& path, std::uint64_t size);

/// A TextFile made for one read or one write, as the writers make theirs: the file tests'
/// shorthand (TextFile::Read and TextFile::Write hold the contract).
inline ReadOutcome ReadTextFile(const std::string& path, std::string& text)
{
    return TextFile(path).Read(text);
}
inline WriteOutcome WriteTextFile(const std::string& path, std::string_view text)
{
    return TextFile(path).Write(text);
}

/// A file of tests/data.
std::filesystem::path TestDataFile(std::string_view name);

}  // namespace lesamo::test
