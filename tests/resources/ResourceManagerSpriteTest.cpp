#include "ResourceTestSupport.h"

#include "display/Sprite.h"

using nv_test::ResourceManagerTest;
using nv_test::writeFile;

namespace {

const char *const GREEN_SIMPLE = "1\n3\n1\n4\ngreen\nabc\n";

std::string robustFile(const std::string &header, const std::string &body, const std::string &footer) {
    return "<HEADER>\n" + header + "</HEADER>\n<BODY>\n" + body + "</BODY>\n<FOOTER>\n" + footer + "</FOOTER>\n";
}

const std::string SPEC_ROBUST =
    robustFile("frames 2\nwidth 3\nheight 1\ntransparency \" \"\n", "a b\nend\nc d\nend\n", "version 1\n");

} // namespace

class SimpleSpriteFile : public ResourceManagerTest {};

TEST_F(SimpleSpriteFile, LoadsEveryHeaderFieldAndTheFrame) {
    ASSERT_EQ(rm().loadSprite(writeFile("green.txt", GREEN_SIMPLE), "green"), 0);
    nv::Sprite *p_sprite = rm().getSprite("green");
    ASSERT_NE(p_sprite, nullptr);
    EXPECT_EQ(p_sprite->getLabel(), "green");
    EXPECT_EQ(p_sprite->getWidth(), 3);
    EXPECT_EQ(p_sprite->getHeight(), 1);
    EXPECT_EQ(p_sprite->getSlowdown(), 4);
    EXPECT_EQ(p_sprite->getColor(), nv::GREEN);
    EXPECT_EQ(p_sprite->getTransparency(), 0);
    ASSERT_EQ(p_sprite->getFrameCount(), 1);
    EXPECT_EQ(p_sprite->getFrame(0).getString(), "abc");
}

TEST_F(SimpleSpriteFile, OneTrailingEmptyLineIsExtraData) {
    EXPECT_EQ(rm().loadSprite(writeFile("extra.txt", std::string(GREEN_SIMPLE) + "\n"), "extra"), -1);
    EXPECT_TRUE(log.contains("RM::loadSimpleSprite(): Error line 7!"));
    EXPECT_TRUE(log.contains("\tExtra file data: ''"));
    EXPECT_TRUE(log.contains("RM::loadSprite(): Sprite 'extra' NOT loaded."));
    EXPECT_EQ(rm().getSpriteCount(), 0);
}

TEST_F(SimpleSpriteFile, TextAfterTheLastFrameIsExtraData) {
    EXPECT_EQ(rm().loadSprite(writeFile("tail.txt", std::string(GREEN_SIMPLE) + "more"), "tail"), -1);
    EXPECT_TRUE(log.contains("\tExtra file data: 'more'"));
}

TEST_F(SimpleSpriteFile, MissingFinalLineFeedStillLoads) {
    EXPECT_EQ(rm().loadSprite(writeFile("nolf.txt", "1\n3\n1\n4\ngreen\nabc"), "nolf"), 0);
    EXPECT_EQ(rm().getSprite("nolf")->getFrame(0).getString(), "abc");
}

TEST_F(SimpleSpriteFile, CarriageReturnsBeforeLineFeedsAreIgnored) {
    EXPECT_EQ(rm().loadSprite(writeFile("crlf.txt", "2\r\n2\r\n2\r\n0\r\nred\r\nab\r\ncd\r\nef\r\ngh\r\n"), "crlf"), 0);
    nv::Sprite *p_sprite = rm().getSprite("crlf");
    ASSERT_NE(p_sprite, nullptr);
    EXPECT_EQ(p_sprite->getColor(), nv::RED);
    EXPECT_EQ(p_sprite->getFrame(0).getString(), "abcd");
    EXPECT_EQ(p_sprite->getFrame(1).getString(), "efgh");
}

