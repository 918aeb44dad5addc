// The file steps: what the program left in %windir%, and files put there before it starts.
#include <windows.h>

#include <fstream>
#include <iterator>

#include "Driver.h"
#include "Steps.h"

namespace lesamo::driver {
namespace {

std::string WindowsDir()
{
    char dir[MAX_PATH] = {};
    GetEnvironmentVariableA("windir", dir, MAX_PATH);
    return dir;
}

std::string ReadWholeFile(const std::string& path, bool& exists)
{
    std::ifstream in(path, std::ios::binary);
    exists = static_cast<bool>(in);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

void StepFile(const std::string& argument, bool present)
{
    const std::string name = argument.substr(0, argument.find('='));
    bool exists = false;
    const std::string actual = ReadWholeFile(WindowsDir() + "\\" + name, exists);
    if (!present) {
        Check(!exists, name + " was not written");
        return;
    }
    bool expectedExists = false;
    const std::string expected = ReadWholeFile(WindowsPath(argument.substr(argument.find('=') + 1)), expectedExists);
    if (!expectedExists)
        Abort("missing expected file for " + name);
    if (Check(exists, name + " was written"))
        CheckText(actual, expected, name);
}

void StepPut(const std::string& argument)
{
    const std::string target = WindowsDir() + "\\" + argument.substr(0, argument.find('='));
    if (!CopyFileA(WindowsPath(argument.substr(argument.find('=') + 1)).c_str(), target.c_str(), FALSE))
        Abort("cannot put " + target);
}

}  // namespace lesamo::driver
