#include <gtest/gtest.h>

#include <climits>

#include "CoreTestSupport.h"
#include "core/Config.h"

namespace {

using nv_test::ScopedEnv;
using nv_test::TempDir;

// Each case writes its own configuration file and loads it through NORVANTIS_CONFIG, as the engine does.
class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override { nv_test::resetCoreSingletons(); }
    void TearDown() override { nv_test::resetCoreSingletons(); }

    nv::Config &load(const std::string &name, const std::string &content) {
        const std::string path = dir.write(name, content);
        ScopedEnv env("NORVANTIS_CONFIG", path);
        nv::Config &config = nv::Config::getInstance();
        ::testing::internal::CaptureStderr();
        config.loadConfig();
        messages = ::testing::internal::GetCapturedStderr();
        return config;
    }

    TempDir dir;
    std::string messages;
};

TEST_F(ConfigFileTest, DefaultsWhenTheFileIsMissing) {
    ScopedEnv env("NORVANTIS_CONFIG", dir.file("absent.txt"));
    nv::Config &config = nv::Config::getInstance();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(config.readConfig(), "");
    config.loadConfig();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(config.getWindowHorizontalPixels(), 1024);
    EXPECT_EQ(config.getWindowVerticalPixels(), 768);
    EXPECT_EQ(config.getWindowHorizontalChars(), 80);
    EXPECT_EQ(config.getWindowVerticalChars(), 24);
    EXPECT_EQ(config.getWindowStyle(), 5);
    EXPECT_EQ(config.getWindowState(), 0);
    EXPECT_EQ(config.getWindowBackgroundColor(), 0);
    EXPECT_EQ(config.getFrameTime(), 33);
    EXPECT_FLOAT_EQ(config.getFontScale(), 2.0f);
    EXPECT_EQ(config.getWindowTitle(), "Norvantis");
    EXPECT_FALSE(config.getShowMouse());
    EXPECT_FALSE(config.getHeadless());
    EXPECT_EQ(config.getFontFile(), "nv-font.ttf");
    EXPECT_EQ(config.getLogfile(), "norvantis.log");
    EXPECT_EQ(config.getRandomSeed(), 0);
    EXPECT_TRUE(config.getNetworking());
    EXPECT_EQ(config.getQuadtreeThreshold(), 1);
    EXPECT_EQ(config.getQuadtreeDepth(), 10);
    EXPECT_EQ(config.getGridWidth(), 20);
    EXPECT_EQ(config.getGridHeight(), 8);
    EXPECT_TRUE(config.getSignals());
}

TEST_F(ConfigFileTest, EveryKeyIsApplied) {
    nv::Config &config = load("all.txt", "window_horizontal_pixels:800,\n"
                                         "window_vertical_pixels:600,\n"
                                         "window_horizontal_chars:60,\n"
                                         "window_vertical_chars:20,\n"
                                         "window_style:7,\n"
                                         "window_state:fullscreen,\n"
                                         "window_background_color:cyan,\n"
                                         "frame_time:16,\n"
                                         "font_scale:1.5,\n"
                                         "window_title:Glyphcage,\n"
                                         "show_mouse:true,\n"
                                         "headless:true,\n"
                                         "font_file:other.ttf,\n"
                                         "logfile:game.log,\n"
                                         "random_seed:1234,\n"
                                         "networking:false,\n"
                                         "quadtree_threshold:3,\n"
                                         "quadtree_depth:4,\n"
                                         "grid_width:30,\n"
                                         "grid_height:12,\n"
                                         "signals:false,\n");
    EXPECT_EQ(messages, "");
    EXPECT_EQ(config.getWindowHorizontalPixels(), 800);
    EXPECT_EQ(config.getWindowVerticalPixels(), 600);
    EXPECT_EQ(config.getWindowHorizontalChars(), 60);
    EXPECT_EQ(config.getWindowVerticalChars(), 20);
    EXPECT_EQ(config.getWindowStyle(), 7);
    EXPECT_EQ(config.getWindowState(), 1);
    EXPECT_EQ(config.getWindowBackgroundColor(), 6);
    EXPECT_EQ(config.getFrameTime(), 16);
    EXPECT_FLOAT_EQ(config.getFontScale(), 1.5f);
    EXPECT_EQ(config.getWindowTitle(), "Glyphcage");
    EXPECT_TRUE(config.getShowMouse());
    EXPECT_TRUE(config.getHeadless());
    EXPECT_EQ(config.getFontFile(), "other.ttf");
    EXPECT_EQ(config.getLogfile(), "game.log");
    EXPECT_EQ(config.getRandomSeed(), 1234);
    EXPECT_FALSE(config.getNetworking());
    EXPECT_EQ(config.getQuadtreeThreshold(), 3);
    EXPECT_EQ(config.getQuadtreeDepth(), 4);
    EXPECT_EQ(config.getGridWidth(), 30);
    EXPECT_EQ(config.getGridHeight(), 12);
    EXPECT_FALSE(config.getSignals());
}

