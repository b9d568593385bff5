// brevant-din: shows what a drawing information file holds, checks it, and
// writes its preview as a picture; or shows the preview section that the
// module would write for a release-15 drawing file. See usage().
#include "BitmapImage.h"
#include "DinFileReader.h"
#include "DocumentData.h"
#include "FileUtil.h"
#include "Maintenance.h"
#include "PngImage.h"
#include "ToolSupport.h"

#include <brevant/editor.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

using namespace brevant::tools;
using Pellam::CDinFileReader;

namespace {

const char kTool[] = "brevant-din";

const char* const kSections[] = {"HEADER", "GENERAL", "GREV",  "XREF",
                                 "BLOCK",  "LAYER",   "APPID", "DWGTHUMBNAIL"};

void usage(FILE* out) {
    fprintf(out,
            "usage: brevant-din FILE.din [--section NAME] [--json] [--thumbnail OUT.png|OUT.bmp]\n"
            "       brevant-din --preview DRAWING.dwg [--thumbnail OUT.png|OUT.bmp]\n"
            "Prints the sections and values of a drawing information file and checks it\n"
            "(every section closed, the preview's sizes in agreement).\n"
            "  --section NAME   only HEADER, GENERAL, GREV, XREF, BLOCK, LAYER, APPID or\n"
            "                   DWGTHUMBNAIL\n"
            "  --json           as one JSON object\n"
            "  --thumbnail OUT  writes the preview: a PNG picture for .png, otherwise the\n"
            "                   bitmap file the section encodes\n"
            "  --preview DWG    prints the preview section the module would write for the\n"
            "                   drawing file\n"
            "  -h, --help       this text\n"
            "  --version        the version\n"
            "Exit status: 0 read and checked, 1 the file cannot be read, fails its check or\n"
            "has no preview, 2 wrong usage.\n");
}

int usageError(const std::string& sProblem) {
    fprintf(stderr, "%s: %s (see %s --help)\n", kTool, sProblem.c_str(), kTool);
    return kExitUsage;
}

std::string upper(std::string sText) {
    for (char& ch : sText) {
        ch = (char)toupper((unsigned char)ch);
    }
    return sText;
}

bool endsWithNoCase(const std::string& sText, const std::string& sEnd) {
    return sText.size() >= sEnd.size() &&
           upper(sText.substr(sText.size() - sEnd.size())) == upper(sEnd);
}

std::string str(const CString& sText) {
    return std::string((LPCTSTR)sText, (size_t)sText.GetLength());
}

// ---- Text output ---------------------------------------------------------------

void printHeader(const CDinFileReader& din, const std::string& sFile) {
    printf("File         %s\n", sFile.c_str());
    printf("Drawing      %s\n", (LPCTSTR)din.getActualName());
    printf("Written at   %s\n", (LPCTSTR)din.getWrittenAt());
    printf("Format       %s, by %s\n", (LPCTSTR)din.getDataFormat(), (LPCTSTR)din.getGenerator());
}

void printGeneral(const CDinFileReader& din) {
    printf("[GENERAL]\n");
    for (const CDinFileReader::Value& value : din.getGeneral()) {
        printf("  %-12s%s\n", (LPCTSTR)value.sKey, (LPCTSTR)value.sValue);
    }
}

void printRevisions(const CDinFileReader& din) {
    printf("[GREV] %zu revision mark%s\n", din.getRevisions().size(),
           din.getRevisions().size() == 1 ? "" : "s");
    int iNumber = 0;
    for (const CDinFileReader::Revision& revision : din.getRevisions()) {
        printf("  %d:\n", ++iNumber);
        for (const CString& sLine : revision.vectorLines) {
            int iTabs = 0;
            while (iTabs < sLine.GetLength() && sLine[iTabs] == '\t') {
                ++iTabs;
            }
            printf("  %s%s\n", std::string(2 * (size_t)iTabs, ' ').c_str(),
                   (LPCTSTR)sLine.Mid(iTabs));
        }
    }
}

void printReferences(const CDinFileReader& din) {
    printf("[XREF] %zu\n", din.getReferences().size());
    for (const CDinFileReader::Reference& reference : din.getReferences()) {
        printf("  %s%s -> %s\n", (LPCTSTR)reference.sName,
               reference.bReferenced ? "" : " (unreferenced)", (LPCTSTR)reference.sPath);
    }
}

void printNames(const char* sName, const std::vector<CString>& vectorNames) {
    printf("[%s] %zu\n", sName, vectorNames.size());
    for (const CString& sEntry : vectorNames) {
        printf("  %s\n", (LPCTSTR)sEntry);
    }
}

void printThumbnail(const CDinFileReader& din) {
    const CDinFileReader::Thumbnail& thumbnail = din.getThumbnail();
    if (!thumbnail.bPresent) {
        printf("[DWGTHUMBNAIL] none\n");
        return;
    }
    printf("[DWGTHUMBNAIL] .SIZE %ld, %s, %zu bytes decoded", thumbnail.iDeclaredSize,
           (LPCTSTR)thumbnail.sEncoding, thumbnail.vectorBytes.size());
    RgbImage image;
    std::string sError;
    if (decodeBitmapFile(thumbnail.vectorBytes, image, sError)) {
        printf(", %u x %u pixels, %d bits per pixel", image.iWidth, image.iHeight, image.iBitCount);
    }
    printf("\n");
}

void printSection(const CDinFileReader& din, const std::string& sSection,
                  const std::string& sFile) {
    if (sSection == "HEADER") {
        printHeader(din, sFile);
    } else if (sSection == "GENERAL") {
        printGeneral(din);
    } else if (sSection == "GREV") {
        printRevisions(din);
    } else if (sSection == "XREF") {
        printReferences(din);
    } else if (sSection == "BLOCK") {
        printNames("BLOCK", din.getBlocks());
    } else if (sSection == "LAYER") {
        printNames("LAYER", din.getLayers());
    } else if (sSection == "APPID") {
        printNames("APPID", din.getApplications());
    } else if (sSection == "DWGTHUMBNAIL") {
        printThumbnail(din);
    }
}

// ---- JSON output ---------------------------------------------------------------

std::string jsonNames(const std::vector<CString>& vectorNames) {
    std::string sOut = "[";
    for (size_t i = 0; i < vectorNames.size(); ++i) {
        sOut += (i ? ", " : "") + jsonString(str(vectorNames[i]));
    }
    return sOut + "]";
}

std::string jsonSection(const CDinFileReader& din, const std::string& sSection,
                        const std::string& sFile) {
    if (sSection == "HEADER") {
        return "{\"file\": " + jsonString(sFile) +
               ", \"actualName\": " + jsonString(str(din.getActualName())) +
               ", \"writtenAt\": " + jsonString(str(din.getWrittenAt())) +
               ", \"dataFormat\": " + jsonString(str(din.getDataFormat())) +
               ", \"generator\": " + jsonString(str(din.getGenerator())) + "}";
    }
    if (sSection == "GENERAL") {
        std::string sOut = "{";
        for (size_t i = 0; i < din.getGeneral().size(); ++i) {
            const CDinFileReader::Value& value = din.getGeneral()[i];
            sOut += (i ? ", " : "") + jsonString(str(value.sKey)) + ": " +
                    jsonString(str(value.sValue));
        }
        return sOut + "}";
    }
    if (sSection == "GREV") {
        std::string sOut = "[";
        for (size_t i = 0; i < din.getRevisions().size(); ++i) {
            const CDinFileReader::Revision& revision = din.getRevisions()[i];
            sOut += (i ? ", " : "") + std::string("{\"line\": ") + std::to_string(revision.iLine) +
                    ", \"fields\": {";
            for (size_t k = 0; k < revision.vectorFields.size(); ++k) {
                sOut += (k ? ", " : "") + jsonString(str(revision.vectorFields[k].first)) + ": " +
                        jsonString(str(revision.vectorFields[k].second));
            }
            sOut += "}, \"description\": " + jsonNames(revision.vectorDescription) +
                    ", \"lines\": " + jsonNames(revision.vectorLines) + "}";
        }
        return sOut + "]";
    }
    if (sSection == "XREF") {
        std::string sOut = "[";
        for (size_t i = 0; i < din.getReferences().size(); ++i) {
            const CDinFileReader::Reference& reference = din.getReferences()[i];
            sOut += (i ? ", " : "") + std::string("{\"name\": ") +
                    jsonString(str(reference.sName)) +
                    ", \"path\": " + jsonString(str(reference.sPath)) +
                    ", \"referenced\": " + (reference.bReferenced ? "true" : "false") + "}";
        }
        return sOut + "]";
    }
    if (sSection == "BLOCK") {
        return jsonNames(din.getBlocks());
    }
    if (sSection == "LAYER") {
        return jsonNames(din.getLayers());
    }
    if (sSection == "APPID") {
        return jsonNames(din.getApplications());
    }
    const CDinFileReader::Thumbnail& thumbnail = din.getThumbnail();
    if (!thumbnail.bPresent) {
        return "null";
    }
    std::string sOut = "{\"size\": " + std::to_string(thumbnail.iDeclaredSize) +
                       ", \"encoding\": " + jsonString(str(thumbnail.sEncoding)) +
                       ", \"bytes\": " + std::to_string(thumbnail.vectorBytes.size());
    RgbImage image;
    std::string sError;
    if (decodeBitmapFile(thumbnail.vectorBytes, image, sError)) {
        sOut += ", \"width\": " + std::to_string(image.iWidth) +
                ", \"height\": " + std::to_string(image.iHeight) +
                ", \"bitCount\": " + std::to_string(image.iBitCount);
    }
    return sOut + "}";
}

std::string jsonKey(const std::string& sSection) {
    const struct {
        const char* sSection;
        const char* sKey;
    } keys[] = {{"HEADER", "header"},      {"GENERAL", "general"},       {"GREV", "revisions"},
                {"XREF", "xrefs"},         {"BLOCK", "blocks"},          {"LAYER", "layers"},
                {"APPID", "applications"}, {"DWGTHUMBNAIL", "thumbnail"}};
    for (const auto& key : keys) {
        if (sSection == key.sSection) {
            return key.sKey;
        }
    }
    return sSection;
}

// ---- The preview ---------------------------------------------------------------

// The preview as a PNG picture (for .png) or the bitmap file itself.
bool writeThumbnail(const CDinFileReader& din, const std::string& sOut) {
    const CDinFileReader::Thumbnail& thumbnail = din.getThumbnail();
    if (!thumbnail.bPresent || thumbnail.vectorBytes.empty()) {
        fprintf(stderr, "%s: there is no preview to write to %s\n", kTool, sOut.c_str());
        return false;
    }
    std::string sBytes(thumbnail.vectorBytes.begin(), thumbnail.vectorBytes.end());
    std::string sError;
    if (endsWithNoCase(sOut, ".png")) {
        RgbImage image;
        std::string sPng;
        if (!decodeBitmapFile(thumbnail.vectorBytes, image, sError) ||
            !encodePng(image, sPng, sError)) {
            fprintf(stderr, "%s: the preview cannot be made a PNG picture: %s\n", kTool,
                    sError.c_str());
            return false;
        }
        sBytes.swap(sPng);
    }
    const std::string sPath = fullWindowsPath(sOut);
    if (sPath.empty() || !writeWholeFile(sPath, sBytes, sError)) {
        fprintf(stderr, "%s: cannot write %s: %s\n", kTool, sOut.c_str(),
                sPath.empty() ? "not a valid path" : sError.c_str());
        return false;
    }
    return true;
}

// The preview section the module writes for the drawing file, as it writes
// it into the drawing information file (text mode), through a file of its
// own in the temporary folder.
int showPreview(const std::string& sDrawing, const std::string& sThumbnail) {
    const std::string sPath = fullWindowsPath(sDrawing);
    if (sPath.empty() || ::GetFileAttributesA(sPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "%s: %s: no such file\n", kTool, sDrawing.c_str());
        return kExitSomeFailed;
    }
    char szTemp[MAX_PATH + 1] = {0};
    const DWORD dwLength = ::GetTempPathA(MAX_PATH, szTemp);
    if (dwLength == 0 || dwLength >= MAX_PATH) {
        fprintf(stderr, "%s: no temporary folder\n", kTool);
        return kExitSomeFailed;
    }
    const std::string sSection =
        std::string(szTemp) + "brevant-din-" + std::to_string(::GetCurrentProcessId()) + ".tmp";
    bool bFound = false;
    std::string sError;
    {
        CStdioFile file;
        CFileException error;
        if (!file.Open(sSection.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText,
                       &error)) {
            fprintf(stderr, "%s: cannot write the temporary file %s\n", kTool, sSection.c_str());
            return kExitSomeFailed;
        }
        try {
            bFound = Pellam::dumpDrawingPreview(sPath.c_str(), file);
            file.Close();
        } catch (CException* pException) {
            sError = (LPCTSTR)PellamFile::ExceptionMessage(pException);
            pException->Delete();
            file.Abort();
        }
    }
    std::string sText;
    if (sError.empty()) {
        readWholeFile(sSection, CDinFileReader::kMaxFileSize, sText, sError);
    }
    ::DeleteFileA(sSection.c_str());
    if (!sError.empty()) {
        fprintf(stderr, "%s: %s\n", kTool, sError.c_str());
        return kExitSomeFailed;
    }
    if (!bFound) {
        fprintf(stderr, "%s: %s holds no preview that the module would write\n", kTool,
                sPath.c_str());
        return kExitSomeFailed;
    }
    fwrite(sText.data(), 1, sText.size(), stdout);
    fflush(stdout);
    if (!sThumbnail.empty()) {
        CDinFileReader din;
        din.parseFragment(sText.data(), sText.size());
        if (!writeThumbnail(din, sThumbnail)) {
            return kExitSomeFailed;
        }
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    std::string sFile;
    std::string sSection;
    std::string sThumbnail;
    std::string sPreview;
    bool bJson = false;
    for (int i = 1; i < argc; ++i) {
        const std::string sArgument = argv[i];
        auto value = [&](std::string& sValue, const char* sWhat) -> bool {
            if (i + 1 >= argc || argv[i + 1][0] == 0) {
                usageError(sArgument + " needs " + sWhat);
                return false;
            }
            sValue = argv[++i];
            return true;
        };
        if (sArgument == "-h" || sArgument == "--help") {
            usage(stdout);
            return kExitOk;
        } else if (sArgument == "--version") {
            printf("%s\n", versionLine(kTool).c_str());
            return kExitOk;
        } else if (sArgument == "--json") {
            bJson = true;
        } else if (sArgument == "--section") {
            if (!value(sSection, "a section name")) {
                return kExitUsage;
            }
            sSection = upper(sSection);
            bool bKnown = false;
            for (const char* sKnown : kSections) {
                bKnown = bKnown || sSection == sKnown;
            }
            if (!bKnown) {
                return usageError("no section " + sSection);
            }
        } else if (sArgument == "--thumbnail") {
            if (!value(sThumbnail, "a file to write")) {
                return kExitUsage;
            }
        } else if (sArgument == "--preview") {
            if (!value(sPreview, "a drawing file")) {
                return kExitUsage;
            }
        } else if (sArgument.size() > 1 && sArgument[0] == '-') {
            return usageError("unknown option " + sArgument);
        } else if (sFile.empty()) {
            sFile = sArgument;
        } else {
            return usageError("one file at a time");
        }
    }
    if (sPreview.empty() == sFile.empty()) {
        return usageError(sFile.empty() ? "no file given" : "--preview takes no .din file");
    }

    brevant::host::setConsoleOutput(false);
    Pellam::initialiseLibrary("Brevant", NULL);
    if (!sPreview.empty()) {
        if (bJson || !sSection.empty()) {
            return usageError("--preview prints the section as the module writes it");
        }
        return showPreview(sPreview, sThumbnail);
    }

    CDinFileReader din;
    const std::string sPath = fullWindowsPath(sFile);
    if (sPath.empty() || !din.read(sPath.c_str())) {
        fprintf(stderr, "%s: %s: %s\n", kTool, sFile.c_str(),
                sPath.empty() ? "not a valid path" : (LPCTSTR)din.getError());
        return kExitSomeFailed;
    }

    const std::vector<std::string> vectorSections =
        sSection.empty() ? std::vector<std::string>(std::begin(kSections), std::end(kSections))
                         : std::vector<std::string>{sSection};
    if (bJson) {
        std::string sOut = "{";
        for (size_t i = 0; i < vectorSections.size(); ++i) {
            sOut += (i ? ", " : "") + jsonString(jsonKey(vectorSections[i])) + ": " +
                    jsonSection(din, vectorSections[i], sPath);
        }
        if (sSection.empty()) {
            std::vector<CString> vectorProblems = din.getProblems();
            sOut += ", \"problems\": " + jsonNames(vectorProblems);
        }
        printf("%s}\n", sOut.c_str());
    } else {
        for (size_t i = 0; i < vectorSections.size(); ++i) {
            if (i > 0) {
                printf("\n");
            }
            printSection(din, vectorSections[i], sPath);
        }
        if (sSection.empty()) {
            printf("\nCheck        %s\n",
                   din.getProblems().empty()
                       ? "no problems"
                       : (std::to_string(din.getProblems().size()) + " problem" +
                          (din.getProblems().size() == 1 ? "" : "s"))
                             .c_str());
            for (const CString& sProblem : din.getProblems()) {
                printf("  %s\n", (LPCTSTR)sProblem);
            }
        }
    }
    fflush(stdout);
    int iStatus = kExitOk;
    if (!din.getProblems().empty()) {
        if (!sSection.empty() || bJson) {
            for (const CString& sProblem : din.getProblems()) {
                fprintf(stderr, "%s: %s: %s\n", kTool, sPath.c_str(), (LPCTSTR)sProblem);
            }
        }
        iStatus = kExitSomeFailed;
    }
    if (!sThumbnail.empty() && !writeThumbnail(din, sThumbnail)) {
        iStatus = kExitSomeFailed;
    }
    return iStatus;
}
