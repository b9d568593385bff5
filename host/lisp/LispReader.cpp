#include "lisp/LispReader.h"

#include "brevant/text.h"

#include <cerrno>
#include <cstdlib>

namespace brevant::host::lisp {

const char* readErrorText(ReadError error) {
    switch (error) {
        case ReadError::None:
            return "";
        case ReadError::MalformedList:
            return "; error: malformed list on input";
        case ReadError::ExtraRightParen:
            return "; error: extra right paren on input";
        case ReadError::MalformedString:
            return "; error: malformed string on input";
        case ReadError::MisplacedDot:
            return "; error: misplaced dot on input";
        case ReadError::TooDeep:
            return "; error: too many nested lists on input";
    }
    return "";
}

namespace {

bool isDelimiter(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '(' ||
           c == ')' || c == '"' || c == ';' || c == '\'';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// [sign] digits, or [sign] [digits] [. digits] [e [sign] digits] with a digit
// somewhere before the exponent.
bool isInteger(const std::string& token) {
    size_t i = (token[0] == '+' || token[0] == '-') ? 1 : 0;
    if (i == token.size()) {
        return false;
    }
    for (; i < token.size(); ++i) {
        if (!isDigit(token[i])) {
            return false;
        }
    }
    return true;
}

bool isReal(const std::string& token) {
    size_t i = (token[0] == '+' || token[0] == '-') ? 1 : 0;
    size_t digits = 0;
    while (i < token.size() && isDigit(token[i])) {
        ++i;
        ++digits;
    }
    if (i < token.size() && token[i] == '.') {
        ++i;
        while (i < token.size() && isDigit(token[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < token.size() && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
            ++i;
        }
        size_t exponentDigits = 0;
        while (i < token.size() && isDigit(token[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return false;
        }
    }
    return i == token.size();
}

class Reader {
public:
    explicit Reader(const std::string& line) : m_line(line) {}

    ReadError readAll(std::vector<Value>& expressions) {
        while (skipBlanks()) {
            if (m_line[m_pos] == ')') {
                return ReadError::ExtraRightParen;
            }
            Value value;
            bool dot = false;
            ReadError error = readExpression(value, 0, dot);
            if (error != ReadError::None) {
                return error;
            }
            if (dot) {
                return ReadError::MisplacedDot;
            }
            expressions.push_back(std::move(value));
        }
        return ReadError::None;
    }

private:
    // Steps over blanks and comments; false at the end of the line.
    bool skipBlanks() {
        while (m_pos < m_line.size()) {
            const char c = m_line[m_pos];
            if (c == ';') {
                skipComment();
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
                ++m_pos;
            } else {
                return true;
            }
        }
        return false;
    }

    // A comment: ";" to the end of the line, or ";|" to the next "|;", which
    // may be lines further on.
    void skipComment() {
        if (m_pos + 1 < m_line.size() && m_line[m_pos + 1] == '|') {
            const size_t end = m_line.find("|;", m_pos + 2);
            m_pos = end == std::string::npos ? m_line.size() : end + 2;
            return;
        }
        const size_t end = m_line.find('\n', m_pos);
        m_pos = end == std::string::npos ? m_line.size() : end + 1;
    }

    // One expression at m_pos (not a blank, not a closing parenthesis). A lone
    // dot is reported through isDot for the list reader to place.
    ReadError readExpression(Value& value, int depth, bool& isDot) {
        isDot = false;
        if (depth > kMaxDepth) {
            return ReadError::TooDeep;
        }
        const char c = m_line[m_pos];
        if (c == '(') {
            ++m_pos;
            return readList(value, depth + 1);
        }
        if (c == '\'') {
            ++m_pos;
            if (!skipBlanks()) {
                return ReadError::MalformedList;
            }
            if (m_line[m_pos] == ')') {
                return ReadError::ExtraRightParen;
            }
            Value quoted;
            bool dot = false;
            ReadError error = readExpression(quoted, depth + 1, dot);
            if (error != ReadError::None) {
                return error;
            }
            if (dot) {
                return ReadError::MisplacedDot;
            }
            value = Value::makeList({Value::makeSymbol("QUOTE"), std::move(quoted)});
            return ReadError::None;
        }
        if (c == '"') {
            ++m_pos;
            return readString(value);
        }
        const size_t start = m_pos;
        while (m_pos < m_line.size() && !isDelimiter(m_line[m_pos])) {
            ++m_pos;
        }
        const std::string token = m_line.substr(start, m_pos - start);
        if (token == ".") {
            isDot = true;
            return ReadError::None;
        }
        value = atom(token);
        return ReadError::None;
    }

    ReadError readList(Value& value, int depth) {
        std::vector<Value> items;
        bool dotted = false;
        bool cdrRead = false;
        while (true) {
            if (!skipBlanks()) {
                return ReadError::MalformedList;
            }
            if (m_line[m_pos] == ')') {
                ++m_pos;
                break;
            }
            if (cdrRead) {
                return ReadError::MisplacedDot;  // more than one item after the dot
            }
            Value item;
            bool dot = false;
            ReadError error = readExpression(item, depth, dot);
            if (error != ReadError::None) {
                return error;
            }
            if (dot) {
                if (items.empty() || dotted) {
                    return ReadError::MisplacedDot;
                }
                dotted = true;
                continue;
            }
            items.push_back(std::move(item));
            cdrRead = dotted;
        }
        if (dotted && !cdrRead) {
            return ReadError::MisplacedDot;
        }
        value = Value::makeList(std::move(items), dotted);
        return ReadError::None;
    }

    ReadError readString(Value& value) {
        std::string text;
        while (m_pos < m_line.size()) {
            char c = m_line[m_pos++];
            if (c == '"') {
                value = Value::makeString(std::move(text));
                return ReadError::None;
            }
            if (c != '\\') {
                text += c;
                continue;
            }
            if (m_pos >= m_line.size()) {
                break;
            }
            c = m_line[m_pos++];
            switch (c) {
                case 'n':
                    text += '\n';
                    break;
                case 't':
                    text += '\t';
                    break;
                case 'r':
                    text += '\r';
                    break;
                case 'e':
                    text += (char)27;
                    break;
                default:
                    if (c >= '0' && c <= '7') {
                        int code = c - '0';
                        for (int i = 0; i < 2 && m_pos < m_line.size() && m_line[m_pos] >= '0' &&
                                        m_line[m_pos] <= '7';
                             ++i) {
                            code = code * 8 + (m_line[m_pos++] - '0');
                        }
                        text += (char)(code & 0xFF);
                    } else {
                        text += c;  // \" \\ and any other character stand for themselves
                    }
            }
        }
        return ReadError::MalformedString;
    }

    static Value atom(const std::string& token) {
        if (isInteger(token)) {
            errno = 0;
            const long long parsed = strtoll(token.c_str(), nullptr, 10);
            if (errno == 0 && parsed >= INT32_MIN && parsed <= INT32_MAX) {
                return Value::makeInteger((int32_t)parsed);
            }
            return Value::makeReal(strtod(token.c_str(), nullptr));
        }
        if (isReal(token)) {
            return Value::makeReal(strtod(token.c_str(), nullptr));
        }
        if (brevant::text::sameText(token, "nil")) {
            return Value::nil();
        }
        if (brevant::text::sameText(token, "T")) {
            return Value::t();
        }
        return Value::makeSymbol(token);
    }

    const std::string& m_line;
    size_t m_pos = 0;
};

}  // namespace

ReadError readLine(const std::string& line, std::vector<Value>& expressions) {
    std::vector<Value> read;
    Reader reader(line);
    ReadError error = reader.readAll(read);
    if (error == ReadError::None) {
        expressions = std::move(read);
    }
    return error;
}

}  // namespace brevant::host::lisp
