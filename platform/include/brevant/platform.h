// The platform's own set-up, which has no Windows counterpart: configuration,
// the drive map, the clock and the fault seam. The editor and the tests use it;
// the module does not.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "win/types.h"

namespace brevant::platform {

// Configuration: the environment variable BREVANT_<name> wins; then the line
// "<name>=<value>" of the configuration file named by BREVANT_CONFIG; then the
// default. Names are upper case without the prefix, for example "DRIVES".
std::string setting(const std::string& name, const std::string& defaultValue = "");
// A truth value: 1, true, yes, on or 0, false, no, off (any letter case).
bool settingIsTrue(const std::string& name, bool defaultValue = false);
// One of the words listed (any letter case), given back as listed; the first
// when the setting is not given.
std::string settingChoice(const std::string& name, const std::vector<std::string>& choices);

// A setting given that cannot be used is reported on the error output, once
// in the process for each problem, and its default applies:
//   <program>: the setting BREVANT_CLOCK: "yesterday" is not a local time
//   YYYY-MM-DD HH:MM[:SS] that exists; the clock runs.
// (on one line). The setting is named as it was given: BREVANT_<name>, or
// "<name> in <file>" from the configuration file. An unreadable configuration
// file (BREVANT_CONFIG) and the settings above that are none of their words
// are reported so.
void reportUnusableSetting(const std::string& name, const std::string& problem,
                           const std::string& instead);
// Reads every setting of the platform that has a form (DRIVES, CLOCK, the
// truth values and words), so that a program reports the unusable ones as it
// starts rather than at their first use.
void checkSettings();

// Drive map. A drive is a letter ("C") or a UNC share ("\\\\srv\\jobs"); its
// folder is a Linux folder. A network drive also has a remote name, which
// WNetGetConnectionA reports; a remembered drive keeps its remote name while
// it is disconnected (its folder empty). The setting DRIVES holds entries
// separated by ";", each "<drive>=<folder>" or "<drive>=<folder>|<remote name>".
// A read-only drive refuses every write, creation and deletion with
// ERROR_ACCESS_DENIED (a read-only share), whoever runs the process. The
// DRIVES setting marks one with a third field: "<drive>=<folder>|<remote>|ro".
// When the map has no C:, drive C: is the per-user folder
// $XDG_DATA_HOME/brevant/drive_c (~/.local/share/brevant/drive_c), made on
// first use, so that a fresh machine has a C: drive.
// Other settings of these calls: WINDOWS ("9x" makes GetVersionExA report the
// older Windows line), DEBUGGER (true: IsDebuggerPresent is true),
// MESSAGEBOX_WAIT (true: MessageBoxA waits for Enter when the input is a
// terminal), CLOCK (below).
void mapDrive(const std::string& drive, const std::string& folder,
              const std::string& remoteName = "", bool readOnly = false);
void unmapDrive(const std::string& drive);
void clearDriveMap();  // then reloads nothing; tests start from an empty map
// What the map knows of a drive ("X" or "X:"): false when it is not mapped.
struct DriveInfo {
    std::string folder;      // empty for a remembered, disconnected network drive
    std::string remoteName;  // empty for a local drive
    bool readOnly = false;
};
bool driveInfo(const std::string& drive, DriveInfo& info);
// The Linux path of a Windows path: drive or share replaced by its folder,
// backslashes turned into slashes, every existing component found without
// regard to letter case. A path without a drive letter is a Linux path already.
// Returns false (and sets the last error) when the drive is not mapped.
bool toNativePath(const std::string& windowsPath, std::string& nativePath);
// The Windows path of a Linux path: the longest mapped folder that contains it
// is replaced by its drive; otherwise the path with backslashes.
std::string toWindowsPath(const std::string& nativePath);

// Folders of the registry, the system calls and the window messages. Settings
// (see setting()), each with a default that works on a fresh machine:
//   REGISTRY_DIR   folder of the hive files machine.reg (HKEY_LOCAL_MACHINE)
//                  and user.reg (HKEY_CURRENT_USER); default
//                  $XDG_CONFIG_HOME/brevant/registry (~/.config/brevant/registry)
//   RUNTIME_DIR    folder of the table of registered window messages and of the
//                  listeners' sockets; default $XDG_RUNTIME_DIR/brevant, else
//                  /tmp/brevant-<uid> (kept private to the user)
//   SYSTEM_DIR     what GetSystemDirectoryA reports; default C:\WINDOWS\system32
//   APPDATA_DIR    the application-data shell folder; default the Windows form
//                  of $XDG_CONFIG_HOME (~/.config)
//   USER_NAME      the network user (WNetGetUserA); default the login name
//   COMPUTER_NAME  the computer name (GetComputerNameA); default the host name,
//                  upper-cased, at most 15 characters, NetBIOS characters only
//   NETWORK        "off": no network, the WNet calls give ERROR_NO_NETWORK
// Folder settings take a Linux path or a Windows path (through the drive map).
// When a process starts without TEMP and TMP, both are set to the Windows form
// of the first writable folder of $TMPDIR, /tmp and /var/tmp ("\tmp" for /tmp,
// a path without a drive letter), as Windows always provides them.
std::string registryFolder();
std::string runtimeFolder();

// Listeners in this process of the messages posted to HWND_BROADCAST: each is
// called on the posting thread before PostMessageA returns. Adding gives an
// id for removing; a listener may remove itself while it is called.
using MessageListener =
    std::function<void(unsigned int message, uintptr_t wParam, intptr_t lParam)>;
int addMessageListener(MessageListener listener);
void removeMessageListener(int id);

// The name a window message number was registered with in this user's
// session (by any process); empty when the number is not registered.
std::string registeredMessageName(unsigned int message);

// A listener in another process: a socket in the runtime folder's
// "listeners" folder, to which PostMessageA(HWND_BROADCAST, ...) sends every
// message without waiting for it to be handled. A listener whose queue is
// full (the system lets only a few datagrams wait) is given half a second to
// read; one still full then loses the message, and every later one until it
// reads again, without holding up the sender again.
struct BroadcastMessage {
    unsigned int message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    std::string name;  // the registered name, empty when unknown
};
class BroadcastReceiver {
public:
    BroadcastReceiver() = default;
    ~BroadcastReceiver();  // closes and removes the socket
    BroadcastReceiver(const BroadcastReceiver&) = delete;
    BroadcastReceiver& operator=(const BroadcastReceiver&) = delete;

