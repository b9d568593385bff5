// Build-time generator of a module's version resource. It lays the resource
// out as Windows does (VS_VERSIONINFO with VS_FIXEDFILEINFO, StringFileInfo /
// StringTable / String and VarFileInfo / Var "Translation" blocks, UTF-16 keys
// and values, every block on a 32-bit boundary) and writes a C source file
// that places the bytes in the ELF section ".rsrc" of the module that
// compiles it.
//
//   brevant-mkversionres --output FILE.c [--file-version A.B.C.D]
//       [--product-version A.B.C.D] --translation LANG:CODEPAGE
//       [--string KEY=VALUE]... [--translation LANG:CODEPAGE [--string ...]...]
//
// Each --translation starts a string table holding a copy of the first
// table's strings; the --string options after it set values in it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

struct Table {
    uint16_t language = 0;
    uint16_t codePage = 0;
    std::vector<std::pair<std::string, std::string>> strings;

    void set(const std::string& key, const std::string& value) {
        for (auto& entry : strings) {
            if (entry.first == key) {
                entry.second = value;
                return;
            }
        }
        strings.emplace_back(key, value);
    }
};

[[noreturn]] void fail(const std::string& text) {
    fprintf(stderr, "brevant-mkversionres: %s\n", text.c_str());
    exit(2);
}

// UTF-8 text as UTF-16 code units with the terminating zero.
std::vector<uint16_t> utf16(const std::string& text) {
    std::vector<uint16_t> units;
    for (size_t i = 0; i < text.size();) {
        const uint8_t lead = (uint8_t)text[i];
        uint32_t code = lead;
        int extra = 0;
        if (lead >= 0xF0) {
            code = lead & 0x07;
            extra = 3;
        } else if (lead >= 0xE0) {
            code = lead & 0x0F;
            extra = 2;
        } else if (lead >= 0xC0) {
            code = lead & 0x1F;
            extra = 1;
        }
        if (i + extra >= text.size() + (extra ? 0 : 1)) {
            fail("invalid UTF-8 text: " + text);
        }
        for (int k = 1; k <= extra; ++k) {
            code = (code << 6) | ((uint8_t)text[i + k] & 0x3F);
        }
        i += 1 + extra;
        if (code >= 0x10000) {
            code -= 0x10000;
            units.push_back((uint16_t)(0xD800 + (code >> 10)));
            units.push_back((uint16_t)(0xDC00 + (code & 0x3FF)));
        } else {
            units.push_back((uint16_t)code);
        }
    }
    units.push_back(0);
    return units;
}

void put16(Bytes& out, uint16_t value) {
    out.push_back((uint8_t)value);
    out.push_back((uint8_t)(value >> 8));
}

void put32(Bytes& out, uint32_t value) {
    put16(out, (uint16_t)value);
    put16(out, (uint16_t)(value >> 16));
}

void align4(Bytes& out) {
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
}

// One block: length, value length, type, key, value, children.
Bytes block(const std::string& key, const Bytes& value, uint16_t valueLength, uint16_t type,
            const std::vector<Bytes>& children) {
    Bytes out;
    put16(out, 0);
    put16(out, valueLength);
    put16(out, type);
    for (uint16_t unit : utf16(key)) {
        put16(out, unit);
    }
    align4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        align4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    if (out.size() > 0xFFFF) {
        fail("the version resource is larger than 64 KB");
    }
    out[0] = (uint8_t)out.size();
    out[1] = (uint8_t)(out.size() >> 8);
    return out;
}

Bytes stringBlock(const std::string& key, const std::string& value) {
    Bytes bytes;
    const std::vector<uint16_t> units = utf16(value);
    for (uint16_t unit : units) {
        put16(bytes, unit);
    }
    return block(key, bytes, (uint16_t)units.size(), 1, {});
}

// "1.2.3.4" as two 32-bit numbers, most significant first.
std::pair<uint32_t, uint32_t> version(const std::string& text) {
    unsigned parts[4] = {0, 0, 0, 0};
    const int n = sscanf(text.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]);
    if (n < 1) {
        fail("invalid version: " + text);
    }
    for (unsigned part : parts) {
        if (part > 0xFFFF) {
            fail("invalid version: " + text);
        }
    }
    return {(parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]};
}

