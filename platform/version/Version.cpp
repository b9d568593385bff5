// Version resources, read from the ELF section ".rsrc" of a module file. The
// buffer GetFileVersionInfoA fills holds the resource as stored, then a mark,
// then room where VerQueryValueA puts single-byte copies of string values.
#include "../paths/PathMap.h"

#include "win/version.h"

#include "brevant/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using brevant::platform::detail::ResolvedPath;

namespace {

constexpr char kAnsiMark[4] = {'A', 'N', 'S', 'I'};
constexpr size_t kMaxResource = 0xFFFF;  // a resource's length is one 16-bit word

size_t align4(size_t n) {
    return (n + 3) & ~(size_t)3;
}

uint16_t word(const uint8_t* p) {
    return (uint16_t)(p[0] | (p[1] << 8));
}

bool readAt(int fd, uint64_t offset, void* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            pread(fd, static_cast<char*>(buffer) + done, size - done, (off_t)(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += (size_t)n;
    }
    return true;
}

// The contents of the named section of a 64- or 32-bit little-endian ELF file.
// Every offset and size is checked against the file before it is used.
template <typename Ehdr, typename Shdr>
bool elfSection(int fd, uint64_t fileSize, const char* name, std::vector<uint8_t>& contents,
                DWORD& error) {
    Ehdr header;
    if (!readAt(fd, 0, &header, sizeof header) || header.e_shentsize != sizeof(Shdr) ||
        header.e_shoff == 0 || header.e_shnum == 0 || header.e_shstrndx >= header.e_shnum ||
        header.e_shoff > fileSize ||
        (uint64_t)header.e_shnum * sizeof(Shdr) > fileSize - header.e_shoff) {
        error = ERROR_BAD_EXE_FORMAT;
        return false;
    }
    std::vector<Shdr> sections(header.e_shnum);
    if (!readAt(fd, header.e_shoff, sections.data(), sections.size() * sizeof(Shdr))) {
        error = ERROR_BAD_EXE_FORMAT;
        return false;
    }
    const Shdr& names = sections[header.e_shstrndx];
    if (names.sh_offset > fileSize || names.sh_size > fileSize - names.sh_offset ||
        names.sh_size > (1u << 24)) {
        error = ERROR_BAD_EXE_FORMAT;
        return false;
    }
    std::vector<char> table(names.sh_size + 1, 0);
    if (!readAt(fd, names.sh_offset, table.data(), names.sh_size)) {
        error = ERROR_BAD_EXE_FORMAT;
        return false;
    }
    for (const Shdr& section : sections) {
        if (section.sh_name >= names.sh_size || strcmp(&table[section.sh_name], name) != 0) {
            continue;
        }
        if (section.sh_type == SHT_NOBITS || section.sh_offset > fileSize ||
            section.sh_size > fileSize - section.sh_offset || section.sh_size > kMaxResource + 3) {
            error = ERROR_RESOURCE_DATA_NOT_FOUND;
            return false;
        }
        contents.resize(section.sh_size);
        if (!readAt(fd, section.sh_offset, contents.data(), contents.size())) {
            error = ERROR_RESOURCE_DATA_NOT_FOUND;
            return false;
        }
        return true;
    }
    error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    return false;
}

bool keyEquals(const uint8_t* key, size_t maxUnits, const std::string& name) {
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i >= maxUnits) {
            return false;
        }
        const uint16_t unit = word(key + 2 * i);
        const uint16_t wanted = i < name.size() ? (uint8_t)name[i] : 0;
        const auto fold = [](uint16_t c) {
            return (c >= 'a' && c <= 'z') ? (uint16_t)(c - 32) : c;
        };
        if (fold(unit) != fold(wanted)) {
            return false;
        }
    }
    return true;
}

// A block of the resource: where its key, value and children lie.
struct Block {
    size_t start = 0;
    size_t end = 0;  // start + wLength
    uint16_t valueLength = 0;
    uint16_t type = 0;
    size_t keyStart = 0;
    size_t valueStart = 0;
    size_t childrenStart = 0;
};

// Reads the block at offset within [0, limit); false when it does not fit.
bool parseBlock(const uint8_t* data, size_t offset, size_t limit, Block& block) {
    if (offset + 6 > limit) {
        return false;
    }
    const uint16_t length = word(data + offset);
    if (length < 6 || offset + length > limit) {
        return false;
    }
    block.start = offset;
    block.end = offset + length;
    block.valueLength = word(data + offset + 2);
    block.type = word(data + offset + 4);
    block.keyStart = offset + 6;
    size_t p = block.keyStart;
    while (p + 2 <= block.end && word(data + p) != 0) {
        p += 2;
    }
    if (p + 2 > block.end) {
        return false;
    }
    block.valueStart = align4(p + 2);
    const size_t valueBytes = block.type == 1 ? (size_t)block.valueLength * 2 : block.valueLength;
    if (block.valueStart + valueBytes > block.end) {
        return false;
    }
    block.childrenStart = align4(block.valueStart + valueBytes);
    return true;
}

