// Writing the drawing information file of one drawing without an editor
// session: the drawing is read into a database of its own, made the working
// database, and the module's library builds and writes its .din exactly as
// the module does when the drawing is saved in the editor. The drawing, its
// history and its lock are never touched; what the library changes in the
// database (an old title migrated into the summary information) stays in
// memory.
#pragma once

#include <string>

namespace brevant::tools {

// Puts the module's library in the state the module gives it when it loads
// (application name "Brevant", debug level 0), as if it were the module file
// sModuleFile: its install folder is where the standard settings and, by
// default, the domain settings are found. The editor's command-line output is
// kept from the standard output; what the library prints is taken per drawing.
void startHeadlessLibrary(const std::string& sModuleFile);

enum class IndexOutcome {
    Written,    // the .din was written and differs from the one before (or is new)
    Unchanged,  // the .din was written; apart from its time line it is as before
    Failed,     // nothing was written; the reason says why
};

struct IndexResult {
    IndexOutcome outcome = IndexOutcome::Failed;
    std::string sReason;  // for Failed: one line, naming the file
};

// Indexes the drawing sDrawing (a full Windows path, the name the .din will
// carry). A drawing that cannot be read, is not a drawing, or whose .din
// cannot be written fails with its reason; the previous .din then stays whole.
IndexResult indexDrawing(const std::string& sDrawing);

// The drawing information file of a drawing: its docinfo folder, title, "-",
// extension, ".din".
std::string dinFileOf(const std::string& sDrawing);

// The two texts are the same drawing information apart from the time line
// ("# written at: ...").
bool sameApartFromTimeLine(const std::string& sBefore, const std::string& sAfter);

}  // namespace brevant::tools
