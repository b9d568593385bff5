// A small regular-expression matcher for single-byte, zero-terminated text.
// A pattern is compiled into a program of nodes, which a backtracking matcher
// runs against a text. Bytes are compared exactly (case matters).
//
// Syntax: alternatives separated by "|"; pieces of an atom and an optional
// "*", "+" or "?"; atoms "(...)" (groups 1 to 9), "^", "$", ".", "[...]"
// (with "^" for negation and ranges such as a-z), "\c" for the character c,
// or a run of ordinary characters.
#pragma once

#include <afx.h>

#include <vector>

#define NSUBEXP 10

class CRegExp {
public:
    CRegExp();
    ~CRegExp();
    CRegExp(const CRegExp&) = delete;
    CRegExp& operator=(const CRegExp&) = delete;

    // This object when the pattern compiled; NULL after a trace naming the
    // error. A NULL pattern fails without a trace.
    CRegExp* compile(LPCTSTR sPattern);
    // The offset in sText at which the leftmost match begins; -1 when there is
    // none or on error.
    int regexec(LPCTSTR sText);
    bool matches(LPCTSTR sText) { return regexec(sText) != -1; }

    // The text of the last match; NULL when the last regexec found none.
    LPCTSTR getMatch() const { return m_pszMatch; }
    // Offsets of group iGroup (0: the whole match) in the text of the last
    // successful regexec, while that text lives; -1 when the group is unset.
    int getGroupStart(int iGroup) const;
    int getGroupEnd(int iGroup) const;

    // The program's next links are signed 16-bit distances, so a program
    // holds at most this many bytes.
    static const long kMaximumProgramSize = 32767;

    // A regexec gives up (no match, with the trace "regexp too complex\n")
    // rather than take more steps than the limit, which patterns whose
    // repetitions nest would otherwise need by the billion. A step is one
    // try of the rest of the program from a node: an alternative, a
    // repetition count, a group. The length of the text is no limit.
    static const long kDefaultStepLimit = 10000000;
    void setStepLimit(long lSteps) { m_lStepLimit = lSteps; }

private:
    // Compiling.
    int reg(bool bParenthesis, int* piFlags);
    int regbranch(int* piFlags);
    int regpiece(int* piFlags);
    int regatom(int* piFlags);
    int regnode(unsigned char cOpcode);
    void regc(char c);
    void reginsert(unsigned char cOpcode, int iOperand);
    void regtail(int iNode, int iValue);
    void regoptail(int iNode, int iValue);
    void optimise(int iFlags);
    // Executing.
    // A choice the matcher made and may revisit, or a group waiting for the
    // rest of the program to match: the node (BRANCH, STAR, PLUS, OPEN n or
    // CLOSE n), the repetition count being tried, the input position when
    // the node was reached.
    struct Choice {
        int iNode;
        int iCount;
        LPCTSTR pszSave;
    };
    int regnext(int iNode) const;
    bool regtry(LPCTSTR pszStart);
    bool regmatch(int iNode);
    bool matchForward(int iScan);
    bool nextRepeatCount(Choice& choice);
    bool backtrack(int& iScan);
    bool countStep();
    int regrepeat(int iNode);
    void releaseProgram();

    bool m_bCompiling;
    bool m_bCompiled;
    char* m_pszMatch;
    LPCTSTR m_apStart[NSUBEXP];
    LPCTSTR m_apEnd[NSUBEXP];
    char m_cStart;
    bool m_bAnchored;
    const char* m_pszMust;
    int m_iMustLength;
    unsigned char* m_pProgram;
    // Working state of compile.
    LPCTSTR m_pszParse;
    int m_iGroups;
    int m_iEmit;
    long m_lSize;
    // Working state of regexec.
    LPCTSTR m_pszInput;
    LPCTSTR m_pszTextStart;
    long m_lSteps;
    long m_lStepLimit;
    bool m_bTooComplex;
    std::vector<Choice> m_vectorStack;
};
