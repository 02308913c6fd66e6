#include <climits>
#include <regex>

#include "CoreFixture.h"
#include "world/utility.h"

namespace {

using core_test::CoreTest;
using nv_test::fileText;
using nv_test::ScopedEnv;

const std::regex PREFIXED(R"(\d\d:\d\d:\d\d +\d+ )");

TEST_F(CoreTest, LogLinesOutsideAStartedLogGoToStandardErrorWithBothPrefixes) {
    for (int started = 0; started < 2; started++) {
        if (started == 1) {
            ASSERT_EQ(log_manager.startUp(), 0);
            log_manager.shutDown();
        }
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(log_manager.writeLog("early %d %s", 42, "bird"), 13);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::regex_match(err, std::regex(R"(\d\d:\d\d:\d\d +\d+ early 42 bird\n)"))) << err;
    }
    EXPECT_EQ(fileText(log_path).find("early"), std::string::npos);
    const std::string time = nv::getTimeString();
    ASSERT_TRUE(std::regex_match(time, std::regex(R"(([01]\d|2[0-3]):[0-5]\d:[0-6]\d)"))) << time;
}

TEST_F(CoreTest, LogFileComesFromTheVariableElseTheConfigurationAndIsTruncated) {
    const std::string configured = dir.write("configured.log", "stale line\n");
    nv::Config::getInstance().loadConfig("logfile:" + configured + ",");
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.writeLog("hello");
    EXPECT_NE(stopLog().find(" hello\n"), std::string::npos);
    EXPECT_EQ(fileText(configured), "stale line\n");
    ScopedEnv unset("NORVANTIS_LOG", std::nullopt);
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.writeLog("to the configured file");
    log_manager.shutDown();
    EXPECT_EQ(fileText(configured).find("stale"), std::string::npos);
    EXPECT_NE(fileText(configured).find("to the configured file"), std::string::npos);
}

TEST_F(CoreTest, OnlyLinesWithoutOrAtLevelZeroAreWritten) {
    ASSERT_EQ(log_manager.startUp(), 0);
    EXPECT_EQ(log_manager.getLogLevel(), 0);
    EXPECT_EQ(log_manager.writeLog(5, "detail %d", 5), 0);
    EXPECT_EQ(log_manager.writeLog(1, "routine"), 0);
    EXPECT_EQ(log_manager.writeLog(0, "level zero"), 10);
    EXPECT_EQ(log_manager.writeLog("no level"), 8);
    const std::string big(10000, 'x');
    EXPECT_EQ(log_manager.writeLog("%s", big.c_str()), 10000);
    log_manager.setFlush(true);
    log_manager.writeLog("visible now");
    EXPECT_NE(fileText(log_path).find("visible now\n"), std::string::npos) << "flushed at once";
    std::stringstream text(stopLog());
    std::vector<std::string> messages;
    for (std::string line; std::getline(text, line);) {
        EXPECT_TRUE(std::regex_search(line, PREFIXED)) << line;
        messages.push_back(line.substr(14));
    }
    EXPECT_EQ(messages, (std::vector<std::string>{"level zero", "no level", big, "visible now"}));
}

TEST_F(CoreTest, LogStartFailuresAreReported) {
    ASSERT_EQ(log_manager.startUp(), 0);
    EXPECT_EQ(log_manager.startUp(), -1);
    EXPECT_TRUE(log_manager.isStarted());
    EXPECT_NE(stopLog().find("LogManager::startup(): Warning! LogManager already started."), std::string::npos);
    const std::string bad = dir.file("no/such/dir/x.log");
    ScopedEnv env("NORVANTIS_LOG", bad);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(log_manager.startUp(), -1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("LogManager::startup(): Warning! Unable to open file '" +
                                                            bad + "'."),
              std::string::npos);
    EXPECT_FALSE(log_manager.isStarted());
    ScopedEnv full("NORVANTIS_LOG", std::string("/dev/full"));
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.setFlush(true);
    EXPECT_EQ(log_manager.writeLog("cannot land"), -1);
}

// One configuration key: how to read it, its default, a value to write and what that value gives.
struct KeyCase {
    const char *key;
    std::function<std::string(const nv::Config &)> get;
    const char *default_value;
    const char *file_value;
    std::string expected;
};

std::string str(int v) {
    return std::to_string(v);
}
std::string str(bool v) {
    return v ? "true" : "false";
}

