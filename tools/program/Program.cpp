#include "Program.h"

#include "windows.h"
#include "winver.h"

#include <cstdio>
#include <vector>

namespace brevant::program {

namespace {

// A string of the resource's first translation ("\VarFileInfo\Translation").
std::string resourceString(const std::vector<char>& data, const char* key) {
    void* pTranslation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &pTranslation, &length) ||
        length < 4) {
        return "";
    }
    const auto* pWords = static_cast<const unsigned short*>(pTranslation);
    char path[128];
    snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", pWords[0], pWords[1], key);
    void* pValue = nullptr;
    if (!VerQueryValueA(data.data(), path, &pValue, &length) || length == 0) {
        return "";
    }
    return static_cast<const char*>(pValue);
}

}  // namespace

std::string versionText(const char* name) {
    char program[MAX_PATH];
    const DWORD size = GetModuleFileNameA(nullptr, program, sizeof program);
    if (size == 0 || size >= sizeof program) {
        return "";
    }
    DWORD handle = 0;
    const DWORD infoSize = GetFileVersionInfoSizeA(program, &handle);
    if (infoSize == 0) {
        return "";
    }
    std::vector<char> data(infoSize);
    if (!GetFileVersionInfoA(program, 0, infoSize, data.data())) {
        return "";
    }
    const std::string product = resourceString(data, "ProductName");
    const std::string version = resourceString(data, "ProductVersion");
    if (product.empty() || version.empty()) {
        return "";
    }
    return std::string(name) + " (" + product + ") " + version;
}

int printVersion(const char* name) {
    const std::string text = versionText(name);
    if (text.empty()) {
        fprintf(stderr, "%s: the program's version resource cannot be read\n", name);
        return kExitFailure;
    }
    printf("%s\n", text.c_str());
    return kExitSuccess;
}

int usageError(const char* name, const std::string& problem, const char* usage) {
    fprintf(stderr, "%s: %s\n%s", name, problem.c_str(), usage);
    return kExitUsage;
}

}  // namespace brevant::program