TEST_F(SimpleSpriteFile, FramesFollowEachOtherInOrder) {
    ASSERT_EQ(rm().loadSprite(writeFile("three.txt", "3\n1\n2\n1\nblue\na\nb\nc\nd\ne\nf\n"), "three"), 0);
    nv::Sprite *p_sprite = rm().getSprite("three");
    ASSERT_EQ(p_sprite->getFrameCount(), 3);
    EXPECT_EQ(p_sprite->getFrame(0).getString(), "ab");
    EXPECT_EQ(p_sprite->getFrame(1).getString(), "cd");
    EXPECT_EQ(p_sprite->getFrame(2).getString(), "ef");
}

TEST_F(SimpleSpriteFile, ColorNamesAreLowerCaseOnly) {
    EXPECT_EQ(rm().loadSprite(writeFile("caps.txt", "1\n3\n1\n4\nGreen\nabc\n"), "caps"), -1);
    EXPECT_TRUE(log.contains("RM::loadSimpleSprite(): Error line 5! Unrecognized color 'Green'."));
    EXPECT_TRUE(log.contains("  Valid colors are: black, red, green, yellow,"));
    EXPECT_TRUE(log.contains("                    blue, magenta, cyan or white."));
}

TEST_F(SimpleSpriteFile, DefaultIsNotAColorHere) {
    EXPECT_EQ(rm().loadSprite(writeFile("default.txt", "1\n3\n1\n4\ndefault\nabc\n"), "default"), -1);
    EXPECT_TRUE(log.contains("Unrecognized color 'default'."));
}

TEST_F(SimpleSpriteFile, EachMissingHeaderLineIsNamed) {
    const char *const truncated[] = {"1\n", "1\n3\n", "1\n3\n1\n", "1\n3\n1\n4\n"};
    const char *const named[] = {"\tMissing width (an integer).", "\tMissing height (an integer).",
                                 "\tMissing slowdown (an integer).", "\tMissing color (a string)."};
    for (int i = 0; i < 4; i++) {
        log.restart();
        EXPECT_EQ(rm().loadSprite(writeFile("short.txt", truncated[i]), "short"), -1);
        EXPECT_TRUE(log.contains("RM::loadSimpleSprite(): Error! Unexpected end of file.")) << i;
        EXPECT_TRUE(log.contains(named[i])) << i;
    }
}

TEST_F(SimpleSpriteFile, BadHeaderValuesNameTheirLine) {
    EXPECT_EQ(rm().loadSprite(writeFile("w.txt", "1\nwide\n1\n0\nred\na\n"), "w"), -1);
    EXPECT_TRUE(log.contains("RM::loadSimpleSprite(): Error line 2! Width is 'wide'."));
    EXPECT_EQ(rm().loadSprite(writeFile("h.txt", "1\n1\n-2\n0\nred\na\n"), "h"), -1);
    EXPECT_TRUE(log.contains("RM::loadSimpleSprite(): Error line 3! Height is '-2'."));
    EXPECT_EQ(rm().loadSprite(writeFile("s.txt", "1\n1\n1\n-1\nred\na\n"), "s"), -1);
    EXPECT_TRUE(log.contains("RM::loadSimpleSprite(): Error line 4! Slowdown is '-1'."));
}

TEST_F(SimpleSpriteFile, NumbersAreReadUpToTheFirstNonDigit) {
    ASSERT_EQ(rm().loadSprite(writeFile("digits.txt", "1 frame\n2 wide\n1x\n3 steps\nyellow\nab\n"), "digits"), 0);
    EXPECT_EQ(rm().getSprite("digits")->getWidth(), 2);
    EXPECT_EQ(rm().getSprite("digits")->getSlowdown(), 3);
}

TEST_F(SimpleSpriteFile, RowOfWrongWidthIsReportedWithItsLine) {
    EXPECT_EQ(rm().loadSprite(writeFile("narrow.txt", "1\n3\n1\n0\nred\nab\n"), "narrow"), -1);
    EXPECT_TRUE(log.contains("RM::loadSimpleSprite(): Error line 6!"));
    EXPECT_TRUE(log.contains("\tLine  6: 'ab'"));
    EXPECT_TRUE(log.contains("\tWidth is 2, expected 3."));
}

