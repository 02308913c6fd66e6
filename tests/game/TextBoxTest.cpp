#include "GlyphcageFixture.h"

#include "TextBox.h"

namespace glyphcage_test {
namespace {

class TextBoxTest : public GlyphcageFixture {
protected:
    void SetUp() override {
        GlyphcageFixture::SetUp();
        // Parks the controller on a screen where Enter does nothing, so only the boxes answer it.
        p_controller->setLevelCreator(0, nullptr);
        enterLevelOne();
        ASSERT_EQ(p_controller->getState(), NOT_CONNECTED);
    }
};

TEST_F(TextBoxTest, TakesItsPlaceNearTheBottomOfTheScreen) {
    TextBox *p_box = new TextBox({"Hello."});
    EXPECT_EQ(p_box->getType(), "TextBox");
    EXPECT_EQ(p_box->getSolidness(), nv::SPECTRAL);
    EXPECT_EQ(p_box->getAltitude(), 4);
    EXPECT_EQ(p_box->getWidth(), 72);
    EXPECT_EQ(p_box->getHeight(), 8);
    EXPECT_EQ(p_box->getLeft(), 4);
    EXPECT_EQ(p_box->getTop(), 14);
    step();
    std::vector<std::string> rows = screen();
    EXPECT_EQ(rows[14].substr(4, 72), "+" + std::string(70, '=') + "+");
    EXPECT_EQ(rows[21].substr(4, 72), "+" + std::string(70, '=') + "+");
    for (int row = 15; row <= 20; row++) {
        EXPECT_EQ(rows[row][4], '|') << row;
        EXPECT_EQ(rows[row][75], '|') << row;
    }
    EXPECT_EQ(rows[15].substr(6, 1), "*");
}

TEST_F(TextBoxTest, AShortMessageIsOneLineWithThePrefix) {
    TextBox *p_box = new TextBox({"Item added to inventory."});
    ASSERT_EQ(p_box->getLines().size(), 1u);
    EXPECT_EQ(p_box->getLines()[0], "* Item added to inventory.");
    EXPECT_EQ(p_box->getTotalChars(), 26);
}

TEST_F(TextBoxTest, WrapsLongMessagesIntoIndentedLinesThatFit) {
    std::string message;
    for (int i = 0; i < 30; i++) {
        message += "word" + std::to_string(i) + " ";
    }
    message += "\tand\n  the   end";
    TextBox *p_box = new TextBox({message});
    const std::vector<std::string> &lines = p_box->getLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 2), "* ");
    int total = 0;
    for (std::size_t i = 0; i < lines.size(); i++) {
        EXPECT_LE(lines[i].size(), 68u) << i;
        if (i > 0) {
            EXPECT_EQ(lines[i].substr(0, 2), "  ") << i;
            EXPECT_NE(lines[i][2], ' ') << i;
        }
        EXPECT_EQ(lines[i].find("  ", 2), std::string::npos) << "runs of blanks are one separator: " << lines[i];
        total += static_cast<int>(lines[i].size());
    }
    EXPECT_EQ(lines.back().substr(lines.back().size() - 11), "and the end");
    EXPECT_EQ(p_box->getTotalChars(), total);
    // The first line takes every word that fits: one more would have overflowed it.
    std::size_t next_word = lines[1].find_first_not_of(' ');
    std::size_t next_end = lines[1].find(' ', next_word);
    EXPECT_GT(lines[0].size() + 1 + (next_end - next_word), 68u);
}

TEST_F(TextBoxTest, AWordLongerThanTheLineGetsALineOfItsOwn) {
    const std::string giant(80, 'x');
    TextBox *p_box = new TextBox({"short " + giant + " tail"});
    ASSERT_EQ(p_box->getLines().size(), 3u);
    EXPECT_EQ(p_box->getLines()[0], "* short");
    EXPECT_EQ(p_box->getLines()[1], "  " + giant);
    EXPECT_EQ(p_box->getLines()[2], "  tail");
}

TEST_F(TextBoxTest, RevealsOneCharacterPerStepAndPausesAfterPunctuation) {
    TextBox *p_box = new TextBox({"Hi, you. Ok"});
    // "* Hi, you. Ok": the comma holds 4 steps and the full stop 8.
    step(5);
    EXPECT_EQ(p_box->getShownChars(), 5);
    step(4);
    EXPECT_EQ(p_box->getShownChars(), 5);
    step(1);
    EXPECT_EQ(p_box->getShownChars(), 6);
    step(4);
    EXPECT_EQ(p_box->getShownChars(), 10);
    step(8);
    EXPECT_EQ(p_box->getShownChars(), 10);
    step(3);
    EXPECT_EQ(p_box->getShownChars(), 13);
    EXPECT_EQ(p_box->getTotalChars(), 13);
}

