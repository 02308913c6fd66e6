#include "GameFixture.h"

class TextBoxTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        // The controller waits on a screen where Enter does nothing, so only the boxes answer it.
        p_controller->setLevelCreator(0, nullptr);
        startLevel(1);
    }
};

TEST_F(TextBoxTest, WrapsWordsBehindThePrefixIntoLinesOfAtMostSixtyEight) {
    std::string longish;
    const struct {
        std::string message;
        std::vector<std::string> lines;
    } wraps[] = {
        {"Item added to inventory.", {"* Item added to inventory."}},
        {" a\t b\n\nc  ", {"* a b c"}},
    };
    for (const auto &wrap : wraps) {
        TextBox *p_box = new TextBox({wrap.message});
        EXPECT_EQ(p_box->getLines(), wrap.lines);
        std::size_t total = 0;
        for (const std::string &line : wrap.lines) {
            total += line.size();
        }
        EXPECT_EQ(p_box->getTotalChars(), static_cast<int>(total));
    }
    // Past six lines the message is logged as too long and still shown, over the frame's bottom border.
    for (int i = 0; i < 100; i++) {
        longish += "longish ";
    }
    TextBox *p_box = new TextBox({"fits", longish});
    EXPECT_EQ(nv_test::countOf(logText(), "too long"), 0);
    key("ZZZ");
    step();
    EXPECT_EQ(p_box->getLines().size(), 13u);
    EXPECT_EQ(nv_test::countOf(logText(), "TextBox::wrapCurrentMessage(): message 1 too long for textbox"), 1);
    EXPECT_EQ(row(21).substr(8, 7), "longish");
}

TEST_F(TextBoxTest, RevealsACharacterAStepPausingAfterPunctuationThenBlinksItsMarker) {
    TextBox *p_box = new TextBox({"Hi, " + std::string(70, 'x') + " Ok. Go"});
    // "* Hi," then the word too long for any line on a line of its own, uncut, then "  Ok. Go": the comma holds
    // 4 more steps, the full stop on the third line 8.
    const int shown_after[][2] = {{5, 5}, {9, 5}, {10, 6}, {86, 82}, {94, 82}, {97, 85}};
    int stepped = 0;
    for (const auto &expected : shown_after) {
        step(expected[0] - stepped);
        stepped = expected[0];
        EXPECT_EQ(p_box->getShownChars(), expected[1]) << "after " << stepped;
    }
    EXPECT_EQ(p_box->getLines().at(1), "  " + std::string(70, 'x'));
    EXPECT_EQ(row(14).substr(4, 72), "+" + std::string(70, '=') + "+");
    EXPECT_EQ(row(21).substr(4, 72), "+" + std::string(70, '=') + "+");
    EXPECT_EQ(row(19).substr(4, 2) + row(19).substr(74, 2), "| " + std::string(" |"));
    EXPECT_EQ(row(17).substr(4, 11), "|   Ok. Go ");
    // The yellow marker in the bottom-right inside corner blinks, ten steps on and ten off.
    std::string blinks;
    for (int i = 0; i < 40; i++) {
        step();
        blinks += row(20)[73] == 'v' && color(20, 73) == 'y' ? 'v' : ' ';
    }
    EXPECT_NE(blinks.find(" " + std::string(10, 'v') + " "), std::string::npos) << blinks;
    EXPECT_NE(blinks.find("v" + std::string(10, ' ') + "v"), std::string::npos) << blinks;
}

TEST_F(TextBoxTest, ZOrEnterCompletesAMessageThenGoesOnAndEveryBoxAnswers) {
    TextBox *p_box = new TextBox({"This is a toilet.", "It is broken."});
    new TextBox({"Other."});
    new TextBox({});
    step(3);
    key("\nZ", nv::KEY_DOWN);
    key("Q\nZ", nv::KEY_RELEASED);
    EXPECT_EQ(p_box->getShownChars(), 3);
    key("Z");
    EXPECT_EQ(p_box->getShownChars(), p_box->getTotalChars());
    key("\n");
    EXPECT_EQ(p_box->getCurrentMessage(), 1);
    step(20);
    EXPECT_EQ(objects<TextBox>(), std::vector<TextBox *>{p_box});
    EXPECT_EQ(columnOf(15, "* It is broken."), 6);
    key("Z");
    step();
    EXPECT_TRUE(objects<TextBox>().empty());
    EXPECT_EQ(row(14).find("+===="), std::string::npos);
}
