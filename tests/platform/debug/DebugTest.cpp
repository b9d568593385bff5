#include <gtest/gtest.h>

#include <cstdlib>

#include "brevant/platform.h"
#include "windows.h"

using namespace brevant::platform;

TEST(Debugger, SettingMakesItPresentAndItsOutputTheErrorOutput) {
    setenv("BREVANT_DEBUGGER", "1", 1);
    EXPECT_TRUE(IsDebuggerPresent());
    testing::internal::CaptureStderr();
    OutputDebugStringA("Brevant (low) : trace\n");
    OutputDebugStringA(NULL);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Brevant (low) : trace\n");

    setenv("BREVANT_DEBUGGER", "0", 1);
    const bool traced = IsDebuggerPresent() != FALSE;  // true only under a real debugger
    testing::internal::CaptureStderr();
    OutputDebugStringA("dropped\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), traced ? "dropped\n" : "");
    unsetenv("BREVANT_DEBUGGER");
}

TEST(Debugger, CaptureReceivesEveryCall) {
    std::vector<std::string> received;
    captureDebugOutput(&received);
    testing::internal::CaptureStderr();
    setenv("BREVANT_DEBUGGER", "1", 1);
    OutputDebugStringA("one\n");
    unsetenv("BREVANT_DEBUGGER");
    OutputDebugStringA("two");
    captureDebugOutput(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(received, (std::vector<std::string>{"one\n", "two"}));
}

TEST(MessageBox, CaptionAndTextOnTheErrorOutput) {
    unsetenv("BREVANT_MESSAGEBOX_WAIT");
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(NULL, "Assertion : <x>\nFile : <f>\nLine : 3", "Debug Assertion Failure",
                          MB_OK | MB_ICONERROR),
              IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\n[Debug Assertion Failure]\nAssertion : <x>\nFile : <f>\nLine : 3\n");
    // Asked to wait, it still does not when the input is not a terminal.
    setenv("BREVANT_MESSAGEBOX_WAIT", "1", 1);
    testing::internal::CaptureStderr();
    if (isatty(0) == 0) {
        EXPECT_EQ(MessageBoxA(NULL, "t", NULL, MB_YESNO), IDYES);
    }
    testing::internal::GetCapturedStderr();
    unsetenv("BREVANT_MESSAGEBOX_WAIT");

    std::vector<MessageBoxCall> boxes;
    captureMessageBoxes(&boxes);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(NULL, "text", "caption", 16), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    captureMessageBoxes(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "caption");
    EXPECT_EQ(boxes[0].text, "text");
    EXPECT_EQ(boxes[0].type, 16u);
}
