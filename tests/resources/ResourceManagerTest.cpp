#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

#include "core/GameManager.h"
#include "display/Sprite.h"
#include "resources/ResourceManager.h"
#include "resources/Sound.h"
#include "resources/SpriteFile.h"
#include "support/TestSupport.h"

namespace {

/// This process's own folder for the files the tests write, removed with all it holds when the program ends.
const std::string &scratchDir() {
    static const struct Scratch {
        std::string path = nv_test::makeTempDir("nv-resources");
        ~Scratch() { std::filesystem::remove_all(path); }
    } scratch;
    return scratch.path;
}

/// Writes contents to name inside the scratch folder and returns the full path.
std::string writeFile(const std::string &name, const std::string &contents) {
    std::ofstream(scratchDir() + "/" + name, std::ios::binary) << contents;
    return scratchDir() + "/" + name;
}

/// Sound goes to OpenAL Soft's wave writer, mono 16-bit at 22050 Hz, into out; or, without out, to no device.
std::string audioConf(const std::string &out) {
    const std::string wave = "drivers = wave\nchannels = mono\nsample-type = int16\nfrequency = 22050\n[wave]\n";
    return "[general]\n" + (out.empty() ? "drivers = no-such-driver\n" : wave + "file = " + out + "\n");
}

/// A started resource manager with empty tables and a fresh captured log for every test.
class ResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        nv_test::restartLogInto(scratchDir() + "/test.log");
        setenv("ALSOFT_CONF", writeFile("null.conf", audioConf("/dev/null")).c_str(), 0);
        nv_test::stopIfStarted(rm());
        ASSERT_EQ(rm().startUp(), 0);
    }

    static nv::ResourceManager &rm() { return nv::ResourceManager::getInstance(); }
    static std::string logText() { return nv_test::fileText(scratchDir() + "/test.log"); }
    static bool logged(const std::string &needle) { return logText().find(needle) != std::string::npos; }
    static void expectLogged(const std::vector<std::string> &lines) {
        for (const std::string &line : lines)
            EXPECT_TRUE(logged(line)) << line << "\nlog:\n" << logText().substr(0, 2000);
    }
};

std::string robust(const std::string &header, const std::string &body, const std::string &footer = "version 1\n") {
    return "<HEADER>\n" + header + "</HEADER>\n<BODY>\n" + body + "</BODY>\n<FOOTER>\n" + footer + "</FOOTER>\n";
}

const std::string ONE_BY_ONE = "frames 1\nwidth 1\nheight 1\n";

/// A sectioned file whose body never closes before it passes the file limit.
std::string endlessBody() {
    std::string file = "<HEADER>\n" + ONE_BY_ONE + "</HEADER>\n<BODY>\n";
    while (file.size() <= static_cast<std::size_t>(nv::MAX_SPRITE_FILE_SIZE))
        file += std::string(63, 'a') + "\n";
    return file;
}

/// "WxH slowdown color transparency: frame|frame..." of a sprite.
std::string describe(const nv::Sprite &sprite) {
    std::ostringstream text;
    text << sprite.getWidth() << "x" << sprite.getHeight() << " s" << sprite.getSlowdown() << " c" << sprite.getColor()
         << " t" << static_cast<int>(sprite.getTransparency()) << ":" << sprite.getFrame(0).getString();
    for (int i = 1; i < sprite.getFrameCount(); i++) {
        text << "|" << sprite.getFrame(i).getString();
    }
    return text.str();
}

/// A mono 16-bit PCM WAV of a 440 Hz tone at 22050 Hz, written to name.
std::string tone(const std::string &name, double seconds) {
    const auto count = static_cast<std::uint32_t>(seconds * 22050);
    const std::uint32_t header[] = {0x46464952, 36 + count * 2, 0x45564157, 0x20746d66, 16,       0x00010001,
                                    22050,      44100,          0x00100002, 0x61746164, count * 2};
    std::string wave(reinterpret_cast<const char *>(header), sizeof(header));
    for (std::uint32_t i = 0; i < count; i++) {
        const auto sample = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 440.0 * i / 22050));
        wave.append(reinterpret_cast<const char *>(&sample), sizeof(sample));
    }
    return writeFile(name, wave);
}

