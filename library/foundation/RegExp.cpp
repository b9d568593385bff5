#include "RegExp.h"

#include "Messages.h"

#include <cstdlib>
#include <cstring>

// The program is a sequence of nodes: an opcode byte, a signed 16-bit
// little-endian distance to the next node (0 for none; BACK counts
// backwards), then the operand. Nodes are named by their offset in the
// program; -1 names no node.
namespace {

enum : unsigned char {
    END = 0,      // end of the program: success
    BOL = 1,      // the start of the text
    EOL = 2,      // the end of the text
    ANY = 3,      // any one character
    ANYOF = 4,    // one character of the operand string
    ANYBUT = 5,   // one character not in the operand string
    BRANCH = 6,   // the operand's alternative, then the next node
    BACK = 7,     // nothing; next points backwards
    EXACTLY = 8,  // the operand string
    NOTHING = 9,  // the empty string
    STAR = 10,    // the operand node 0 or more times, greedily
    PLUS = 11,    // the operand node 1 or more times, greedily
    OPEN = 20,    // OPEN + n: start of group n
    CLOSE = 30,   // CLOSE + n: end of group n
};

// What a piece of the pattern is known to be.
enum {
    WORST = 0,     // nothing known
    HASWIDTH = 1,  // cannot match the empty string
    SIMPLE = 2,    // matches exactly one character
    SPSTART = 4,   // starts with a repetition
};

const char kMeta[] = "^$.[()|?*+\\";
const int kNodeSize = 3;

bool isRepeat(char c) {
    return c == '*' || c == '+' || c == '?';
}

}  // namespace

CRegExp::CRegExp()
    : m_bCompiling(false),
      m_bCompiled(false),
      m_pszMatch(NULL),
      m_cStart(0),
      m_bAnchored(false),
      m_pszMust(NULL),
      m_iMustLength(0),
      m_pProgram(NULL),
      m_pszParse(NULL),
      m_iGroups(0),
      m_iEmit(0),
      m_lSize(0),
      m_pszInput(NULL),
      m_pszTextStart(NULL),
      m_lSteps(0),
      m_lStepLimit(kDefaultStepLimit),
      m_bTooComplex(false) {
    for (int i = 0; i < NSUBEXP; i++) {
        m_apStart[i] = NULL;
        m_apEnd[i] = NULL;
    }
}

CRegExp::~CRegExp() {
    releaseProgram();
    free(m_pszMatch);
}

void CRegExp::releaseProgram() {
    free(m_pProgram);
    m_pProgram = NULL;
    m_lSize = 0;
    m_cStart = 0;
    m_bAnchored = false;
    m_pszMust = NULL;
    m_iMustLength = 0;
}

int CRegExp::getGroupStart(int iGroup) const {
    if (iGroup < 0 || iGroup >= NSUBEXP || m_apStart[iGroup] == NULL || m_pszMatch == NULL) {
        return -1;
    }
    return static_cast<int>(m_apStart[iGroup] - m_pszTextStart);
}

int CRegExp::getGroupEnd(int iGroup) const {
    if (iGroup < 0 || iGroup >= NSUBEXP || m_apEnd[iGroup] == NULL || m_pszMatch == NULL) {
        return -1;
    }
    return static_cast<int>(m_apEnd[iGroup] - m_pszTextStart);
}

// ---------------------------------------------------------------------------
// Compiling. The parser runs twice over the pattern: the sizing pass only adds
// up the program's size, then the program is allocated once and the emitting
// pass writes the nodes.

