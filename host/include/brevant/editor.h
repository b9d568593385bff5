// The simulated editor's own controls, which the editor's programming
// interface does not have: the session and its command line, the transcript,
// documents by file name, modules linked into the program, and LISP calls for
// tests. The editor program and the tests use it; a module does not.
//
// Settings read by the editor (brevant/platform.h: the environment variable
// BREVANT_<name> or the configuration file):
//   TRANSCRIPT    a file (Windows or Linux path) to which everything printed on
//                 the command line is appended, as the editor's log file.
//   LISPDISPATCH  "direct" (the default): a LISP function bound with
//                 acedRegFunc is called directly; "invoke": every LISP function
//                 is reached through the invoke message to its module's entry
//                 point, with acedGetFunCode giving its code.
// The platform's settings apply as well (DRIVES, REGISTRY_DIR, CLOCK, ...).
#pragma once

#include "rxregsvc.h"

#include <istream>
#include <string>
#include <vector>

class AcApDocument;

namespace brevant::host {

// ---- Command-line output ----------------------------------------------------

// Prints on the command line: to the standard output (unless turned off), into
// the transcript, and into the TRANSCRIPT file when one is set. acutPrintf
// prints through this.
void print(const std::string& text);
// Ends the current output line, unless nothing is printed on it yet.
void endLine();
// Everything printed since the start (or since clearTranscript).
const std::string& transcript();
void clearTranscript();
// Tests turn the standard output off; the transcript records all the same.
void setConsoleOutput(bool on);

// ---- The session --------------------------------------------------------------

// On the first start of the editor (values missing), writes the registry values
// that an installation of the editor leaves:
//   HKEY_LOCAL_MACHINE SOFTWARE\Autodesk\AutoCAD            "CurVer" = "R15.0"
//   HKEY_LOCAL_MACHINE SOFTWARE\Autodesk\AutoCAD\R15.0      "CurVer" = "ACAD-1:409"
//   HKEY_CURRENT_USER  Software\Autodesk\AutoCAD\R15.0\ACAD-1:409\Profiles
//                      default value "<<Unnamed Profile>>", and that profile's key.
// Values already there are left as they are. False (and the reason) when a
// value could not be written.
bool writeInstallationDefaults(std::string& error);

// Runs one command line as a person types it, without prompt or echo: a
// command of editorCommands() or a LISP expression. False when the command
// failed; the reason has been printed.
bool runCommand(const std::string& line);

// A command of the command line as HELP lists it: its name, the other names
// it answers to, how it is typed, and one line of what it does.
struct EditorCommand {
    std::string name;                  // "QUIT"
    std::vector<std::string> aliases;  // {"EXIT"}
    std::string usage;                 // "QUIT"
    std::string help;                  // "close every drawing, unload every module and end"
};
// Every command, in the order HELP lists them: the table the command line
// dispatches by.
std::vector<EditorCommand> editorCommands();
// The name of the command a typed word calls (a name or an alias, any letter
// case, "_" or "." before it allowed); empty when it calls none.
std::string commandName(const std::string& word);

// Script mode: runs the lines of a script file, each echoed after the prompt
// as "Command: <line>", skipping blank lines and comment lines (";" or "#"
// first). Stops after QUIT. At the end of the script the session ends as by
// QUIT. readable is false (and error says why) when the file cannot be read.
struct ScriptOutcome {
    bool readable = true;
    std::string error;
    std::vector<int> failedLines;  // line numbers in the file
};
ScriptOutcome runScript(const std::string& path);

// Where the lines of interactive mode come from.
class LineSource {
public:
    virtual ~LineSource() = default;
    // One line (without its line end) of at most kMaxLineLength characters;
    // a longer one is read to its end and reported through tooLong. False at
    // the end of the input.
    virtual bool readLine(const std::string& prompt, std::string& line, bool& tooLong) = 0;
    // A terminal with line editing shows the prompt and what is typed itself;
    // a terminal without it shows what is typed; other input shows neither, so
    // the command line prints them.
    virtual bool showsPrompt() const = 0;
    virtual bool showsLine() const = 0;
};

// Interactive mode: prompts "Command: " and runs each line read until QUIT or
// the end of the input, which ends the session as QUIT does. The transcript
// records the prompt and each line read whoever shows them. The lines that
// failed are counted from 1 for the first line read; readable is always true.
ScriptOutcome runInteractive(LineSource& source);
// Lines from a stream; with echoInput (input that is no terminal) each line
// read is printed after the prompt.
ScriptOutcome runInteractive(std::istream& in, bool echoInput);

// How the editor starts: with a new drawing, Drawing1.dwg, as the real editor
// does; with a drawing file opened; or with no drawing. The settings are read
// first, so that those that cannot be used are reported at once. False when
// the drawing cannot be opened (the reason is printed).
enum class StartDrawing { New, Open, None };
bool startSession(StartDrawing start, const std::string& drawing = "");

// Words a person may type, for completion at the prompt: every command's name
// and aliases, and the commands that LISP functions named "C:<command>"
// make; and every function a LISP expression may call in the current drawing
// (special forms and built-in functions in lower case, functions defined with
// defun and modules' functions as they were written).
std::vector<std::string> commandWords();
std::vector<std::string> lispWords();

// QUIT: closes every drawing, then unloads every module, latest first.
void quit();
bool hasQuit();
// Starts a fresh session after quit (tests): the next drawing is Drawing1.dwg.
void restartSession();

// Longest command line accepted, in characters.
constexpr size_t kMaxLineLength = 1u << 20;

// ---- Documents ------------------------------------------------------------------

// OPEN: reads the drawing and makes it current; NULL when it cannot be read
// (the reason is printed). A drawing already open becomes current again.
AcApDocument* openDocument(const std::string& path);
// RECOVER: opens a damaged drawing as far as it can be understood and lists
// what it mended (or says that it needed nothing); NULL when it cannot.
AcApDocument* recoverDocument(const std::string& path);
// NEW: a drawing named Drawing1.dwg, Drawing2.dwg, ... that was never saved.
AcApDocument* newDocument();
// SAVE (an empty path: under the document's own name) and SAVEAS.
bool saveDocument(AcApDocument* pDoc, const std::string& path);
// CLOSE, without saving.
bool closeDocument(AcApDocument* pDoc);

// ---- Modules --------------------------------------------------------------------

// Loads a module whose entry point is linked into this program (tests of a
// module): as AcRxDynamicLinker::loadModule does with a file, with no
// interface version to check. ARX UNLOAD and QUIT unload it as any other.
bool loadLinkedModule(const std::string& name, AcRxEntryPointFunc entryPoint, bool printit);

// ---- LISP -------------------------------------------------------------------------

// Evaluates a LISP line as typed at the command line, printing its results.
// False when an error was printed.
bool evaluateLisp(const std::string& line);

// Stops the LISP evaluation in progress at its next step with the error
// "; error: Function cancelled", as Escape does in the editor. Safe to call
// from a signal handler.
void cancelEvaluation();

// The LISP names the document knows, upper case and sorted.
std::vector<std::string> lispNames(const AcApDocument* pDoc);

// Runs a LISP handler as the interpreter calls it, for tests of handlers:
//   LispCall call("2 \"x\"", 7);   // arguments as typed, function code
//   LispDebugLevel();              // or call.run(LispDebugLevel)
//   EXPECT_EQ(call.result(), "0");
// While it lives, acedGetArgs gives the arguments and acedGetFunCode the code;
// the result calls set its result. Arguments that cannot be read make valid()
// false and the call has no arguments.
class LispCall {
public:
    explicit LispCall(const std::string& arguments = "", int functionCode = 0);
    ~LispCall();
    LispCall(const LispCall&) = delete;
    LispCall& operator=(const LispCall&) = delete;

    bool valid() const { return m_bValid; }
    int run(int (*handler)());
    // The result as the interpreter prints it ("nil", "T", "42", "\"text\"");
    // empty when no result was set or acedRetVoid was called.
    std::string result() const;

private:
    struct State;
    State* m_pState;
    bool m_bValid;
};

}  // namespace brevant::host
