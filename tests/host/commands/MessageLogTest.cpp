#include <maya/MGlobal.h>

#include <vxhost/MessageLog.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

using vxhost::Severity;

namespace
{
class MessageLogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        vxhost::SetMessageEcho(false);
        vxhost::ClearMessages();
        vxhost::SetMessageEcho(true);
    }
};
} // namespace

TEST_F(MessageLogTest, RepeatsCollapseUntilTextSeverityOrFlushEndsTheRun)
{
    testing::internal::CaptureStderr();
    for (int i = 0; i < 100000; ++i)
        MGlobal::displayError("particle has no mass");
    // Nothing is written while the run may still grow.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    MGlobal::displayWarning("particle has no mass"); // same text, other severity
    MGlobal::displayInfo("done");
    MGlobal::displayInfo("done");
    vxhost::FlushMessages();
    MGlobal::displayInfo("done"); // the flush ended the run: a new one starts
    vxhost::LogMessage(Severity::kResult, "3");
    // What a script prints is written at once, as it stands, and joins the
    // output before it.
    vxhost::LogMessage(Severity::kOutput, "a\n");
    vxhost::LogMessage(Severity::kOutput, "b");
    vxhost::FlushMessages();
    // Results and output are what was asked for: stdout. The rest is stderr.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "// Result: 3 //\na\nb");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "// Error: particle has no mass // (repeated 100000 times)\n"
              "// Warning: particle has no mass //\n"
              "done (repeated 2 times)\n"
              "done\n");

    const std::vector<vxhost::Message> log = vxhost::Messages();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[5].text, "a\nb");
    EXPECT_EQ(log[0].count, 100000u);
    EXPECT_EQ(log[2].count, 2u);
    EXPECT_EQ(log[3].count, 1u);
    vxhost::ClearMessages();
    EXPECT_TRUE(vxhost::Messages().empty());
}

TEST_F(MessageLogTest, WorkerThreadsLoseNoReports)
{
    vxhost::SetMessageEcho(false);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back(
            []
            {
                for (int i = 0; i < 5000; ++i)
                    MGlobal::displayWarning("shared");
            });
    for (auto& w : workers)
        w.join();
    const auto log = vxhost::Messages();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].count, 20000u);
}

TEST_F(MessageLogTest, PendingRunIsWrittenAtExit)
{
    EXPECT_EXIT(
        {
            MGlobal::displayError("late");
            MGlobal::displayError("late");
            std::exit(0);
        },
        testing::ExitedWithCode(0), "// Error: late // \\(repeated 2 times\\)");
}
