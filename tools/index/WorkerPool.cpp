#include "WorkerPool.h"

#include <hostdb.h>

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>

namespace brevant::tools {

namespace {

// One answer line: the outcome's letter, a tab, the path, and for a failure
// a tab and the reason.
const char kWritten = 'W';
const char kUnchanged = 'U';
const char kFailed = 'F';

std::string withoutBreaks(std::string sText) {
    for (char& ch : sText) {
        if (ch == '\n' || ch == '\r' || ch == '\t') {
            ch = ' ';
        }
    }
    return sText;
}

bool writeAll(int fd, const std::string& sText) {
    size_t iDone = 0;
    while (iDone < sText.size()) {
        const ssize_t n = write(fd, sText.data() + iDone, sText.size() - iDone);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        iDone += (size_t)n;
    }
    return true;
}

bool parseAnswer(const std::string& sLine, WorkResult& answer) {
    if (sLine.size() < 2 || sLine[1] != '\t') {
        return false;
    }
    const std::string sRest = sLine.substr(2);
    switch (sLine[0]) {
        case kWritten:
            answer.sPath = sRest;
            answer.result.outcome = IndexOutcome::Written;
            return true;
        case kUnchanged:
            answer.sPath = sRest;
            answer.result.outcome = IndexOutcome::Unchanged;
            return true;
        case kFailed: {
            const size_t iTab = sRest.find('\t');
            answer.sPath = sRest.substr(0, iTab);
            answer.result.outcome = IndexOutcome::Failed;
            answer.result.sReason = iTab == std::string::npos ? "" : sRest.substr(iTab + 1);
            return true;
        }
        default:
            return false;
    }
}

std::string exitText(int iStatus) {
    if (WIFSIGNALED(iStatus)) {
        const int iSignal = WTERMSIG(iStatus);
        return "the indexing process was stopped by signal " + std::to_string(iSignal) + " (" +
               strsignal(iSignal) + ")";
    }
    if (WIFEXITED(iStatus)) {
        return "the indexing process ended with status " + std::to_string(WEXITSTATUS(iStatus));
    }
    return "the indexing process ended";
}

// What a worker keeps of the reference drawings it has read: their layer
// and block names, a small share of its memory.
const size_t kReferenceCacheBytes = 4u << 20;

struct Worker {
    pid_t pid = -1;
    int fdTasks = -1;    // the worker's input
    int fdAnswers = -1;  // the worker's output
    std::string sBuffer;
    std::string sCurrent;
    bool bBusy = false;
    bool bGarbled = false;  // it wrote something that is no answer
};

void closeFd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

int runWorker() {
#ifdef __GLIBC__
    // A worker's memory is the drawing at hand: blocks of large drawings go
    // back to the system when freed, while the many small drawings reuse the
    // heap. (Left to itself the allocator raises this threshold after the
    // first large drawing and keeps the next large ones on its heap.)
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
    // The drawings of a project refer to the same few reference drawings: a
    // worker reads each once (again when it changes) instead of once for
    // every drawing that refers to it.
    brevant::host::setReferenceCache(kReferenceCacheBytes);
    std::string sPath;
    while (std::getline(std::cin, sPath)) {
        if (sPath.empty()) {
            continue;
        }
        const IndexResult result = indexDrawing(sPath);
        std::string sLine;
        switch (result.outcome) {
            case IndexOutcome::Written:
                sLine = std::string(1, kWritten) + "\t" + sPath;
                break;
            case IndexOutcome::Unchanged:
                sLine = std::string(1, kUnchanged) + "\t" + sPath;
                break;
            case IndexOutcome::Failed:
                sLine =
                    std::string(1, kFailed) + "\t" + sPath + "\t" + withoutBreaks(result.sReason);
                break;
        }
        if (!writeAll(STDOUT_FILENO, sLine + "\n")) {
            return 1;  // nobody listens any more
        }
    }
    return 0;
}

WorkerPool::WorkerPool(std::string sProgram, std::vector<std::string> vectorArguments, int iWorkers)
    : m_sProgram(std::move(sProgram)),
      m_vectorArguments(std::move(vectorArguments)),
      m_iWorkers(iWorkers < 1 ? 1 : iWorkers) {}

std::vector<std::string> WorkerPool::run(const std::vector<std::string>& vectorPaths,
                                         const std::function<void(const WorkResult&)>& onResult,
                                         const std::function<void()>& onIdle,
                                         const volatile sig_atomic_t& iStopRequests) {
    // A worker that has died must not take this process with it when a
    // drawing is written to its input.
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    std::deque<std::string> queue(vectorPaths.begin(), vectorPaths.end());
    std::vector<std::string> vectorLeft;
    std::vector<Worker> workers;
    std::string sStartError;
    bool bKilled = false;

    auto spawn = [&](Worker& worker) -> bool {
        int aiTasks[2];
        int aiAnswers[2];
        if (pipe2(aiTasks, O_CLOEXEC) != 0) {
            sStartError = std::string("cannot start a worker: ") + strerror(errno);
            return false;
        }
        if (pipe2(aiAnswers, O_CLOEXEC) != 0) {
            sStartError = std::string("cannot start a worker: ") + strerror(errno);
            close(aiTasks[0]);
            close(aiTasks[1]);
            return false;
        }
        std::vector<char*> vectorArgv;
        vectorArgv.push_back(const_cast<char*>(m_sProgram.c_str()));
        for (const std::string& sArgument : m_vectorArguments) {
            vectorArgv.push_back(const_cast<char*>(sArgument.c_str()));
        }
        vectorArgv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid < 0) {
            sStartError = std::string("cannot start a worker: ") + strerror(errno);
            for (int fd : {aiTasks[0], aiTasks[1], aiAnswers[0], aiAnswers[1]}) {
                close(fd);
            }
            return false;
        }
        if (pid == 0) {
            // The terminal's interrupt goes to the whole process group: the
            // workers leave it to this program, which lets them finish the
            // drawing at hand.
            signal(SIGINT, SIG_IGN);
            signal(SIGPIPE, SIG_DFL);
            dup2(aiTasks[0], STDIN_FILENO);
            dup2(aiAnswers[1], STDOUT_FILENO);
            execv(m_sProgram.c_str(), vectorArgv.data());
            _exit(127);
        }
        close(aiTasks[0]);
        close(aiAnswers[1]);
        worker = Worker();
        worker.pid = pid;
        worker.fdTasks = aiTasks[1];
        worker.fdAnswers = aiAnswers[0];
        return true;
    };

