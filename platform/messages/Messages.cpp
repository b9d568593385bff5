// Registered window messages and their broadcast.
//
// Numbers: the runtime folder holds "window-messages", one line per name
// ("C000 Pellam-Brevant"), changed only under an advisory lock on
// "window-messages.lock" and replaced whole (temporary file and rename). A name
// keeps its number for as long as the runtime folder lives, which is the
// user's login session when it is $XDG_RUNTIME_DIR, like the session-wide
// atom table on Windows.
//
// Broadcast: every process that listens binds a datagram socket in the
// runtime folder's "listeners" folder. A broadcast calls the listeners of
// this process, then sends one datagram to each socket there without waiting:
// a full queue drops the message for that listener, a socket nobody holds any
// more is removed.
#include "win/messages.h"

#include "brevant/platform.h"
#include "brevant/text.h"
#include "../system/Folders.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <set>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace brevant::platform;

namespace {

constexpr unsigned kFirstMessage = 0xC000;
constexpr unsigned kLastMessage = 0xFFFF;
constexpr size_t kMaxNameLength = 255;  // as a Windows atom
constexpr size_t kMaxTableBytes = 8 * 1024 * 1024;
constexpr size_t kMaxListeners = 1024;  // sockets one broadcast looks at
constexpr size_t kMaxDatagram = 512;
constexpr int kFullQueueWaitMs = 500;  // for a listener a moment behind
const char kDatagramTag[] = "BREVANT-MESSAGE";

// The numbers known in one runtime folder.
struct Table {
    std::map<std::string, unsigned> byName;  // lower-cased name
    std::map<unsigned, std::string> byNumber;
    bool shared = true;  // false once the folder failed: numbers of this process only
};

std::mutex g_tableMutex;
std::map<std::string, Table> g_tables;  // by runtime folder

std::mutex g_listenerMutex;
std::map<int, MessageListener> g_listeners;
int g_nextListener = 1;

std::atomic<unsigned> g_socketCounter{0};

// The runtime folder made if needed, private to the user: a folder owned by
// someone else, or open to others, is refused.
bool ensurePrivateFolder(const std::string& folder, std::string& error) {
    if (!folders::makeFolders(folder, error)) {
        return false;
    }
    struct stat st;
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "\"" + folder + "\" is not a folder";
        return false;
    }
    if (st.st_uid != geteuid()) {
        error = "\"" + folder + "\" belongs to another user";
        return false;
    }
    if ((st.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        error = "\"" + folder + "\" cannot be made private: " + strerror(errno);
        return false;
    }
    return true;
}

void parseTable(const std::string& text, Table& table) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            break;  // a line without its end was being written: not a whole entry
        }
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        unsigned number = 0;
        int used = 0;
        if (sscanf(line.c_str(), "%4x %n", &number, &used) != 1 || used < 5 ||
            number < kFirstMessage || number > kLastMessage) {
            continue;
        }
        const std::string name = line.substr((size_t)used);
        if (name.empty() || name.size() > kMaxNameLength) {
            continue;
        }
        const std::string key = brevant::text::lower(name);
        if (table.byName.count(key) != 0 || table.byNumber.count(number) != 0) {
            continue;
        }
        table.byName[key] = number;
        table.byNumber[number] = name;
    }
}

bool readTable(const std::string& path, Table& table) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        text.append(buffer, (size_t)got);
        if (text.size() > kMaxTableBytes) {
            text.resize(kMaxTableBytes);
            break;
        }
    }
    close(fd);
    parseTable(text, table);
    return true;
}

bool writeTable(const std::string& path, const Table& table, std::string& error) {
    std::string text;
    for (const auto& entry : table.byNumber) {
        char number[16];
        snprintf(number, sizeof number, "%04X ", entry.first);
        text += number + entry.second + "\n";
    }
    const std::string temp = path + ".tmp." + std::to_string(getpid());
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = strerror(errno);
        return false;
    }
    bool good = true;
    for (size_t done = 0; done < text.size() && good;) {
        const ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        good = put > 0;
        done += good ? (size_t)put : 0;
    }
    if (!good) {
        error = strerror(errno);
    }
    if (close(fd) != 0 && good) {
        error = strerror(errno);
        good = false;
    }
    if (good && rename(temp.c_str(), path.c_str()) != 0) {
        error = strerror(errno);
        good = false;
    }
    if (!good) {
        unlink(temp.c_str());
    }
    return good;
}

unsigned nextFreeNumber(const Table& table) {
    unsigned number = kFirstMessage;
    for (const auto& entry : table.byNumber) {
        if (entry.first != number) {
            break;
        }
        ++number;
    }
    return number;
}

