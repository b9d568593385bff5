#include "RunReport.h"

#include "ToolSupport.h"

#include <cstdio>

namespace brevant::tools {

namespace {

const int kBarWidth = 30;

}  // namespace

RunReport::RunReport(bool bTerminal, size_t iDrawings)
    : m_bTerminal(bTerminal),
      m_iDrawings(iDrawings),
      m_start(std::chrono::steady_clock::now()),
      m_lastDraw(m_start) {}

double RunReport::elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

void RunReport::clearBar() {
    if (m_bBarShown) {
        fputs("\r\033[K", stderr);
        m_bBarShown = false;
    }
}

void RunReport::line(const std::string& sText, bool bError) {
    if (m_bTerminal) {
        if (bError) {
            clearBar();
            fprintf(stderr, "%s\n", sText.c_str());
            drawBar(true);
        }
        return;
    }
    printf("%s\n", sText.c_str());
    fflush(stdout);
    if (bError) {
        fprintf(stderr, "brevant-index: %s\n", sText.c_str());
    }
}

void RunReport::written(const std::string& sPath, uint64_t iBytes) {
    ++m_iWritten;
    m_iBytesDone += iBytes;
    line("written    " + sPath, false);
    tick();
}

void RunReport::unchanged(const std::string& sPath, uint64_t iBytes) {
    ++m_iUnchanged;
    m_iBytesDone += iBytes;
    line("unchanged  " + sPath, false);
    tick();
}

void RunReport::skipped(const std::string& sPath, const char* sWhy) {
    ++m_iSkipped;
    line("skipped    " + sPath + " (" + sWhy + ")", false);
    tick();
}

void RunReport::failed(const std::string& sPath, const std::string& sReason) {
    ++m_iFailed;
    line("failed     " + sPath + ": " + sReason, true);
    tick();
}

void RunReport::problem(const std::string& sText) {
    ++m_iProblems;
    line("problem    " + sText, true);
}

void RunReport::note(const std::string& sText) {
    if (m_bTerminal) {
        clearBar();
        fprintf(stderr, "note: %s\n", sText.c_str());
        return;
    }
    printf("note       %s\n", sText.c_str());
}

void RunReport::wouldIndex(const std::string& sPath) {
    ++m_iToIndex;
    line("would index " + sPath, false);
}

void RunReport::tick() {
    drawBar(false);
}

void RunReport::drawBar(bool bForce) {
    if (!m_bTerminal) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!bForce && now - m_lastDraw < std::chrono::milliseconds(100)) {
        return;
    }
    m_lastDraw = now;
    const size_t iDone = m_iWritten + m_iUnchanged + m_iSkipped + m_iFailed;
    const double dFraction = m_iDrawings == 0 ? 1.0 : (double)iDone / (double)m_iDrawings;
    const int iFilled = (int)(dFraction * kBarWidth);
    const double dSeconds = elapsed();
    const size_t iWorked = iDone - m_iSkipped;
    const double dRate = dSeconds > 0 ? (double)iWorked / dSeconds : 0;
    std::string sLeft = "--:--";
    if (dRate > 0 && iDone <= m_iDrawings) {
        sLeft = formatDuration((double)(m_iDrawings - iDone) / dRate);
    }
    fprintf(stderr, "\r\033[K[%s%s] %zu/%zu %3d%%  %.1f drawings/s  %s left",
            std::string((size_t)iFilled, '#').c_str(),
            std::string((size_t)(kBarWidth - iFilled), '-').c_str(), iDone, m_iDrawings,
            (int)(dFraction * 100), dRate, sLeft.c_str());
    fflush(stderr);
    m_bBarShown = true;
}

void RunReport::summary(bool bDryRun, int iWorkers, long iPeakWorkerKb, size_t iLeft) {
    clearBar();
    const double dSeconds = elapsed();
    if (bDryRun) {
        printf("%10s %10s %10s %10s\n", "drawings", "to index", "skipped", "time");
        printf("%10zu %10zu %10zu %10s\n", m_iDrawings, m_iToIndex, m_iSkipped,
               formatDuration(dSeconds).c_str());
        printf("dry run: nothing was written\n");
    } else {
        printf("%10s %10s %10s %10s %10s %10s\n", "drawings", "written", "unchanged", "skipped",
               "failed", "time");
        printf("%10zu %10zu %10zu %10zu %10zu %10s\n", m_iDrawings, m_iWritten, m_iUnchanged,
               m_iSkipped, m_iFailed, formatDuration(dSeconds).c_str());
        const size_t iWorked = m_iWritten + m_iUnchanged + m_iFailed;
        if (iWorked > 0 && dSeconds > 0) {
            printf("%.1f drawings/s, %.1f MB/s with %d worker%s, peak memory per worker %.1f MB\n",
                   (double)iWorked / dSeconds, (double)m_iBytesDone / 1e6 / dSeconds, iWorkers,
                   iWorkers == 1 ? "" : "s", (double)iPeakWorkerKb / 1024.0);
        }
    }
    if (m_iProblems > 0) {
        printf("%zu path%s or folder%s could not be read (see above)\n", m_iProblems,
               m_iProblems == 1 ? "" : "s", m_iProblems == 1 ? "" : "s");
    }
    if (iLeft > 0) {
        printf(
            "interrupted: %zu drawing%s not done; run again with --only-stale to do only "
            "what is left\n",
            iLeft, iLeft == 1 ? "" : "s");
    }
    fflush(stdout);
}

}  // namespace brevant::tools
