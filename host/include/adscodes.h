// Result types, status codes and value lists of the LISP and entity-list interface.
#pragma once

#include <cstdint>

// Result type codes.
#define RTNONE 5000
#define RTREAL 5001
#define RTPOINT 5002
#define RTSHORT 5003
#define RTANG 5004
#define RTSTR 5005
#define RTENAME 5006
#define RTPICKS 5007
#define RTORINT 5008
#define RT3DPOINT 5009
#define RTLONG 5010
#define RTVOID 5014
#define RTLB 5016
#define RTLE 5017
#define RTDOTE 5018
#define RTNIL 5019
#define RTDXF0 5020
#define RTT 5021
#define RTRESBUF 5023

// Status codes.
#define RTNORM 5100
#define RTERROR (-5001)
#define RTCAN (-5002)
#define RTREJ (-5003)
#define RTFAIL (-5004)
#define RTKWORD (-5005)
#define RTINPUT (-5008)

// What a LISP handler returns: a result has been set, or an error.
#define RSRSLT 1
#define RSERR 3

typedef double ads_real;
typedef ads_real ads_point[3];
typedef ads_real ads_matrix[4][4];
// An entity or selection-set name: two pointer-sized words.
typedef intptr_t ads_name[2];
typedef intptr_t* ads_namep;

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    char* rstring;
    intptr_t rlname[2];
    int32_t rlong;
    int64_t mnInt64;
    struct ads_binary {
        short clen;
        char* buf;
    } rbinary;
    unsigned char ihandle[8];
};

// One node of a value list. Group codes of entity lists (0, 5, 8, 1001, ...)
// and result type codes (RTSTR, ...) share restype.
struct resbuf {
    struct resbuf* rbnext;
    short restype;
    union ads_u_val resval;
};

// Maps a group code or result type to the kind of value it carries.
int acdbGroupCodeToType(int restype);