// Registers `name` in the shared table of `folder`; 0 with an error text when
// the table cannot be used, or with an empty text when all numbers are taken.
unsigned registerShared(const std::string& folder, const std::string& name, Table& table,
                        std::string& error) {
    if (!ensurePrivateFolder(folder, error)) {
        return 0;
    }
    const std::string path = folder + "/window-messages";
    const int lockFd = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0) {
        error = strerror(errno);
        return 0;
    }
    while (flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
    }
    Table current;
    unsigned number = 0;
    if (!readTable(path, current)) {
        error = strerror(errno);
    } else {
        auto it = current.byName.find(brevant::text::lower(name));
        if (it != current.byName.end()) {
            number = it->second;
        } else {
            number = nextFreeNumber(current);
            if (number > kLastMessage) {
                number = 0;  // every number is taken
            } else {
                current.byName[brevant::text::lower(name)] = number;
                current.byNumber[number] = name;
                if (!writeTable(path, current, error)) {
                    number = 0;
                }
            }
        }
    }
    flock(lockFd, LOCK_UN);
    close(lockFd);
    if (number != 0 || error.empty()) {
        current.shared = table.shared;
        table = std::move(current);
    }
    return number;
}

std::string knownName(unsigned number) {
    const std::string folder = runtimeFolder();
    std::lock_guard<std::mutex> lock(g_tableMutex);
    Table& table = g_tables[folder];
    auto it = table.byNumber.find(number);
    if (it == table.byNumber.end() && table.shared) {
        Table current;
        if (readTable(folder + "/window-messages", current)) {
            current.shared = true;
            table = std::move(current);
            it = table.byNumber.find(number);
        }
    }
    return it == table.byNumber.end() ? std::string() : it->second;
}

std::string listenersFolder() {
    return runtimeFolder() + "/listeners";
}

bool socketAddress(const std::string& path, sockaddr_un& address) {
    memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Listeners whose queue stayed full through a whole wait: they are not
// waited for again until a message reaches them.
std::mutex g_congestedMutex;
std::set<std::string> g_congested;

bool isCongested(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_congestedMutex);
    return g_congested.count(path) != 0;
}

void setCongested(const std::string& path, bool congested) {
    std::lock_guard<std::mutex> lock(g_congestedMutex);
    if (congested) {
        g_congested.insert(path);
    } else {
        g_congested.erase(path);
    }
}

// Sends the datagram to one listener. A queue that is full (the listener is
// a moment behind: the system lets only a few datagrams wait) is waited for,
// at most kFullQueueWaitMs; a listener still full then misses this message,
// and later ones until it reads again, without holding up the sender again.
void sendToListener(const std::string& path, const char* datagram, size_t size) {
    sockaddr_un address;
    if (!socketAddress(path, address)) {
        return;
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno == ECONNREFUSED) {
            // Nobody holds the socket any more: its process has ended.
            struct stat st;
            if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
                unlink(path.c_str());
            }
        }
        close(fd);
        return;
    }
    const bool congested = isCongested(path);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kFullQueueWaitMs);
    for (;;) {
        if (send(fd, datagram, size, MSG_DONTWAIT | MSG_NOSIGNAL) >= 0) {
            if (congested) {
                setCongested(path, false);
            }
            break;
        }
        if (errno == EINTR) {
            continue;
        }
        if ((errno != EAGAIN && errno != EWOULDBLOCK) || congested) {
            break;  // this listener misses the message; the others still get it
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            setCongested(path, true);
            break;
        }
        // A connected socket is writable again when the listener's queue
        // has room.
        pollfd writable = {fd, POLLOUT, 0};
        poll(&writable, 1, (int)left.count());
    }
    close(fd);
}

// Sends one datagram to every socket in the listeners folder.
void sendToOtherProcesses(UINT message, WPARAM wParam, LPARAM lParam) {
    const std::string folder = listenersFolder();
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;  // nobody has listened yet
    }
    std::vector<std::string> sockets;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".sock") == 0) {
            sockets.push_back(folder + "/" + name);
            if (sockets.size() >= kMaxListeners) {
                break;
            }
        }
    }
    closedir(dir);
    if (sockets.empty()) {
        return;
    }

    char datagram[kMaxDatagram];
    const std::string name = knownName(message);
    const int length =
        snprintf(datagram, sizeof datagram, "%s %u %" PRIuPTR " %" PRIdPTR " %s", kDatagramTag,
                 message, (uintptr_t)wParam, (intptr_t)lParam, name.c_str());
    const size_t size = length < 0 ? 0 : std::min((size_t)length, sizeof datagram - 1);
    for (const std::string& path : sockets) {
        sendToListener(path, datagram, size);
    }
}

}  // namespace