/// Runs one test of this program in a fresh copy marked as the child, with audio as conf says; its exit code.
int runChild(const std::string &test, const std::string &conf) {
    const pid_t child = fork();
    if (child == 0) {
        if (std::freopen((scratchDir() + "/child.out").c_str(), "w", stdout) == nullptr)
            _exit(127);
        dup2(fileno(stdout), fileno(stderr));
        setenv("ALSOFT_CONF", writeFile("child.conf", conf).c_str(), 1);
        setenv("NORVANTIS_CONFIG", writeFile("child-config.txt", "headless:true,\nnetworking:false,\n").c_str(), 1);
        setenv("NORVANTIS_LOG", (scratchDir() + "/child.log").c_str(), 1);
        setenv("NV_TEST_CHILD", "1", 1);
        execl("/proc/self/exe", "nv_tests_resources", ("--gtest_filter=" + test).c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST_F(ResourceManagerTest, GoodFilesOfBothFormatsLoadWithEveryField) {
    const std::pair<std::string, std::string> cases[] = {
        {"1\n3\n1\n4\ngreen\nabc", "3x1 s4 c2 t0:abc"},
        {"2\r\n2\r\n2\r\n0\r\nred\r\nab\r\ncd\r\nef\r\ngh\r\n", "2x2 s0 c1 t0:abcd|efgh"},
        {" 3\n1\n1\n0\nred\na\nb\nc\n", "1x1 s0 c1 t0:a|b|c"},
        {robust("frames 2\nwidth 3\nheight 1\ntransparency \" \"\n", "a b\nend\nc d\nend\n"), "3x1 s0 c7 t32:a b|c d"},
        {robust("slowdown 7\ncolor magenta\nheight 2\ntransparency #\nwidth 2\nframes 1\n", "#x\ny#\nend\n"),
         "2x2 s7 c5 t35:#xy#"},
        {robust("frames 1\nwidth=5\nheight 1\n", "abcde\nend\n"), "5x1 s0 c7 t0:abcde"},
        {robust("frames 1\nwidths 5\nheight 1\ncolor default\n", "abcde\nend\n"), "5x1 s0 c7 t0:abcde"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(rm().loadSprite(writeFile("good.txt", c.first), c.first), 0) << c.first;
        EXPECT_EQ(describe(*rm().getSprite(c.first)), c.second) << c.first;
    }
}

// Every way a file can fail, with the exact lines it logs; nothing is stored and earlier sprites stay.
TEST_F(ResourceManagerTest, BadFilesFailWithTheirMessagesAndKeepEarlierSprites) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"1\n3\n1\n4\ngreen\nabc\n\n", {"RM::loadSimpleSprite(): Error line 7!", "\tExtra file data: ''"}},
        {"1\n3\n1\n4\ngreen\nabc\nmore", {"\tExtra file data: 'more'"}},
        {"1\n3\n1\n4\nGreen\nabc\n",
         {"RM::loadSimpleSprite(): Error line 5! Unrecognized color 'Green'.",
          "  Valid colors are: black, red, green, yellow,", "                    blue, magenta, cyan or white."}},
        {"1\n", {"RM::loadSimpleSprite(): Error! Unexpected end of file.", "\tMissing width (an integer)."}},
        {"1\n3\n", {"\tMissing height (an integer)."}},
        {"1\n3\n1\n", {"\tMissing slowdown (an integer)."}},
        {"1\n3\n1\n4\n", {"\tMissing color (a string)."}},
        {"1\nwide\n1\n0\nred\na\n", {"RM::loadSimpleSprite(): Error line 2! Width is 'wide'."}},
        {"1\n1\n-2\n0\nred\na\n", {"RM::loadSimpleSprite(): Error line 3! Height is '-2'."}},
        {"1\n1\n1\n-1\nred\na\n", {"RM::loadSimpleSprite(): Error line 4! Slowdown is '-1'."}},
        {"1\n3\n1\n0\nred\nab\n",
         {"RM::loadSimpleSprite(): Error line 6!", "\tLine  6: 'ab'", "\tWidth is 2, expected 3."}},
        {"2\n1\n2\n0\nred\na\nb\nc\n", {"\tReading frame 2 of 2, row 2 of 2."}},
        {"<HEADER>\n" + ONE_BY_ONE + "</HEADER>\n<BODY>\na\nend\n</BODY>\n",
         {"readData(): Error line 10! Expected '<FOOTER>', have ''."}},
        {robust(ONE_BY_ONE, "a\nend\n", ""), {"RM::loadSprite(): Sprite 'bad' NOT loaded."}},
        {robust(ONE_BY_ONE, "a\nend\n", "author me\n"),
         {"RM::loadRobustSprite(): Error! Missing 'version' in FOOTER (line 12)."}},
        {robust(ONE_BY_ONE, "a\nend\nb\n"), {"RM::loadRobustSprite(): Error! Extra BODY:", "\tLine 10: b"}},
        {robust("width 1\nheight 1\n", "a\nend\n"), {"RM::loadRobustSprite(): Error! Missing 'frames' in header."}},
        {robust("frames 1\nheight 1\n", "a\nend\n"), {"RM::loadRobustSprite(): Error! Missing 'width' in header."}},
        {robust("frames 1\nwidth 1\nheight -1\n", "a\nend\n"), {"Error! Missing 'height' in header."}},
        {robust(ONE_BY_ONE + "color purple\n", "a\nend\n"),
         {"RM::loadRobustSprite(): Error! Unrecognized color 'purple'.",
          "                    blue, magenta, cyan and white."}},
        {robust(ONE_BY_ONE, "a\n\nend\n"), {"readData(): Error! Stop at line 7, never encountered '</BODY>'."}},
        {robust("frames 2\nwidth 2\nheight 1\n", "ab\nend\nabc\nend\n"),
         {"\tError! Line 9: Line length is 3 (frame width is 2).",
          "RM::loadRobustSprite(): Error! No frame data to add."}},
        {robust(ONE_BY_ONE, "a\nb\n"), {"\tError! Line 8: Expected 'end'.", "\tLine 8: 'b'"}},
        {robust("frames 3\nwidth 1\nheight 1\n", "a\nend\n"), {"\tError! Line 9: No more frame data before 'end'."}},
        {"0\n1\n1\n0\nred\na\n", {"RM::loadSprite(): Error! Unknown sprite file format.", "First line is '0'."}},
        {"frames\n", {"RM::loadSprite(): First line is 'frames'.", "RM::loadSprite(): Sprite 'bad' NOT loaded."}},
        // Each limit passed by one; the overlong line comes last, to check that the log shows it cut.
        {"1001\n1\n1\n0\nred\n", {"RM::loadSimpleSprite(): Error line 1! Frame count 1001 is over the limit of 1000."}},
        {"1\n129\n128\n0\nred\n",
         {"RM::loadSimpleSprite(): Error line 3! Frame of 129 x 128 characters is over the limit of 16384."}},
        {"1\n99999999999999999999\n1\n0\nred\n", {"Frame of 2147483647 x 1 characters is over the limit"}},
        {"<HEADER>\nframes 1001\nwidth 1\nheight 1\n</HEADER>\n",
         {"RM::loadRobustSprite(): Error line 5! Frame count 1001 is over the limit of 1000."}},
        {robust("frames 1\nwidth 200\nheight 200\n", ""), {"Error line 5! Frame of 200 x 200 characters is over"}},
        {endlessBody(), {"getLine(): Error line 8197! File is longer than the limit of 524288 bytes."}},
        {"1\n" + std::string(1025, 'x') + "\n1\n0\nred\n",
         {"getLine(): Error line 2! Line is longer than the limit of 1024 characters: '" + std::string(40, 'x') +
          "...'"}},
    };
    ASSERT_EQ(rm().loadSprite(writeFile("keep.txt", "1\n3\n1\n4\ngreen\nabc\n"), "keep"), 0);
    for (const auto &c : cases) {
        nv_test::restartLogInto(scratchDir() + "/test.log");
        EXPECT_EQ(rm().loadSprite(writeFile("bad.txt", c.first), "bad"), -1) << c.first;
        expectLogged(c.second);
    }
    EXPECT_LT(logText().size(), 1000u);
    EXPECT_EQ(rm().loadSprite(scratchDir(), "dir") + rm().loadSprite("/dev/zero", "zero"), -2);
    expectLogged({"RM::loadSprite(): Error! '" + scratchDir() + "' is not a regular file.",
                  "RM::loadSprite(): Error! '/dev/zero' is not a regular file."});
    EXPECT_EQ(rm().getSpriteCount(), 1);
    EXPECT_EQ(rm().getSprite("keep")->getFrame(0).getString(), "abc");
}

TEST_F(ResourceManagerTest, TheTableKeepsLoadOrderAndItsLimitNeedsAStartAndTakesAnyStream) {
    const std::string path = writeFile("tiny.txt", "1\n1\n1\n0\nred\nx\n");
    ASSERT_EQ(rm().loadSprite(writeFile("two.txt", "1\n1\n1\n0\nblue\n2\n"), "s0"), 0);
    for (int i = 0; i < nv::MAX_SPRITES - 1; i++) {
        ASSERT_EQ(rm().loadSprite(path, "s" + std::to_string(i)), 0) << i;
    }
    EXPECT_EQ(rm().getSprite("s0")->getFrame(0).getString(), "2");
    EXPECT_EQ(rm().getSprite("S0"), nullptr);
    EXPECT_EQ(rm().loadSprite(scratchDir() + "/never-opened.txt", "late"), -1);
    rm().shutDown();
    EXPECT_EQ(rm().loadSprite(path, "early"), -1);
    EXPECT_EQ(rm().startUp() + rm().startUp(), -1);
    EXPECT_EQ(rm().loadSprite(scratchDir() + "/absent.txt", "absent"), -1);
    expectLogged({"RM::getSprite(): Warning! Sprite 'S0' not found.", "ResourceManager not started!",
                  "RM::loadRobustSprite(): Error! Cannot add more Sprites (max is 1000).",
                  "RM::loadRobustSprite(): Sprite 'late' not loaded.",
                  "ResourceManager::startup(): Warning! ResourceManager already started.",
                  "RM::loadSprite(): Error! Cannot open file '" + scratchDir() + "/absent.txt'.",
                  "RM::loadSprite(): Sprite 'absent' not loaded."});
    std::istringstream simple("1\n2\n1\n0\nwhite\nok\n"), none("0\n");
    EXPECT_EQ(describe(*rm().loadSimpleSprite(simple)), "2x1 s0 c7 t0:ok");
    nv::line_number = 0;
    EXPECT_EQ(rm().loadSimpleSprite(none), nullptr);
    EXPECT_TRUE(logged("RM::loadSimpleSprite(): Error line 1! Number of frames is 0."));
    EXPECT_FALSE(logged("never-opened"));
}

TEST_F(ResourceManagerTest, LoadsPlaysReleasesAndRefusesWhatItCannotHold) {
    EXPECT_EQ(rm().loadSound(writeFile("text.wav", "this is not a sound"), "text"), -1);
    const std::string wave = tone("tone.wav", 2.0);
    for (int i = 0; i < nv::MAX_SOUNDS; i++) {
        ASSERT_EQ(rm().loadSound(wave, i < 2 ? "twin" : "tone" + std::to_string(i)), 0) << i;
    }
    EXPECT_EQ(rm().loadSound(scratchDir() + "/never-opened.wav", "late"), -1);
    nv::Sound *p_sound = rm().getSound("twin");
    EXPECT_EQ(rm().getSound("tone2") - p_sound, 2);
    EXPECT_EQ(rm().getSound("ghost"), nullptr);
    p_sound->play(true);
    EXPECT_TRUE(p_sound->isPlaying() && p_sound->isLooping());
    rm().shutDown();
    p_sound->play(true);
    EXPECT_FALSE(p_sound->isPlaying()) << "a released entry must have no voice left to play";
    EXPECT_EQ(rm().loadSound(wave, "early") + rm().startUp(), -1);
    ASSERT_EQ(rm().loadSound(wave, "again"), 0);
    p_sound->play();
    EXPECT_TRUE(p_sound->isPlaying() && !p_sound->isLooping());
    expectLogged({"RM::loadSound(): Error! Cannot load sound from file '" + scratchDir() + "/text.wav'.",
                  "RM::loadSound(): Error! Unable to add more sounds (max is 100).",
                  "RM::getSound(): Warning! Sound 'ghost' not found.", "ResourceManager not started!"});
}

// Runs as the test, which starts two copies of this program (one with no audio device at all, one writing into a
// WAV file), and inside such a copy, which plays, stops and exits with the engine still running.
TEST(SoundOutput, TheToneSoundsUntilStoppedAndTheProgramExitsCleanlyWithOrWithoutADevice) {
    if (std::getenv("NV_TEST_CHILD") != nullptr) {
        ASSERT_EQ(nv::GameManager::getInstance().startUp(), 0);
        nv::ResourceManager &rm = nv::ResourceManager::getInstance();
        ASSERT_EQ(rm.loadSound(tone("long.wav", 3.0), "tone"), 0);
        for (const int ms : {200, 500, 600}) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            ms == 200 ? rm.getSound("tone")->play() : rm.getSound("tone")->stop();
        }
        return;
    }
    const std::string out = scratchDir() + "/output.wav";
    for (const std::string &conf : {audioConf(""), audioConf(out)}) {
        ASSERT_EQ(runChild("SoundOutput.*", conf), 0) << nv_test::fileText(scratchDir() + "/child.out");
    }
    // The samples follow the "data" tag; a writer that was not closed leaves its size 0, so read to the end.
    const std::string wave = nv_test::fileText(out);
    ASSERT_NE(wave.find("data"), std::string::npos) << "OpenAL wrote no WAV file";
    const std::size_t start = wave.find("data") + 8, end = (wave.size() - start) / 2;
    std::size_t first = 0, last = 0;
    for (std::size_t i = 1; i < end; i++) {
        std::int16_t sample = 0;
        std::memcpy(&sample, wave.data() + start + 2 * i, 2);
        first = first == 0 && std::abs(sample) > 6000 ? i : first;
        last = std::abs(sample) > 6000 ? i : last;
    }
    ASSERT_GT(first, 0u) << "the played tone never reached the output";
    // The tone lasts 3 s; only stop() can end it after about half a second and keep the rest silent.
    EXPECT_NEAR((last - first) / 22050.0, 0.85, 0.65);
    EXPECT_GT((end - last) / 22050.0, 0.3);
}