TEST_F(TextBoxTest, TheInventoryMessageIsCompleteTwentySixStepsAfterItsBoxAppears) {
    TextBox *p_box = new TextBox({"Item added to inventory."});
    step(25);
    EXPECT_EQ(p_box->getShownChars(), 25);
    EXPECT_FALSE(onRow(15, "* Item added to inventory."));
    step(1);
    EXPECT_EQ(p_box->getShownChars(), 26);
    step();
    EXPECT_TRUE(onRow(15, "* Item added to inventory."));
}

TEST_F(TextBoxTest, TheMarkerBlinksTenStepsOnAndTenOffOnceTheMessageIsShown) {
    TextBox *p_box = new TextBox({"Ok"});
    step(4);
    ASSERT_GE(p_box->getShownChars(), p_box->getTotalChars());
    // The marker sits in the bottom-right inside corner: column 4 + 72 - 3, row 14 + 8 - 2.
    EXPECT_EQ(screen()[20][73], 'v');
    EXPECT_EQ(colors()[20][73], 'y');
    step(8);
    EXPECT_EQ(screen()[20][73], ' ');
    step(10);
    EXPECT_EQ(screen()[20][73], 'v');
}

TEST_F(TextBoxTest, ZOrEnterCompletesThenAdvancesThenCloses) {
    TextBox *p_box = new TextBox({"This is a toilet.", "It is broken."});
    step(3);
    tap(nv::Z);
    EXPECT_EQ(p_box->getShownChars(), p_box->getTotalChars());
    EXPECT_EQ(p_box->getCurrentMessage(), 0);
    tap(nv::RETURN);
    EXPECT_EQ(p_box->getCurrentMessage(), 1);
    EXPECT_EQ(p_box->getShownChars(), 0);
    EXPECT_EQ(p_box->getLines()[0], "* It is broken.");
    tap(nv::Z);
    tap(nv::Z);
    step();
    EXPECT_EQ(countType("TextBox"), 0);
}

TEST_F(TextBoxTest, WaitingForEachMessageTakesOnePressPerMessage) {
    new TextBox({"This is a toilet.", "It is broken."});
    step(40);
    tap(nv::RETURN);
    step(40);
    EXPECT_TRUE(onRow(15, "* It is broken."));
    tap(nv::RETURN);
    step();
    EXPECT_EQ(countType("TextBox"), 0);
}

TEST_F(TextBoxTest, OnlyFreshPressesOfZOrEnterCount) {
    TextBox *p_box = new TextBox({"One.", "Two."});
    step(20);
    key(nv::RETURN, nv::KEY_DOWN);
    key(nv::Z, nv::KEY_RELEASED);
    key(nv::ESCAPE, nv::KEY_PRESSED);
    key(nv::SPACE, nv::KEY_PRESSED);
    EXPECT_EQ(p_box->getCurrentMessage(), 0);
    nv::GameManager::getInstance().setGameOver(false);
}

TEST_F(TextBoxTest, SeveralBoxesAnswerTheSamePress) {
    TextBox *p_first = new TextBox({"First."});
    TextBox *p_second = new TextBox({"Second.", "More."});
    step(10);
    tap(nv::Z);
    EXPECT_EQ(p_second->getCurrentMessage(), 1);
    step();
    EXPECT_EQ(countType("TextBox"), 1);
    EXPECT_EQ(objects<TextBox>().at(0), p_second);
    (void)p_first;
}

TEST_F(TextBoxTest, AMessageTooLongForTheFrameIsLoggedAndStillShown) {
    std::string message;
    for (int i = 0; i < 100; i++) {
        message += "longish ";
    }
    TextBox *p_box = new TextBox({"fits", message});
    EXPECT_EQ(logText().find("too long for textbox"), std::string::npos);
    step(10);
    tap(nv::Z);
    EXPECT_EQ(p_box->getCurrentMessage(), 1);
    EXPECT_GT(p_box->getLines().size(), 6u);
    EXPECT_NE(logText().find("TextBox::wrapCurrentMessage(): message 1 too long for textbox"), std::string::npos);
    tap(nv::Z);
    step();
    // Lines beyond the frame run over its bottom border.
    EXPECT_EQ(screen()[21].substr(8, 7), "longish");
}

TEST_F(TextBoxTest, AnEmptyListRemovesItselfAndNeverDrawsNorStepsPastItsEnd) {
    TextBox *p_box = new TextBox({});
    tap(nv::Z);
    tap(nv::RETURN);
    EXPECT_EQ(p_box->getCurrentMessage(), 0);
    step();
    EXPECT_EQ(countType("TextBox"), 0);
    EXPECT_FALSE(onRow(14, "+===="));
}

} // namespace
} // namespace glyphcage_test