CRegExp* CRegExp::compile(LPCTSTR sPattern) {
    m_bCompiled = true;
    releaseProgram();
    if (sPattern == NULL) {
        return NULL;
    }

    int iFlags = WORST;
    m_bCompiling = false;
    m_pszParse = sPattern;
    m_iGroups = 1;
    m_iEmit = 0;
    m_lSize = 0;
    if (reg(false, &iFlags) < 0) {
        return NULL;
    }
    if (m_lSize > kMaximumProgramSize) {
        Pellam::Messages::trace("regexp too big\n");
        m_lSize = 0;
        return NULL;
    }

    m_pProgram = static_cast<unsigned char*>(calloc(static_cast<size_t>(m_lSize), 1));
    if (m_pProgram == NULL) {
        Pellam::Messages::trace("out of space\n");
        m_lSize = 0;
        return NULL;
    }
    m_bCompiling = true;
    m_pszParse = sPattern;
    m_iGroups = 1;
    m_iEmit = 0;
    if (reg(false, &iFlags) < 0) {
        releaseProgram();
        return NULL;
    }
    optimise(iFlags);
    return this;
}

// A pattern, or the inside of a group: alternatives separated by "|", each a
// BRANCH node followed by its pieces, all ending in one closing node.
int CRegExp::reg(bool bParenthesis, int* piFlags) {
    *piFlags = HASWIDTH;

    int iGroup = 0;
    int iResult = -1;
    if (bParenthesis) {
        if (m_iGroups >= NSUBEXP) {
            Pellam::Messages::traceFormat("Too many (). NSUBEXP is set to %d\n", NSUBEXP);
            return -1;
        }
        iGroup = m_iGroups++;
        iResult = regnode(static_cast<unsigned char>(OPEN + iGroup));
    }

    int iFlags = WORST;
    int iBranch = regbranch(&iFlags);
    if (iBranch < 0) {
        return -1;
    }
    if (iResult >= 0) {
        regtail(iResult, iBranch);
    } else {
        iResult = iBranch;
    }
    if (!(iFlags & HASWIDTH)) {
        *piFlags &= ~HASWIDTH;
    }
    *piFlags |= iFlags & SPSTART;
    while (*m_pszParse == '|') {
        m_pszParse++;
        iBranch = regbranch(&iFlags);
        if (iBranch < 0) {
            return -1;
        }
        regtail(iResult, iBranch);
        if (!(iFlags & HASWIDTH)) {
            *piFlags &= ~HASWIDTH;
        }
        *piFlags |= iFlags & SPSTART;
    }

    // The closing node, and every alternative's end linked to it.
    const int iEnder = regnode(static_cast<unsigned char>(bParenthesis ? CLOSE + iGroup : END));
    regtail(iResult, iEnder);
    for (int iNode = iResult; iNode >= 0; iNode = regnext(iNode)) {
        regoptail(iNode, iEnder);
    }

    if (bParenthesis) {
        if (*m_pszParse++ != ')') {
            Pellam::Messages::trace("unterminated ()\n");
            return -1;
        }
    } else if (*m_pszParse != '\0') {
        if (*m_pszParse == ')') {
            Pellam::Messages::trace("unmatched ()\n");
        } else {
            Pellam::Messages::trace("internal error: junk on end\n");
        }
        return -1;
    }
    return iResult;
}

// One alternative: a BRANCH node, then its pieces in a row. An empty
// alternative matches the empty string.
int CRegExp::regbranch(int* piFlags) {
    *piFlags = WORST;
    const int iResult = regnode(BRANCH);
    int iChain = -1;
    while (*m_pszParse != '\0' && *m_pszParse != '|' && *m_pszParse != ')') {
        int iFlags = WORST;
        const int iLatest = regpiece(&iFlags);
        if (iLatest < 0) {
            return -1;
        }
        *piFlags |= iFlags & HASWIDTH;
        if (iChain < 0) {
            *piFlags |= iFlags & SPSTART;
        } else {
            regtail(iChain, iLatest);
        }
        iChain = iLatest;
    }
    if (iChain < 0) {
        regnode(NOTHING);
    }
    return iResult;
}

