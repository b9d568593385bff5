// The LISP interface: the reader and printer through both ways of reaching a
// function, names per document, and the calls a handler makes.
#include "HostFixture.h"
#include "acdocman.h"
#include "adslib.h"
#include "rxregsvc.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

namespace brevant::test {
namespace {

using brevant::host::evaluateLisp;
using brevant::host::LispCall;

// A module linked into the test: ECHO gives back its arguments as a list,
// TYPES the type of each argument, RESULT the result its first argument
// names, FAIL reports an error, PATH says how it was reached.
int g_iCalls = 0;
int g_iInvokes = 0;
bool g_bInInvoke = false;

int echo() {
    ++g_iCalls;
    return acedRetList(acedGetArgs()) == RTNORM ? RSRSLT : RSERR;
}

int types() {
    ++g_iCalls;
    resbuf* head = nullptr;
    resbuf* tail = nullptr;
    for (const resbuf* rb = acedGetArgs(); rb != nullptr; rb = rb->rbnext) {
        const char* name = rb->restype == RTSHORT  ? "RTSHORT"
                           : rb->restype == RTLONG ? "RTLONG"
                           : rb->restype == RTREAL ? "RTREAL"
                           : rb->restype == RTSTR  ? "RTSTR"
                           : rb->restype == RTNIL  ? "RTNIL"
                           : rb->restype == RTT    ? "RTT"
                           : rb->restype == RTLB   ? "RTLB"
                           : rb->restype == RTLE   ? "RTLE"
                                                   : "?";
        resbuf* node = acutBuildList(RTSTR, name, 0);
        (tail == nullptr ? head : tail->rbnext) = node;
        tail = node;
    }
    acedRetList(head);
    acutRelRb(head);
    return RSRSLT;
}

int result() {
    ++g_iCalls;
    const resbuf* args = acedGetArgs();
    const std::string what = args != nullptr && args->restype == RTSTR ? args->resval.rstring : "";
    const double point[3] = {1, 2, 3};
    if (what == "int") {
        acedRetInt(42);
    } else if (what == "real") {
        acedRetReal(2.5);
    } else if (what == "str") {
        acedRetStr("q\"x\\y\n");
    } else if (what == "t") {
        acedRetT();
    } else if (what == "nil") {
        acedRetNil();
    } else if (what == "void") {
        acedRetT();
        acedRetVoid();
    } else if (what == "list") {
        resbuf* list = acutBuildList(RTSHORT, 1, RTLB, RTSHORT, 2, RTSTR, "x", RTLE, RTLB, RTSHORT,
                                     3, RTDOTE, RTSHORT, 4, RTLE, RTREAL, 5.0, 0);
        acedRetList(list);
        acutRelRb(list);
    } else if (what == "point") {
        acedRetPoint(point);
    } else if (what == "val") {
        resbuf* value = acutBuildList(RTSHORT, 7, RTSHORT, 8, 0);
        acedRetVal(value);
        acutRelRb(value);
    } else if (what == "pair") {
        resbuf* pair = acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTSTR, "a", RTLE, 0);
        acedRetVal(pair);
        acutRelRb(pair);
    } else if (what == "entity") {
        resbuf* entity = acutBuildList(RTDXF0, "LINE", 8, "0", 10, point, 0);
        acedRetList(entity);
        acutRelRb(entity);
    }
    return RSRSLT;
}

int fail() {
    ++g_iCalls;
    return RSERR;
}

int path() {
    ++g_iCalls;
    acedRetStr(g_bInInvoke ? "invoke" : "direct");
    return RSRSLT;
}

int (*const kFunctions[])() = {echo, types, result, fail, path};
const char* const kNames[] = {"ECHO", "TYPES", "RESULT", "FAIL", "PATH"};

AcRx::AppRetCode entryPoint(AcRx::AppMsgCode msg, void* pkt) {
    switch (msg) {
        case AcRx::kInitAppMsg:
            acrxDynamicLinker->unlockApplication(pkt);
            break;
        case AcRx::kLoadDwgMsg:
            for (int i = 0; i < 5; ++i) {
                acedDefun(kNames[i], (short)(i + 100));
                acedRegFunc(kFunctions[i], i + 100);
            }
            break;
        case AcRx::kInvkSubrMsg: {
            ++g_iInvokes;
            const int code = acedGetFunCode() - 100;
            if (code >= 0 && code < 5) {
                g_bInInvoke = true;
                kFunctions[code]();
                g_bInInvoke = false;
            }
            break;
        }
        default:
            break;
    }
    return AcRx::kRetOK;
}

class Lisp : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        g_iCalls = 0;
        g_iInvokes = 0;
        ASSERT_NE(brevant::host::newDocument(), nullptr);
        ASSERT_TRUE(brevant::host::loadLinkedModule("lisptest.arx", entryPoint, false));
        printed();
    }
};

