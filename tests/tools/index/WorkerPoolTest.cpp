// The pool of worker processes, with a shell script for a worker: each
// drawing is answered in turn; a worker that dies, or answers what is no
// answer, takes only the drawing at hand with it and a new one goes on; a
// stop request hands out nothing more.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "WorkerPool.h"

using namespace brevant::tools;

namespace {

// Answers as brevant-index --worker does; "crash" kills it, "garble" makes it
// write nonsense.
const char kWorker[] =
    "while read p; do case \"$p\" in"
    "  *crash*) kill -SEGV $$ ;;"
    "  *garble*) echo nonsense ;;"
    "  *fail*) printf 'F\\t%s\\tno good\\n' \"$p\" ;;"
    "  *) printf 'W\\t%s\\n' \"$p\" ;;"
    "esac; done";

}  // namespace

TEST(WorkerPool, ADyingWorkerTakesOnlyItsDrawing) {
    WorkerPool pool("/bin/sh", {"-c", kWorker}, 2);
    const std::vector<std::string> vectorPaths = {"a",    "crash-1", "b",       "garble",
                                                  "fail", "c",       "crash-2", "d"};
    std::map<std::string, IndexResult> mapResults;
    volatile sig_atomic_t iStop = 0;
    const std::vector<std::string> vectorLeft = pool.run(
        vectorPaths, [&](const WorkResult& answer) { mapResults[answer.sPath] = answer.result; },
        [] {}, iStop);
    EXPECT_TRUE(vectorLeft.empty());
    ASSERT_EQ(mapResults.size(), vectorPaths.size());
    for (const char* sGood : {"a", "b", "c", "d"}) {
        EXPECT_EQ(mapResults[sGood].outcome, IndexOutcome::Written) << sGood;
    }
    EXPECT_EQ(mapResults["fail"].outcome, IndexOutcome::Failed);
    EXPECT_EQ(mapResults["fail"].sReason, "no good");
    for (const char* sCrash : {"crash-1", "crash-2"}) {
        EXPECT_EQ(mapResults[sCrash].outcome, IndexOutcome::Failed);
        EXPECT_NE(mapResults[sCrash].sReason.find("stopped by signal 11"), std::string::npos)
            << mapResults[sCrash].sReason;
    }
    EXPECT_EQ(mapResults["garble"].sReason, "the indexing process gave an answer that is none");
}

TEST(WorkerPool, AStopRequestHandsOutNothingMore) {
    WorkerPool pool("/bin/sh", {"-c", kWorker}, 2);
    volatile sig_atomic_t iStop = 1;
    size_t iAnswers = 0;
    const std::vector<std::string> vectorLeft = pool.run(
        {"a", "b", "c"}, [&](const WorkResult&) { ++iAnswers; }, [] {}, iStop);
    EXPECT_EQ(iAnswers, 0u);
    EXPECT_EQ(vectorLeft, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(WorkerPool, AWorkerThatCannotStartFailsItsDrawings) {
    WorkerPool pool("/nonexistent/brevant-index", {"--worker"}, 1);
    volatile sig_atomic_t iStop = 0;
    std::vector<WorkResult> vectorAnswers;
    pool.run(
        {"a", "b"}, [&](const WorkResult& answer) { vectorAnswers.push_back(answer); }, [] {},
        iStop);
    ASSERT_EQ(vectorAnswers.size(), 2u);
    for (const WorkResult& answer : vectorAnswers) {
        EXPECT_EQ(answer.result.outcome, IndexOutcome::Failed);
        EXPECT_NE(answer.result.sReason.find("ended with status 127"), std::string::npos)
            << answer.result.sReason;
    }
}
