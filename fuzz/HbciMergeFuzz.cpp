// libFuzzer target for the hbcikrnl.ini merge: arbitrary old files, slots and driver
// directories must never crash it or break what it promises (HbciMergeProperties).
//
// Input: byte 0 holds the four slots, two bits each, com1 in the lowest (3 is no valid kind);
// byte 1 is the length of the driver directory that follows, 255 for an unset "veskrexdir";
// the rest is the old file's text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "tests/support/HbciMergeProperties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    int portKinds[lesamo::kPortCount];
    for (int port = 0; port < lesamo::kPortCount; ++port)
        portKinds[port] = (data[0] >> (2 * port)) & 3;
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::optional<std::string_view> driverDir;
    if (data[1] != 255) {
        driverDir = rest.substr(0, data[1]);
        rest.remove_prefix(driverDir->size());
    }
    const std::string broken = lesamo::test::CheckMergeProperties(rest, portKinds, driverDir);
    if (!broken.empty()) {
        std::fprintf(stderr, "merge broke a promise: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
