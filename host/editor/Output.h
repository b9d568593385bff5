// Inside the host: the editor's own messages, and output that only the
// transcript records.
#pragma once

#include <string>

namespace brevant::host {

// A line a person typed at a terminal: the terminal shows it already, the
// transcript and the TRANSCRIPT file record it.
void recordInput(const std::string& text);

// A message of the editor, on a line of its own.
void say(const std::string& text);

}  // namespace brevant::host
