// brevant-din: shows what a drawing information file holds, checks it, and
// writes its preview as a picture; or shows the preview section that the
// module would write for a release-15 drawing file. The help below says what
// it takes and what its exit statuses mean; brevant-din.1 is its man page.
#include "BitmapImage.h"
#include "DinFileReader.h"
#include "DocumentData.h"
#include "FileUtil.h"
#include "Maintenance.h"
#include "PngImage.h"
#include "Program.h"
#include "ToolSupport.h"

#include <brevant/editor.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

using namespace brevant::tools;
using brevant::program::kExitFailure;
using brevant::program::kExitSuccess;
using Pellam::CDinFileReader;

namespace {

const char kTool[] = "brevant-din";

const char* const kSections[] = {"HEADER", "GENERAL", "GREV",  "XREF",
                                 "BLOCK",  "LAYER",   "APPID", "DWGTHUMBNAIL"};

const char* const kUsage =
    "usage: brevant-din FILE.din [--section NAME] [--json] [--thumbnail OUT]\n"
    "       brevant-din --preview DRAWING.dwg [--thumbnail OUT]\n"
    "       brevant-din --help | --version\n";

const char* const kHelp =
    "Prints the sections and values of a drawing information file and checks it\n"
    "(every section closed, the preview's sizes in agreement).\n"
    "\n"
    "  FILE.din         a drawing information file (docinfo\\<title>-<ext>.din)\n"
    "  --section NAME   only HEADER, GENERAL, GREV, XREF, BLOCK, LAYER, APPID or\n"
    "                   DWGTHUMBNAIL\n"
    "  --json           as one JSON object\n"
    "  --thumbnail OUT  writes the preview to OUT: a PNG picture when OUT ends in\n"
    "                   .png, otherwise the bitmap file the section encodes (.bmp)\n"
    "  --preview DWG    prints the preview section the module would write for the\n"
    "                   drawing file\n"
    "  -h, --help       show this help and end\n"
    "  --version        show the version and end\n"
    "\n"
    "Exit status: 0 the file was read and checked clean (and the preview written,\n"
    "if asked); 1 the file cannot be read, fails its check, or has no preview to\n"
    "write or show; 2 a wrong argument.\n";

int usage(const std::string& sProblem) {
    return brevant::program::usageError(kTool, sProblem, kUsage);
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
        return kExitFailure;
    }
    char szTemp[MAX_PATH + 1] = {0};
    const DWORD dwLength = ::GetTempPathA(MAX_PATH, szTemp);
    if (dwLength == 0 || dwLength >= MAX_PATH) {
        fprintf(stderr, "%s: no temporary folder\n", kTool);
        return kExitFailure;
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
            return kExitFailure;
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
        return kExitFailure;
    }
    if (!bFound) {
        fprintf(stderr, "%s: %s holds no preview that the module would write\n", kTool,
                sPath.c_str());
        return kExitFailure;
    }
    fwrite(sText.data(), 1, sText.size(), stdout);
    fflush(stdout);
    if (!sThumbnail.empty()) {
        CDinFileReader din;
        din.parseFragment(sText.data(), sText.size());
        if (!writeThumbnail(din, sThumbnail)) {
            return kExitFailure;
        }
    }
    return kExitSuccess;
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
        // The value of an option that takes one: false when it is missing.
        auto value = [&](std::string& sValue) -> bool {
            if (i + 1 >= argc || argv[i + 1][0] == 0) {
                return false;
            }
            sValue = argv[++i];
            return true;
        };
        if (sArgument == "-h" || sArgument == "--help") {
            printf("%s\n%s", kUsage, kHelp);
            return kExitSuccess;
        } else if (sArgument == "--version") {
            return brevant::program::printVersion(kTool);
        } else if (sArgument == "--json") {
            bJson = true;
        } else if (sArgument == "--section") {
            if (!value(sSection)) {
                return usage("--section needs a section name");
            }
            sSection = upper(sSection);
            if (std::find(std::begin(kSections), std::end(kSections), sSection) ==
                std::end(kSections)) {
                return usage("no section " + sSection);
            }
        } else if (sArgument == "--thumbnail") {
            if (!value(sThumbnail)) {
                return usage("--thumbnail needs a file to write");
            }
        } else if (sArgument == "--preview") {
            if (!value(sPreview)) {
                return usage("--preview needs a drawing file");
            }
        } else if (sArgument.size() > 1 && sArgument[0] == '-') {
            return usage("unknown option \"" + sArgument + "\"");
        } else if (sFile.empty()) {
            sFile = sArgument;
        } else {
            return usage("one file at a time");
        }
    }
    if (sPreview.empty() == sFile.empty()) {
        return usage(sFile.empty() ? "no file given" : "--preview takes no .din file");
    }
    if (!sPreview.empty() && (bJson || !sSection.empty())) {
        return usage("--preview prints the section as the module writes it");
    }

    brevant::host::setConsoleOutput(false);
    Pellam::initialiseLibrary("Brevant", NULL);
    if (!sPreview.empty()) {
        return showPreview(sPreview, sThumbnail);
    }

    CDinFileReader din;
    const std::string sPath = fullWindowsPath(sFile);
    if (sPath.empty() || !din.read(sPath.c_str())) {
        fprintf(stderr, "%s: %s: %s\n", kTool, sFile.c_str(),
                sPath.empty() ? "not a valid path" : (LPCTSTR)din.getError());
        return kExitFailure;
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
    int iStatus = kExitSuccess;
    if (!din.getProblems().empty()) {
        if (!sSection.empty() || bJson) {
            for (const CString& sProblem : din.getProblems()) {
                fprintf(stderr, "%s: %s: %s\n", kTool, sPath.c_str(), (LPCTSTR)sProblem);
            }
        }
        iStatus = kExitFailure;
    }
    if (!sThumbnail.empty() && !writeThumbnail(din, sThumbnail)) {
        iStatus = kExitFailure;
    }
    return iStatus;
}
