#include "activity_log.h"

#include <gtest/gtest.h>

#include <string>

namespace dromix {
namespace {

constexpr LocalTime kTime{2003, 3, 16, 20, 22, 29};
const std::string kStamp = "03-16-2003 20:22:29 | ";

std::size_t CountBreaks(const std::string& text) {
    std::size_t breaks = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) {
        ++breaks;
    }
    return breaks;
}

// "line <first>" to "line <last>", each ending in CR LF.
std::string NumberedLines(int first, int last) {
    std::string text;
    for (int i = first; i <= last; ++i) text += "line " + std::to_string(i) + "\r\n";
    return text;
}

// The lines AddLog writes for the messages "<first>" to "<last>" at kTime.
std::string StampedLines(int first, int last) {
    std::string text;
    for (int i = first; i <= last; ++i) text += kStamp + std::to_string(i) + "\r\n";
    return text;
}

TEST(LogLine, HasTheStampMessageAndLineBreak) {
    EXPECT_EQ(FormatLogLine(kTime, "Locating image..."), "03-16-2003 20:22:29 | Locating image...\r\n");
    EXPECT_EQ(FormatLogLine({2009, 1, 2, 3, 4, 5}, "x"), "01-02-2009 03:04:05 | x\r\n");
    EXPECT_EQ(FormatLogLine({987, 12, 31, 0, 0, 0}, ""), "12-31-0987 00:00:00 | \r\n");
}

TEST(ActivityLog, AddLogUsesTheInjectedClock) {
    LocalTime now{2024, 2, 29, 23, 59, 58};
    ActivityLog log([&now] { return now; });
    log.AddLog("first");
    now.second = 59;
    log.AddLog("");
    EXPECT_EQ(log.Text(), "02-29-2024 23:59:58 | first\r\n02-29-2024 23:59:59 | \r\n");
}

TEST(TrimLog, KeepsExactly100LineBreaksWhole) {
    std::string text = NumberedLines(1, 100);
    const std::string before = text;
    TrimLog(text);
    EXPECT_EQ(text, before);

    // Lone CR or LF, or LF CR, are not line breaks.
    std::string loose = "a\rb\nc\n\rd" + NumberedLines(1, 100);
    const std::string looseBefore = loose;
    TrimLog(loose);
    EXPECT_EQ(loose, looseBefore);
}

TEST(TrimLog, The101stLineBreakCutsEverythingBeforeIt) {
    std::string text = NumberedLines(1, 101);
    TrimLog(text);
    EXPECT_EQ(text, "\r\n" + NumberedLines(2, 101));

    std::string longer = "no break at all " + NumberedLines(1, 250);
    TrimLog(longer);
    EXPECT_EQ(longer, "\r\n" + NumberedLines(151, 250));
}

TEST(TrimLog, ShortTextsAreLeftAlone) {
    for (std::string text : {"", "\r", "\n", "\r\n", "x\r\n"}) {
        const std::string before = text;
        TrimLog(text);
        EXPECT_EQ(text, before);
    }
}

TEST(ActivityLog, KeepsALeadingBreakAndTheNewest100Lines) {
    ActivityLog log([] { return kTime; });
    for (int i = 1; i <= 100; ++i) log.AddLog(std::to_string(i));
    EXPECT_EQ(CountBreaks(log.Text()), 100u);
    EXPECT_EQ(log.Text(), StampedLines(1, 100)) << "nothing trimmed at 100 lines";

    log.AddLog("101");
    EXPECT_EQ(CountBreaks(log.Text()), 101u);
    EXPECT_EQ(log.Text(), "\r\n" + StampedLines(2, 101));

    for (int i = 102; i <= 300; ++i) log.AddLog(std::to_string(i));
    EXPECT_EQ(CountBreaks(log.Text()), 101u);
    EXPECT_EQ(log.Text(), "\r\n" + StampedLines(201, 300));
}

TEST(ActivityLog, MessageWithLineBreaksCountsAsSeveralLines) {
    ActivityLog log([] { return kTime; });
    for (int i = 1; i <= 98; ++i) log.AddLog(std::to_string(i));
    log.AddLog("two\r\nlines");  // 98 + 2 = 100: still whole
    EXPECT_EQ(log.Text(), StampedLines(1, 98) + kStamp + "two\r\nlines\r\n");

    log.AddLog("three\r\nmore\r\nlines");  // 103 breaks: the lines of 1, 2 and 3 go
    EXPECT_EQ(CountBreaks(log.Text()), 101u);
    EXPECT_EQ(log.Text(), "\r\n" + StampedLines(4, 98) + kStamp + "two\r\nlines\r\n" + kStamp +
                              "three\r\nmore\r\nlines\r\n");
}

TEST(ActivityLog, RawTextIsNotTrimmedUntilTheNextAddLog) {
    ActivityLog log([] { return kTime; });
    for (int i = 1; i <= 100; ++i) log.AddLog(std::to_string(i));
    log.AppendRaw("\r\n");
    EXPECT_EQ(CountBreaks(log.Text()), 101u);
    EXPECT_EQ(log.Text(), StampedLines(1, 100) + "\r\n") << "the raw blank line trims nothing";

    log.AddLog("next");
    EXPECT_EQ(CountBreaks(log.Text()), 101u);
    // Newest 100 lines: "next", the blank line and the lines of 3 to 100.
    EXPECT_EQ(log.Text(), "\r\n" + StampedLines(3, 100) + "\r\n" + kStamp + "next\r\n");
}

TEST(ActivityLog, CaretFollowsTheEndAndListenerHearsEveryChange) {
    ActivityLog log([] { return kTime; });
    int changes = 0;
    std::size_t caretSeen = 0;
    log.OnChange([&](const LogChange&) {
        ++changes;
        caretSeen = log.Caret();
    });
    log.AddLog("one");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(caretSeen, log.Text().size());
    log.AppendRaw("\r\n");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(caretSeen, log.Text().size());
    for (int i = 0; i < 150; ++i) log.AddLog("more");
    EXPECT_EQ(changes, 152);
    EXPECT_EQ(log.Caret(), log.Text().size());
    EXPECT_EQ(caretSeen, log.Text().size());
}

// A window keeps its copy of the text by applying each change: cut the removed start, append.
TEST(ActivityLog, ChangesRebuildTheTextExactly) {
    ActivityLog log([] { return kTime; });
    std::string copy;
    log.OnChange([&](const LogChange& change) {
        ASSERT_EQ(copy.compare(0, change.removed.size(), change.removed), 0);
        copy.erase(0, change.removed.size());
        copy += change.appended;
        EXPECT_EQ(copy, log.Text());
    });
    for (int i = 0; i < 130; ++i) {
        if (i % 7 == 0) log.AppendRaw("\r\n");
        log.AddLog("line " + std::to_string(i));
    }
    EXPECT_EQ(CountBreaks(log.Text()), 101u);
    // A message with more line breaks than the log keeps cuts into itself.
    std::string flood;
    for (int i = 0; i < 150; ++i) flood += "x\r\n";
    log.AddLog(flood);
    EXPECT_EQ(copy, log.Text());
    EXPECT_EQ(CountBreaks(log.Text()), 101u);
    EXPECT_EQ(log.Text().substr(0, 3), "\r\nx");
}

}  // namespace
}  // namespace dromix
