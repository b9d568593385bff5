// TYPE: prints a text file, its line ends shown as line feeds.
#include "editor/Commands.h"

#include "brevant/platform.h"
#include "editor/FileReader.h"
#include "editor/Output.h"
#include "win/files.h"

namespace brevant::host {

bool typeCommand(const std::string& arguments) {
    const std::string path = unquoted(arguments);
    if (path.empty()) {
        say("Requires a file name: TYPE <file>.");
        return false;
    }
    std::string native;
    if (!brevant::platform::toNativePath(path, native)) {
        say("Cannot read " + path + ": its drive is not mapped.");
        return false;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        say("Cannot read " + path + ": it is a folder.");
        return false;
    }
    FileReader file;
    const DWORD error = file.open(path);
    if (error != ERROR_SUCCESS) {
        say("Cannot read " + path + ": " + brevant::platform::errorText(error) + ".");
        return false;
    }
    endLine();
    std::string chunk;
    char buffer[65536];
    bool pendingReturn = false;
    std::streamsize count;
    while ((count = file.sgetn(buffer, sizeof(buffer))) > 0) {
        chunk.clear();
        for (std::streamsize i = 0; i < count; ++i) {
            if (pendingReturn && buffer[i] != '\n') {
                chunk += '\r';
            }
            pendingReturn = buffer[i] == '\r';
            if (!pendingReturn) {
                chunk += buffer[i];
            }
        }
        print(chunk);
    }
    if (pendingReturn) {
        print("\r");
    }
    endLine();
    if (file.readError() != ERROR_SUCCESS) {
        say("Cannot read " + path + ": the file could not be read to its end.");
        return false;
    }
    return true;
}

}  // namespace brevant::host
