#include <gtest/gtest.h>

#include <regex>

#include "CoreTestSupport.h"
#include "core/Config.h"
#include "core/LogManager.h"

namespace {

using nv_test::readFile;
using nv_test::ScopedEnv;
using nv_test::TempDir;

class LogManagerTest : public ::testing::Test {
protected:
    void SetUp() override { nv_test::resetCoreSingletons(); }
    void TearDown() override { nv_test::resetCoreSingletons(); }

    nv::LogManager &log_manager = nv::LogManager::getInstance();
    TempDir dir;
};

const std::regex LINE_PREFIX(R"(^\d\d:\d\d:\d\d +\d+ )");

TEST_F(LogManagerTest, LinesBeforeStartUpGoToStandardErrorWithBothPrefixes) {
    ::testing::internal::CaptureStderr();
    const int written = log_manager.writeLog("early %d %s", 42, "bird");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, 13);
    EXPECT_TRUE(std::regex_match(err, std::regex(R"(\d\d:\d\d:\d\d +\d+ early 42 bird\n)"))) << err;
}

TEST_F(LogManagerTest, NorvantisLogNamesTheFileAndTheConfiguredOneIsNotCreated) {
    const std::string configured = dir.file("configured.log");
    nv::Config::getInstance().loadConfig("logfile:" + configured + ",");
    const std::string chosen = dir.file("chosen.log");
    ScopedEnv env("NORVANTIS_LOG", chosen);
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.writeLog("hello");
    log_manager.shutDown();
    EXPECT_NE(readFile(chosen).find(" hello\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(configured));
}

TEST_F(LogManagerTest, ConfiguredFileIsUsedWithoutTheVariable) {
    ScopedEnv env("NORVANTIS_LOG", std::nullopt);
    const std::string configured = dir.file("configured.log");
    nv::Config::getInstance().loadConfig("logfile:" + configured + ",");
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.writeLog("to the configured file");
    log_manager.shutDown();
    EXPECT_NE(readFile(configured).find("to the configured file"), std::string::npos);
}

TEST_F(LogManagerTest, StartUpTruncatesAnOldLog) {
    const std::string path = dir.write("old.log", "stale line from an earlier run\n");
    ScopedEnv env("NORVANTIS_LOG", path);
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.writeLog("fresh");
    log_manager.shutDown();
    const std::string content = readFile(path);
    EXPECT_EQ(content.find("stale"), std::string::npos);
    EXPECT_NE(content.find("fresh"), std::string::npos);
}

TEST_F(LogManagerTest, LevelledLinesAreSuppressedAtLevelZero) {
    const std::string path = dir.file("levels.log");
    ScopedEnv env("NORVANTIS_LOG", path);
    ASSERT_EQ(log_manager.startUp(), 0);
    EXPECT_EQ(log_manager.getLogLevel(), 0);
    EXPECT_EQ(log_manager.writeLog(5, "detail %d", 5), 0);
    EXPECT_EQ(log_manager.writeLog(1, "routine"), 0);
    EXPECT_EQ(log_manager.writeLog(0, "level zero"), 10);
    EXPECT_EQ(log_manager.writeLog("no level"), 8);
    log_manager.shutDown();
    const std::vector<std::string> got = nv_test::lines(readFile(path));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(std::regex_search(got[0], LINE_PREFIX));
    EXPECT_EQ(got[0].substr(14), "level zero");
    EXPECT_EQ(got[1].substr(14), "no level");
}

TEST_F(LogManagerTest, SecondStartUpFailsAndWarnsIntoTheOpenFile) {
    const std::string path = dir.file("twice.log");
    ScopedEnv env("NORVANTIS_LOG", path);
    ASSERT_EQ(log_manager.startUp(), 0);
    EXPECT_EQ(log_manager.startUp(), -1);
    EXPECT_TRUE(log_manager.isStarted());
    log_manager.shutDown();
    EXPECT_NE(readFile(path).find("LogManager::startup(): Warning! LogManager already started."), std::string::npos);
}

TEST_F(LogManagerTest, UnopenableFileFailsWithWarningOnStandardError) {
    const std::string path = dir.file("no/such/dir/x.log");
    ScopedEnv env("NORVANTIS_LOG", path);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(log_manager.startUp(), -1);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(log_manager.isStarted());
    EXPECT_NE(err.find("LogManager::startup(): Warning! Unable to open file '" + path + "'."), std::string::npos);
}

TEST_F(LogManagerTest, LinesAfterShutDownGoToStandardError) {
    const std::string path = dir.file("after.log");
    ScopedEnv env("NORVANTIS_LOG", path);
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.shutDown();
    ::testing::internal::CaptureStderr();
    log_manager.writeLog("late");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_match(err, std::regex(R"(\d\d:\d\d:\d\d +\d+ late\n)"))) << err;
    EXPECT_EQ(readFile(path).find("late"), std::string::npos);
}

TEST_F(LogManagerTest, LongMessagesAreWrittenWhole) {
    const std::string path = dir.file("long.log");
    ScopedEnv env("NORVANTIS_LOG", path);
    ASSERT_EQ(log_manager.startUp(), 0);
    const std::string big(10000, 'x');
    EXPECT_EQ(log_manager.writeLog("%s", big.c_str()), 10000);
    log_manager.shutDown();
    EXPECT_NE(readFile(path).find(big + "\n"), std::string::npos);
}

TEST_F(LogManagerTest, FailedWriteIsReported) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    ScopedEnv env("NORVANTIS_LOG", std::string("/dev/full"));
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.setFlush(true);
    EXPECT_EQ(log_manager.writeLog("cannot land"), -1);
    log_manager.setFlush(false);
    log_manager.shutDown();
}

TEST_F(LogManagerTest, FlushedLinesAreOnDiskAtOnce) {
    const std::string path = dir.file("flush.log");
    ScopedEnv env("NORVANTIS_LOG", path);
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.setFlush(true);
    log_manager.writeLog("visible now");
    EXPECT_NE(readFile(path).find("visible now\n"), std::string::npos);
    log_manager.shutDown();
}

TEST(GetTimeString, IsAClockTimeOfDay) {
    const std::string text = nv::getTimeString();
    ASSERT_TRUE(std::regex_match(text, std::regex(R"(\d\d:\d\d:\d\d)"))) << text;
    EXPECT_LT(std::stoi(text.substr(0, 2)), 24);
    EXPECT_LT(std::stoi(text.substr(3, 2)), 60);
    EXPECT_LT(std::stoi(text.substr(6, 2)), 61);
}

} // namespace