TEST_F(SimpleSpriteFile, FileEndingInsideAFrameNamesFrameAndRow) {
    EXPECT_EQ(rm().loadSprite(writeFile("cut.txt", "2\n1\n2\n0\nred\na\nb\nc\n"), "cut"), -1);
    EXPECT_TRUE(log.contains("RM::loadSimpleSprite(): Error! Unexpected end of file."));
    EXPECT_TRUE(log.contains("\tReading frame 2 of 2, row 2 of 2."));
}

TEST_F(SimpleSpriteFile, HugeFrameCountFailsAtTheEndOfTheDataWithoutExhaustingMemory) {
    EXPECT_EQ(rm().loadSprite(writeFile("many.txt", "2000000000\n1\n1\n0\nred\na\n"), "many"), -1);
    EXPECT_TRUE(log.contains("\tReading frame 2 of 2000000000, row 1 of 1."));
}

TEST_F(SimpleSpriteFile, OverlongNumbersAreClampedInsteadOfOverflowing) {
    EXPECT_EQ(rm().loadSprite(writeFile("big.txt", "1\n99999999999999999999\n1\n0\nred\nab\n"), "big"), -1);
    EXPECT_TRUE(log.contains("\tWidth is 2, expected 2147483647."));
}

class RobustSpriteFile : public ResourceManagerTest {};

TEST_F(RobustSpriteFile, QuotedBlankTransparencyAndDefaultsForAbsentKeywords) {
    ASSERT_EQ(rm().loadSprite(writeFile("robust.txt", SPEC_ROBUST), "robust"), 0);
    nv::Sprite *p_sprite = rm().getSprite("robust");
    ASSERT_NE(p_sprite, nullptr);
    EXPECT_EQ(p_sprite->getTransparency(), ' ');
    EXPECT_EQ(p_sprite->getColor(), nv::WHITE);
    EXPECT_EQ(p_sprite->getSlowdown(), 0);
    EXPECT_EQ(p_sprite->getWidth(), 3);
    EXPECT_EQ(p_sprite->getHeight(), 1);
    ASSERT_EQ(p_sprite->getFrameCount(), 2);
    EXPECT_EQ(p_sprite->getFrame(0).getString(), "a b");
    EXPECT_EQ(p_sprite->getFrame(1).getString(), "c d");
}

TEST_F(RobustSpriteFile, EveryKeywordIsHonoured) {
    const std::string file = robustFile("slowdown 7\ncolor magenta\nheight 2\ntransparency #\nwidth 2\nframes 1\n",
                                        "#x\ny#\nend\n", "version 2.0\n");
    ASSERT_EQ(rm().loadSprite(writeFile("all.txt", file), "all"), 0);
    nv::Sprite *p_sprite = rm().getSprite("all");
    EXPECT_EQ(p_sprite->getSlowdown(), 7);
    EXPECT_EQ(p_sprite->getColor(), nv::MAGENTA);
    EXPECT_EQ(p_sprite->getTransparency(), '#');
    EXPECT_EQ(p_sprite->getFrame(0).getString(), "#xy#");
}

TEST_F(RobustSpriteFile, AnySeparatorAndPrefixMatchesAreAccepted) {
    const std::string equals = robustFile("frames 1\nwidth=5\nheight 1\n", "abcde\nend\n", "version 1\n");
    ASSERT_EQ(rm().loadSprite(writeFile("eq.txt", equals), "eq"), 0);
    EXPECT_EQ(rm().getSprite("eq")->getWidth(), 5);
    const std::string widths = robustFile("frames 1\nwidths 5\nheight 1\n", "abcde\nend\n", "version 1\n");
    ASSERT_EQ(rm().loadSprite(writeFile("widths.txt", widths), "widths"), 0);
    EXPECT_EQ(rm().getSprite("widths")->getWidth(), 5);
}

TEST_F(RobustSpriteFile, MissingFooterFails) {
    const std::string no_footer = "<HEADER>\nframes 1\nwidth 1\nheight 1\n</HEADER>\n<BODY>\na\nend\n</BODY>\n";
    EXPECT_EQ(rm().loadSprite(writeFile("nofoot.txt", no_footer), "nofoot"), -1);
    EXPECT_TRUE(log.contains("readData(): Error line 10! Expected '<FOOTER>', have ''."));
}

