// Inside the host: the editor's system variables, for acedGetVar/acedSetVar
// and the SETVAR and GETVAR commands.
#pragma once

#include <string>

namespace brevant::host {

// ERRNO values that the editor sets when a variable call fails.
constexpr short kErrnoReadOnly = 20;    // attempt to set a read-only variable
constexpr short kErrnoZero = 21;        // zero value not allowed
constexpr short kErrnoOutOfRange = 22;  // value out of range (or of the wrong type)

struct VariableInfo {
    std::string name;  // upper case
    int type = 0;      // RTSTR, RTSHORT, RTREAL, RTANG, RTPOINT or RT3DPOINT
    bool readOnly = false;
};

// Names are found without regard to letter case.
bool findVariable(const std::string& name, VariableInfo& info);

// The editor's last error number.
void setErrno(short value);
short lastErrno();

// Every variable back at its value of a fresh session.
void resetVariables();

}  // namespace brevant::host