// An atom with an optional "*", "+" or "?". A repeated single-character
// atom gets a STAR or PLUS node; anything else becomes a loop of branches.
int CRegExp::regpiece(int* piFlags) {
    int iFlags = WORST;
    const int iResult = regatom(&iFlags);
    if (iResult < 0) {
        return -1;
    }
    const char cOperator = *m_pszParse;
    if (!isRepeat(cOperator)) {
        *piFlags = iFlags;
        return iResult;
    }
    if (!(iFlags & HASWIDTH) && cOperator != '?') {
        Pellam::Messages::trace("*+ operand could be empty\n");
        return -1;
    }
    if (cOperator == '*') {
        *piFlags = WORST | SPSTART;
    } else if (cOperator == '+') {
        *piFlags = WORST | HASWIDTH | SPSTART;
    } else {
        *piFlags = WORST;
    }

    if (cOperator == '*' && (iFlags & SIMPLE)) {
        reginsert(STAR, iResult);
    } else if (cOperator == '*') {
        // BRANCH x BACK, BRANCH NOTHING: repetition first, the empty way last.
        reginsert(BRANCH, iResult);
        regoptail(iResult, regnode(BACK));
        regoptail(iResult, iResult);
        regtail(iResult, regnode(BRANCH));
        regtail(iResult, regnode(NOTHING));
    } else if (cOperator == '+' && (iFlags & SIMPLE)) {
        reginsert(PLUS, iResult);
    } else if (cOperator == '+') {
        // x, then BRANCH BACK to x, BRANCH NOTHING.
        const int iNext = regnode(BRANCH);
        regtail(iResult, iNext);
        regtail(regnode(BACK), iResult);
        regtail(iNext, regnode(BRANCH));
        regtail(iResult, regnode(NOTHING));
    } else {
        // BRANCH x, BRANCH NOTHING.
        reginsert(BRANCH, iResult);
        regtail(iResult, regnode(BRANCH));
        const int iNext = regnode(NOTHING);
        regtail(iResult, iNext);
        regoptail(iResult, iNext);
    }
    m_pszParse++;
    if (isRepeat(*m_pszParse)) {
        Pellam::Messages::trace("nested *?+\n");
        return -1;
    }
    return iResult;
}

int CRegExp::regatom(int* piFlags) {
    *piFlags = WORST;
    int iResult = -1;
    switch (*m_pszParse++) {
        case '^':
            iResult = regnode(BOL);
            break;
        case '$':
            iResult = regnode(EOL);
            break;
        case '.':
            iResult = regnode(ANY);
            *piFlags |= HASWIDTH | SIMPLE;
            break;
        case '[': {
            if (*m_pszParse == '^') {
                iResult = regnode(ANYBUT);
                m_pszParse++;
            } else {
                iResult = regnode(ANYOF);
            }
            if (*m_pszParse == ']' || *m_pszParse == '-') {
                regc(*m_pszParse++);
            }
            while (*m_pszParse != '\0' && *m_pszParse != ']') {
                if (*m_pszParse != '-') {
                    regc(*m_pszParse++);
                    continue;
                }
                m_pszParse++;
                if (*m_pszParse == ']' || *m_pszParse == '\0') {
                    regc('-');
                    continue;
                }
                // A range: the character before the minus has been stored
                // already; the rest follow up to the last, as signed bytes.
                const int iFirst = static_cast<signed char>(m_pszParse[-2]);
                const int iLast = static_cast<signed char>(m_pszParse[0]);
                if (iFirst > iLast) {
                    Pellam::Messages::trace("invalid [] range\n");
                    return -1;
                }
                for (int iChar = iFirst + 1; iChar <= iLast; iChar++) {
                    // The zero byte would end the operand string early.
                    if (iChar != 0) {
                        regc(static_cast<char>(iChar));
                    }
                }
                m_pszParse++;
            }
            regc('\0');
            if (*m_pszParse != ']') {
                Pellam::Messages::trace("unmatched []\n");
                return -1;
            }
            m_pszParse++;
            *piFlags |= HASWIDTH | SIMPLE;
            break;
        }
        case '(': {
            int iFlags = WORST;
            iResult = reg(true, &iFlags);
            if (iResult < 0) {
                return -1;
            }
            *piFlags |= iFlags & (HASWIDTH | SPSTART);
            break;
        }
        case '\0':
        case '|':
        case ')':
            // Caught by the callers before an atom is asked for.
            Pellam::Messages::trace("internal error: \\0|) unexpected\n");
            return -1;
        case '?':
        case '+':
        case '*':
            Pellam::Messages::trace("?+* follows nothing\n");
            return -1;
        case '\\':
            if (*m_pszParse == '\0') {
                Pellam::Messages::trace("trailing \\\n");
                return -1;
            }
            iResult = regnode(EXACTLY);
            regc(*m_pszParse++);
            regc('\0');
            *piFlags |= HASWIDTH | SIMPLE;
            break;
        default: {
            // A run of ordinary characters; before a repetition operator its
            // last character is left for an atom of its own.
            m_pszParse--;
            size_t uLength = strcspn(m_pszParse, kMeta);
            if (uLength == 0) {
                Pellam::Messages::trace("internal error: strcspn 0\n");
                return -1;
            }
            if (uLength > 1 && isRepeat(m_pszParse[uLength])) {
                uLength--;
            }
            *piFlags |= HASWIDTH;
            if (uLength == 1) {
                *piFlags |= SIMPLE;
            }
            iResult = regnode(EXACTLY);
            while (uLength-- > 0) {
                regc(*m_pszParse++);
            }
            regc('\0');
            break;
        }
    }
    return iResult;
}

