#include "strip_locator.h"

#include <gtest/gtest.h>

#include <string>

#include "errors.h"

namespace dromix {
namespace {

std::string Located(std::string page) {
    LocateStrip(page);
    return page;
}

TEST(TildeToQuote, ReplacesEveryTilde) {
    EXPECT_EQ(TildeToQuote("=~Latest Strip~"), "=\"Latest Strip\"");
    EXPECT_EQ(TildeToQuote("~~x~"), "\"\"x\"");
    EXPECT_EQ(TildeToQuote("SRC="), "SRC=");
    EXPECT_EQ(TildeToQuote(""), "");
}

TEST(SkipPast, KeepsWhatFollowsTheFirstMatch) {
    std::string text = "a=b=c";
    SkipPast(text, "=");
    EXPECT_EQ(text, "b=c");

    text = "marker-rest";
    SkipPast(text, "marker-");
    EXPECT_EQ(text, "rest");
}

TEST(SkipPast, EmptiesTheTextWhenTheMarkerIsMissingOrEndsIt) {
    std::string missing = "no marker here";
    SkipPast(missing, "SRC=\"");
    EXPECT_EQ(missing, "");

    std::string atEnd = "text ending in SRC=\"";
    SkipPast(atEnd, "SRC=\"");
    EXPECT_EQ(atEnd, "");
}

TEST(CutBefore, KeepsWhatPrecedesTheFirstMatch) {
    std::string text = "/a.gif\"> and \">";
    CutBefore(text, "\">");
    EXPECT_EQ(text, "/a.gif");

    std::string atStart = "\">rest";
    CutBefore(atStart, "\">");
    EXPECT_EQ(atStart, "");

    std::string missing = "/a.gif\" width=5";
    CutBefore(missing, "\">");
    EXPECT_EQ(missing, "");
}

TEST(CutBefore, PositionAbove32767Overflows) {
    // 1-based position 32767 is the largest a signed 16-bit value holds.
    std::string fits = std::string(32766, 'x') + "\">";
    CutBefore(fits, "\">");
    EXPECT_EQ(fits.size(), 32766u);

    std::string beyond = std::string(32767, 'x') + "\">";
    try {
        CutBefore(beyond, "\">");
        FAIL() << "no overflow at position 32768";
    } catch (const OverflowError& e) {
        EXPECT_STREQ(e.what(), "Overflow");
    }

    // Without a match there is no position to overflow.
    std::string longMissing(100000, 'x');
    EXPECT_NO_THROW(CutBefore(longMissing, "\">"));
    EXPECT_EQ(longMissing, "");
}

TEST(LocateStrip, FindsTheSourceOfTheLatestStripTag) {
    EXPECT_EQ(Located("<html><img alt=\"Latest Strip\" width=\"600\" SRC=\"/strips/today.gif\">"
                      "<p>more</p></html>"),
              "/strips/today.gif");
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" SRC=\"http://x.example/a b.gif\">"),
              "http://x.example/a b.gif");
}

TEST(LocateStrip, MarkersAreCaseSensitive) {
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" src=\"/a.gif\">"), "");
    EXPECT_EQ(Located("<img alt=\"latest strip\" SRC=\"/a.gif\">"), "");
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" Src=\"/a.gif\">"), "");
}

TEST(LocateStrip, OnlyTheFirstLatestStripCounts) {
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" SRC=\"/first.gif\">"
                      "<img alt=\"Latest Strip\" SRC=\"/second.gif\">"),
              "/first.gif");
}

TEST(LocateStrip, SourceBeforeTheAltTextIsNeverUsed) {
    // The strip tag's own SRC comes first, so the next tag's is taken.
    EXPECT_EQ(Located("<img SRC=\"/own.gif\" alt=\"Latest Strip\"><img SRC=\"/next.gif\">"),
              "/next.gif");
    EXPECT_EQ(Located("<img SRC=\"/earlier.gif\"><img alt=\"Latest Strip\">"), "");
}

TEST(LocateStrip, FirstSourceAfterTheAltTextEvenInALaterTag) {
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" width=\"600\"><p>text</p><img SRC=\"/later.gif\">"
                      "<img SRC=\"/last.gif\">"),
              "/later.gif");
}

TEST(LocateStrip, UnclosedValueRunsOnToTheNextQuoteBeforeGreaterThan) {
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" SRC=\"/a.gif\" width=\"600\"><p>x</p>"),
              "/a.gif\" width=\"600");
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" SRC=\"/a.gif\" width=600>"), "");
}

TEST(LocateStrip, EmptyOrMissingPiecesGiveEmpty) {
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" SRC=\"\">"), "");
    EXPECT_EQ(Located("<p>page ends with alt=\"Latest Strip\""), "");
    EXPECT_EQ(Located("<img alt=\"Latest Strip\" SRC=\""), "");
    EXPECT_EQ(Located(""), "");
}

TEST(LocateStrip, OverflowCountsFromTheSourceValue) {
    const std::string head = "<p>" + std::string(50000, 'p') + "</p><img alt=\"Latest Strip\" SRC=\"";
    // Text before the source value does not count: only the remaining text's positions matter.
    EXPECT_EQ(Located(head + std::string(32766, 'u') + "\">").size(), 32766u);
    EXPECT_THROW(Located(head + std::string(32767, 'u') + "\">"), OverflowError);
}

}  // namespace
}  // namespace dromix
