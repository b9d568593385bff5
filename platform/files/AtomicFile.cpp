// Whole-file replacement through the Win32 file calls: a temporary file beside
// the target, written, flushed and renamed over it.
#include "FileHandles.h"
#include "../paths/PathMap.h"

#include "brevant/files.h"
#include "win/files.h"

#include <atomic>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevant::platform::detail;

namespace brevant::platform {

namespace {

std::atomic<unsigned> g_temporaryCounter{0};

// The temporary file's name: the target's with a suffix that no other
// process or writer of this process uses at the same time.
std::string temporaryName(const std::string& target) {
    return target + ".~" + std::to_string(getpid()) + "-" +
           std::to_string(g_temporaryCounter.fetch_add(1)) + ".tmp";
}

// The longest suffix temporaryName adds: ".~", a process id, "-", a count, ".tmp".
constexpr size_t kTemporarySuffix = 2 + 10 + 1 + 10 + 4;

}  // namespace

DWORD checkFileReplaceable(const std::string& path) {
    ResolvedPath target;
    if (!resolvePath(path.c_str(), target)) {
        return GetLastError();
    }
    if (path.size() + kTemporarySuffix >= MAX_PATH) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    struct stat st;
    const bool exists = stat(target.native.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        return ERROR_ACCESS_DENIED;
    }
    if (target.trailingSeparator) {
        return exists ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND;
    }
    struct stat folder;
    if (stat(parentOf(target.native).c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
        return ERROR_PATH_NOT_FOUND;
    }
    // The temporary file is a new entry of the folder; the target must take a rename.
    if (target.readOnly || (folder.st_mode & S_IWUSR) == 0) {
        return ERROR_ACCESS_DENIED;
    }
    if (exists && ((st.st_mode & S_IWUSR) == 0 || openWithoutShareDelete(st))) {
        return ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

DWORD AtomicFileWriter::begin(const std::string& path) {
    discard();
    m_error = checkFileReplaceable(path);
    if (m_error != ERROR_SUCCESS) {
        return m_error;
    }
    m_target = path;
    // A name that is taken (a temporary file left by a process that ended
    // with the same id) is passed over.
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = temporaryName(path);
        m_file = CreateFileA(m_temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file != INVALID_HANDLE_VALUE) {
            return ERROR_SUCCESS;
        }
        m_error = GetLastError();
        if (m_error != ERROR_FILE_EXISTS) {
            break;
        }
    }
    m_file = nullptr;
    m_temporary.clear();
    return m_error;
}

DWORD AtomicFileWriter::write(const void* data, size_t size) {
    if (m_file == nullptr) {
        return m_error;
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : (DWORD)size;
        DWORD written = 0;
        if (!WriteFile(m_file, bytes, chunk, &written, nullptr)) {
            const DWORD error = GetLastError();
            discard();
            m_error = error;
            return m_error;
        }
        bytes += chunk;
        size -= chunk;
    }
    return ERROR_SUCCESS;
}

DWORD AtomicFileWriter::commit() {
    if (m_file == nullptr) {
        return m_error;
    }
    DWORD error = ERROR_SUCCESS;
    if (!FlushFileBuffers(m_file)) {
        error = GetLastError();
    }
    if (!CloseHandle(m_file) && error == ERROR_SUCCESS) {
        error = GetLastError();
    }
    m_file = nullptr;
    if (error == ERROR_SUCCESS) {
        // The target's permissions stay, as they do when Windows replaces a
        // file; the temporary file stays writable so that it can always go.
        ResolvedPath target;
        ResolvedPath temporary;
        struct stat st;
        if (resolvePath(m_target.c_str(), target) && resolvePath(m_temporary.c_str(), temporary) &&
            stat(target.native.c_str(), &st) == 0) {
            chmod(temporary.native.c_str(), (st.st_mode & 07777) | S_IWUSR);
        }
        if (!MoveFileExA(m_temporary.c_str(), m_target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = GetLastError();
        }
    }
    if (error != ERROR_SUCCESS) {
        discard();
        m_error = error;
        return m_error;
    }
    m_temporary.clear();
    m_error = ERROR_INVALID_FUNCTION;  // a new begin is needed for another file
    return ERROR_SUCCESS;
}

void AtomicFileWriter::discard() {
    if (m_file != nullptr) {
        CloseHandle(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        DeleteFileA(m_temporary.c_str());
        m_temporary.clear();
    }
    m_error = ERROR_INVALID_FUNCTION;
}

DWORD writeFileAtomically(const std::string& path, const void* data, size_t size) {
    AtomicFileWriter writer;
    DWORD error = writer.begin(path);
    if (error == ERROR_SUCCESS) {
        error = writer.write(data, size);
    }
    if (error == ERROR_SUCCESS) {
        error = writer.commit();
    }
    return error;
}

}  // namespace brevant::platform