int CRegExp::regnode(unsigned char cOpcode) {
    const int iResult = m_iEmit;
    if (!m_bCompiling) {
        m_lSize += kNodeSize;
        return iResult;
    }
    m_pProgram[m_iEmit] = cOpcode;
    m_pProgram[m_iEmit + 1] = 0;
    m_pProgram[m_iEmit + 2] = 0;
    m_iEmit += kNodeSize;
    return iResult;
}

void CRegExp::regc(char c) {
    if (!m_bCompiling) {
        m_lSize++;
        return;
    }
    m_pProgram[m_iEmit++] = static_cast<unsigned char>(c);
}

// Moves the nodes from iOperand onwards up and puts a new node in front.
void CRegExp::reginsert(unsigned char cOpcode, int iOperand) {
    if (!m_bCompiling) {
        m_lSize += kNodeSize;
        return;
    }
    memmove(m_pProgram + iOperand + kNodeSize, m_pProgram + iOperand,
            static_cast<size_t>(m_iEmit - iOperand));
    m_iEmit += kNodeSize;
    m_pProgram[iOperand] = cOpcode;
    m_pProgram[iOperand + 1] = 0;
    m_pProgram[iOperand + 2] = 0;
}

// Links the last node of the chain that starts at iNode to iValue.
void CRegExp::regtail(int iNode, int iValue) {
    if (!m_bCompiling || iNode < 0) {
        return;
    }
    int iScan = iNode;
    for (int iTemp = regnext(iScan); iTemp >= 0; iTemp = regnext(iScan)) {
        iScan = iTemp;
    }
    const int iOffset = (m_pProgram[iScan] == BACK) ? iScan - iValue : iValue - iScan;
    const unsigned int uOffset = static_cast<unsigned int>(static_cast<short>(iOffset));
    m_pProgram[iScan + 1] = static_cast<unsigned char>(uOffset & 0xff);
    m_pProgram[iScan + 2] = static_cast<unsigned char>((uOffset >> 8) & 0xff);
}

// regtail on the operand of a BRANCH node; nothing for other nodes.
void CRegExp::regoptail(int iNode, int iValue) {
    if (!m_bCompiling || iNode < 0 || m_pProgram[iNode] != BRANCH) {
        return;
    }
    regtail(iNode + kNodeSize, iValue);
}

