#include "DocumentData.h"

#include "Base64.h"
#include "FileUtil.h"
#include "Messages.h"

#include <cstring>
#include <vector>

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

// ---- The drawing preview ----------------------------------------------------

namespace {

// The preview directory of a release-15 drawing file.
const LONG kImageSeekerOffset = 13;
const unsigned char kImageSentinel[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                          0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
const unsigned char kBitmapEntryCode = 2;
// The bitmap file header put in front of the stored bitmap, and the bitmap
// information header that the stored bitmap begins with.
const DWORD kFileHeaderSize = 14;
const DWORD kInfoHeaderSize = 40;
const DWORD kWhite = 0x00FFFFFF;

DWORD readLittleEndian(const unsigned char* p, int iBytes) {
    DWORD dwValue = 0;
    for (int i = iBytes - 1; i >= 0; --i) {
        dwValue = (dwValue << 8) | p[i];
    }
    return dwValue;
}

void writeLittleEndian(unsigned char* p, DWORD dwValue, int iBytes) {
    for (int i = 0; i < iBytes; ++i) {
        p[i] = (unsigned char)(dwValue >> (8 * i));
    }
}

// Reads exactly iBytes at dwOffset; false when the file holds fewer.
bool readAt(CFile& file, DWORD dwFileLength, DWORD dwOffset, void* pBuffer, DWORD dwBytes) {
    if (dwOffset > dwFileLength || dwBytes > dwFileLength - dwOffset) {
        return false;
    }
    if (file.Seek((LONG)dwOffset, CFile::begin) != (LONG)dwOffset) {
        return false;
    }
    return file.Read(pBuffer, dwBytes) == dwBytes;
}

// Where the bitmap of a drawing file lies: its start offset and size.
struct BitmapPlace {
    DWORD dwStart = 0;
    DWORD dwSize = 0;
};

// Reads the preview directory; false when the file has none that can be used.
bool findBitmap(CFile& file, DWORD dwFileLength, BitmapPlace& place) {
    unsigned char abSeeker[4];
    if (!readAt(file, dwFileLength, kImageSeekerOffset, abSeeker, 4)) {
        return false;
    }
    const DWORD dwSeeker = readLittleEndian(abSeeker, 4);
    unsigned char abDirectory[16 + 4 + 1];
    if (!readAt(file, dwFileLength, dwSeeker, abDirectory, sizeof(abDirectory))) {
        return false;
    }
    if (memcmp(abDirectory, kImageSentinel, sizeof(kImageSentinel)) != 0) {
        return false;
    }
    const unsigned int iEntries = abDirectory[20];
    if (iEntries == 0) {
        return false;
    }
    // Each entry: a code and 8 bytes; the file must hold them all.
    const DWORD dwEntriesAt = dwSeeker + (DWORD)sizeof(abDirectory);
    for (unsigned int i = 0; i < iEntries; ++i) {
        unsigned char abEntry[9];
        if (!readAt(file, dwFileLength, dwEntriesAt + 9 * i, abEntry, sizeof(abEntry))) {
            return false;
        }
        if (abEntry[0] == kBitmapEntryCode) {
            // A later bitmap entry replaces an earlier one.
            place.dwStart = readLittleEndian(abEntry + 1, 4);
            place.dwSize = readLittleEndian(abEntry + 5, 4);
        }
    }
    if (place.dwStart == 0) {
        return false;
    }
    // A bitmap that reaches past the end of the file, or that is too short to
    // hold its information header, is no preview.
    if (place.dwStart > dwFileLength || place.dwSize > dwFileLength - place.dwStart) {
        return false;
    }
    return place.dwSize >= kInfoHeaderSize;
}

}  // namespace

namespace Pellam {

DWORD colorTableEntries(WORD wBitCount, DWORD dwColorsUsed) {
    if (dwColorsUsed != 0) {
        return dwColorsUsed;
    }
    switch (wBitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

bool dumpDrawingPreview(LPCTSTR sPath, CStdioFile& fileInfo) {
    Pellam::Messages::trace(_T("Dumping drawing preview."));
    CFile fileDrawing;
    if (!fileDrawing.Open(sPath, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) {
        return false;
    }
    std::vector<unsigned char> buffer;
    try {
        const DWORD dwFileLength = fileDrawing.GetLength();
        BitmapPlace place;
        if (!findBitmap(fileDrawing, dwFileLength, place)) {
            fileDrawing.Abort();
            return false;
        }
        buffer.resize(kFileHeaderSize + place.dwSize);
        if (!readAt(fileDrawing, dwFileLength, place.dwStart, buffer.data() + kFileHeaderSize,
                    place.dwSize)) {
            fileDrawing.Abort();
            return false;
        }
        fileDrawing.Abort();
    } catch (CException* pException) {
        pException->Delete();
        fileDrawing.Abort();
        return false;
    }

    const DWORD dwSize = (DWORD)buffer.size() - kFileHeaderSize;
    unsigned char* pInfoHeader = buffer.data() + kFileHeaderSize;
    const DWORD dwColors = colorTableEntries((WORD)readLittleEndian(pInfoHeader + 14, 2),
                                             readLittleEndian(pInfoHeader + 32, 4));

    CString sHeading;
    sHeading.Format(_T("\n\nSTART DWGTHUMBNAIL\n.SIZE %ld\n.ENCODING BASE64\n"), (long)dwSize);
    fileInfo.WriteString(sHeading);

    // The bitmap file header: "BM", the total size, the pixels' offset.
    unsigned char* pFileHeader = buffer.data();
    writeLittleEndian(pFileHeader, 0x4D42, 2);
    writeLittleEndian(pFileHeader + 2, dwSize + kFileHeaderSize, 4);
    writeLittleEndian(pFileHeader + 6, 0, 2);
    writeLittleEndian(pFileHeader + 8, 0, 2);
    // A colours-used value too large for the offset to fit in 32 bits gives
    // the largest offset, past the bitmap as is any colour table that the
    // bitmap does not hold, rather than one wrapped round into the headers.
    const unsigned long long ullPixelsAt =
        kFileHeaderSize + kInfoHeaderSize + 4ull * (unsigned long long)dwColors;
    writeLittleEndian(pFileHeader + 10,
                      ullPixelsAt > 0xFFFFFFFFull ? 0xFFFFFFFF : (DWORD)ullPixelsAt, 4);

    // Black and white swap places in the colour table, as far as the buffer
    // holds it.
    const size_t iTableStart = kFileHeaderSize + kInfoHeaderSize;
    for (DWORD i = 0; i < dwColors; ++i) {
        const size_t iAt = iTableStart + 4 * (size_t)i;
        if (iAt + 4 > buffer.size()) {
            break;
        }
        const DWORD dwColour = readLittleEndian(&buffer[iAt], 4);
        if (dwColour == kWhite) {
            writeLittleEndian(&buffer[iAt], 0, 4);
        } else if (dwColour == 0) {
            writeLittleEndian(&buffer[iAt], kWhite, 4);
        }
    }

    CBase64 base64;
    fileInfo.WriteString(base64.encode(buffer.data(), (int)buffer.size()));
    fileInfo.WriteString(_T("\nEND DWGTHUMBNAIL\n"));
    return true;
}

}  // namespace Pellam