uint16_t hexNumber(const std::string& text) {
    char* end = nullptr;
    const unsigned long value = strtoul(text.c_str(), &end, 16);
    if (end == text.c_str() || *end != 0 || value > 0xFFFF) {
        fail("invalid number: " + text);
    }
    return (uint16_t)value;
}

}  // namespace

int main(int argc, char** argv) {
    std::string output;
    std::string fileVersion = "1.0.0.0";
    std::string productVersion = "1.0.0.0";
    std::vector<Table> tables;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) {
            fail("missing value after " + option);
        }
        const std::string value = argv[++i];
        if (option == "--output") {
            output = value;
        } else if (option == "--file-version") {
            fileVersion = value;
        } else if (option == "--product-version") {
            productVersion = value;
        } else if (option == "--translation") {
            const size_t colon = value.find(':');
            if (colon == std::string::npos) {
                fail("a translation is LANGUAGE:CODEPAGE, not " + value);
            }
            Table table;
            if (!tables.empty()) {
                table.strings = tables.front().strings;
            }
            table.language = hexNumber(value.substr(0, colon));
            table.codePage = hexNumber(value.substr(colon + 1));
            tables.push_back(table);
        } else if (option == "--string") {
            const size_t eq = value.find('=');
            if (tables.empty() || eq == std::string::npos || eq == 0) {
                fail("--string KEY=VALUE must follow a --translation");
            }
            tables.back().set(value.substr(0, eq), value.substr(eq + 1));
        } else {
            fail("unknown option " + option);
        }
    }
    if (output.empty() || tables.empty()) {
        fail("usage: --output FILE.c --translation LANG:CODEPAGE [--string KEY=VALUE]...");
    }

    const auto file = version(fileVersion);
    const auto product = version(productVersion);
    Bytes fixed;
    put32(fixed, 0xFEEF04BDu);  // signature
    put32(fixed, 0x00010000u);  // structure version
    put32(fixed, file.first);
    put32(fixed, file.second);
    put32(fixed, product.first);
    put32(fixed, product.second);
    put32(fixed, 0x3F);         // flags mask
    put32(fixed, 0);            // flags
    put32(fixed, 0x00040004u);  // NT, 32-bit Windows
    put32(fixed, 0x00000002u);  // a DLL
    put32(fixed, 0);            // subtype
    put32(fixed, 0);            // date
    put32(fixed, 0);

    std::vector<Bytes> stringTables;
    Bytes translations;
    for (const Table& table : tables) {
        std::vector<Bytes> strings;
        for (const auto& [key, value] : table.strings) {
            strings.push_back(stringBlock(key, value));
        }
        char name[9];
        snprintf(name, sizeof name, "%04X%04X", table.language, table.codePage);
        stringTables.push_back(block(name, {}, 0, 1, strings));
        put16(translations, table.language);
        put16(translations, table.codePage);
    }
    const Bytes stringFileInfo = block("StringFileInfo", {}, 0, 1, stringTables);
    const Bytes var = block("Translation", translations, (uint16_t)translations.size(), 0, {});
    const Bytes varFileInfo = block("VarFileInfo", {}, 0, 1, {var});
    Bytes resource =
        block("VS_VERSION_INFO", fixed, (uint16_t)fixed.size(), 0, {stringFileInfo, varFileInfo});

    std::string text =
        "/* Generated at build time: the module's version resource. */\n"
        "__attribute__((used, section(\".rsrc\"), aligned(4)))\n"
        "static const unsigned char brevant_version_resource[" +
        std::to_string(resource.size()) + "] = {";
    for (size_t i = 0; i < resource.size(); ++i) {
        char byte[16];
        snprintf(byte, sizeof byte, "%s%u,", i % 16 == 0 ? "\n    " : " ", resource[i]);
        text += byte;
    }
    text += "\n};\n";

    // Written under a temporary name and renamed, so that a failed run never
    // leaves half a file for the build to compile.
    const std::string temporary = output + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.good()) {
            fail("cannot write " + temporary);
        }
    }
    if (rename(temporary.c_str(), output.c_str()) != 0) {
        fail("cannot write " + output);
    }
    return 0;
}
