#include "LineEditor.h"

#include "brevant/text.h"

#include <editline/readline.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_matches;
size_t g_nextMatch = 0;

// The candidates that begin with the typed text, without regard to letter
// case, each once and sorted.
void collectMatches(const std::vector<std::string>& words, const char* text) {
    g_matches.clear();
    g_nextMatch = 0;
    for (const std::string& word : words) {
        if (brevant::text::startsWithNoCase(word, text)) {
            g_matches.push_back(word);
        }
    }
    std::sort(g_matches.begin(), g_matches.end());
    g_matches.erase(std::unique(g_matches.begin(), g_matches.end()), g_matches.end());
}

// The generator libedit calls for one match after another; NULL after the last.
char* nextMatch(const char*, int) {
    return g_nextMatch < g_matches.size() ? strdup(g_matches[g_nextMatch++].c_str()) : nullptr;
}

// A LISP name after an opening parenthesis anywhere before the word, a
// command as the line's first word; otherwise libedit completes a file name.
char** complete(const char* text, int start, int) {
    const std::string before(rl_line_buffer, (size_t)start);
    if (before.find('(') != std::string::npos) {
        collectMatches(brevant::host::lispWords(), text);
    } else if (brevant::text::trimmed(before).empty()) {
        collectMatches(brevant::host::commandWords(), text);
    } else {
        return nullptr;
    }
    rl_attempted_completion_over = 1;
    return rl_completion_matches(text, nextMatch);
}

}  // namespace

TerminalLineSource::TerminalLineSource() {
    rl_readline_name = "brevant-editor";  // its section of ~/.editrc
    rl_catch_signals = 0;                 // Ctrl-C belongs to the editor
    rl_basic_word_break_characters = " \t\n\"'();";
    rl_attempted_completion_function = complete;
    using_history();
}

bool TerminalLineSource::readLine(const std::string& prompt, std::string& line, bool& tooLong) {
    char* typed = readline(prompt.c_str());
    if (typed == nullptr) {
        return false;
    }
    line = typed;
    free(typed);
    tooLong = line.size() > brevant::host::kMaxLineLength;
    if (tooLong) {
        line.clear();
    } else if (!brevant::text::trimmed(line).empty()) {
        const HIST_ENTRY* last =
            history_length > 0 ? history_get(history_base + history_length - 1) : nullptr;
        if (last == nullptr || line != last->line) {
            add_history(line.c_str());
        }
    }
    return true;
}
