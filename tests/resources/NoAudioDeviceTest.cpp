#include "ResourceTestSupport.h"
#include "WaveFile.h"

#include <SFML/Config.hpp>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/GameManager.h"
#include "resources/Sound.h"

using nv_test::writeFile;

namespace {

// Set in the copy of this program that runs without audio: "engine" stops the engine before returning from
// main, "no-shutdown" leaves the loaded sound to the destructors that run at exit.
const char *const CHILD_MODE_VAR = "NV_TEST_NO_AUDIO_CHILD";
const char *const CHILD_TONE_VAR = "NV_TEST_NO_AUDIO_TONE";

struct ChildRun {
    bool exited = false;
    int status = -1;
    std::string output;
};

// Runs one test of this program again in a fresh process whose audio library can open no device at all (no
// configuration file of the caller's, and only a driver that does not exist), returning its exit and output.
ChildRun runWithoutAudio(const std::string &test_name, const std::string &mode) {
    const std::string tone = writeFile("no-audio-tone.wav", nv_test::sineWave(0.2, 440.0, 0.5));
    const std::string conf = writeFile("alsoft-none.conf", "[general]\ndrivers = no-such-driver\n");
    const std::string config = writeFile("no-audio-config.txt", "headless:true,\nnetworking:false,\n");
    const std::string out_path = nv_test::scratchDir() + "/no-audio-" + mode + ".out";
    const std::string filter = "--gtest_filter=" + test_name;
    ChildRun run;
    const pid_t child = fork();
    if (child == -1) {
        return run;
    }
    if (child == 0) {
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
        }
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        setenv("ALSOFT_DRIVERS", "no-such-driver", 1);
        setenv("NORVANTIS_CONFIG", config.c_str(), 1);
        setenv("NORVANTIS_LOG", (nv_test::scratchDir() + "/no-audio-" + mode + ".log").c_str(), 1);
        setenv(CHILD_TONE_VAR, tone.c_str(), 1);
        setenv(CHILD_MODE_VAR, mode.c_str(), 1);
        execl("/proc/self/exe", "nv_tests_resources", filter.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.exited = true;
        run.status = WEXITSTATUS(status);
    }
    run.output = nv_test::fileText(out_path);
    return run;
}

// The checks shared by both ways of ending: the copy really ran its test without a device, and left cleanly.
void expectCleanExitWithoutDevice(const ChildRun &run) {
    EXPECT_TRUE(run.exited) << "the program was killed by a signal:\n" << run.output;
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("[  PASSED  ] 1 test"), std::string::npos) << run.output;
#if SFML_VERSION_MAJOR < 3
    EXPECT_NE(run.output.find("Failed to open the audio device"), std::string::npos)
        << "the audio library found a device after all, so nothing was tested:\n"
        << run.output;
#endif
}

// What the copy does with its sounds, as the game does with its two: load, play and stop them, without a device.
void playTheTones(nv::ResourceManager &rm) {
    for (const char *label : {"shark", "lightning"}) {
        ASSERT_EQ(rm.loadSound(std::getenv(CHILD_TONE_VAR), label), 0);
        nv::Sound *p_sound = rm.getSound(label);
        ASSERT_NE(p_sound, nullptr);
        p_sound->play(true);
        p_sound->stop();
        p_sound->play();
        EXPECT_FALSE(p_sound->isPlaying());
    }
}

} // namespace

// Each test runs twice: as itself, starting a copy of this program without audio, and inside that copy.
TEST(NoAudioDevice, TheEngineStopsAndTheProgramExitsCleanly) {
    if (const char *mode = std::getenv(CHILD_MODE_VAR)) {
        ASSERT_STREQ(mode, "engine");
        nv::GameManager &game_manager = nv::GameManager::getInstance();
        ASSERT_EQ(game_manager.startUp(), 0);
        playTheTones(nv::ResourceManager::getInstance());
        game_manager.shutDown();
        EXPECT_FALSE(nv::ResourceManager::getInstance().isStarted());
        return;
    }
    expectCleanExitWithoutDevice(runWithoutAudio("NoAudioDevice.TheEngineStopsAndTheProgramExitsCleanly", "engine"));
}

TEST(NoAudioDevice, SoundsStillLoadedAtExitAreDestroyedCleanly) {
    if (const char *mode = std::getenv(CHILD_MODE_VAR)) {
        ASSERT_STREQ(mode, "no-shutdown");
        nv::ResourceManager &rm = nv::ResourceManager::getInstance();
        ASSERT_EQ(rm.startUp(), 0);
        playTheTones(rm);
        return;
    }
    expectCleanExitWithoutDevice(
        runWithoutAudio("NoAudioDevice.SoundsStillLoadedAtExitAreDestroyedCleanly", "no-shutdown"));
}

// Stopping the manager frees what the sounds hold in the audio library, and a restart loads into empty entries.
TEST(NoAudioDevice, ShutDownReleasesSoundsAndAReloadPlaysAgain) {
    const bool configured = [] {
        const std::string conf = writeFile("alsoft-null.conf", "[general]\ndrivers = wave\n[wave]\nfile = /dev/null\n");
        return setenv("ALSOFT_CONF", conf.c_str(), 0) == 0;
    }();
    ASSERT_TRUE(configured);
    nv::ResourceManager &rm = nv::ResourceManager::getInstance();
    nv_test::stopIfStarted(rm);
    ASSERT_EQ(rm.startUp(), 0);
    const std::string tone = writeFile("reload-tone.wav", nv_test::sineWave(2.0, 440.0, 0.5));
    ASSERT_EQ(rm.loadSound(tone, "tone"), 0);
    nv::Sound *p_sound = rm.getSound("tone");
    ASSERT_NE(p_sound, nullptr);
    p_sound->play(true);
    rm.shutDown();
    EXPECT_FALSE(p_sound->isPlaying());
    p_sound->play(true);
    EXPECT_FALSE(p_sound->isPlaying()) << "a released entry must have no voice left to play";

    ASSERT_EQ(rm.startUp(), 0);
    ASSERT_EQ(rm.loadSound(tone, "again"), 0);
    EXPECT_EQ(rm.getSound("again"), p_sound);
    p_sound->play();
    EXPECT_TRUE(p_sound->isPlaying());
    p_sound->stop();
    rm.shutDown();
}
