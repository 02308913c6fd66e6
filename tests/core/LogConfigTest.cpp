#include <climits>
#include <regex>

#include "CoreFixture.h"

namespace {

using core_test::CoreTest;
using nv_test::ScopedEnv;

// Before a start and after a failed one, lines go to standard error with the same prefixes as in the file.
TEST_F(CoreTest, LogStartFailuresAreReportedAndLinesFallBackToStandardError) {
    const auto early = [&] { return core_test::stderrOf([&] { log_manager.writeLog("early %d %s", 42, "bird"); }); };
    const std::regex prefixed(R"(\d\d:\d\d:\d\d +\d+ early 42 bird\n)");
    EXPECT_TRUE(std::regex_match(early(), prefixed));
    ASSERT_EQ(log_manager.startUp(), 0);
    EXPECT_EQ(log_manager.startUp(), -1);
    EXPECT_TRUE(log_manager.isStarted());
    log_manager.shutDown();
    EXPECT_EQ(core_test::messagesOf(nv_test::fileText(log_path)),
              "LogManager::startup(): Warning! LogManager already started.\n");
    const std::string bad = dir.file("no/such/dir/x.log");
    ScopedEnv env("NORVANTIS_LOG", bad);
    const std::string err = core_test::stderrOf([&] { EXPECT_EQ(log_manager.startUp(), -1); });
    EXPECT_NE(err.find("LogManager::startup(): Warning! Unable to open file '" + bad + "'."), std::string::npos);
    EXPECT_FALSE(log_manager.isStarted());
    EXPECT_TRUE(std::regex_match(early(), prefixed));
    ScopedEnv full("NORVANTIS_LOG", std::string("/dev/full"));
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.setFlush(true);
    EXPECT_EQ(log_manager.writeLog("cannot land"), -1);
}

// The file is the variable's, else the configured one, emptied at start; lines above level 0 stay out.
TEST_F(CoreTest, LogFileComesFromTheVariableElseTheConfigurationAndIsTruncated) {
    const std::string configured = dir.write("configured.log", "stale line\n");
    nv::Config::getInstance().loadConfig("logfile:" + configured + ",");
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.setFlush(true);
    const std::string big(10000, 'x');
    EXPECT_EQ((std::vector<int>{log_manager.writeLog(5, "detail %d", 5), log_manager.writeLog(1, "routine"),
                                log_manager.writeLog(0, "level %d", 0), log_manager.writeLog("%s", big.c_str())}),
              (std::vector<int>{0, 0, 7, 10000}));
    EXPECT_EQ(core_test::messagesOf(nv_test::fileText(log_path)), "level 0\n" + big + "\n") << "flushed at once";
    log_manager.shutDown();
    EXPECT_EQ(nv_test::fileText(configured), "stale line\n");
    ScopedEnv unset("NORVANTIS_LOG", std::nullopt);
    ASSERT_EQ(log_manager.startUp(), 0);
    log_manager.writeLog("to the configured file");
    log_manager.shutDown();
    EXPECT_EQ(core_test::messagesOf(nv_test::fileText(configured)), "to the configured file\n");
}

using C = const nv::Config &;
const auto str = [](int v) { return std::to_string(v); };

// Every key: how to read it, its default, a value to write and what that value gives.
const std::tuple<const char *, std::string (*)(C), const char *, const char *, std::string> KEYS[] = {
    {"window_horizontal_pixels", [](C c) { return str(c.getWindowHorizontalPixels()); }, "1024", "800", "800"},
    {"window_vertical_pixels", [](C c) { return str(c.getWindowVerticalPixels()); }, "768", "600", "600"},
    {"window_horizontal_chars", [](C c) { return str(c.getWindowHorizontalChars()); }, "80", "60", "60"},
    {"window_vertical_chars", [](C c) { return str(c.getWindowVerticalChars()); }, "24", "20", "20"},
    {"window_style", [](C c) { return str(c.getWindowStyle()); }, "5", "7", "7"},
    {"window_state", [](C c) { return str(c.getWindowState()); }, "0", "fullscreen", "1"},
    {"window_background_color", [](C c) { return str(c.getWindowBackgroundColor()); }, "0", "cyan", "6"},
    {"frame_time", [](C c) { return str(c.getFrameTime()); }, "33", "16ms", "16"},
    {"font_scale", [](C c) { return std::to_string(c.getFontScale()); }, "2.000000", "1.25x", "1.250000"},
    {"window_title", [](C c) { return c.getWindowTitle(); }, "Norvantis", "My Game", "MyGame"},
    {"show_mouse", [](C c) { return str(c.getShowMouse()); }, "0", "true", "1"},
    {"headless", [](C c) { return str(c.getHeadless()); }, "0", "true", "1"},
    {"font_file", [](C c) { return c.getFontFile(); }, "nv-font.ttf", "other.ttf", "other.ttf"},
    {"logfile", [](C c) { return c.getLogfile(); }, "norvantis.log", "game.log", "game.log"},
    {"random_seed", [](C c) { return str(c.getRandomSeed()); }, "0", "-99999999999999999999", str(INT_MIN)},
    {"networking", [](C c) { return str(c.getNetworking()); }, "1", "TRUE", "0"},
    {"quadtree_threshold", [](C c) { return str(c.getQuadtreeThreshold()); }, "1", "3", "3"},
    {"quadtree_depth", [](C c) { return str(c.getQuadtreeDepth()); }, "10", "abc", "0"},
    {"grid_width", [](C c) { return str(c.getGridWidth()); }, "20", "99999999999999999999", str(INT_MAX)},
    {"grid_height", [](C c) { return str(c.getGridHeight()); }, "8", "-3", "-3"},
    {"signals", [](C c) { return str(c.getSignals()); }, "1", "yes", "0"},
};

// What a file gives, as "key=value" pairs, and the message it writes, if any; the last two cases give every
// key's default and then a value for each key.
TEST_F(CoreTest, ConfigurationFileRules) {
    std::vector<std::array<std::string, 3>> cases = {
        {"frame_time:16,\n# grid_width:99,\ngrid_width:30,\n", "frame_time=16 grid_width=30", ""},
        {"frame_time:16 font_scale:1.5\n", "frame_time=16 font_scale=2.000000", ""},
        {"frame_time:16\ngrid_width:30,\ngrid_height:9,\n", "frame_time=16 grid_width=20 grid_height=9", ""},
        {"  # grid_width:31,\ngrid_height:9,\n", "grid_width=20 grid_height=9", ""},
        {"  #x:1,grid_width:31,\n", "grid_width=31", ""},
        {"frame_time:16,\r\n\r\n#note\r\nwindow_title:Cage,\r\n", "frame_time=16 window_title=Cage", ""},
        {"window_style:0,\n", "window_style=5", "Unsupported window style '0'"},
        {"window_style:none,\n", "window_style=0", ""},
        {"logfile:,\nfont_file,\nframe_time::,\n", "logfile=norvantis.log font_file=nv-font.ttf frame_time=33", ""},
        {"frame_time:10,\nframe_time:20,\n", "frame_time=10", ""},
        {"window_background_color:white,window_state:default,\n", "window_background_color=7 window_state=0", ""},
        {"window_background_color:Purple,\n", "window_background_color=0", "Unsupported window color 'Purple'"},
        {"window_state:maximized,\n", "window_state=0", "Unsupported window state 'maximized'"},
        {"", "", ""}, // no file at all
        {"", "", ""},
    };
    for (const auto &[key, get, default_value, file_value, expected] : KEYS) {
        cases[cases.size() - 2][1] += std::string(key) + "=" + default_value + " ";
        cases.back()[0] += std::string(key) + ":" + file_value + ",\n";
        cases.back()[1] += std::string(key) + "=" + expected + " ";
    }
    for (const auto &[file, values, message] : cases) {
        core_test::resetCore();
        ScopedEnv env("NORVANTIS_CONFIG", file.empty() ? dir.file("absent.txt") : dir.write("case.txt", file));
        const std::string err = core_test::stderrOf([] { nv::Config::getInstance().loadConfig(); });
        std::stringstream pairs(values);
        for (std::string pair; pairs >> pair;) {
            const std::string key = pair.substr(0, pair.find('='));
            const auto *p_k =
                std::find_if(std::begin(KEYS), std::end(KEYS), [&](auto &k) { return std::get<0>(k) == key; });
            EXPECT_EQ(std::get<1>(*p_k)(nv::Config::getInstance()), pair.substr(key.size() + 1)) << file;
        }
        EXPECT_TRUE(message.empty() ? err.empty() : err.find("loadConfig(): " + message) != err.npos) << err;
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
