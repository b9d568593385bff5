// Many editors closing drawings at once: eight processes append 1,000 history
// records each to one history file at the same time, and every record is
// there afterwards, whole and on its own line.
#include "BatchFixture.h"

#include "DrawingHistory.h"

#include <chrono>
#include <cstdio>
#include <set>
#include <sys/wait.h>

namespace brevant::test {
namespace {

using HistoryLoad = BatchTest;

constexpr int kProcesses = 8;
constexpr int kRecords = 1000;

std::string periodOf(int iProcess, int iRecord) {
    return "editor " + std::to_string(iProcess) + " record " + std::to_string(iRecord);
}

TEST_F(HistoryLoad, EightProcessesAppendEveryRecordWhole) {
    clockAt(2026, 12, 3, 14, 5);
    const char* const sHistory = "P:\\docinfo\\plan-dwg.his";
    std::filesystem::create_directories(native("docinfo"));

    const auto start = std::chrono::steady_clock::now();
    std::vector<pid_t> children;
    for (int iProcess = 0; iProcess < kProcesses; ++iProcess) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int iStatus = 0;
            const std::string sUser = "user" + std::to_string(iProcess);
            const std::string sComputer = "PC" + std::to_string(iProcess);
            for (int iRecord = 0; iRecord < kRecords; ++iRecord) {
                try {
                    CDrawingHistory::writeRecord(sHistory, sUser.c_str(), sComputer.c_str(), "EDIT",
                                                 periodOf(iProcess, iRecord).c_str());
                } catch (CFileException* pError) {
                    pError->Delete();
                    iStatus = 1;
                }
            }
            _exit(iStatus);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int iStatus = -1;
        ASSERT_EQ(waitpid(pid, &iStatus, 0), pid);
        EXPECT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0);
    }
    const double dSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // Every record begins with its line break; none is cut or mixed with another.
    const std::string sBytes = readFile(native("docinfo/plan-dwg.his"));
    std::set<std::string> setRecords;
    size_t iCount = 0;
    size_t iPosition = 0;
    ASSERT_EQ(sBytes.compare(0, 2, "\r\n"), 0);
    while (iPosition < sBytes.size()) {
        ASSERT_EQ(sBytes.compare(iPosition, 2, "\r\n"), 0) << "at byte " << iPosition;
        const size_t iNext = sBytes.find("\r\n", iPosition + 2);
        setRecords.insert(sBytes.substr(iPosition + 2, iNext - iPosition - 2));
        ++iCount;
        iPosition = iNext == std::string::npos ? sBytes.size() : iNext;
    }
    EXPECT_EQ(iCount, (size_t)(kProcesses * kRecords));
    size_t iMissing = 0;
    for (int iProcess = 0; iProcess < kProcesses; ++iProcess) {
        for (int iRecord = 0; iRecord < kRecords; ++iRecord) {
            const std::string sRecord = "3/Dec/2026 14:05> EDIT \"user" + std::to_string(iProcess) +
                                        "\" \"PC" + std::to_string(iProcess) + "\" \"" +
                                        periodOf(iProcess, iRecord) + "\"";
            iMissing += setRecords.count(sRecord) == 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(iMissing, 0u);
    printf("%d processes appended %d records in %.2f s (%zu bytes, %zu records found whole)\n",
           kProcesses, kProcesses * kRecords, dSeconds, sBytes.size(), setRecords.size());
}

}  // namespace
}  // namespace brevant::test