    auto dispatch = [&](Worker& worker) {
        while (!worker.bBusy && worker.fdTasks >= 0) {
            if (iStopRequests > 0 || queue.empty()) {
                closeFd(worker.fdTasks);  // no more work: the worker ends
                return;
            }
            worker.sCurrent = queue.front();
            queue.pop_front();
            if (writeAll(worker.fdTasks, worker.sCurrent + "\n")) {
                worker.bBusy = true;
                return;
            }
            // The worker is gone; its end of file tells the rest.
            queue.push_front(worker.sCurrent);
            closeFd(worker.fdTasks);
        }
    };

    const size_t iStart = std::min(queue.size(), (size_t)m_iWorkers);
    for (size_t i = 0; i < iStart; ++i) {
        Worker worker;
        if (spawn(worker)) {
            workers.push_back(worker);
            dispatch(workers.back());
        }
    }

    for (;;) {
        size_t iAlive = 0;
        for (const Worker& worker : workers) {
            iAlive += worker.pid > 0 ? 1 : 0;
        }
        if (iAlive == 0) {
            if (!queue.empty() && iStopRequests == 0) {
                // Not even one worker can be started: what is left fails.
                while (!queue.empty()) {
                    WorkResult answer;
                    answer.sPath = queue.front();
                    answer.result.sReason = sStartError;
                    queue.pop_front();
                    onResult(answer);
                }
            }
            break;
        }
        if (iStopRequests >= 2 && !bKilled) {
            for (Worker& worker : workers) {
                if (worker.pid > 0) {
                    kill(worker.pid, SIGKILL);
                }
            }
            bKilled = true;
        }
        std::vector<pollfd> vectorPoll;
        std::vector<Worker*> vectorPolled;
        for (Worker& worker : workers) {
            if (worker.pid > 0) {
                if (!worker.bBusy) {
                    dispatch(worker);
                }
                vectorPoll.push_back(pollfd{worker.fdAnswers, POLLIN, 0});
                vectorPolled.push_back(&worker);
            }
        }
        const int iReady = poll(vectorPoll.data(), vectorPoll.size(), 100);
        onIdle();
        if (iReady <= 0) {
            continue;  // a timeout, or a signal that the loop looks at
        }
        for (size_t i = 0; i < vectorPoll.size(); ++i) {
            if (vectorPoll[i].revents == 0) {
                continue;
            }
            Worker& worker = *vectorPolled[i];
            char acChunk[4096];
            const ssize_t n = read(worker.fdAnswers, acChunk, sizeof acChunk);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n > 0) {
                worker.sBuffer.append(acChunk, (size_t)n);
                size_t iEnd;
                while ((iEnd = worker.sBuffer.find('\n')) != std::string::npos) {
                    const std::string sLine = worker.sBuffer.substr(0, iEnd);
                    worker.sBuffer.erase(0, iEnd + 1);
                    WorkResult answer;
                    if (parseAnswer(sLine, answer) && worker.bBusy) {
                        worker.bBusy = false;
                        answer.sPath = worker.sCurrent;
                        onResult(answer);
                        dispatch(worker);
                    } else if (!worker.bGarbled) {
                        // Not an answer: the worker cannot be trusted with
                        // more; its end reports the drawing at hand.
                        worker.bGarbled = true;
                        kill(worker.pid, SIGKILL);
                    }
                }
                continue;
            }
            // End of the worker's output: it has ended.
            closeFd(worker.fdAnswers);
            closeFd(worker.fdTasks);
            int iStatus = 0;
            struct rusage usage = {};
            while (wait4(worker.pid, &iStatus, 0, &usage) < 0 && errno == EINTR) {
            }
            m_iPeakMemoryKb = std::max(m_iPeakMemoryKb, (long)usage.ru_maxrss);
            worker.pid = -1;
            if (worker.bBusy) {
                worker.bBusy = false;
                if (bKilled) {
                    vectorLeft.push_back(worker.sCurrent);
                } else {
                    WorkResult answer;
                    answer.sPath = worker.sCurrent;
                    answer.result.sReason = worker.bGarbled
                                                ? "the indexing process gave an answer that is none"
                                                : exitText(iStatus);
                    onResult(answer);
                }
            }
            if (!queue.empty() && iStopRequests == 0) {
                Worker fresh;
                if (spawn(fresh)) {
                    worker = fresh;
                    dispatch(worker);
                }
            }
        }
    }
    vectorLeft.insert(vectorLeft.end(), queue.begin(), queue.end());
    sigaction(SIGPIPE, &previous, nullptr);
    return vectorLeft;
}

}  // namespace brevant::tools
