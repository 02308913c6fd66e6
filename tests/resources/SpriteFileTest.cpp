#include "ResourceTestSupport.h"

#include <climits>
#include <sstream>

#include "display/Frame.h"
#include "resources/SpriteFile.h"
#include "resources/TextNumber.h"

class SpriteFileReading : public ::testing::Test {
protected:
    void SetUp() override {
        log.restart();
        nv::line_number = 0;
    }
    nv_test::LogCapture log;
};

TEST_F(SpriteFileReading, GetLineDropsOneCarriageReturnAndCountsOnRequest) {
    std::istringstream in("a\r\r\nb\r\n");
    EXPECT_EQ(nv::getLine(in, true), "a\r");
    EXPECT_EQ(nv::line_number, 1);
    EXPECT_EQ(nv::getLine(in, false), "b");
    EXPECT_EQ(nv::line_number, 1);
}

TEST_F(SpriteFileReading, GetLineAfterTheEndReportsItWithoutCounting) {
    std::istringstream in("last");
    EXPECT_EQ(nv::getLine(in, true), "last");
    EXPECT_EQ(nv::getLine(in, true), "");
    EXPECT_EQ(nv::line_number, 1);
    EXPECT_TRUE(log.contains("getLine(): Error! Unexpected end of file."));
}

TEST_F(SpriteFileReading, ReadDataLeavesTheLineNumberOnTheClosingTag) {
    std::istringstream in("<BODY>\none\ntwo\nthree\n</BODY>\nrest\n");
    const std::list<std::string> lines = nv::readData(in, "BODY");
    EXPECT_EQ(lines, (std::list<std::string>{"one", "two", "three"}));
    EXPECT_EQ(nv::line_number, 5);
    EXPECT_EQ(nv::getLine(in, false), "rest");
}

TEST_F(SpriteFileReading, ReadDataOfAnEmptySectionIsEmpty) {
    std::istringstream in("<FOOTER>\n</FOOTER>\n");
    EXPECT_TRUE(nv::readData(in, "FOOTER").empty());
    EXPECT_EQ(nv::line_number, 2);
}

TEST_F(SpriteFileReading, ReadDataRefusesAWrongOpeningTag) {
    std::istringstream in("<HEADER>\n");
    EXPECT_TRUE(nv::readData(in, "BODY").empty());
    EXPECT_TRUE(log.contains("readData(): Error line 1! Expected '<BODY>', have '<HEADER>'."));
}

TEST_F(SpriteFileReading, ReadDataRefusesAnUnterminatedSection) {
    std::istringstream in("<BODY>\nabc\ndef");
    EXPECT_TRUE(nv::readData(in, "BODY").empty());
    EXPECT_TRUE(log.contains("readData(): Error! Stop at line "));
    EXPECT_TRUE(log.contains(", never encountered '</BODY>'."));
}

TEST_F(SpriteFileReading, MatchLineIntTakesEveryMatchAndKeepsTheLast) {
    std::list<std::string> lines{"frames 2", "width 3", "frames 5", "framesX"};
    EXPECT_EQ(nv::matchLineInt(lines, "frames"), 0);
    EXPECT_EQ(lines, (std::list<std::string>{"width 3"}));
    std::list<std::string> again{"frames 2", "width 3", "frames 5"};
    EXPECT_EQ(nv::matchLineInt(again, "frames"), 5);
}

TEST_F(SpriteFileReading, MatchLineIntOfABareTagIsZeroAndOfNothingMinusOne) {
    std::list<std::string> lines{"slowdown"};
    EXPECT_EQ(nv::matchLineInt(lines, "slowdown"), 0);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(nv::matchLineInt(lines, "slowdown"), -1);
    std::list<std::string> shorter{"slow"};
    EXPECT_EQ(nv::matchLineInt(shorter, "slowdown"), -1);
    EXPECT_EQ(shorter.size(), 1u);
}

TEST_F(SpriteFileReading, MatchLineStrSkipsExactlyOneSeparator) {
    std::list<std::string> lines{"version  1.0", "color"};
    EXPECT_EQ(nv::matchLineStr(lines, "version"), " 1.0");
    EXPECT_EQ(nv::matchLineStr(lines, "color"), "");
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(nv::matchLineStr(lines, "color"), "");
}

TEST_F(SpriteFileReading, ParseFrameTakesRowsAndEnd) {
    std::list<std::string> lines{"ab", "cd", "end", "ef"};
    const nv::Frame frame = nv::parseFrame(lines, 2, 2, 7);
    EXPECT_EQ(frame.getWidth(), 2);
    EXPECT_EQ(frame.getHeight(), 2);
    EXPECT_EQ(frame.getString(), "abcd");
    EXPECT_EQ(lines, (std::list<std::string>{"ef"}));
}

TEST_F(SpriteFileReading, ParseFrameReportsRowLinesFromItsStart) {
    std::list<std::string> lines{"ab", "c", "end"};
    EXPECT_TRUE(nv::parseFrame(lines, 2, 2, 7).getString().empty());
    EXPECT_TRUE(log.contains("\tError! Line 8: Line length is 1 (frame width is 2)."));
    EXPECT_TRUE(log.contains("\tLine 8: 'c'"));
}

TEST_F(SpriteFileReading, ParseFrameNeedsEnoughRowsAndTheEndLine) {
    nv::line_number = 42;
    std::list<std::string> short_rows{"ab"};
    EXPECT_TRUE(nv::parseFrame(short_rows, 2, 2, 7).getString().empty());
    EXPECT_TRUE(log.contains("\tError! Line 42: No more frame data before 'end'."));
    std::list<std::string> no_end{"ab", "cd", "fin"};
    EXPECT_TRUE(nv::parseFrame(no_end, 2, 2, 7).getString().empty());
    EXPECT_TRUE(log.contains("\tError! Line 9: Expected 'end'."));
    EXPECT_TRUE(log.contains("\tLine 9: 'fin'"));
}

TEST(TextToInt, ReadsLikeAtoi) {
    EXPECT_EQ(nv::textToInt("42"), 42);
    EXPECT_EQ(nv::textToInt("  \t7 dwarves"), 7);
    EXPECT_EQ(nv::textToInt("-12x"), -12);
    EXPECT_EQ(nv::textToInt("+3"), 3);
    EXPECT_EQ(nv::textToInt("x3"), 0);
    EXPECT_EQ(nv::textToInt(""), 0);
    EXPECT_EQ(nv::textToInt("- 3"), 0);
}

TEST(TextToInt, ClampsInsteadOfOverflowing) {
    EXPECT_EQ(nv::textToInt("2147483647"), INT_MAX);
    EXPECT_EQ(nv::textToInt("2147483648"), INT_MAX);
    EXPECT_EQ(nv::textToInt("-2147483648"), INT_MIN);
    EXPECT_EQ(nv::textToInt("-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(nv::textToInt(std::string(5000, '9')), INT_MAX);
}
