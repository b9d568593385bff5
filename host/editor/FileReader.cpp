#include "editor/FileReader.h"

#include "win/files.h"

namespace brevant::host {

FileReader::~FileReader() {
    if (m_file != nullptr) {
        CloseHandle(m_file);
    }
}

DWORD FileReader::open(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    if (m_file != nullptr) {
        CloseHandle(m_file);
    }
    m_file = file;
    m_readError = ERROR_SUCCESS;
    setg(m_buffer, m_buffer, m_buffer);
    return ERROR_SUCCESS;
}

FileReader::int_type FileReader::underflow() {
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    DWORD got = 0;
    if (m_file == nullptr || m_readError != ERROR_SUCCESS) {
        return traits_type::eof();
    }
    if (!ReadFile(m_file, m_buffer, sizeof m_buffer, &got, nullptr)) {
        m_readError = GetLastError();
        return traits_type::eof();
    }
    if (got == 0) {
        return traits_type::eof();
    }
    setg(m_buffer, m_buffer, m_buffer + got);
    return traits_type::to_int_type(*gptr());
}

}  // namespace brevant::host
