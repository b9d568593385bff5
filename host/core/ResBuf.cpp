// Value lists: building them from code/value pairs and releasing them.
#include "adslib.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

int acdbGroupCodeToType(int restype) {
    switch (restype) {
        case RTREAL:
        case RTANG:
        case RTORINT:
            return RTREAL;
        case RTPOINT:
            return RTPOINT;
        case RT3DPOINT:
            return RT3DPOINT;
        case RTSHORT:
            return RTSHORT;
        case RTLONG:
            return RTLONG;
        case RTSTR:
        case RTDXF0:  // group code 0 of an entity list being built
            return RTSTR;
        case RTENAME:
        case RTPICKS:
            return RTENAME;
        case RTLB:
        case RTLE:
        case RTDOTE:
        case RTNIL:
        case RTT:
        case RTVOID:
        case RTNONE:
            return RTNONE;
        default:
            break;
    }
    // Group codes of entity lists.
    const int c = restype;
    if (c == -1 || c == -2 || (c >= 330 && c <= 369)) {
        return RTENAME;
    }
    if ((c >= 0 && c <= 9) || c == 100 || c == 102 || c == 105 || (c >= 300 && c <= 309) ||
        (c >= 390 && c <= 399) || (c >= 410 && c <= 419) || (c >= 430 && c <= 439) ||
        (c >= 470 && c <= 479) || (c >= 480 && c <= 481) || c == 999 || (c >= 1000 && c <= 1009) ||
        c == -3 || c == -4) {
        return c == -3 ? RTNONE : RTSTR;
    }
    if ((c >= 10 && c <= 17) || c == 210 || (c >= 1010 && c <= 1013)) {
        return RT3DPOINT;
    }
    if ((c >= 18 && c <= 59) || (c >= 110 && c <= 149) || (c >= 460 && c <= 469) ||
        (c >= 1014 && c <= 1059)) {
        return RTREAL;
    }
    if ((c >= 60 && c <= 79) || (c >= 170 && c <= 179) || (c >= 270 && c <= 289) ||
        (c >= 370 && c <= 389) || (c >= 400 && c <= 409) || c == 1070) {
        return RTSHORT;
    }
    if ((c >= 90 && c <= 99) || (c >= 420 && c <= 429) || (c >= 440 && c <= 459) || c == 1071) {
        return RTLONG;
    }
    if ((c >= 290 && c <= 299)) {
        return RTSHORT;
    }
    if (c == 310 || c == 1004) {
        return RTSTR;
    }
    return RTNONE;
}

struct resbuf* acutNewRb(int v) {
    resbuf* rb = static_cast<resbuf*>(calloc(1, sizeof(resbuf)));
    if (rb != nullptr) {
        rb->restype = (short)v;
    }
    return rb;
}

int acutRelRb(struct resbuf* rb) {
    while (rb != nullptr) {
        resbuf* next = rb->rbnext;
        if (acdbGroupCodeToType(rb->restype) == RTSTR) {
            free(rb->resval.rstring);
        }
        free(rb);
        rb = next;
    }
    return RTNORM;
}

struct resbuf* acutBuildList(int rtype, ...) {
    va_list args;
    va_start(args, rtype);
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    for (int code = rtype; code != 0 && code != RTNONE; code = va_arg(args, int)) {
        resbuf* rb = acutNewRb(code);
        if (rb == nullptr) {
            acutRelRb(head);
            va_end(args);
            return nullptr;
        }
        switch (acdbGroupCodeToType(code)) {
            case RTREAL:
                rb->resval.rreal = va_arg(args, double);
                break;
            case RTPOINT:
            case RT3DPOINT: {
                const double* p = va_arg(args, const double*);
                rb->resval.rpoint[0] = p[0];
                rb->resval.rpoint[1] = p[1];
                rb->resval.rpoint[2] = code == RTPOINT ? 0.0 : p[2];
                break;
            }
            case RTSHORT:
                rb->resval.rint = (short)va_arg(args, int);
                break;
            case RTLONG:
                rb->resval.rlong = (int32_t)va_arg(args, int);
                break;
            case RTSTR: {
                const char* s = va_arg(args, const char*);
                rb->resval.rstring = strdup(s != nullptr ? s : "");
                break;
            }
            case RTENAME: {
                const intptr_t* n = va_arg(args, const intptr_t*);
                rb->resval.rlname[0] = n[0];
                rb->resval.rlname[1] = n[1];
                break;
            }
            default:  // RTLB, RTLE, RTDOTE, RTNIL, RTT and -3 carry no value
                break;
        }
        if (tail == nullptr) {
            head = rb;
        } else {
            tail->rbnext = rb;
        }
        tail = rb;
    }
    va_end(args);
    return head;
}
