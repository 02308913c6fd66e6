#include "GlyphcageFixture.h"

#include "display/Sprite.h"
#include "resources/Sound.h"

namespace glyphcage_test {
namespace {

using StartupTest = GlyphcageFixture;

TEST_F(StartupTest, LoadsAllThirtySixSpritesOfTheResourceList) {
    nv::ResourceManager &resource_manager = nv::ResourceManager::getInstance();
    EXPECT_EQ(resource_manager.getSpriteCount(), 36);
    for (const char *label : {"player", "vent", "bars", "toilet", "guard", "raft", "raft-hit", "danger-warning",
                              "shark", "cloud", "lightning", "vents1_AL", "v_prisoner_left", "clue_arrow"}) {
        EXPECT_NE(resource_manager.getSprite(label), nullptr) << label;
    }
    EXPECT_EQ(logText().find("not loaded"), std::string::npos) << logText();
    EXPECT_EQ(logText().find("NOT loaded"), std::string::npos) << logText();
}

TEST_F(StartupTest, SeaPicturesFitTheRowsTheyAreDrawnOn) {
    nv::ResourceManager &resource_manager = nv::ResourceManager::getInstance();
    // The raft's two rows sit on rows 18 and 19; an odd height keeps the fin and bolt on whole rows.
    EXPECT_EQ(resource_manager.getSprite("raft")->getHeight(), 2);
    EXPECT_EQ(resource_manager.getSprite("raft-hit")->getWidth(), resource_manager.getSprite("raft")->getWidth());
    EXPECT_EQ(resource_manager.getSprite("shark")->getHeight() % 2, 1);
    EXPECT_EQ(resource_manager.getSprite("lightning")->getHeight() % 2, 1);
    EXPECT_EQ(resource_manager.getSprite("danger-warning")->getHeight(), 1);
    EXPECT_EQ(resource_manager.getSprite("raft")->getTransparency(), ' ');
}

TEST_F(StartupTest, LoadsBothSoundsUnderTheirLabels) {
    loadSounds();
    nv::ResourceManager &resource_manager = nv::ResourceManager::getInstance();
    EXPECT_EQ(resource_manager.getSoundCount(), 2);
    ASSERT_NE(resource_manager.getSound("shark"), nullptr);
    ASSERT_NE(resource_manager.getSound("lightning"), nullptr);
    EXPECT_EQ(resource_manager.getSound("shark")->getLabel(), "shark");
}

/// The game run from a folder without its data files.
class MissingFilesTest : public GlyphcageFixture {
protected:
    void SetUp() override {
        empty_dir = nv_test::makeTempDir("glyphcage-empty");
        ASSERT_FALSE(empty_dir.empty());
        GlyphcageFixture::SetUp();
    }

    void TearDown() override {
        GlyphcageFixture::TearDown();
        std::error_code ec;
        std::filesystem::remove_all(empty_dir, ec);
    }

    std::string empty_dir;
};

TEST_F(MissingFilesTest, StillReachesTheTitleAndQuitsWithOneReportPerFile) {
    ASSERT_EQ(chdir(empty_dir.c_str()), 0);
    const std::size_t before = nv::ResourceManager::getInstance().getSpriteCount();
    loadResources();
    loadSounds();
    EXPECT_EQ(nv::ResourceManager::getInstance().getSpriteCount(), static_cast<int>(before));
    const std::string log = logText();
    int reports = 0;
    for (std::size_t at = log.find("Cannot open file"); at != std::string::npos;
         at = log.find("Cannot open file", at + 1)) {
        reports++;
    }
    EXPECT_EQ(reports, 36);
    EXPECT_NE(log.find("Cannot load sound from file 'sounds/shark.wav'"), std::string::npos);
    step(2);
    EXPECT_TRUE(onRow(9, "[ ESCAPE FROM GLYPH-CAGE ]"));
    enterLevelOne();
    step(5);
    EXPECT_EQ(p_controller->getState(), PLAYING);
    key(nv::ESCAPE, nv::KEY_PRESSED);
    EXPECT_TRUE(nv::GameManager::getInstance().getGameOver());
}

/// The entry when the engine cannot start.
class EntryTest : public ::testing::Test {
protected:
    void TearDown() override {
        unsetenv("NORVANTIS_CONFIG");
        unsetenv("NORVANTIS_LOG");
    }
};

TEST_F(EntryTest, ReturnsOneWhenTheGameManagerCannotStart) {
    setenv("NORVANTIS_CONFIG", "/nonexistent/nv-config.txt", 1);
    setenv("NORVANTIS_LOG", "/nonexistent/folder/game.log", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(runGlyphcage(), 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Error starting game manager!"), std::string::npos) << errors;
    EXPECT_FALSE(nv::GameManager::getInstance().isStarted());
}

} // namespace
} // namespace glyphcage_test