// The module file's resource as stored, checked to begin with a whole
// VS_VERSION_INFO block.
bool loadResource(LPCSTR fileName, std::vector<uint8_t>& resource) {
    ResolvedPath path;
    if (!brevant::platform::detail::resolvePath(fileName, path)) {
        return false;
    }
    const int fd = open(path.native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(errno == ENOENT ? brevant::platform::detail::missingError(path.native)
                                     : brevant::platform::detail::errorFromErrno(errno));
        return false;
    }
    struct stat st;
    unsigned char ident[EI_NIDENT] = {};
    DWORD error = ERROR_BAD_EXE_FORMAT;
    bool found = false;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && readAt(fd, 0, ident, sizeof ident) &&
        memcmp(ident, ELFMAG, SELFMAG) == 0 && ident[EI_DATA] == ELFDATA2LSB) {
        if (ident[EI_CLASS] == ELFCLASS64) {
            found = elfSection<Elf64_Ehdr, Elf64_Shdr>(fd, (uint64_t)st.st_size, ".rsrc", resource,
                                                       error);
        } else if (ident[EI_CLASS] == ELFCLASS32) {
            found = elfSection<Elf32_Ehdr, Elf32_Shdr>(fd, (uint64_t)st.st_size, ".rsrc", resource,
                                                       error);
        }
    }
    close(fd);
    if (!found) {
        SetLastError(error);
        return false;
    }
    Block root;
    if (!parseBlock(resource.data(), 0, resource.size(), root) ||
        !keyEquals(resource.data() + root.keyStart, (root.end - root.keyStart) / 2,
                   "VS_VERSION_INFO")) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    resource.resize(root.end);
    return true;
}

size_t bufferSize(size_t resourceLength) {
    return align4(resourceLength) + sizeof kAnsiMark + align4(resourceLength);
}

}  // namespace

// The size of the buffer GetFileVersionInfoA needs; 0 with the last error when
// the file is missing or has no version resource.
extern "C" DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle) {
    if (lpdwHandle != nullptr) {
        *lpdwHandle = 0;
    }
    std::vector<uint8_t> resource;
    if (!loadResource(lptstrFilename, resource)) {
        return 0;
    }
    return (DWORD)bufferSize(resource.size());
}

// Fills the buffer; one smaller than GetFileVersionInfoSizeA said is refused
// with ERROR_INSUFFICIENT_BUFFER rather than filled in part.
extern "C" BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD, DWORD dwLen,
                                           LPVOID lpData) {
    if (lpData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<uint8_t> resource;
    if (!loadResource(lptstrFilename, resource)) {
        return FALSE;
    }
    const size_t needed = bufferSize(resource.size());
    if (dwLen < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto* out = static_cast<uint8_t*>(lpData);
    memset(out, 0, needed);
    memcpy(out, resource.data(), resource.size());
    memcpy(out + align4(resource.size()), kAnsiMark, sizeof kAnsiMark);
    return TRUE;
}

// "\\" gives VS_FIXEDFILEINFO; "\\VarFileInfo\\Translation" the language and
// code page pairs; "\\StringFileInfo\\<lang><codepage>\\<name>" a string
// value, as single-byte text (characters beyond one byte become "?"), with
// its length in characters including the zero. Keys are found without
// regard to case. FALSE when the path names nothing.
extern "C" BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer,
                                      PUINT puLen) {
    if (puLen != nullptr) {
        *puLen = 0;
    }
    if (pBlock == nullptr || lpSubBlock == nullptr || lplpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* data = static_cast<const uint8_t*>(pBlock);
    Block block;
    if (!parseBlock(data, 0, kMaxResource, block)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return FALSE;
    }
    const size_t resourceLength = block.end;

    std::string path = lpSubBlock;
    size_t pos = 0;
    while (pos < path.size()) {
        while (pos < path.size() && path[pos] == '\\') {
            ++pos;
        }
        if (pos >= path.size()) {
            break;
        }
        size_t end = path.find('\\', pos);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string name = path.substr(pos, end - pos);
        pos = end;
        bool found = false;
        for (size_t child = block.childrenStart; child < block.end;) {
            Block candidate;
            if (!parseBlock(data, child, block.end, candidate)) {
                break;
            }
            if (keyEquals(data + candidate.keyStart,
                          (candidate.valueStart - candidate.keyStart) / 2, name)) {
                block = candidate;
                found = true;
                break;
            }
            child = align4(candidate.end);
        }
        if (!found) {
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return FALSE;
        }
    }

    if (block.type != 1 || block.valueLength == 0) {
        *lplpBuffer = const_cast<uint8_t*>(data + block.valueStart);
        if (puLen != nullptr) {
            *puLen = block.valueLength;
        }
        return TRUE;
    }
    // A string: its single-byte copy goes into the buffer's second half.
    const size_t area = align4(resourceLength);
    if (memcmp(data + area, kAnsiMark, sizeof kAnsiMark) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* copy = const_cast<uint8_t*>(data) + area + sizeof kAnsiMark + block.valueStart;
    std::string text = brevant::text::ansiFromUtf16le(std::string_view(
        reinterpret_cast<const char*>(data + block.valueStart), 2 * size_t(block.valueLength)));
    text.resize(std::min(text.find('\0'), text.size()));
    memcpy(copy, text.c_str(), text.size() + 1);
    *lplpBuffer = copy;
    if (puLen != nullptr) {
        *puLen = UINT(text.size() + 1);
    }
    return TRUE;
}
