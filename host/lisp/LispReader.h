// Inside the host: the reader of the LISP interpreter, which turns a line typed
// at the command line into expressions.
#pragma once

#include "lisp/LispValue.h"

#include <string>
#include <vector>

namespace brevant::host::lisp {

enum class ReadError {
    None,
    MalformedList,    // a list without its closing parenthesis
    ExtraRightParen,  // a closing parenthesis without its list
    MalformedString,  // a text without its closing double quote
    MisplacedDot,     // a dot that is not the second-last item of a list
    TooDeep,          // lists nested deeper than kMaxDepth
};

// The interpreter's message for a read error, for example
// "; error: malformed list on input".
const char* readErrorText(ReadError error);

// Reads every expression of the text (a line typed at the command line, or a
// whole .lsp file), in order. Integers that fit 32 bits are
// integers, other numbers reals; texts take the escapes \" \\ \n \t \r \e and
// \nnn (octal); nil and T are read as their values whatever their letter case;
// 'x stands for (QUOTE x); a semicolon starts a comment to the end of the
// line, ";|" one to the next "|;". On an error nothing is returned and the
// error says why.
ReadError readLine(const std::string& line, std::vector<Value>& expressions);

}  // namespace brevant::host::lisp