TEST_F(RobustSpriteFile, EmptyFooterFails) {
    EXPECT_EQ(
        rm().loadSprite(writeFile("empty.txt", robustFile("frames 1\nwidth 1\nheight 1\n", "a\nend\n", "")), "empty"),
        -1);
    EXPECT_EQ(rm().getSpriteCount(), 0);
}

TEST_F(RobustSpriteFile, FooterWithoutVersionNamesTheLine) {
    const std::string file = robustFile("frames 1\nwidth 1\nheight 1\n", "a\nend\n", "author me\n");
    EXPECT_EQ(rm().loadSprite(writeFile("nover.txt", file), "nover"), -1);
    EXPECT_TRUE(log.contains("RM::loadRobustSprite(): Error! Missing 'version' in FOOTER (line 12)."));
}

TEST_F(RobustSpriteFile, LeftoverBodyRowsFail) {
    const std::string file = robustFile("frames 1\nwidth 1\nheight 1\n", "a\nend\nb\n", "version 1\n");
    EXPECT_EQ(rm().loadSprite(writeFile("extra.txt", file), "extra"), -1);
    EXPECT_TRUE(log.contains("RM::loadRobustSprite(): Error! Extra BODY:"));
    EXPECT_TRUE(log.contains("\tLine 10: b"));
}

TEST_F(RobustSpriteFile, EachRequiredHeaderKeywordIsNamed) {
    const char *const headers[] = {"width 1\nheight 1\n", "frames 1\nheight 1\n", "frames 1\nwidth 1\nheight -1\n"};
    const char *const named[] = {"'frames'", "'width'", "'height'"};
    for (int i = 0; i < 3; i++) {
        log.restart();
        EXPECT_EQ(rm().loadSprite(writeFile("req.txt", robustFile(headers[i], "a\nend\n", "version 1\n")), "req"), -1);
        EXPECT_TRUE(log.contains(std::string("RM::loadRobustSprite(): Error! Missing ") + named[i] + " in header."))
            << i;
    }
}

TEST_F(RobustSpriteFile, UnknownColorListsTheValidOnes) {
    const std::string file = robustFile("frames 1\nwidth 1\nheight 1\ncolor purple\n", "a\nend\n", "version 1\n");
    EXPECT_EQ(rm().loadSprite(writeFile("purple.txt", file), "purple"), -1);
    EXPECT_TRUE(log.contains("RM::loadRobustSprite(): Error! Unrecognized color 'purple'."));
    EXPECT_TRUE(log.contains("                    blue, magenta, cyan and white."));
}

TEST_F(RobustSpriteFile, DefaultColorMeansWhite) {
    const std::string file = robustFile("frames 1\nwidth 1\nheight 1\ncolor default\n", "a\nend\n", "version 1\n");
    ASSERT_EQ(rm().loadSprite(writeFile("default.txt", file), "default"), 0);
    EXPECT_EQ(rm().getSprite("default")->getColor(), nv::WHITE);
}

TEST_F(RobustSpriteFile, BlankLineInsideASectionFails) {
    const std::string file = robustFile("frames 1\nwidth 1\nheight 1\n", "a\n\nend\n", "version 1\n");
    EXPECT_EQ(rm().loadSprite(writeFile("blank.txt", file), "blank"), -1);
    EXPECT_TRUE(log.contains("readData(): Error! Stop at line 7, never encountered '</BODY>'."));
}

TEST_F(RobustSpriteFile, RowOfWrongWidthNamesItsLine) {
    const std::string file = robustFile("frames 2\nwidth 2\nheight 1\n", "ab\nend\nabc\nend\n", "version 1\n");
    EXPECT_EQ(rm().loadSprite(writeFile("wide.txt", file), "wide"), -1);
    EXPECT_TRUE(log.contains("\tError! Line 9: Line length is 3 (frame width is 2)."));
    EXPECT_TRUE(log.contains("RM::loadRobustSprite(): Error! No frame data to add."));
}