    // Makes the socket; false with a description of what failed.
    bool open(std::string& error);
    // One message, waiting at most timeoutMs milliseconds (-1: no limit).
    // False on timeout, on a signal, or when the socket is not open.
    bool receive(BroadcastMessage& message, int timeoutMs);
    void close();
    int descriptor() const { return m_fd; }
    const std::string& socketPath() const { return m_path; }

private:
    int m_fd = -1;
    std::string m_path;
};

// The clock behind CTime::GetCurrentTime and every time stamp. Setting it to a
// time fixes it there (tests and transcripts); setting it to 0 returns to the
// system clock. The setting CLOCK ("YYYY-MM-DD HH:MM[:SS]", local time) fixes
// it at start-up.
time_t now();
void setClock(time_t fixedTime);

// A short reason for a Windows error code, for messages, as FormatMessageA
// words it but in lower case and without the full stop ("access is denied",
// "there is not enough space on the disk"); "error <n>" for a code without one.
std::string errorText(unsigned long windowsError);

// The fault seam: every file write, flush, rename, folder creation and
// registry file write goes through it. failAfter(op, n) makes the n-th such
// call from now on fail (n = 1: the next one) with the given Windows error;
// n = 0 disarms it. A registry write counts as one RegistryWrite and as
// nothing else, although it is made with the file calls, unless
// countRegistryFileCalls is on.
enum class Operation { FileWrite, FileCreate, Rename, CreateFolder, RegistryWrite, FileFlush };
constexpr Operation kEveryOperation[] = {Operation::FileWrite,     Operation::FileCreate,
                                         Operation::Rename,        Operation::CreateFolder,
                                         Operation::RegistryWrite, Operation::FileFlush};
void failAfter(Operation operation, int n, unsigned long windowsError = 112 /* disk full */);
// The calls of an operation still to come before its armed failure, that one
// included: 0 when none is armed or it has happened.
int pendingFault(Operation operation);
// On: a registry write counts as the file calls it is made of (FileCreate,
// FileWrite, FileFlush, Rename), so that a test can fail each of them in turn,
// and still as a RegistryWrite before them. Off (the default): as a
// RegistryWrite only.
void countRegistryFileCalls(bool on);
// Called by the platform before each operation: true when this one must fail.
// FileWrite: WriteFile and SetEndOfFile (a buffered text file writes when it
// flushes, at the latest when it is closed). FileCreate: every CreateFileA
// whose disposition may create or empty a file (all but OPEN_EXISTING).
// FileFlush: FlushFileBuffers. Rename: MoveFileExA. CreateFolder:
// CreateDirectoryA.
bool shouldFail(Operation operation, unsigned long& windowsError);

// Test capture of what OutputDebugStringA and MessageBoxA receive. While a
// sink is set, every call is appended to it (OutputDebugStringA whether or
// not a debugger is present) and nothing is written to the error output or
// waited for; a null sink returns to normal output.
struct MessageBoxCall {
    std::string caption;
    std::string text;
    unsigned int type = 0;
};
void captureDebugOutput(std::vector<std::string>* sink);
void captureMessageBoxes(std::vector<MessageBoxCall>* sink);

// The instance handle (base address) of the loaded object that holds an
// address; NULL when no loaded object holds it.
HMODULE moduleHandleOf(const void* address);
// A module whose DllMain refused DLL_PROCESS_ATTACH reports it here, so that
// LoadLibraryA fails with ERROR_DLL_INIT_FAILED as on Windows.
void reportDllInitFailure(HMODULE module);
// The modules of the extension-module chain, oldest first (CDynLinkLibrary).
std::vector<HMODULE> extensionModuleChain();

}  // namespace brevant::platform