class LispDispatch : public Lisp, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        Lisp::SetUp();  // which starts without the setting
        setenv("BREVANT_LISPDISPATCH", GetParam(), 1);
    }
};

TEST_P(LispDispatch, ReadsCallsAndPrintsAsTheInterpreter) {
    struct Case {
        const char* input;
        const char* output;
        bool reachesModule;
    };
    const Case cases[] = {
        {"(echo)", "nil\n", true},
        {"(echo 1 -2 32767 -32768 32768 -32769 2147483647 -2147483648)",
         "(1 -2 32767 -32768 32768 -32769 2147483647 -2147483648)\n", true},
        {"(types 1 32767 32768 -32769 2.5 \"s\" nil T '(1))",
         "(\"RTSHORT\" \"RTSHORT\" \"RTLONG\" \"RTLONG\" \"RTREAL\" \"RTSTR\" \"RTNIL\" \"RTT\" "
         "\"RTLB\" \"RTSHORT\" \"RTLE\")\n",
         true},
        {"(echo 2.5 -0.5 1e3 .5 2. 1.5E-3 2147483648 1e20 +7)",
         "(2.5 -0.5 1000.0 0.5 2.0 0.0015 2.14748e+09 1.0e+20 7)\n", true},
        {"(echo \"a\\\"b\" \"c\\\\d\" \"e\\nf\" \"g\\th\" \"\" \"\\101\" \"x\\qy\")",
         "(\"a\\\"b\" \"c\\\\d\" \"e\\nf\" \"g\\th\" \"\" \"A\" \"xqy\")\n", true},
        {"(ECHO NIL t Nil)", "(nil T nil)\n", true},
        {"  (EcHo 1)  ", "(1)\n", true},
        {"(echo (echo 1 2) '(3 \"x\") () (quote (4 . 5)))", "((1 2) (3 \"x\") nil (4 . 5))\n",
         true},
        {"(echo 1) ; a comment (", "(1)\n", true},
        {"(echo 1)(echo 2)", "(1)\n(2)\n", true},
        {"(echo unbound)", "(nil)\n", true},
        {"(result \"int\")", "42\n", true},
        {"(result \"real\")", "2.5\n", true},
        {"(result \"str\")", "\"q\\\"x\\\\y\\n\"\n", true},
        {"(result \"t\")", "T\n", true},
        {"(result \"nil\")", "nil\n", true},
        {"(result \"void\")", "", true},
        {"(result \"none\")", "", true},
        {"(result \"list\")", "(1 (2 \"x\") (3 . 4) 5.0)\n", true},
        {"(result \"point\")", "(1.0 2.0 3.0)\n", true},
        {"(result \"val\")", "7\n", true},
        {"(result \"pair\")", "(1 . \"a\")\n", true},
        {"(result \"entity\")", "((0 . \"LINE\") (8 . \"0\") (10 1.0 2.0 3.0))\n", true},
        // Errors reach no module.
        {"(nosuch 1)", "; error: no function definition: NOSUCH\n", false},
        {"(echo (nosuch))", "; error: no function definition: NOSUCH\n", false},
        {"(echo 1", "; error: malformed list on input\n", false},
        {"(echo 1))", "; error: extra right paren on input\n", false},
        {")", "; error: extra right paren on input\n", false},
        {"(echo \"abc)", "; error: malformed string on input\n", false},
        {"(echo \"abc\\\")", "; error: malformed string on input\n", false},
        {"(echo 1 . 2 3)", "; error: misplaced dot on input\n", false},
        {"(1 2)", "; error: bad function: 1\n", false},
        {"(\"echo\")", "; error: bad function: \"echo\"\n", false},
        {"(quote 1 2)", "; error: too many arguments\n", false},
        // Values computed by the interpreter reach the module as any others.
        {"(echo (+ 1 2) (strcat \"a\" \"b\") (list 1 (/ 1.0 4)) (cdr '(1 . 2)))",
         "(3 \"ab\" (1 0.25) 2)\n", true},
        {"(setq v (echo 7)) (car v)", "(7)\n7\n", true},
        {"(echo (car 1))", "; error: bad argument type: consp 1\n", false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << (i + 1) << ": " << cases[i].input);
        const int before = g_iCalls;
        const bool ok = evaluateLisp(cases[i].input);
        EXPECT_EQ(printed(), cases[i].output);
        EXPECT_EQ(ok, std::strncmp(cases[i].output, "; error", 7) != 0);
        EXPECT_EQ(g_iCalls > before, cases[i].reachesModule);
    }
    const bool byMessage = std::string(GetParam()) == "invoke";
    EXPECT_EQ(g_iInvokes > 0, byMessage);
    EXPECT_TRUE(evaluateLisp("(path)"));
    EXPECT_EQ(printed(), byMessage ? "\"invoke\"\n" : "\"direct\"\n");
}