namespace brevant::platform {

std::string runtimeFolder() {
    const std::string configured = setting("RUNTIME_DIR");
    if (!configured.empty()) {
        return folders::nativeFolder(configured);
    }
    const char* xdg = getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (xdg != nullptr && xdg[0] == '/' && stat(xdg, &st) == 0 && S_ISDIR(st.st_mode) &&
        access(xdg, W_OK | X_OK) == 0) {
        return std::string(xdg) + "/brevant";
    }
    return "/tmp/brevant-" + std::to_string(geteuid());
}

int addMessageListener(MessageListener listener) {
    std::lock_guard<std::mutex> lock(g_listenerMutex);
    const int id = g_nextListener++;
    g_listeners[id] = std::move(listener);
    return id;
}

void removeMessageListener(int id) {
    std::lock_guard<std::mutex> lock(g_listenerMutex);
    g_listeners.erase(id);
}

std::string registeredMessageName(unsigned int message) {
    return knownName(message);
}

BroadcastReceiver::~BroadcastReceiver() {
    close();
}

bool BroadcastReceiver::open(std::string& error) {
    close();
    const std::string runtime = runtimeFolder();
    if (!ensurePrivateFolder(runtime, error)) {
        return false;
    }
    const std::string folder = runtime + "/listeners";
    if (!ensurePrivateFolder(folder, error)) {
        return false;
    }
    const std::string path = folder + "/" + std::to_string(getpid()) + "." +
                             std::to_string(g_socketCounter.fetch_add(1)) + ".sock";
    sockaddr_un address;
    if (!socketAddress(path, address)) {
        error = "the socket path \"" + path + "\" is too long";
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("no socket: ") + strerror(errno);
        return false;
    }
    unlink(path.c_str());  // left by an earlier process with this id
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        error = "\"" + path + "\" cannot be bound: " + strerror(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

bool BroadcastReceiver::receive(BroadcastMessage& message, int timeoutMs) {
    if (m_fd < 0) {
        return false;
    }
    for (;;) {
        pollfd poller{m_fd, POLLIN, 0};
        const int ready = poll(&poller, 1, timeoutMs);
        if (ready <= 0) {
            return false;  // time out, or a signal
        }
        char datagram[kMaxDatagram + 1];
        const ssize_t got = recv(m_fd, datagram, kMaxDatagram, MSG_DONTWAIT);
        if (got < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                continue;
            }
            return false;
        }
        datagram[got] = 0;
        unsigned number = 0;
        uintmax_t wParam = 0;
        intmax_t lParam = 0;
        int used = 0;
        char tag[sizeof kDatagramTag + 1] = {};
        if (sscanf(datagram, "%16s %u %ju %jd%n", tag, &number, &wParam, &lParam, &used) != 4 ||
            strcmp(tag, kDatagramTag) != 0) {
            continue;  // not one of ours
        }
        message.message = number;
        message.wParam = (uintptr_t)wParam;
        message.lParam = (intptr_t)lParam;
        message.name = datagram[used] == ' ' ? std::string(datagram + used + 1) : std::string();
        if (message.name.empty()) {
            message.name = knownName(number);
        }
        return true;
    }
}

void BroadcastReceiver::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        unlink(m_path.c_str());
    }
    m_fd = -1;
    m_path.clear();
}

}  // namespace brevant::platform

extern "C" {

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
    if (lpString == nullptr || lpString[0] == 0 || strlen(lpString) > kMaxNameLength ||
        strchr(lpString, '\n') != nullptr || strchr(lpString, '\r') != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string name = lpString;
    const std::string key = brevant::text::lower(name);
    const std::string folder = runtimeFolder();
    std::lock_guard<std::mutex> lock(g_tableMutex);
    Table& table = g_tables[folder];
    auto it = table.byName.find(key);
    if (it != table.byName.end()) {
        return it->second;
    }
    if (table.shared) {
        std::string error;
        const unsigned number = registerShared(folder, name, table, error);
        if (number != 0) {
            return number;
        }
        if (error.empty()) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
        folders::report("The table of window messages in \"" + folder + "\" cannot be used (" +
                        error + "); message numbers now hold in this process only.");
        table.shared = false;
    }
    // Numbers of this process only, so that the module still gets one.
    const unsigned number = nextFreeNumber(table);
    if (number > kLastMessage) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    table.byName[key] = number;
    table.byNumber[number] = name;
    return number;
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd != HWND_BROADCAST) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::vector<std::pair<int, MessageListener>> listeners;
    {
        std::lock_guard<std::mutex> lock(g_listenerMutex);
        listeners.assign(g_listeners.begin(), g_listeners.end());
    }
    for (const auto& entry : listeners) {
        bool stillThere;
        {
            std::lock_guard<std::mutex> lock(g_listenerMutex);
            stillThere = g_listeners.count(entry.first) != 0;
        }
        if (stillThere) {
            entry.second(Msg, wParam, lParam);
        }
    }
    sendToOtherProcesses(Msg, wParam, lParam);
    return TRUE;
}

}  // extern "C"
