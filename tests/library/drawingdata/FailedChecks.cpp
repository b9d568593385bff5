#include "FailedChecks.h"

#include "../configuration/CommandLine.h"

namespace brevant::test {

FailedChecks::FailedChecks() {
    initialiseLibrary(2);
    brevant::platform::captureMessageBoxes(&m_vectorBoxes);
}

FailedChecks::~FailedChecks() {
    brevant::platform::captureMessageBoxes(nullptr);
    initialiseLibrary(0);
}

std::vector<std::string> FailedChecks::take() {
    std::vector<std::string> vectorChecks;
    const std::string sStart = "Assertion : <";
    for (const auto& box : m_vectorBoxes) {
        const size_t iEnd = box.text.find(">\nFile : <");
        vectorChecks.push_back(box.text.substr(sStart.size(), iEnd - sStart.size()));
    }
    m_vectorBoxes.clear();
    return vectorChecks;
}

}  // namespace brevant::test