// With a single top-level alternative: the first character every match
// begins with, whether matches are anchored at the start, and the longest
// literal every match contains when the pattern starts with a repetition.
void CRegExp::optimise(int iFlags) {
    m_cStart = 0;
    m_bAnchored = false;
    m_pszMust = NULL;
    m_iMustLength = 0;

    const int iNext = regnext(0);
    if (iNext < 0 || m_pProgram[iNext] != END) {
        return;
    }
    int iScan = kNodeSize;  // the first node of the only alternative
    if (m_pProgram[iScan] == EXACTLY) {
        m_cStart = static_cast<char>(m_pProgram[iScan + kNodeSize]);
    } else if (m_pProgram[iScan] == BOL) {
        m_bAnchored = true;
    }
    if (iFlags & SPSTART) {
        const char* pszLongest = NULL;
        size_t uLength = 0;
        for (; iScan >= 0; iScan = regnext(iScan)) {
            if (m_pProgram[iScan] != EXACTLY) {
                continue;
            }
            const char* pszOperand = reinterpret_cast<const char*>(m_pProgram + iScan + kNodeSize);
            if (strlen(pszOperand) >= uLength) {
                pszLongest = pszOperand;
                uLength = strlen(pszOperand);
            }
        }
        m_pszMust = pszLongest;
        m_iMustLength = static_cast<int>(uLength);
    }
}

// ---------------------------------------------------------------------------
// Executing.

// The node that iNode links to; -1 when there is none or the link leads
// outside the program.
int CRegExp::regnext(int iNode) const {
    if (m_pProgram == NULL || iNode < 0 || iNode + kNodeSize > m_lSize) {
        return -1;
    }
    const int iOffset = static_cast<short>(
        static_cast<unsigned short>(m_pProgram[iNode + 1] | (m_pProgram[iNode + 2] << 8)));
    if (iOffset == 0) {
        return -1;
    }
    const int iNext = (m_pProgram[iNode] == BACK) ? iNode - iOffset : iNode + iOffset;
    if (iNext < 0 || iNext >= m_lSize) {
        return -1;
    }
    return iNext;
}

int CRegExp::regexec(LPCTSTR sText) {
    free(m_pszMatch);
    m_pszMatch = NULL;

    if (sText == NULL) {
        Pellam::Messages::trace("NULL argument to regexec\n");
        return -1;
    }
    if (!m_bCompiled) {
        Pellam::Messages::trace("No regular expression provided yet.\n");
        return -1;
    }
    if (m_pProgram == NULL) {
        Pellam::Messages::trace("corrupted pointers\n");
        return -1;
    }
    if (m_pszMust != NULL && strstr(sText, m_pszMust) == NULL) {
        return -1;
    }

    m_pszTextStart = sText;
    m_bTooComplex = false;
    m_lSteps = 0;
    LPCTSTR pszFound = NULL;
    if (m_bAnchored) {
        if (regtry(sText)) {
            pszFound = sText;
        }
    } else if (m_cStart != 0) {
        for (LPCTSTR pszTry = strchr(sText, m_cStart); pszTry != NULL && !m_bTooComplex;
             pszTry = strchr(pszTry + 1, m_cStart)) {
            if (regtry(pszTry)) {
                pszFound = pszTry;
                break;
            }
        }
    } else {
        LPCTSTR pszTry = sText;
        do {
            if (regtry(pszTry)) {
                pszFound = pszTry;
                break;
            }
        } while (*pszTry++ != '\0' && !m_bTooComplex);
    }
    if (m_bTooComplex) {
        Pellam::Messages::trace("regexp too complex\n");
        return -1;
    }
    if (pszFound == NULL) {
        return -1;
    }

    const size_t uLength = static_cast<size_t>(m_apEnd[0] - m_apStart[0]);
    m_pszMatch = static_cast<char*>(malloc(uLength + 1));
    if (m_pszMatch == NULL) {
        return -1;
    }
    memcpy(m_pszMatch, m_apStart[0], uLength);
    m_pszMatch[uLength] = '\0';
    return static_cast<int>(pszFound - sText);
}

bool CRegExp::regtry(LPCTSTR pszStart) {
    m_pszInput = pszStart;
    for (int i = 0; i < NSUBEXP; i++) {
        m_apStart[i] = NULL;
        m_apEnd[i] = NULL;
    }
    if (!regmatch(0)) {
        return false;
    }
    m_apStart[0] = pszStart;
    m_apEnd[0] = m_pszInput;
    return true;
}

