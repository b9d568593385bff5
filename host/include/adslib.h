// The LISP interface, command-line output, system variables, value lists,
// entity lists and selection sets.
#pragma once

#include "adscodes.h"

// Command line. Everything printed reaches the editor's output and its transcript.
int acutPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Value lists. acutBuildList takes pairs of a code and its value, ended by 0
// (RTNONE ends as well); a code of RTLB/RTLE/RTDOTE takes no value.
struct resbuf* acutBuildList(int rtype, ...);
struct resbuf* acutNewRb(int v);
int acutRelRb(struct resbuf* rb);

// LISP functions of the current document.
int acedDefun(const char* pszName, short nFuncNum);
int acedUndef(const char* pszName, short nFuncNum);
int acedRegFunc(int (*fhdl)(void), int fcode);
int acedGetFunCode(void);
struct resbuf* acedGetArgs(void);
int acedRetInt(int ival);
int acedRetReal(ads_real rval);
int acedRetPoint(const ads_point pt);
int acedRetStr(const char* s);
int acedRetName(const ads_name aname, int type);
int acedRetVal(const struct resbuf* rbuf);
int acedRetList(const struct resbuf* rbuf);
int acedRetNil(void);
int acedRetT(void);
int acedRetVoid(void);

// System variables.
int acedGetVar(const char* sym, struct resbuf* result);
int acedSetVar(const char* sym, const struct resbuf* val);

// Entity lists and selection sets of the working database.
int acdbEntNext(const ads_name ent, ads_name result);
int acdbEntLast(ads_name result);
struct resbuf* acdbEntGet(const ads_name ent);
struct resbuf* acdbEntGetX(const ads_name ent, const struct resbuf* args);
int acdbHandEnt(const char* handle, ads_name entres);
struct resbuf* acdbTblSearch(const char* tblname, const char* sym, int setnext);
struct resbuf* acdbTblNext(const char* tblname, int rewind);
int acedSSGet(const char* str, const void* pt1, const void* pt2, const struct resbuf* filter,
              ads_name ss);
int acedSSFree(const ads_name sname);
int acedSSLength(const ads_name sname, int32_t* len);
int acedSSName(const ads_name ss, int32_t i, ads_name entres);