TEST_F(ConfigFileTest, BlanksInsideValuesAreRemoved) {
    EXPECT_EQ(load("title.txt", "window_title: My Game,\n").getWindowTitle(), "MyGame");
}

TEST_F(ConfigFileTest, CommentLinesAreSkippedBetweenEntries) {
    nv::Config &config = load("comment.txt", "frame_time:16,\n# grid_width:99,\ngrid_width:30,\n");
    EXPECT_EQ(config.getFrameTime(), 16);
    EXPECT_EQ(config.getGridWidth(), 30);
}

TEST_F(ConfigFileTest, EntriesWithoutCommaBetweenThemMerge) {
    nv::Config &config = load("merge.txt", "frame_time:16 font_scale:1.5\n");
    EXPECT_EQ(config.getFrameTime(), 16);
    EXPECT_FLOAT_EQ(config.getFontScale(), 2.0f);
}

TEST_F(ConfigFileTest, LinesAreJoinedWithoutSeparator) {
    nv::Config &config = load("join.txt", "frame_time:16\ngrid_width:30,\ngrid_height:9,\n");
    EXPECT_EQ(config.getFrameTime(), 16);
    EXPECT_EQ(config.getGridWidth(), 20);
    EXPECT_EQ(config.getGridHeight(), 9);
}

TEST_F(ConfigFileTest, IndentedHashIsNotAComment) {
    nv::Config &config = load("indent.txt", "  # grid_width:31,\ngrid_height:9,\n");
    EXPECT_EQ(config.getGridWidth(), 20);
    EXPECT_EQ(config.getGridHeight(), 9);
    nv::Config &again = load("indent2.txt", "  #x:1,grid_width:31,\n");
    EXPECT_EQ(again.getGridWidth(), 31);
}

TEST_F(ConfigFileTest, CarriageReturnsAreDropped) {
    nv::Config &config = load("crlf.txt", "frame_time:16,\r\n\r\n#note\r\nwindow_title:Cage,\r\n");
    EXPECT_EQ(config.getFrameTime(), 16);
    EXPECT_EQ(config.getWindowTitle(), "Cage");
}

TEST_F(ConfigFileTest, UnsupportedStylesKeepThePreviousValue) {
    nv::Config &config = load("style0.txt", "window_style:0,\n");
    EXPECT_EQ(config.getWindowStyle(), 5);
    EXPECT_NE(messages.find("loadConfig(): Unsupported window style '0'"), std::string::npos);
    load("styleabc.txt", "window_style:abc,\n");
    EXPECT_EQ(config.getWindowStyle(), 5);
    EXPECT_NE(messages.find("loadConfig(): Unsupported window style 'abc'"), std::string::npos);
    load("stylenone.txt", "window_style:none,\n");
    EXPECT_EQ(config.getWindowStyle(), 0);
    EXPECT_EQ(messages, "");
}

TEST_F(ConfigFileTest, BoolsAreCaseSensitive) {
    nv::Config &config = load("bool.txt", "show_mouse:TRUE,headless:true,signals:yes,\n");
    EXPECT_FALSE(config.getShowMouse());
    EXPECT_TRUE(config.getHeadless());
    EXPECT_FALSE(config.getSignals());
}