TEST_F(CoreTest, EveryConfigurationKeyHasItsDefaultAndIsApplied) {
    using C = const nv::Config &;
    const std::vector<KeyCase> keys = {
        {"window_horizontal_pixels", [](C c) { return str(c.getWindowHorizontalPixels()); }, "1024", "800", "800"},
        {"window_vertical_pixels", [](C c) { return str(c.getWindowVerticalPixels()); }, "768", "600", "600"},
        {"window_horizontal_chars", [](C c) { return str(c.getWindowHorizontalChars()); }, "80", "60", "60"},
        {"window_vertical_chars", [](C c) { return str(c.getWindowVerticalChars()); }, "24", "20", "20"},
        {"window_style", [](C c) { return str(c.getWindowStyle()); }, "5", "7", "7"},
        {"window_state", [](C c) { return str(c.getWindowState()); }, "0", "fullscreen", "1"},
        {"window_background_color", [](C c) { return str(c.getWindowBackgroundColor()); }, "0", "cyan", "6"},
        {"frame_time", [](C c) { return str(c.getFrameTime()); }, "33", "16ms", "16"},
        {"font_scale", [](C c) { return nv::floatToString(c.getFontScale()); }, "2", "1.25x", "1.25"},
        {"window_title", [](C c) { return c.getWindowTitle(); }, "Norvantis", "My Game", "MyGame"},
        {"show_mouse", [](C c) { return str(c.getShowMouse()); }, "false", "true", "true"},
        {"headless", [](C c) { return str(c.getHeadless()); }, "false", "true", "true"},
        {"font_file", [](C c) { return c.getFontFile(); }, "nv-font.ttf", "other.ttf", "other.ttf"},
        {"logfile", [](C c) { return c.getLogfile(); }, "norvantis.log", "game.log", "game.log"},
        {"random_seed", [](C c) { return str(c.getRandomSeed()); }, "0", "-99999999999999999999", str(INT_MIN)},
        {"networking", [](C c) { return str(c.getNetworking()); }, "true", "TRUE", "false"},
        {"quadtree_threshold", [](C c) { return str(c.getQuadtreeThreshold()); }, "1", "3", "3"},
        {"quadtree_depth", [](C c) { return str(c.getQuadtreeDepth()); }, "10", "abc", "0"},
        {"grid_width", [](C c) { return str(c.getGridWidth()); }, "20", "99999999999999999999", str(INT_MAX)},
        {"grid_height", [](C c) { return str(c.getGridHeight()); }, "8", "-3", "-3"},
        {"signals", [](C c) { return str(c.getSignals()); }, "true", "yes", "false"},
    };
    nv::Config &config = nv::Config::getInstance();
    ScopedEnv env("NORVANTIS_CONFIG", dir.file("absent.txt"));
    EXPECT_EQ(config.readConfig(), "");
    std::string file;
    for (const KeyCase &k : keys) {
        EXPECT_EQ(k.get(config), k.default_value) << k.key;
        file += std::string(k.key) + ":" + k.file_value + ",\n";
    }
    ScopedEnv real("NORVANTIS_CONFIG", dir.write("all.txt", file));
    ::testing::internal::CaptureStderr();
    config.loadConfig();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    for (const KeyCase &k : keys) {
        EXPECT_EQ(k.get(config), k.expected) << k.key;
    }
}

// The file's syntax: what a file gives for a key, and the message it writes, if any.
TEST_F(CoreTest, ConfigurationFileRules) {
    using C = const nv::Config &;
    const auto frame = [](C c) { return str(c.getFrameTime()); };
    const auto grid = [](C c) { return str(c.getGridWidth()) + "x" + str(c.getGridHeight()); };
    const auto style = [](C c) { return str(c.getWindowStyle()); };
    const auto look = [](C c) { return str(c.getWindowBackgroundColor()) + "/" + str(c.getWindowState()); };
    const struct {
        const char *file;
        std::function<std::string(C)> get;
        const char *expected;
        const char *message;
    } cases[] = {
        {"frame_time:16,\n# grid_width:99,\ngrid_width:30,\n", grid, "30x8", ""},
        {"frame_time:16 font_scale:1.5\n", [&](C c) { return frame(c) + nv::floatToString(c.getFontScale()); }, "162",
         ""},
        {"frame_time:16\ngrid_width:30,\ngrid_height:9,\n", [&](C c) { return frame(c) + "," + grid(c); }, "16,20x9",
         ""},
        {"  # grid_width:31,\ngrid_height:9,\n", grid, "20x9", ""},
        {"  #x:1,grid_width:31,\n", grid, "31x8", ""},
        {"frame_time:16,\r\n\r\n#note\r\nwindow_title:Cage,\r\n", [&](C c) { return frame(c) + c.getWindowTitle(); },
         "16Cage", ""},
        {"window_style:0,\n", style, "5", "loadConfig(): Unsupported window style '0'"},
        {"window_style:abc,\n", style, "5", "loadConfig(): Unsupported window style 'abc'"},
        {"window_style:none,\n", style, "0", ""},
        {"logfile:,\nfont_file,\nframe_time::,\n", [&](C c) { return c.getLogfile() + c.getFontFile() + frame(c); },
         "norvantis.lognv-font.ttf33", ""},
        {"frame_time:10,\nframe_time:20,\n", frame, "10", ""},
        {"window_background_color:white,window_state:default,\n", look, "7/0", ""},
        {"window_background_color:Purple,\n", look, "0/0", "loadConfig(): Unsupported window color 'Purple'"},
        {"window_state:maximized,\n", look, "0/0", "loadConfig(): Unsupported window state 'maximized'"},
    };
    for (const auto &c : cases) {
        core_test::resetCore();
        ScopedEnv env("NORVANTIS_CONFIG", dir.write("case.txt", c.file));
        ::testing::internal::CaptureStderr();
        nv::Config::getInstance().loadConfig();
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(c.get(nv::Config::getInstance()), c.expected) << c.file;
        if (*c.message == '\0') {
            EXPECT_EQ(err, "") << c.file;
        } else {
            EXPECT_NE(err.find(c.message), std::string::npos) << c.file << err;
        }
    }
}

TEST(Match, FindsTheFirstExactKeyAndReusesTheLastParse) {
    const char *const cases[][3] = {
        {"a:1,b:2,a:3,", "a", "1"}, {"a:1,b:2,", "b", "2"},          {"a:1,b:2,", "B", ""},
        {"a:1,b:2,", "c", ""},      {"key:value,", "key", "value"},  {"", "key", "value"},
        {"other:1,", "key", ""},    {"::a::1:extra,,b:2", "a", "1"}, {"::a::1:extra,,b:2", "b", "2"},
        {"a:1,:::,b:2", "b", ""},   {"\ta : 1 ,", "a", "1"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(nv::match(c[0], c[1]), c[2]) << c[0] << " / " << c[1];
    }
}

} // namespace
