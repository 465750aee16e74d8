#include "activity_log.h"

#include <gtest/gtest.h>

#include <string>

#include "log_copy.h"

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
    test::LogCopy shown(log);
    log.AddLog("first");
    now.second = 59;
    log.AddLog("");
    EXPECT_EQ(shown.Text(), "02-29-2024 23:59:58 | first\r\n02-29-2024 23:59:59 | \r\n");
}

TEST(TrimPosition, KeepsExactly100LineBreaksWhole) {
    EXPECT_EQ(TrimPosition(NumberedLines(1, 100)), 0u);
    // Lone CR or LF, or LF CR, are not line breaks.
    EXPECT_EQ(TrimPosition("a\rb\nc\n\rd" + NumberedLines(1, 100)), 0u);
    for (const char* text : {"", "\r", "\n", "\r\n", "x\r\n"}) EXPECT_EQ(TrimPosition(text), 0u) << text;
}

TEST(TrimPosition, The101stLineBreakCutsEverythingBeforeIt) {
    const std::string text = NumberedLines(1, 101);
    EXPECT_EQ(text.substr(TrimPosition(text)), "\r\n" + NumberedLines(2, 101));
    const std::string longer = "no break at all " + NumberedLines(1, 250);
    EXPECT_EQ(longer.substr(TrimPosition(longer)), "\r\n" + NumberedLines(151, 250));
}

TEST(ActivityLog, KeepsALeadingBreakAndTheNewest100Lines) {
    ActivityLog log([] { return kTime; });
    test::LogCopy shown(log);
    for (int i = 1; i <= 100; ++i) log.AddLog(std::to_string(i));
    EXPECT_EQ(CountBreaks(shown.Text()), 100u);
    EXPECT_EQ(shown.Text(), StampedLines(1, 100)) << "nothing trimmed at 100 lines";

    log.AddLog("101");
    EXPECT_EQ(CountBreaks(shown.Text()), 101u);
    EXPECT_EQ(shown.Text(), "\r\n" + StampedLines(2, 101));

    for (int i = 102; i <= 300; ++i) log.AddLog(std::to_string(i));
    EXPECT_EQ(CountBreaks(shown.Text()), 101u);
    EXPECT_EQ(shown.Text(), "\r\n" + StampedLines(201, 300));
}

TEST(ActivityLog, MessageWithLineBreaksCountsAsSeveralLines) {
    ActivityLog log([] { return kTime; });
    test::LogCopy shown(log);
    for (int i = 1; i <= 98; ++i) log.AddLog(std::to_string(i));
    log.AddLog("two\r\nlines");  // 98 + 2 = 100: still whole
    EXPECT_EQ(shown.Text(), StampedLines(1, 98) + kStamp + "two\r\nlines\r\n");

    log.AddLog("three\r\nmore\r\nlines");  // 103 breaks: the lines of 1, 2 and 3 go
    EXPECT_EQ(CountBreaks(shown.Text()), 101u);
    EXPECT_EQ(shown.Text(), "\r\n" + StampedLines(4, 98) + kStamp + "two\r\nlines\r\n" + kStamp +
                              "three\r\nmore\r\nlines\r\n");
}

TEST(ActivityLog, RawTextIsNotTrimmedUntilTheNextAddLog) {
    ActivityLog log([] { return kTime; });
    test::LogCopy shown(log);
    for (int i = 1; i <= 100; ++i) log.AddLog(std::to_string(i));
    log.AppendRaw("\r\n");
    EXPECT_EQ(CountBreaks(shown.Text()), 101u);
    EXPECT_EQ(shown.Text(), StampedLines(1, 100) + "\r\n") << "the raw blank line trims nothing";

    log.AddLog("next");
    EXPECT_EQ(CountBreaks(shown.Text()), 101u);
    // Newest 100 lines: "next", the blank line and the lines of 3 to 100.
    EXPECT_EQ(shown.Text(), "\r\n" + StampedLines(3, 100) + "\r\n" + kStamp + "next\r\n");
}

// Every change reaches the window, and a message with more line breaks than the log keeps cuts into
// itself.
TEST(ActivityLog, EveryChangeIsHeardAndAFloodCutsIntoItself) {
    ActivityLog log([] { return kTime; });
    test::LogCopy shown(log);
    for (int i = 0; i < 130; ++i) {
        if (i % 7 == 0) log.AppendRaw("\r\n");
        log.AddLog("line " + std::to_string(i));
    }
    EXPECT_EQ(shown.Changes(), 130 + 19);
    EXPECT_EQ(CountBreaks(shown.Text()), 101u);
    std::string flood;
    for (int i = 0; i < 150; ++i) flood += "x\r\n";
    log.AddLog(flood);
    EXPECT_EQ(CountBreaks(shown.Text()), 101u);
    // The newest 100 lines: 99 of the flood's and the empty one its own line break ends.
    EXPECT_EQ(shown.Text(), "\r\n" + flood.substr(3 * 51) + "\r\n");
}

}  // namespace
}  // namespace dromix
