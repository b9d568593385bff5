// Inside the host: a text file read through the platform's file calls, as a
// stream, for the TYPE command and script mode.
#pragma once

#include "win/types.h"

#include <streambuf>
#include <string>

namespace brevant::host {

class FileReader : public std::streambuf {
public:
    FileReader() = default;
    ~FileReader() override;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Opens the file for reading, shared with writers; the Windows error
    // code, ERROR_SUCCESS when it is open.
    DWORD open(const std::string& path);
    // The error of a read that failed, ERROR_SUCCESS while none has.
    DWORD readError() const { return m_readError; }

protected:
    int_type underflow() override;

private:
    HANDLE m_file = nullptr;
    DWORD m_readError = 0;
    char m_buffer[1 << 16];
};

}  // namespace brevant::host