INSTANTIATE_TEST_SUITE_P(BothPaths, LispDispatch, ::testing::Values("direct", "invoke"));

TEST_F(Lisp, LongAndManyArgumentsAndDeepNesting) {
    std::string longText(200000, 'x');
    longText[100] = '"';
    longText[200] = '\\';
    std::string typed;
    for (char c : longText) {
        if (c == '"' || c == '\\') {
            typed += '\\';
        }
        typed += c;
    }
    EXPECT_TRUE(evaluateLisp("(echo \"" + typed + "\")"));
    EXPECT_EQ(printed(), "(\"" + typed + "\")\n");

    std::string many = "(echo";
    std::string expected = "(";
    for (int i = 0; i < 20000; ++i) {
        many += " " + std::to_string(i);
        expected += (i ? " " : "") + std::to_string(i);
    }
    EXPECT_TRUE(evaluateLisp(many + ")"));
    EXPECT_EQ(printed(), expected + ")\n");

    const int calls = g_iCalls;
    EXPECT_FALSE(
        evaluateLisp("(echo " + std::string(100000, '(') + std::string(100000, ')') + ")"));
    EXPECT_EQ(printed(), "; error: too many nested lists on input\n");
    EXPECT_FALSE(evaluateLisp(std::string(100000, '\'') + "x"));
    EXPECT_EQ(printed(), "; error: too many nested lists on input\n");
    EXPECT_EQ(g_iCalls, calls);
}

int g_iOwnCalls = 0;
int own() {
    ++g_iOwnCalls;
    acedRetInt(acedGetFunCode());
    return RSRSLT;
}

