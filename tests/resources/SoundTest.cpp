#include "ResourceTestSupport.h"
#include "WaveFile.h"

#include <chrono>
#include <cmath>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "resources/Sound.h"

using nv_test::writeFile;

namespace {

/// Points OpenAL Soft at its wave writer before any audio is opened, unless the caller chose a device.
const bool audio_device_configured = [] {
    const std::string conf = writeFile("alsoft-null.conf", "[general]\ndrivers = wave\n[wave]\nfile = /dev/null\n");
    return setenv("ALSOFT_CONF", conf.c_str(), 0) == 0;
}();

const char *const CHILD_SOUND_VAR = "NV_TEST_SOUND_CHILD";

std::string toneFile(const std::string &name, double seconds = 0.5) {
    return writeFile(name, nv_test::sineWave(seconds, 440.0, 0.5));
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

class SoundTable : public nv_test::ResourceManagerTest {};

TEST_F(SoundTable, HoldsAHundredAndRefusesTheNextBeforeOpeningIt) {
    ASSERT_TRUE(audio_device_configured);
    const std::string tone = toneFile("short.wav", 0.05);
    for (int i = 0; i < nv::MAX_SOUNDS; i++) {
        ASSERT_EQ(rm().loadSound(tone, "tone" + std::to_string(i)), 0) << i;
    }
    EXPECT_EQ(rm().loadSound(nv_test::scratchDir() + "/never-opened.wav", "late"), -1);
    EXPECT_TRUE(log.contains("RM::loadSound(): Error! Unable to add more sounds (max is 100)."));
    EXPECT_FALSE(log.contains("never-opened"));
    EXPECT_EQ(rm().getSoundCount(), nv::MAX_SOUNDS);
    ASSERT_NE(rm().getSound("tone99"), nullptr);
    EXPECT_EQ(rm().getSound("late"), nullptr);
}

TEST_F(SoundTable, AFailedLoadLeavesItsEntryForTheNextLoad) {
    const std::string missing = nv_test::scratchDir() + "/missing.wav";
    EXPECT_EQ(rm().loadSound(missing, "missing"), -1);
    EXPECT_TRUE(log.contains("RM::loadSound(): Error! Cannot load sound from file '" + missing + "'."));
    EXPECT_EQ(rm().getSoundCount(), 0);
    ASSERT_EQ(rm().loadSound(toneFile("a.wav"), "a"), 0);
    ASSERT_EQ(rm().loadSound(toneFile("b.wav"), "b"), 0);
    EXPECT_EQ(rm().getSound("b") - rm().getSound("a"), 1);
    EXPECT_EQ(rm().getSound("missing"), nullptr);
}

TEST_F(SoundTable, UndecodableFileIsRefused) {
    EXPECT_EQ(rm().loadSound(writeFile("noise.wav", "RIFF\x10\0\0\0WAVEjunkjunk"), "noise"), -1);
    EXPECT_EQ(rm().loadSound(writeFile("text.wav", "this is not a sound"), "text"), -1);
    EXPECT_EQ(rm().getSoundCount(), 0);
}

TEST_F(SoundTable, SameLabelTwiceFindsTheFirst) {
    ASSERT_EQ(rm().loadSound(toneFile("first.wav"), "twin"), 0);
    nv::Sound *p_first = rm().getSound("twin");
    ASSERT_EQ(rm().loadSound(toneFile("second.wav"), "twin"), 0);
    EXPECT_EQ(rm().getSoundCount(), 2);
    EXPECT_EQ(rm().getSound("twin"), p_first);
}

TEST_F(SoundTable, UnknownLabelWarnsAndGivesNull) {
    EXPECT_EQ(rm().getSound("ghost"), nullptr);
    EXPECT_TRUE(log.contains("RM::getSound(): Warning! Sound 'ghost' not found."));
}

TEST_F(SoundTable, NothingLoadsBeforeStartUp) {
    rm().shutDown();
    EXPECT_EQ(rm().loadSound(toneFile("early.wav"), "early"), -1);
    EXPECT_TRUE(log.contains("ResourceManager not started!"));
}

TEST_F(SoundTable, ShutDownSilencesPlayingSounds) {
    ASSERT_EQ(rm().loadSound(toneFile("loop.wav"), "loop"), 0);
    nv::Sound *p_sound = rm().getSound("loop");
    p_sound->play(true);
    EXPECT_TRUE(p_sound->isPlaying());
    rm().shutDown();
    EXPECT_FALSE(p_sound->isPlaying());
}

class SoundVoice : public nv_test::ResourceManagerTest {};

TEST_F(SoundVoice, EmptyEntryIgnoresPlayAndStop) {
    nv::Sound sound;
    EXPECT_EQ(sound.getLabel(), "[Undefined]");
    sound.play(true);
    sound.stop();
    EXPECT_FALSE(sound.isPlaying());
    EXPECT_FALSE(sound.isLooping());
}

TEST_F(SoundVoice, PlayLoopsOnlyWhenAsked) {
    nv::Sound sound;
    ASSERT_EQ(sound.loadSound(toneFile("voice.wav", 2.0)), 0);
    sound.play(true);
    EXPECT_TRUE(sound.isPlaying());
    EXPECT_TRUE(sound.isLooping());
    sound.play();
    EXPECT_TRUE(sound.isPlaying());
    EXPECT_FALSE(sound.isLooping());
    sound.stop();
    EXPECT_FALSE(sound.isPlaying());
}

TEST_F(SoundVoice, ReloadingKeepsOneVoiceOnTheNewSamples) {
    nv::Sound sound;
    ASSERT_EQ(sound.loadSound(toneFile("old.wav", 2.0)), 0);
    sound.play(true);
    ASSERT_EQ(sound.loadSound(toneFile("new.wav", 2.0)), 0);
    sound.play();
    EXPECT_TRUE(sound.isPlaying());
    sound.stop();
}

TEST_F(SoundVoice, AFailedReloadLeavesTheVoiceUsable) {
    nv::Sound sound;
    ASSERT_EQ(sound.loadSound(toneFile("kept.wav", 2.0)), 0);
    EXPECT_EQ(sound.loadSound(nv_test::scratchDir() + "/absent.wav"), -1);
    sound.play();
    sound.stop();
    EXPECT_FALSE(sound.isPlaying());
}

// Runs twice: as the test, which starts a copy of this program with OpenAL writing into a WAV file and
// inspects that file after the copy exits (the writer finishes the file when the device closes); and,
// inside that copy, as the player.
TEST(SoundOutput, PlayingWritesSamplesAndStopSilencesThem) {
    if (const char *tone = std::getenv(CHILD_SOUND_VAR)) {
        nv::ResourceManager &rm = nv::ResourceManager::getInstance();
        ASSERT_EQ(rm.startUp(), 0);
        ASSERT_EQ(rm.loadSound(tone, "tone"), 0);
        nv::Sound *p_sound = rm.getSound("tone");
        sleepMs(200);
        p_sound->play();
        sleepMs(500);
        p_sound->stop();
        sleepMs(600);
        rm.shutDown();
        return;
    }

    const std::string tone = toneFile("output-tone.wav", 3.0);
    const std::string wave_out = nv_test::scratchDir() + "/output.wav";
    std::remove(wave_out.c_str());
    const std::string conf =
        writeFile("alsoft-wave.conf", "[general]\ndrivers = wave\n[wave]\nfile = " + wave_out + "\n");
    const std::string filter = "--gtest_filter=SoundOutput.PlayingWritesSamplesAndStopSilencesThem";

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        setenv(CHILD_SOUND_VAR, tone.c_str(), 1);
        execl("/proc/self/exe", "nv_tests_resources", filter.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);

    const nv_test::WaveData wave = nv_test::readWave(wave_out);
    ASSERT_GT(wave.sample_rate, 0) << "OpenAL wrote no readable WAV file at " << wave_out;
    ASSERT_FALSE(wave.samples.empty());

    const float threshold = 0.02f;
    std::size_t first_loud = wave.samples.size();
    std::size_t last_loud = 0;
    float peak = 0.0f;
    for (std::size_t i = 0; i < wave.samples.size(); i++) {
        const float level = std::fabs(wave.samples[i]);
        peak = std::max(peak, level);
        if (level > threshold) {
            first_loud = std::min(first_loud, i);
            last_loud = i;
        }
    }
    ASSERT_LT(first_loud, wave.samples.size()) << "the played tone never reached the output";
    EXPECT_GT(peak, 0.2f);
    const double rate = wave.sample_rate;
    const double sounding = (last_loud - first_loud) / rate;
    const double silent_tail = (wave.samples.size() - 1 - last_loud) / rate;
    // The tone lasts 3 s; only stop() can end it after about half a second and keep the rest silent.
    EXPECT_GT(sounding, 0.2);
    EXPECT_LT(sounding, 1.5);
    EXPECT_GT(silent_tail, 0.3);
}
