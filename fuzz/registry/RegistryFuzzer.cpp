// Reads any bytes as a hive file. Whatever the parser keeps must survive a
// write and a second read unchanged, and the written text must read back
// without a single problem.
#include "RegistryText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace brevant::platform::registry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseReport report;
    const Hive hive = parseHive(text, "HKEY_CURRENT_USER", report);

    const std::string written = formatHive(hive, "HKEY_CURRENT_USER");
    ParseReport again;
    const Hive back = parseHive(written, "HKEY_CURRENT_USER", again);
    if (again.problems != 0 || !(back == hive) ||
        formatHive(back, "HKEY_CURRENT_USER") != written) {
        abort();
    }
    return 0;
}
