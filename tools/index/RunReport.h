// What a run of brevant-index shows. On a terminal: a progress bar on the
// error output (count, rate, estimated time left) with failures above it. Not
// on a terminal: one plain line per drawing on the standard output, failures
// also on the error output. At the end, a summary table.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace brevant::tools {

class RunReport {
public:
    // bTerminal: draw the bar (the error output is a terminal).
    RunReport(bool bTerminal, size_t iDrawings);

    void written(const std::string& sPath, uint64_t iBytes);
    void unchanged(const std::string& sPath, uint64_t iBytes);
    void skipped(const std::string& sPath, const char* sWhy);
    void failed(const std::string& sPath, const std::string& sReason);
    // A problem that is no drawing's (a folder that cannot be listed).
    void problem(const std::string& sText);
    // Something worth knowing that is no failure.
    void note(const std::string& sText);
    void wouldIndex(const std::string& sPath);
    // Redraws the bar when it is due; call it often.
    void tick();

    // The table: drawings, written, unchanged, skipped, failed, time; then
    // the rate, the workers and their peak memory, and what was left undone.
    void summary(bool bDryRun, int iWorkers, long iPeakWorkerKb, size_t iLeft);

    size_t failures() const { return m_iFailed + m_iProblems; }
    size_t changedFiles() const { return m_iWritten; }

private:
    void line(const std::string& sText, bool bError);
    void drawBar(bool bForce);
    void clearBar();
    double elapsed() const;

    bool m_bTerminal;
    size_t m_iDrawings;
    size_t m_iWritten = 0;
    size_t m_iUnchanged = 0;
    size_t m_iSkipped = 0;
    size_t m_iFailed = 0;
    size_t m_iProblems = 0;
    size_t m_iToIndex = 0;
    uint64_t m_iBytesDone = 0;
    bool m_bBarShown = false;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw;
};

}  // namespace brevant::tools
