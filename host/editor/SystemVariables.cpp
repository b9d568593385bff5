// The editor's system variables. The drawing's name and folder come from the
// current document; the others are kept by the session.
#include "editor/SystemVariables.h"

#include "adslib.h"
#include "aced.h"
#include "brevant/platform.h"
#include "brevant/text.h"
#include "dbmain.h"
#include "acutmem.h"
#include "editor/Documents.h"
#include "editor/Editor.h"

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

// Every variable: name, type, read-only.
const std::vector<VariableInfo>& table() {
    static const auto* s_pTable = new std::vector<VariableInfo>{
        {"ACADVER", RTSTR, true},      {"ANGBASE", RTANG, false},    {"DWGNAME", RTSTR, true},
        {"DWGPREFIX", RTSTR, true},    {"DWGTITLED", RTSHORT, true}, {"ERRNO", RTSHORT, false},
        {"INSBASE", RT3DPOINT, false}, {"LIMMAX", RTPOINT, false},   {"LIMMIN", RTPOINT, false},
        {"LTSCALE", RTREAL, false},    {"LUPREC", RTSHORT, false},   {"PROJECTNAME", RTSTR, false},
    };
    return *s_pTable;
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
            if (number < -32768 || number > 32767 ||
                (name == "LUPREC" && (number < 0 || number > 8))) {
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
            if (name == "LTSCALE" && number <= 0) {
                return number == 0 ? kErrnoZero : kErrnoOutOfRange;
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
    const std::string key = brevant::text::upper(name);
    for (const VariableInfo& entry : table()) {
        if (entry.name == key) {
            info = entry;
            return true;
        }
    }
    return false;
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
    const Stored& value = stored()[info.name];
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
    } else {
        stored()[info.name] = value;
    }
    const std::string name = info.name;
    notify([&name](AcEditorReactor* pReactor) { pReactor->sysVarChanged(name.c_str(), true); });
    return RTNORM;
}