TEST_F(RobustSpriteFile, FrameWithoutEndFails) {
    const std::string file = robustFile("frames 1\nwidth 1\nheight 1\n", "a\nb\n", "version 1\n");
    EXPECT_EQ(rm().loadSprite(writeFile("noend.txt", file), "noend"), -1);
    EXPECT_TRUE(log.contains("\tError! Line 8: Expected 'end'."));
    EXPECT_TRUE(log.contains("\tLine 8: 'b'"));
}

TEST_F(RobustSpriteFile, HeaderClaimingMoreFramesThanTheBodyHoldsFails) {
    const std::string file = robustFile("frames 2000000000\nwidth 1\nheight 1\n", "a\nend\n", "version 1\n");
    EXPECT_EQ(rm().loadSprite(writeFile("claims.txt", file), "claims"), -1);
    EXPECT_TRUE(log.contains("\tError! Line 9: No more frame data before 'end'."));
}

TEST_F(RobustSpriteFile, NonPositiveSizesFailWithoutCrashing) {
    const char *const headers[] = {"frames -5\nwidth 1\nheight 1\n", "frames 0\nwidth 1\nheight 1\n",
                                   "frames 1\nwidth 1\nheight 0\n", "frames 1\nwidth 0\nheight 1\n",
                                   "frames 1\nwidth 1\nheight -7\n"};
    for (const char *header : headers) {
        EXPECT_EQ(rm().loadSprite(writeFile("sizes.txt", robustFile(header, "a\nend\n", "version 1\n")), "sizes"), -1)
            << header;
    }
    EXPECT_EQ(rm().getSpriteCount(), 0);
}

class SpriteTable : public ResourceManagerTest {};

TEST_F(SpriteTable, FirstLineChoosesTheFormat) {
    EXPECT_EQ(rm().loadSprite(writeFile("zero.txt", "0\n1\n1\n0\nred\na\n"), "zero"), -1);
    EXPECT_TRUE(log.contains("RM::loadSprite(): Error! Unknown sprite file format."));
    EXPECT_TRUE(log.contains("RM::loadSprite(): First line is '0'."));
    log.restart();
    EXPECT_EQ(rm().loadSprite(writeFile("letters.txt", "frames\n"), "letters"), -1);
    EXPECT_TRUE(log.contains("RM::loadSprite(): First line is 'frames'."));
    EXPECT_TRUE(log.contains("RM::loadSprite(): Sprite 'letters' NOT loaded."));
    EXPECT_EQ(rm().loadSprite(writeFile("blank3.txt", " 3\n1\n1\n0\nred\na\nb\nc\n"), "blank3"), 0);
    EXPECT_EQ(rm().getSprite("blank3")->getFrameCount(), 3);
}

TEST_F(SpriteTable, EmptyFileIsAnUnknownFormat) {
    EXPECT_EQ(rm().loadSprite(writeFile("nothing.txt", ""), "nothing"), -1);
    EXPECT_TRUE(log.contains("RM::loadSprite(): First line is ''."));
}

TEST_F(SpriteTable, MissingFileIsReported) {
    EXPECT_EQ(rm().loadSprite(nv_test::scratchDir() + "/absent.txt", "absent"), -1);
    EXPECT_TRUE(log.contains("RM::loadSprite(): Error! Cannot open file '" + nv_test::scratchDir() + "/absent.txt'."));
    EXPECT_TRUE(log.contains("RM::loadSprite(): Sprite 'absent' not loaded."));
}

TEST_F(SpriteTable, SameLabelTwiceStoresBothAndFindsTheFirst) {
    ASSERT_EQ(rm().loadSprite(writeFile("one.txt", "1\n1\n1\n0\nred\n1\n"), "twin"), 0);
    ASSERT_EQ(rm().loadSprite(writeFile("two.txt", "1\n1\n1\n0\nblue\n2\n"), "twin"), 0);
    EXPECT_EQ(rm().getSpriteCount(), 2);
    EXPECT_EQ(rm().getSprite("twin")->getFrame(0).getString(), "1");
}

