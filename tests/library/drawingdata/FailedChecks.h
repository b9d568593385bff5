// The checks that the library reports as failed, by their condition text.
#pragma once

#include <string>
#include <vector>

#include <brevant/platform.h>

namespace brevant::test {

// While it lives the debug level is 2, so every failed check is reported, and
// the reports are kept instead of shown. The command line's output is
// dropped first.
class FailedChecks {
public:
    FailedChecks();
    ~FailedChecks();
    FailedChecks(const FailedChecks&) = delete;
    FailedChecks& operator=(const FailedChecks&) = delete;

    // The condition texts reported since the start or the last take, in order.
    std::vector<std::string> take();

private:
    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

}  // namespace brevant::test
