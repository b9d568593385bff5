#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "TempDir.h"
#include "brevant/platform.h"
#include "windows.h"

using namespace brevant::platform;

TEST(Setting, EnvironmentThenFileThenDefault) {
    brevant::test::TempDir dir;
    brevant::test::writeFile(dir.file("brevant.conf"),
                             "# comment\n  ALPHA = from file \nBETA=file\nBETA=last\n\nnoequals\n");
    setenv("BREVANT_CONFIG", dir.file("brevant.conf").c_str(), 1);
    setenv("BREVANT_BETA", "from environment", 1);
    unsetenv("BREVANT_ALPHA");
    EXPECT_EQ(setting("ALPHA", "d"), "from file");
    EXPECT_EQ(setting("BETA", "d"), "from environment");
    unsetenv("BREVANT_BETA");
    EXPECT_EQ(setting("BETA", "d"), "last");
    EXPECT_EQ(setting("GAMMA", "d"), "d");
    setenv("BREVANT_CONFIG", dir.file("missing.conf").c_str(), 1);
    EXPECT_EQ(setting("ALPHA", "d"), "d");
    unsetenv("BREVANT_CONFIG");
}

TEST(Setting, TruthValues) {
    const struct {
        const char* value;
        bool expected;
    } cases[] = {{"1", true},  {"true", true}, {"YES", true},    {"On", true},
                 {"0", false}, {"no", false},  {"FALSE", false}, {" off ", false}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        setenv("BREVANT_FLAG", cases[i].value, 1);
        EXPECT_EQ(settingIsTrue("FLAG", !cases[i].expected), cases[i].expected);
    }
    unsetenv("BREVANT_FLAG");
    EXPECT_TRUE(settingIsTrue("FLAG", true));
}

// A setting given that cannot be used is said once, with the setting's name
// as it was given and the reason, and the default applies.
TEST(Setting, UnusableSettingsAreReportedOnceAndTheDefaultApplies) {
    brevant::test::TempDir dir;
    const std::string program = program_invocation_short_name;
    const std::string config = dir.file("brevant.conf");
    brevant::test::writeFile(config, "CHOICE=sideways\nFILEFLAG=perhaps\n");
    setenv("BREVANT_CONFIG", config.c_str(), 1);
    setenv("BREVANT_TRUTH", "maybe", 1);
    setenv("BREVANT_PICK", "Invoke", 1);

    testing::internal::CaptureStderr();
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(settingIsTrue("TRUTH", true));
        EXPECT_FALSE(settingIsTrue("FILEFLAG", false));
        EXPECT_EQ(settingChoice("PICK", {"direct", "invoke"}), "invoke");
        EXPECT_EQ(settingChoice("CHOICE", {"direct", "invoke"}), "direct");
        EXPECT_EQ(settingChoice("UNSET", {"direct", "invoke"}), "direct");
    }
    const std::string missing = dir.file("missing.conf");
    setenv("BREVANT_CONFIG", missing.c_str(), 1);
    EXPECT_EQ(setting("ALPHA", "d"), "d");
    EXPECT_EQ(setting("BETA", "d"), "d");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              program +
                  ": the setting BREVANT_TRUTH: \"maybe\" is none of 1, true, yes, on, 0, "
                  "false, no, off; it counts as true.\n" +
                  program + ": the setting FILEFLAG in " + config +
                  ": \"perhaps\" is none of 1, true, yes, on, 0, false, no, off; it counts as "
                  "false.\n" +
                  program + ": the setting CHOICE in " + config +
                  ": \"sideways\" is not direct or invoke; direct applies.\n" + program +
                  ": the setting BREVANT_CONFIG: \"" + missing +
                  "\" cannot be read: the file cannot be found; the defaults apply.\n");
    unsetenv("BREVANT_CONFIG");
    unsetenv("BREVANT_TRUTH");
    unsetenv("BREVANT_PICK");
}

// The setting is read once, when the clock is first asked; the check runs in
// a fresh process so that no earlier test has asked it already.
TEST(Clock, FixedFromSettingThenSetAndReleased) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("BREVANT_CLOCK", "2026-12-03 09:00", 1);
            struct tm expected = {};
            expected.tm_year = 126;
            expected.tm_mon = 11;
            expected.tm_mday = 3;
            expected.tm_hour = 9;
            expected.tm_isdst = -1;
            const bool fixed = now() == mktime(&expected) && now() == mktime(&expected);
            setClock(1000);
            const bool set = now() == 1000;
            setClock(0);
            const bool released = llabs((long long)(now() - time(nullptr))) < 5;
            exit(fixed && set && released ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(Clock, AClockSettingThatIsNoTimeIsReportedAndTheClockRuns) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("BREVANT_CLOCK", "2024-02-30 10:00", 1);
            exit(llabs((long long)(now() - time(nullptr))) < 5 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "the setting BREVANT_CLOCK: \"2024-02-30 10:00\" is not a local time "
        "YYYY-MM-DD HH:MM\\[:SS\\] that exists; the clock runs\\.");
}

TEST(FaultSeam, NthCallFailsOnceWithItsError) {
    unsigned long error = 0;
    EXPECT_FALSE(shouldFail(Operation::FileWrite, error));
    failAfter(Operation::FileWrite, 3, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(shouldFail(Operation::FileWrite, error));
    EXPECT_FALSE(shouldFail(Operation::Rename, error));  // other operations count apart
    EXPECT_FALSE(shouldFail(Operation::FileWrite, error));
    EXPECT_TRUE(shouldFail(Operation::FileWrite, error));
    EXPECT_EQ(error, (unsigned long)ERROR_ACCESS_DENIED);
    EXPECT_FALSE(shouldFail(Operation::FileWrite, error));
    failAfter(Operation::Rename, 1);
    failAfter(Operation::Rename, 0);
    EXPECT_FALSE(shouldFail(Operation::Rename, error));

    // What is still to come before the failure, that call included.
    failAfter(Operation::FileFlush, 2);
    EXPECT_EQ(pendingFault(Operation::FileFlush), 2);
    EXPECT_FALSE(shouldFail(Operation::FileFlush, error));
    EXPECT_EQ(pendingFault(Operation::FileFlush), 1);
    EXPECT_TRUE(shouldFail(Operation::FileFlush, error));
    EXPECT_EQ(pendingFault(Operation::FileFlush), 0);
    EXPECT_EQ(pendingFault(Operation::Rename), 0);
}

TEST(LastError, KeptPerThread) {
    SetLastError(ERROR_DISK_FULL);
    DWORD other = 1;
    std::thread([&] {
        other = GetLastError();
        SetLastError(ERROR_ACCESS_DENIED);
    }).join();
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL);
}