TEST_F(ConfigFileTest, EmptyValueKeepsTheDefault) {
    nv::Config &config = load("empty.txt", "logfile:,\nfont_file,\nframe_time::,\n");
    EXPECT_EQ(config.getLogfile(), "norvantis.log");
    EXPECT_EQ(config.getFontFile(), "nv-font.ttf");
    EXPECT_EQ(config.getFrameTime(), 33);
}

TEST_F(ConfigFileTest, FirstOccurrenceWins) {
    EXPECT_EQ(load("twice.txt", "frame_time:10,\nframe_time:20,\n").getFrameTime(), 10);
}

TEST_F(ConfigFileTest, ColorsAndStatesByName) {
    nv::Config &config = load("color.txt", "window_background_color:white,window_state:fullscreen,\n");
    EXPECT_EQ(config.getWindowBackgroundColor(), 7);
    EXPECT_EQ(config.getWindowState(), 1);
    load("badcolor.txt", "window_background_color:Purple,window_state:maximized,\n");
    EXPECT_EQ(config.getWindowBackgroundColor(), 7);
    EXPECT_EQ(config.getWindowState(), 1);
    EXPECT_NE(messages.find("loadConfig(): Unsupported window color 'Purple'"), std::string::npos);
    EXPECT_NE(messages.find("loadConfig(): Unsupported window state 'maximized'"), std::string::npos);
    load("default.txt", "window_state:default,\n");
    EXPECT_EQ(config.getWindowState(), 0);
}

TEST_F(ConfigFileTest, NumbersTakeTheirLeadingDigits) {
    nv::Config &config = load("numbers.txt", "frame_time:16ms,grid_width:abc,grid_height:-3,font_scale:1.25x,\n");
    EXPECT_EQ(config.getFrameTime(), 16);
    EXPECT_EQ(config.getGridWidth(), 0);
    EXPECT_EQ(config.getGridHeight(), -3);
    EXPECT_FLOAT_EQ(config.getFontScale(), 1.25f);
}

TEST_F(ConfigFileTest, HugeNumbersSaturateInsteadOfOverflowing) {
    nv::Config &config = load("huge.txt", "frame_time:99999999999999999999,random_seed:-99999999999999999999,\n");
    EXPECT_EQ(config.getFrameTime(), INT_MAX);
    EXPECT_EQ(config.getRandomSeed(), INT_MIN);
}

TEST_F(ConfigFileTest, BinaryGarbageDoesNotCrash) {
    std::string garbage;
    for (int i = 0; i < 4096; i++) {
        garbage.push_back(static_cast<char>((i * 131 + 7) % 256));
    }
    nv::Config &config = load("garbage.txt", garbage);
    EXPECT_GT(config.getWindowHorizontalChars(), 0);
}

TEST(Match, FindsTheFirstExactKey) {
    EXPECT_EQ(nv::match("a:1,b:2,a:3,", "a"), "1");
    EXPECT_EQ(nv::match("a:1,b:2,", "b"), "2");
    EXPECT_EQ(nv::match("a:1,b:2,", "B"), "");
    EXPECT_EQ(nv::match("a:1,b:2,", "c"), "");
}

TEST(Match, EmptyTextReusesThePreviousParse) {
    EXPECT_EQ(nv::match("key:value,", "key"), "value");
    EXPECT_EQ(nv::match("", "key"), "value");
    EXPECT_EQ(nv::match("other:1,", "key"), "");
}

TEST(Match, ColonRunsCountAsOneSeparator) {
    EXPECT_EQ(nv::match("::a::1:extra,,b:2", "a"), "1");
    EXPECT_EQ(nv::match("::a::1:extra,,b:2", "b"), "2");
    EXPECT_EQ(nv::match("a:1,:::,b:2", "b"), "");
    EXPECT_EQ(nv::match("\ta : 1 ,", "a"), "1");
}

} // namespace
