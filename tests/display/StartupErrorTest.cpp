#include "DisplayTestSupport.h"

#include <fstream>

#include "display/SfmlBridge.h"

namespace {

struct StartupFailure {
    const char *display;   ///< DISPLAY during the start, or null for the one the tests run under
    const char *font_file; ///< "@" stands for the test's own temporary folder
    const char *reason;    ///< expected in the log and in the one line on standard error
};

class StartupErrorTest : public ::testing::TestWithParam<StartupFailure> {
protected:
    void SetUp() override { display_test::resetDisplay(); }
    void TearDown() override {
        // A start that failed after opening the window leaves it for shutDown() to release.
        nv::DisplayManager::getInstance().shutDown();
        display_test::resetDisplay();
    }
    std::string withDir(std::string text) const {
        const std::string::size_type at = text.find('@');
        return at == std::string::npos ? text : text.replace(at, 1, dir);
    }
    nv_test::TempDir tmp{"nv-startup"};
    const std::string dir = tmp.path;
    nv_test::ScopedEnv display{"DISPLAY", std::getenv("DISPLAY") ? std::optional<std::string>(std::getenv("DISPLAY"))
                                                                 : std::nullopt};
    nv_test::ScopedEnv config{"NORVANTIS_CONFIG", dir + "/config"};
};

TEST_P(StartupErrorTest, FailsWithTheReasonOnOneLineAndInTheLog) {
    const StartupFailure &failure = GetParam();
    std::ofstream(dir + "/config") << "networking:false,\nfont_file:" << withDir(failure.font_file)
                                   << ",\nlogfile:" << dir << "/game.log,\n";
    if (failure.display != nullptr)
        setenv("DISPLAY", failure.display, 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(nv::GameManager::getInstance().startUp(), -1);
    const std::string err = testing::internal::GetCapturedStderr();
    nv::GameManager::getInstance().shutDown();
    const std::string reason = withDir(failure.reason);
    EXPECT_EQ(nv_test::countOf(err, "Norvantis: start-up failed: " + reason), 1) << err;
    EXPECT_EQ(nv_test::countOf(err, "Details in the log: " + dir + "/game.log\n"), 1) << err;
    EXPECT_EQ(nv_test::countOf(nv_test::fileText(dir + "/game.log"), reason), 1);
    EXPECT_EQ(nv::SfmlBridge::nativeDisplay() == nullptr, failure.display != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, StartupErrorTest,
    ::testing::Values(
        StartupFailure{":93", display_test::FONT_PATH.c_str(),
                       "No display to open a window on (no X server answers on DISPLAY=:93)."},
        StartupFailure{"", display_test::FONT_PATH.c_str(), "No display to open a window on (DISPLAY is not set)."},
        StartupFailure{nullptr, "@/nv-font.ttf",
                       "Font file 'nv-font.ttf' not found in folder '@': scripts/play.sh stages it, or copy DejaVu "
                       "Sans Mono Bold there as nv-font.ttf."}));

} // namespace
