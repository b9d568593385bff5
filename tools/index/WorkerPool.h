// Worker processes that index drawings side by side. The module's library
// keeps process-wide state and expects one thread, so each worker is a
// process of its own: this program started again with --worker, reading one
// drawing path per line on its input and answering one line per drawing on
// its output. A worker that dies takes only its current drawing with it: the
// drawing is reported failed and a new worker goes on with the rest.
#pragma once

#include "DrawingIndexer.h"

#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace brevant::tools {

struct WorkResult {
    std::string sPath;
    IndexResult result;
};

// The worker's side: indexes every path read from the standard input and
// answers on the standard output. Returns the exit status.
int runWorker();

class WorkerPool {
public:
    // sProgram: this program's file; vectorArguments: what follows it for a
    // worker (--worker and the module file).
    WorkerPool(std::string sProgram, std::vector<std::string> vectorArguments, int iWorkers);

    // Indexes the drawings, calling onResult for each answer as it comes and
    // onIdle about ten times a second. Stops handing out drawings once
    // iStopRequests is 1 or more (the current ones finish); at 2 or more the
    // workers are killed. Returns the paths that were not done.
    std::vector<std::string> run(const std::vector<std::string>& vectorPaths,
                                 const std::function<void(const WorkResult&)>& onResult,
                                 const std::function<void()>& onIdle,
                                 const volatile sig_atomic_t& iStopRequests);

    // The largest peak memory of any worker, in kilobytes.
    long peakWorkerMemoryKb() const { return m_iPeakMemoryKb; }

private:
    std::string m_sProgram;
    std::vector<std::string> m_vectorArguments;
    int m_iWorkers;
    long m_iPeakMemoryKb = 0;
};

}  // namespace brevant::tools