bool CRegExp::countStep() {
    if (++m_lSteps > m_lStepLimit) {
        m_bTooComplex = true;
        return false;
    }
    return true;
}

// Runs the program from iNode at the input position, depth first with
// backtracking: true when the rest of the program matches. The choices still
// open (alternatives not yet tried, repetition counts not yet tried) and the
// groups whose bounds wait for the rest to match are kept on m_vectorStack, on
// the heap, so a long text takes memory, bounded by the step limit, and never
// the program's stack. Trying the rest from a node is one step, as a call of
// the matcher would be; past the step limit the whole search gives up.
bool CRegExp::regmatch(int iNode) {
    m_vectorStack.clear();
    int iScan = iNode;
    if (!countStep()) {
        return false;
    }
    for (;;) {
        if (matchForward(iScan)) {
            // The rest matched: the groups take their bounds, the innermost
            // waiting one first, each bound only once.
            for (auto it = m_vectorStack.rbegin(); it != m_vectorStack.rend(); ++it) {
                const unsigned char cOpcode = m_pProgram[it->iNode];
                if (cOpcode > OPEN && cOpcode < OPEN + NSUBEXP) {
                    if (m_apStart[cOpcode - OPEN] == NULL) {
                        m_apStart[cOpcode - OPEN] = it->pszSave;
                    }
                } else if (cOpcode > CLOSE && cOpcode < CLOSE + NSUBEXP) {
                    if (m_apEnd[cOpcode - CLOSE] == NULL) {
                        m_apEnd[cOpcode - CLOSE] = it->pszSave;
                    }
                }
            }
            return true;
        }
        if (m_bTooComplex || !backtrack(iScan)) {
            return false;
        }
    }
}

// Walks the nodes from iScan along their next links until the program's end
// (true) or a node that does not match (false). Every choice made on the way
// is pushed on the stack for backtrack to revisit.
bool CRegExp::matchForward(int iScan) {
    while (iScan >= 0 && iScan + kNodeSize <= m_lSize) {
        const int iNext = regnext(iScan);
        const unsigned char cOpcode = m_pProgram[iScan];
        const char* pszOperand = reinterpret_cast<const char*>(m_pProgram + iScan + kNodeSize);
        switch (cOpcode) {
            case BOL:
                if (m_pszInput != m_pszTextStart) {
                    return false;
                }
                break;
            case EOL:
                if (*m_pszInput != '\0') {
                    return false;
                }
                break;
            case ANY:
                if (*m_pszInput == '\0') {
                    return false;
                }
                m_pszInput++;
                break;
            case EXACTLY: {
                if (*pszOperand != *m_pszInput) {
                    return false;
                }
                const size_t uLength = strlen(pszOperand);
                if (uLength > 1 && strncmp(pszOperand, m_pszInput, uLength) != 0) {
                    return false;
                }
                m_pszInput += uLength;
                break;
            }
            case ANYOF:
                if (*m_pszInput == '\0' || strchr(pszOperand, *m_pszInput) == NULL) {
                    return false;
                }
                m_pszInput++;
                break;
            case ANYBUT:
                if (*m_pszInput == '\0' || strchr(pszOperand, *m_pszInput) != NULL) {
                    return false;
                }
                m_pszInput++;
                break;
            case NOTHING:
            case BACK:
                break;
            case BRANCH:
                if (iNext < 0 || m_pProgram[iNext] != BRANCH) {
                    // A lone branch: no choice to make.
                    iScan += kNodeSize;
                    continue;
                }
                // The first alternative now, the others when it fails.
                m_vectorStack.push_back({iScan, 0, m_pszInput});
                if (!countStep()) {
                    return false;
                }
                iScan += kNodeSize;
                continue;
            case STAR:
            case PLUS: {
                // Count how often the operand matches here, then try the rest
                // after each count from the most down to the least, skipping
                // counts where the next literal cannot follow.
                Choice choice = {iScan, 0, m_pszInput};
                choice.iCount = regrepeat(iScan + kNodeSize);
                if (!nextRepeatCount(choice)) {
                    return false;
                }
                m_vectorStack.push_back(choice);
                if (!countStep()) {
                    return false;
                }
                break;
            }
            case END:
                return true;
            default:
                if ((cOpcode > OPEN && cOpcode < OPEN + NSUBEXP) ||
                    (cOpcode > CLOSE && cOpcode < CLOSE + NSUBEXP)) {
                    // The group's bound is the position here, once the rest
                    // has matched.
                    m_vectorStack.push_back({iScan, 0, m_pszInput});
                    if (!countStep()) {
                        return false;
                    }
                    break;
                }
                Pellam::Messages::trace("regexp corruption\n");
                return false;
        }
        iScan = iNext;
    }
    // The chain ended without reaching END.
    Pellam::Messages::trace("corrupted pointers\n");
    return false;
}

