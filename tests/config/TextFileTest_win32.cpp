// Whole text files through the real Win32 API: the attributes a replace keeps, a replace that
// stops halfway, and files other programs hold open.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "config/TextFile.h"
#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {
namespace {

DWORD Attributes(const std::filesystem::path& path)
{
    return GetFileAttributesA(path.string().c_str());
}

/// Sends this program's calls of ReplaceFileA (through its import table: the writers are linked
/// into it) to `replacement` while the object lives.
class ReplaceFileHook {
public:
    using Function = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);
    explicit ReplaceFileHook(Function replacement) : m_slot(FindSlot())
    {
        if (m_slot != nullptr)
            m_original = Swap(reinterpret_cast<ULONG_PTR>(replacement));
    }
    ~ReplaceFileHook()
    {
        if (m_slot != nullptr)
            Swap(m_original);
    }
    ReplaceFileHook(const ReplaceFileHook&) = delete;
    ReplaceFileHook& operator=(const ReplaceFileHook&) = delete;
    bool Installed() const { return m_slot != nullptr; }

private:
    static ULONG_PTR* FindSlot()
    {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base +
                                                             reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name != 0;
             ++dll) {
            if (_stricmp(reinterpret_cast<char*>(base + dll->Name), "kernel32.dll") != 0 ||
                dll->OriginalFirstThunk == 0)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "ReplaceFileA") == 0)
                    return reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            }
        }
        return nullptr;
    }
    ULONG_PTR Swap(ULONG_PTR value)
    {
        DWORD protection = 0;
        VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &protection);
        const ULONG_PTR old = *m_slot;
        *m_slot = value;
        VirtualProtect(m_slot, sizeof *m_slot, protection, &protection);
        return old;
    }

    ULONG_PTR* m_slot;
    ULONG_PTR m_original = 0;
};

// What a ReplaceFileA failing with ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves: the old file
// under the backup name, the new one under its own; and, per case, what else stands in the way.
enum class Obstacle { None, NewFileOpen, DirectoryAtTarget };
Obstacle g_obstacle = Obstacle::None;
HANDLE g_heldNewFile = INVALID_HANDLE_VALUE;
std::string g_backupName;

BOOL WINAPI ReplaceFailingHalfway(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD, LPVOID, LPVOID)
{
    g_backupName = backup ? backup : "";
    if (backup == nullptr || !MoveFileExA(replaced, backup, MOVEFILE_REPLACE_EXISTING))
        return FALSE;
    if (g_obstacle == Obstacle::NewFileOpen)  // no FILE_SHARE_DELETE: it cannot be renamed
        g_heldNewFile = CreateFileA(replacement, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (g_obstacle == Obstacle::DirectoryAtTarget)
        CreateDirectoryA(replaced, nullptr);
    SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
    return FALSE;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

TEST(WriteFilesWin32, KeepTheAttributesOfTheReplacedFile)
{
    TempDir dir;
    const std::string path = (dir / "hbcikrnl.ini").string();
    WriteBytes(dir / "hbcikrnl.ini", "old\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile(path, "new\n"));
    EXPECT_EQ("new\r\n", ReadBytes(dir / "hbcikrnl.ini"));
    EXPECT_NE(0u, Attributes(dir / "hbcikrnl.ini") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, dir.Names());  // neither new file nor backup left
}

TEST(WriteFilesWin32, NeverLoseTheOldFileWhenTheReplaceStopsHalfway)
{
    struct Case {
        const char* name;
        Obstacle obstacle;
        WriteOutcome outcome;
        const char* atTarget;  // bytes at the target afterwards; nullptr: a directory
        bool backupStays;      // holding the old bytes, the only copy
    };
    const Case cases[] = {
        {"the new file moves in after all", Obstacle::None, WriteOutcome::Written, "new\r\n", false},
        {"the old file moves back", Obstacle::NewFileOpen, WriteOutcome::CreateFailed, "old\r\n", false},
        {"neither can move", Obstacle::DirectoryAtTarget, WriteOutcome::CreateFailed, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = (dir / "icchscr.ini").string();
        WriteBytes(dir / "icchscr.ini", "old\r\n");
        g_obstacle = c.obstacle;
        g_backupName.clear();
        WriteOutcome outcome;
        {
            ReplaceFileHook hook(ReplaceFailingHalfway);
            ASSERT_TRUE(hook.Installed());
            outcome = WriteTextFile(path, "new\n");
        }
        std::vector<std::string> left = {"icchscr.ini"};
        if (g_heldNewFile != INVALID_HANDLE_VALUE) {
            // Held by this test, the new file could not be deleted by the writer either.
            CloseHandle(g_heldNewFile);
            g_heldNewFile = INVALID_HANDLE_VALUE;
            for (const std::string& name : dir.Names())
                if (StartsWith(name, "lsm"))
                    left.push_back(name);
        }
        EXPECT_EQ(c.outcome, outcome);
        if (c.atTarget != nullptr)
            EXPECT_EQ(c.atTarget, ReadBytes(dir / "icchscr.ini"));
        else
            EXPECT_NE(0u, Attributes(dir / "icchscr.ini") & FILE_ATTRIBUTE_DIRECTORY);
        ASSERT_FALSE(g_backupName.empty());
        const std::string backup = std::filesystem::path(g_backupName).filename().string();
        if (c.backupStays) {
            EXPECT_EQ("old\r\n", ReadBytes(g_backupName));
            left.push_back(backup);
        }
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, dir.Names());
    }
}

TEST(WriteFilesWin32, ReadAFileThatAnotherProgramReadsButNotOneItWrites)
{
    TempDir dir;
    const std::string path = (dir / "hbcikrnl.ini").string();
    WriteBytes(dir / "hbcikrnl.ini", "[CardReader]\r\nA=1\r\n");
    std::string text;
    {
        // The kernel reading its file at the same time does not stop the program.
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, reader);
        EXPECT_EQ(ReadOutcome::Read, ReadTextFile(path, text));
        CloseHandle(reader);
    }
    EXPECT_EQ("[CardReader]\nA=1\n", text);
    // A program writing the file with no sharing at all keeps it to itself.
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(ReadOutcome::Failed, ReadTextFile(path, text));
    CloseHandle(writer);
}

}  // namespace
}  // namespace lesamo::test