TEST_F(SpriteTable, LabelsAreCaseSensitive) {
    ASSERT_EQ(rm().loadSprite(writeFile("case.txt", GREEN_SIMPLE), "Ship"), 0);
    EXPECT_EQ(rm().getSprite("ship"), nullptr);
    EXPECT_TRUE(log.contains("RM::getSprite(): Warning! Sprite 'ship' not found."));
}

TEST_F(SpriteTable, AFailedLoadLeavesEarlierSpritesAlone) {
    ASSERT_EQ(rm().loadSprite(writeFile("keep.txt", GREEN_SIMPLE), "keep"), 0);
    nv::Sprite *p_before = rm().getSprite("keep");
    EXPECT_EQ(rm().loadSprite(writeFile("bad.txt", "1\n3\n1\n4\ngreen\nab\n"), "keep"), -1);
    EXPECT_EQ(rm().getSpriteCount(), 1);
    EXPECT_EQ(rm().getSprite("keep"), p_before);
    EXPECT_EQ(p_before->getFrame(0).getString(), "abc");
}

TEST_F(SpriteTable, RefusesTheThousandAndFirstWithoutOpeningIt) {
    const std::string path = writeFile("tiny.txt", "1\n1\n1\n0\nred\nx\n");
    for (int i = 0; i < nv::MAX_SPRITES; i++) {
        ASSERT_EQ(rm().loadSprite(path, "s" + std::to_string(i)), 0) << i;
    }
    EXPECT_EQ(rm().loadSprite(nv_test::scratchDir() + "/never-opened.txt", "late"), -1);
    EXPECT_TRUE(log.contains("RM::loadRobustSprite(): Error! Cannot add more Sprites (max is 1000)."));
    EXPECT_TRUE(log.contains("RM::loadRobustSprite(): Sprite 'late' not loaded."));
    EXPECT_FALSE(log.contains("never-opened"));
    EXPECT_EQ(rm().getSpriteCount(), nv::MAX_SPRITES);
    EXPECT_NE(rm().getSprite("s999"), nullptr);
}

TEST_F(SpriteTable, ShutDownReleasesEverySprite) {
    ASSERT_EQ(rm().loadSprite(writeFile("gone.txt", GREEN_SIMPLE), "gone"), 0);
    rm().shutDown();
    EXPECT_FALSE(rm().isStarted());
    EXPECT_EQ(rm().getSpriteCount(), 0);
    EXPECT_EQ(rm().getSprite("gone"), nullptr);
}

TEST_F(SpriteTable, NothingLoadsBeforeStartUp) {
    rm().shutDown();
    EXPECT_EQ(rm().loadSprite(writeFile("early.txt", GREEN_SIMPLE), "early"), -1);
    EXPECT_TRUE(log.contains("ResourceManager not started!"));
}

TEST_F(SpriteTable, SecondStartUpIsRefused) {
    EXPECT_EQ(rm().startUp(), -1);
    EXPECT_TRUE(log.contains("ResourceManager::startup(): Warning! ResourceManager already started."));
    EXPECT_TRUE(rm().isStarted());
}

TEST_F(SpriteTable, ADirectoryIsNotASpriteFile) {
    EXPECT_EQ(rm().loadSprite(nv_test::scratchDir(), "dir"), -1);
    EXPECT_EQ(rm().getSpriteCount(), 0);
}

TEST_F(SpriteTable, LoadersReadAnyStream) {
    std::istringstream simple("1\n2\n1\n0\nwhite\nok\n");
    std::unique_ptr<nv::Sprite> p_simple = rm().loadSimpleSprite(simple);
    ASSERT_NE(p_simple, nullptr);
    EXPECT_EQ(p_simple->getFrame(0).getString(), "ok");
    std::istringstream robust(SPEC_ROBUST);
    EXPECT_NE(rm().loadRobustSprite(robust), nullptr);
    EXPECT_EQ(rm().getSpriteCount(), 0);
}
