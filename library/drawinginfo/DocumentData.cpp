#include "DocumentData.h"

#include "FileUtil.h"
#include "Messages.h"

namespace {

// The registered refresh message; 0 while none is registered.
UINT m_iBrevantRefresh = 0;

}  // namespace

namespace Pellam {

void registerRefreshMessage() {
    PELLAM_VERIFY(m_iBrevantRefresh == 0);
    m_iBrevantRefresh = ::RegisterWindowMessageA("Pellam-Brevant");
    PELLAM_VERIFY(m_iBrevantRefresh != 0);
}

void unregisterRefreshMessage() {
    // A registered window message lives as long as the system: there is
    // nothing to release, the module only stops posting it.
    PELLAM_VERIFY(m_iBrevantRefresh != 0);
    m_iBrevantRefresh = 0;
}

UINT getRefreshMessage() {
    return m_iBrevantRefresh;
}

void refreshDocumentManager() {
    if (m_iBrevantRefresh == 0) {
        return;
    }
    Pellam::Messages::trace("Refreshing Brevant.");
    PELLAM_VERIFY(::PostMessageA(((HWND)0xffff), m_iBrevantRefresh, (WPARAM)(2106 + 10), 0));
}

CString getDocInfoDirectory(LPCTSTR sPath) {
    const CString sFolder = PellamFile::Directory(sPath) + "docinfo\\";
    if (PellamFile::DirectoryExists(sFolder)) {
        return sFolder;
    }
    Pellam::Messages::traceFormat("Creating directory \"%s\".", (LPCTSTR)sFolder);
    if (!RecursiveCreateDirectory(sFolder, NULL)) {
        Pellam::Messages::acadError("Failed to create \"%s\", check permissions.",
                                    (LPCTSTR)sFolder);
        return CString();
    }
    return sFolder;
}

}  // namespace Pellam
