// The editor's system variables. Each lives in one place, which the table
// says: the session keeps its own, a drawing keeps its header variables
// ($LTSCALE, ...) in its HEADER section (read from the file when it is opened
// and written back when it is saved), and the drawing's name, folder and
// project name come from the current document.
#include "editor/SystemVariables.h"

#include "adslib.h"
#include "aced.h"
#include "brevant/platform.h"
#include "brevant/text.h"
#include "dbmain.h"
#include "acutmem.h"
#include "editor/Documents.h"
#include "editor/Editor.h"
#include "dxf/DxfTags.h"
#include "hostdb.h"

#include <strings.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace brevant::host {

namespace {

struct Stored {
    int type;
    std::string text;
    double values[3];  // a short is values[0]
};

// Variables the session keeps, with their values at the start of a session.
const std::map<std::string, Stored>& defaults() {
    static const auto* s_pDefaults = new std::map<std::string, Stored>{
        {"ACADVER", {RTSTR, "15.0", {0, 0, 0}}}, {"ANGBASE", {RTANG, "", {0, 0, 0}}},
        {"ERRNO", {RTSHORT, "", {0, 0, 0}}},     {"INSBASE", {RT3DPOINT, "", {0, 0, 0}}},
        {"LIMMAX", {RTPOINT, "", {12, 9, 0}}},   {"LIMMIN", {RTPOINT, "", {0, 0, 0}}},
        {"LTSCALE", {RTREAL, "", {1, 0, 0}}},    {"LUPREC", {RTSHORT, "", {4, 0, 0}}},
    };
    return *s_pDefaults;
}

std::map<std::string, Stored>& stored() {
    static auto* s_pStored = new std::map<std::string, Stored>(defaults());
    return *s_pStored;
}

// Where a variable's value lives.
enum class Home {
    Session,   // the editor's own, the same for every drawing
    Drawing,   // the current drawing's header variable of the same name
    Document,  // derived from the current document (name, folder, project)
};

struct Entry {
    VariableInfo info;
    Home home;
    // A number's range, for Drawing and Session numbers; a zero inside the
    // range may still be refused.
    double minimum;
    double maximum;
    bool zeroAllowed;
};

constexpr double kAny = 1e308;

// Every variable: name, type, read-only, where it lives, range.
const std::vector<Entry>& table() {
    static const auto* s_pTable = new std::vector<Entry>{
        {{"ACADVER", RTSTR, true}, Home::Session, 0, 0, true},
        {{"ANGBASE", RTANG, false}, Home::Drawing, -kAny, kAny, true},
        {{"DWGNAME", RTSTR, true}, Home::Document, 0, 0, true},
        {{"DWGPREFIX", RTSTR, true}, Home::Document, 0, 0, true},
        {{"DWGTITLED", RTSHORT, true}, Home::Document, 0, 1, true},
        {{"ERRNO", RTSHORT, false}, Home::Session, -32768, 32767, true},
        {{"INSBASE", RT3DPOINT, false}, Home::Drawing, -kAny, kAny, true},
        {{"LIMMAX", RTPOINT, false}, Home::Drawing, -kAny, kAny, true},
        {{"LIMMIN", RTPOINT, false}, Home::Drawing, -kAny, kAny, true},
        {{"LTSCALE", RTREAL, false}, Home::Drawing, 0, kAny, false},
        {{"LUPREC", RTSHORT, false}, Home::Drawing, 0, 8, true},
        {{"PROJECTNAME", RTSTR, false}, Home::Document, 0, 0, true},
    };
    return *s_pTable;
}

const Entry* entryOf(const std::string& name) {
    for (const Entry& entry : table()) {
        if (entry.info.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

// The current drawing, whose header holds the Drawing variables; NULL when no
// drawing is open (the session's values stand in then).
AcDbDatabase* currentDrawing() {
    Document* pDoc = docManager().current();
    return pDoc != nullptr ? pDoc->database() : nullptr;
}

// A header variable read from the drawing into value; false when the header
// lacks it or holds no number there.
bool readHeader(const VariableInfo& info, Stored& value) {
    const std::vector<std::string> values =
        headerVariable(currentDrawing(), ("$" + info.name).c_str());
    const size_t wanted = info.type == RTPOINT ? 2 : info.type == RT3DPOINT ? 3 : 1;
    if (values.size() < wanted) {
        return false;
    }
    value.type = info.type;
    value.values[0] = value.values[1] = value.values[2] = 0;
    for (size_t k = 0; k < wanted; ++k) {
        if (!brevant::dxf::parseDouble(values[k], value.values[k]) ||
            !std::isfinite(value.values[k])) {
            return false;
        }
    }
    return true;
}

// The value written into the drawing's header, with the group codes the
// variable's type has there.
bool writeHeader(const VariableInfo& info, const Stored& value) {
    std::vector<std::pair<int, std::string>> tags;
    switch (info.type) {
        case RTSHORT:
            tags.emplace_back(70, std::to_string(int(value.values[0])));
            break;
        case RTREAL:
            tags.emplace_back(40, brevant::dxf::formatDouble(value.values[0]));
            break;
        case RTANG:
            tags.emplace_back(50, brevant::dxf::formatDouble(value.values[0]));
            break;
        default:
            for (int k = 0; k < (info.type == RTPOINT ? 2 : 3); ++k) {
                tags.emplace_back(10 * (k + 1), brevant::dxf::formatDouble(value.values[k]));
            }
            break;
    }
    return setHeaderVariable(currentDrawing(), ("$" + info.name).c_str(), tags) == Acad::eOk;
}

// The folder new drawings belong to: the current folder, as a Windows path.
std::string currentFolder() {
    char buffer[4096];
    if (getcwd(buffer, sizeof(buffer)) == nullptr) {
        return "";
    }
    return brevant::platform::toWindowsPath(buffer);
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) {
        folder += '\\';
    }
    return folder;
}

// DWGNAME, DWGPREFIX and PROJECTNAME from the current document.
std::string documentText(const std::string& name) {
    Document* pDoc = docManager().current();
    if (pDoc == nullptr) {
        return name == "DWGPREFIX" ? withSeparator(currentFolder()) : "";
    }
    const std::string fileName = pDoc->fileName();
    const size_t slash = fileName.find_last_of("\\/");
    if (name == "DWGNAME") {
        return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    }
    if (name == "DWGPREFIX") {
        if (!pDoc->isNamed() || slash == std::string::npos) {
            return withSeparator(currentFolder());
        }
        return fileName.substr(0, slash + 1);
    }
    std::string project;
    char* pProject = nullptr;
    if (pDoc->database() != nullptr && pDoc->database()->getProjectName(pProject) == Acad::eOk &&
        pProject != nullptr) {
        project = pProject;
        acutDelString(pProject);
    }
    return project;
}

int fail(short errorNumber) {
    if (errorNumber != 0) {
        setErrno(errorNumber);
    }
    return RTERROR;
}

bool isNumber(int type) {
    return type == RTSHORT || type == RTLONG || type == RTREAL || type == RTANG;
}

double numberOf(const resbuf* val) {
    switch (val->restype) {
        case RTSHORT:
            return val->resval.rint;
        case RTLONG:
            return val->resval.rlong;
        default:
            return val->resval.rreal;
    }
}

// The value checked and converted to the variable's type; the ERRNO value on refusal.
short convert(const std::string& name, const VariableInfo& info, const resbuf* val, Stored& value) {
    value.type = info.type;
    value.values[0] = value.values[1] = value.values[2] = 0;
    switch (info.type) {
        case RTSTR:
            if (val->restype != RTSTR || val->resval.rstring == nullptr) {
                return kErrnoOutOfRange;
            }
            value.text = val->resval.rstring;
            return 0;
        case RTSHORT: {
            if (val->restype != RTSHORT && val->restype != RTLONG) {
                return kErrnoOutOfRange;
            }
            const long number = val->restype == RTSHORT ? val->resval.rint : val->resval.rlong;
            const Entry* entry = entryOf(name);
            if (number < -32768 || number > 32767 ||
                (entry != nullptr && (number < entry->minimum || number > entry->maximum))) {
                return kErrnoOutOfRange;
            }
            value.values[0] = (double)number;
            return 0;
        }
        case RTREAL:
        case RTANG: {
            if (!isNumber(val->restype)) {
                return kErrnoOutOfRange;
            }
            double number = numberOf(val);
            if (!std::isfinite(number)) {
                return kErrnoOutOfRange;
            }
            const Entry* entry = entryOf(name);
            if (entry != nullptr && number == 0 && !entry->zeroAllowed) {
                return kErrnoZero;
            }
            if (entry != nullptr && (number < entry->minimum || number > entry->maximum)) {
                return kErrnoOutOfRange;
            }
            if (info.type == RTANG) {
                // Angles are kept from 0 up to a full turn.
                number = std::fmod(number, 2 * M_PI);
                if (number < 0) {
                    number += 2 * M_PI;
                }
            }
            value.values[0] = number;
            return 0;
        }
        case RTPOINT:
        case RT3DPOINT:
            if (val->restype != RTPOINT && val->restype != RT3DPOINT) {
                return kErrnoOutOfRange;
            }
            for (int i = 0; i < 3; ++i) {
                if (!std::isfinite(val->resval.rpoint[i])) {
                    return kErrnoOutOfRange;
                }
            }
            value.values[0] = val->resval.rpoint[0];
            value.values[1] = val->resval.rpoint[1];
            value.values[2] =
                info.type == RT3DPOINT && val->restype == RT3DPOINT ? val->resval.rpoint[2] : 0;
            return 0;
        default:
            return kErrnoOutOfRange;
    }
}

}  // namespace

bool findVariable(const std::string& name, VariableInfo& info) {
    const Entry* entry = entryOf(brevant::text::upper(name));
    if (entry == nullptr) {
        return false;
    }
    info = entry->info;
    return true;
}

void setErrno(short value) {
    stored()["ERRNO"].values[0] = value;
}

short lastErrno() {
    return (short)stored()["ERRNO"].values[0];
}

void resetVariables() {
    stored() = defaults();
}

}  // namespace brevant::host

using namespace brevant::host;

// Reads a variable into *result; a text is a copy that the caller releases
// with free. An unknown name gives RTERROR.
int acedGetVar(const char* sym, struct resbuf* result) {
    VariableInfo info;
    if (sym == nullptr || result == nullptr || !findVariable(sym, info)) {
        return RTERROR;
    }
    result->rbnext = nullptr;
    result->restype = (short)info.type;
    if (info.name == "DWGNAME" || info.name == "DWGPREFIX" || info.name == "PROJECTNAME") {
        result->resval.rstring = strdup(documentText(info.name).c_str());
        return result->resval.rstring != nullptr ? RTNORM : RTERROR;
    }
    if (info.name == "DWGTITLED") {
        Document* pDoc = docManager().current();
        result->resval.rint = (short)(pDoc != nullptr && pDoc->isNamed() ? 1 : 0);
        return RTNORM;
    }
    Stored value = stored()[info.name];
    if (entryOf(info.name)->home == Home::Drawing && currentDrawing() != nullptr) {
        readHeader(info, value);  // the session's default when the header lacks it
    }
    switch (info.type) {
        case RTSTR:
            result->resval.rstring = strdup(value.text.c_str());
            return result->resval.rstring != nullptr ? RTNORM : RTERROR;
        case RTSHORT:
            result->resval.rint = (short)value.values[0];
            return RTNORM;
        case RTREAL:
        case RTANG:
            result->resval.rreal = value.values[0];
            return RTNORM;
        default:
            result->resval.rpoint[0] = value.values[0];
            result->resval.rpoint[1] = value.values[1];
            result->resval.rpoint[2] = info.type == RTPOINT ? 0.0 : value.values[2];
            return RTNORM;
    }
}

// Writes a variable. A read-only variable sets ERRNO to 20, a value of the
// wrong type or out of range 22, a zero where none is allowed 21.
int acedSetVar(const char* sym, const struct resbuf* val) {
    VariableInfo info;
    if (sym == nullptr || val == nullptr || !findVariable(sym, info)) {
        return RTERROR;
    }
    if (info.readOnly) {
        return fail(kErrnoReadOnly);
    }
    Stored value;
    if (const short refusal = convert(info.name, info, val, value)) {
        return fail(refusal);
    }
    if (info.name == "PROJECTNAME") {
        Document* pDoc = docManager().current();
        if (pDoc == nullptr || pDoc->database() == nullptr ||
            pDoc->database()->setProjectName(value.text.c_str()) != Acad::eOk) {
            return fail(kErrnoOutOfRange);
        }
    } else if (entryOf(info.name)->home == Home::Drawing && currentDrawing() != nullptr) {
        if (!writeHeader(info, value)) {
            return fail(kErrnoOutOfRange);
        }
    } else {
        stored()[info.name] = value;
    }
    const std::string name = info.name;
    notify([&name](AcEditorReactor* pReactor) { pReactor->sysVarChanged(name.c_str(), true); });
    return RTNORM;
}