// Of the repetition counts from choice.iCount down to the least the node
// allows, the first after which the next node's literal can follow: the input
// is put there and true returned; false when no count is left.
bool CRegExp::nextRepeatCount(Choice& choice) {
    const int iNext = regnext(choice.iNode);
    const char cNext = (iNext >= 0 && m_pProgram[iNext] == EXACTLY)
                           ? static_cast<char>(m_pProgram[iNext + kNodeSize])
                           : '\0';
    const int iMinimum = (m_pProgram[choice.iNode] == STAR) ? 0 : 1;
    for (; choice.iCount >= iMinimum; choice.iCount--) {
        m_pszInput = choice.pszSave + choice.iCount;
        if (cNext == '\0' || *m_pszInput == cNext) {
            return true;
        }
    }
    return false;
}

// Goes back to the latest choice with a way left untried, drops every later
// one, and gives in iScan the node to go on from with the input put back.
// False when no way is left.
bool CRegExp::backtrack(int& iScan) {
    while (!m_vectorStack.empty()) {
        Choice& choice = m_vectorStack.back();
        const unsigned char cOpcode = m_pProgram[choice.iNode];
        if (cOpcode == BRANCH) {
            const int iAlternative = regnext(choice.iNode);
            if (iAlternative >= 0 && m_pProgram[iAlternative] == BRANCH) {
                choice.iNode = iAlternative;
                m_pszInput = choice.pszSave;
                iScan = iAlternative + kNodeSize;
                return countStep();
            }
        } else if (cOpcode == STAR || cOpcode == PLUS) {
            choice.iCount--;
            if (nextRepeatCount(choice)) {
                iScan = regnext(choice.iNode);
                return countStep();
            }
        }
        // A group waiting for the rest fails with it.
        m_vectorStack.pop_back();
    }
    return false;
}

// How often the single-character node iNode matches from the input position
// on; the input is left after the last of them.
int CRegExp::regrepeat(int iNode) {
    int iCount = 0;
    LPCTSTR pszScan = m_pszInput;
    const char* pszOperand = reinterpret_cast<const char*>(m_pProgram + iNode + kNodeSize);
    switch (m_pProgram[iNode]) {
        case ANY:
            iCount = static_cast<int>(strlen(pszScan));
            pszScan += iCount;
            break;
        case EXACTLY:
            while (*pszOperand == *pszScan) {
                iCount++;
                pszScan++;
            }
            break;
        case ANYOF:
            while (*pszScan != '\0' && strchr(pszOperand, *pszScan) != NULL) {
                iCount++;
                pszScan++;
            }
            break;
        case ANYBUT:
            while (*pszScan != '\0' && strchr(pszOperand, *pszScan) == NULL) {
                iCount++;
                pszScan++;
            }
            break;
        default:
            Pellam::Messages::trace("internal error: bad call of regrepeat\n");
            break;
    }
    m_pszInput = pszScan;
    return iCount;
}
