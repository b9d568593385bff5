// The prompt at a terminal, through libedit: the line is edited in place
// (arrows, Home, End, Backspace, ...), the session's lines come back with the
// up and down arrows, and Tab completes command names at the start of a line
// and LISP names after an opening parenthesis (elsewhere, file names).
#pragma once

#include "brevant/editor.h"

class TerminalLineSource : public brevant::host::LineSource {
public:
    TerminalLineSource();
    TerminalLineSource(const TerminalLineSource&) = delete;
    TerminalLineSource& operator=(const TerminalLineSource&) = delete;

    bool readLine(const std::string& prompt, std::string& line, bool& tooLong) override;
    bool showsPrompt() const override { return true; }
    bool showsLine() const override { return true; }
};