TEST_F(Lisp, NamesBelongToTheDocumentCurrentWhenDefined) {
    AcApDocument* pFirst = acDocManager->curDocument();
    EXPECT_EQ(acedDefun("OnlyHere", 5), RTNORM);
    EXPECT_EQ(acedRegFunc(own, 5), RTNORM);
    EXPECT_TRUE(evaluateLisp("(onlyhere)"));
    EXPECT_EQ(printed(), "5\n");

    AcApDocument* pSecond = brevant::host::newDocument();
    ASSERT_NE(pSecond, nullptr);
    EXPECT_FALSE(evaluateLisp("(onlyhere)"));
    EXPECT_EQ(printed(), "; error: no function definition: ONLYHERE\n");
    EXPECT_TRUE(evaluateLisp("(echo 1)"));  // the module defined its names here too
    EXPECT_EQ(printed(), "(1)\n");

    EXPECT_EQ(acDocManager->setCurDocument(pFirst), Acad::eOk);
    EXPECT_TRUE(evaluateLisp("(OnlyHere)"));
    EXPECT_EQ(printed(), "5\n");
    // Only the definer, with the same code, removes a name.
    EXPECT_EQ(acedUndef("onlyhere", 4), RTERROR);
    EXPECT_EQ(acedUndef("echo", 100), RTERROR);
    EXPECT_EQ(acedUndef("onlyhere", 5), RTNORM);
    EXPECT_EQ(acedUndef("onlyhere", 5), RTERROR);
    EXPECT_FALSE(evaluateLisp("(onlyhere)"));
    EXPECT_EQ(printed(), "; error: no function definition: ONLYHERE\n");

    // A document that closes takes its names along.
    EXPECT_TRUE(brevant::host::closeDocument(pSecond));
    EXPECT_TRUE(brevant::host::lispNames(pSecond).empty());

    for (const char* bad : {"", "two words", "(x", "a\"b"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(acedDefun(bad, 1), RTERROR);
    }
    EXPECT_EQ(acedDefun(nullptr, 1), RTERROR);
}

// A handler's error shows when the editor calls it directly; through the
// invoke message the entry point's answer is all the editor gets.
TEST_F(Lisp, AHandlersErrorIsTheInterpretersError) {
    EXPECT_FALSE(evaluateLisp("(fail)"));
    EXPECT_EQ(printed(), "; error: FAIL failed\n");
    setenv("BREVANT_LISPDISPATCH", "invoke", 1);
    EXPECT_TRUE(evaluateLisp("(fail)"));
    EXPECT_EQ(printed(), "");
}

TEST_F(Lisp, CommandFunctionsRunAsCommands) {
    EXPECT_EQ(acedDefun("C:HELLO", 9), RTNORM);
    EXPECT_EQ(acedRegFunc(own, 9), RTNORM);
    EXPECT_TRUE(brevant::host::runCommand("hello"));
    EXPECT_EQ(printed(), "9\n");
}

// Each drawing has its own variables and functions; a drawing that closes
// takes them along.
TEST_F(Lisp, EveryDrawingHasItsOwnNamespace) {
    AcApDocument* pFirst = acDocManager->curDocument();
    EXPECT_TRUE(evaluateLisp("(setq x 1) (defun f () x)"));
    AcApDocument* pSecond = brevant::host::newDocument();
    ASSERT_NE(pSecond, nullptr);
    printed();
    EXPECT_TRUE(evaluateLisp("x"));
    EXPECT_FALSE(evaluateLisp("(f)"));
    EXPECT_EQ(printed(), "nil\n; error: no function definition: F\n");
    EXPECT_TRUE(evaluateLisp("(setq x 2)"));
    EXPECT_EQ(acDocManager->setCurDocument(pFirst), Acad::eOk);
    printed();
    EXPECT_TRUE(evaluateLisp("(f)"));
    EXPECT_EQ(printed(), "1\n");
    EXPECT_TRUE(brevant::host::closeDocument(pFirst));
    ASSERT_NE(brevant::host::newDocument(), nullptr);  // may reuse the closed one's address
    printed();
    EXPECT_TRUE(evaluateLisp("x"));
    EXPECT_EQ(printed(), "nil\n");
}

// Parameters and local variables get their earlier values back however the
// call ends, an error included.
TEST_F(Lisp, BindingsOfACallAreGivenBackEvenAfterAnError) {
    EXPECT_TRUE(evaluateLisp("(setq n \"outer\" tmp 5)"));
    EXPECT_TRUE(evaluateLisp("(defun g (n / tmp) (setq tmp n) (car tmp))"));
    printed();
    EXPECT_FALSE(evaluateLisp("(g 3)"));
    EXPECT_EQ(printed(), "; error: bad argument type: consp 3\n");
    EXPECT_TRUE(evaluateLisp("(list n tmp)"));
    EXPECT_EQ(printed(), "(\"outer\" 5)\n");
    EXPECT_TRUE(evaluateLisp("(foreach n '(1 2) n) n"));
    EXPECT_EQ(printed(), "2\n\"outer\"\n");
}

// Lists that evaluation builds are no deeper than the reader reads, so that
// printing them or handing them to a module cannot exhaust the stack, and no
// larger than a limit, so that no loop exhausts the memory.
TEST_F(Lisp, ListsBuiltByEvaluationStayWithinTheNestingLimit) {
    EXPECT_FALSE(evaluateLisp("(setq l nil) (repeat 1000 (setq l (list l)))"));
    EXPECT_EQ(printed(), "nil\n; error: too many nested lists\n");
    EXPECT_FALSE(evaluateLisp("(repeat 1000 (setq l (cons l nil)))"));
    EXPECT_EQ(printed(), "; error: too many nested lists\n");
    EXPECT_TRUE(evaluateLisp("(setq m nil) (repeat 1000 (setq m (cons 1 m)) nil) (length m)"));
    EXPECT_EQ(printed(), "nil\nnil\n1000\n");
    // A list that doubles at every step stops long before the memory runs out.
    EXPECT_FALSE(evaluateLisp("(setq d '(1)) (repeat 100 (setq d (list d d)))"));
    EXPECT_EQ(printed(), "(1)\n; error: insufficient memory\n");
}

TEST_F(Lisp, ACancelStopsTheEvaluationAndTheNextLineStartsAfresh) {
    brevant::host::cancelEvaluation();
    EXPECT_TRUE(evaluateLisp("(+ 1 2)"));  // a cancel before the line is forgotten
    EXPECT_EQ(printed(), "3\n");
    std::thread canceller([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        brevant::host::cancelEvaluation();
    });
    EXPECT_FALSE(evaluateLisp("(while T 1)"));
    canceller.join();
    EXPECT_EQ(printed(), "; error: Function cancelled\n");
}

// A file read with load: expressions over several lines, both kinds of
// comment, the value of the last expression; a file that does not read as
// LISP is the reader's error; onfailure stands in for a file not found.
TEST_F(Lisp, LoadReadsAFileAndFindfileSearchesTheSupportPath) {
    brevant::platform::mapDrive("C", m_temp.path());
    writeFile(m_temp.file("Tools.LSP"),
              "; tools\n(defun twice (x)\n  (* 2 x)) ;| a\nblock |;\n(setq loaded \"yes\")\n");
    writeFile(m_temp.file("broken.lsp"), "(defun broken (\n");
    EXPECT_TRUE(evaluateLisp("(load \"C:/tools\")"));
    EXPECT_TRUE(evaluateLisp("(twice 21)"));
    EXPECT_EQ(printed(), "\"yes\"\n42\n");
    EXPECT_FALSE(evaluateLisp("(load \"C:\\\\broken.lsp\")"));
    EXPECT_EQ(printed(), "; error: malformed list on input\n");
    EXPECT_TRUE(evaluateLisp("(load \"C:/none.lsp\" 'missing)"));
    EXPECT_EQ(printed(), "MISSING\n");

    // A bare name: the current folder, then the current drawing's folder.
    std::filesystem::create_directories(m_temp.file("jobs"));
    writeFile(m_temp.file("jobs/only-here.lsp"), "1");
    EXPECT_TRUE(evaluateLisp("(findfile \"only-here.lsp\")"));
    EXPECT_EQ(printed(), "nil\n");
    ASSERT_TRUE(brevant::host::saveDocument(acDocManager->curDocument(), "C:\\jobs\\plan.dwg"));
    printed();
    EXPECT_TRUE(evaluateLisp("(findfile \"ONLY-HERE.LSP\") (findfile \"C:/tools.lsp\")"));
    EXPECT_EQ(printed(), "\"C:\\\\jobs\\\\only-here.lsp\"\n\"C:\\\\Tools.LSP\"\n");
}

TEST_F(Lisp, WithoutACallTheResultCallsFail) {
    EXPECT_EQ(acedGetFunCode(), RTERROR);
    EXPECT_EQ(acedGetArgs(), nullptr);
    EXPECT_EQ(acedRetInt(1), RTERROR);
    EXPECT_EQ(acedRetStr("x"), RTERROR);
    EXPECT_EQ(acedRetNil(), RTERROR);
    EXPECT_EQ(acedRetT(), RTERROR);
    EXPECT_EQ(acedRetVoid(), RTERROR);
}

TEST_F(Lisp, ACallForTestsOfHandlers) {
    LispCall call("2 \"x\" nil 70000 (1 2)", 7);
    ASSERT_TRUE(call.valid());
    EXPECT_EQ(acedGetFunCode(), 7);
    call.run(types);
    EXPECT_EQ(call.result(),
              "(\"RTSHORT\" \"RTSTR\" \"RTNIL\" \"RTLONG\" \"RTLB\" \"RTSHORT\" \"RTSHORT\" "
              "\"RTLE\")");
    EXPECT_EQ(acedRetVoid(), RTNORM);
    EXPECT_EQ(call.result(), "");

    // Chains that are no value: refused, and the result stays as it was.
    EXPECT_EQ(acedRetInt(3), RTNORM);
    resbuf* open = acutBuildList(RTLB, RTSHORT, 1, 0);
    resbuf* close = acutBuildList(RTSHORT, 1, RTLE, 0);
    resbuf* dot = acutBuildList(RTLB, RTDOTE, RTSHORT, 1, RTLE, 0);
    resbuf* none = acutBuildList(RTSHORT, 1, 0);
    none->restype = RTNONE;
    for (resbuf* bad : {open, close, dot, none}) {
        EXPECT_EQ(acedRetList(bad), RTERROR);
    }
    for (resbuf* bad : {open, dot, none}) {  // acedRetVal reads the first value only
        EXPECT_EQ(acedRetVal(bad), RTERROR);
    }
    EXPECT_EQ(acedRetVal(nullptr), RTERROR);
    EXPECT_EQ(acedRetList(nullptr), RTNORM);
    EXPECT_EQ(call.result(), "nil");
    for (resbuf* bad : {open, close, dot, none}) {
        acutRelRb(bad);
    }

    LispCall unreadable("(1");
    EXPECT_FALSE(unreadable.valid());
    EXPECT_EQ(acedGetArgs(), nullptr);
}

}  // namespace
}  // namespace brevant::test
