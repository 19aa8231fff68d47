// Line splitting: line ends, lines cut across pieces, stopping early and bounded line length.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/hex_line_splitter.h"

namespace flash410::image {
namespace {

struct Line {
    std::string Text;
    std::int64_t Number;
    bool operator==(const Line&) const = default;
};

// Feeds the pieces one after the other and collects every line handed on, with its number.
std::vector<Line> Split(const std::vector<std::string>& pieces) {
    HexLineSplitter splitter;
    std::vector<Line> lines;
    auto collect = [&](std::string_view line) {
        lines.push_back({std::string(line), splitter.LineNumber()});
        return true;
    };
    for (const std::string& piece : pieces) {
        EXPECT_TRUE(splitter.Feed(piece, collect));
    }
    EXPECT_TRUE(splitter.Finish(collect));
    return lines;
}

std::vector<Line> Numbered(const std::vector<std::string>& texts) {
    std::vector<Line> lines;
    for (const std::string& text : texts) {
        lines.push_back({text, static_cast<std::int64_t>(lines.size()) + 1});
    }
    return lines;
}

TEST(HexLineSplitter, LineFeedCarriageReturnLineFeedAndLoneCarriageReturnEndLines) {
    EXPECT_EQ(Split({"a\nbb\r\nccc\rd"}), Numbered({"a", "bb", "ccc", "d"}));
}

TEST(HexLineSplitter, EmptyLinesAreHandedOnSoTheReaderCanRefuseThem) {
    EXPECT_EQ(Split({"a\n\n\r\n\rb\n"}), Numbered({"a", "", "", "", "b"}));
}

TEST(HexLineSplitter, TextEndingInALineEndHasNoExtraLine) {
    EXPECT_EQ(Split({"a\r\n"}), Numbered({"a"}));
    EXPECT_EQ(Split({""}), Numbered({}));
}

TEST(HexLineSplitter, AnyCutIntoPiecesGivesTheSameLines) {
    const std::string text = ":0100000011EE\r\n:00000001FF\r\rx\n\ny\r\nlast";
    const std::vector<Line> whole = Split({text});
    ASSERT_EQ(whole, Numbered({":0100000011EE", ":00000001FF", "", "x", "", "y", "last"}));
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        for (std::size_t secondCut = cut; secondCut <= text.size(); ++secondCut) {
            EXPECT_EQ(Split({text.substr(0, cut), text.substr(cut, secondCut - cut), text.substr(secondCut)}),
                      whole)
                << "cut at " << cut << " and " << secondCut;
        }
    }
}

TEST(HexLineSplitter, StopsWhenTheLineHandlerSaysSo) {
    HexLineSplitter splitter;
    std::vector<std::string> lines;
    auto untilEnd = [&](std::string_view line) {
        lines.emplace_back(line);
        return line != "end";
    };
    EXPECT_FALSE(splitter.Feed("one\nend\nnever\n", untilEnd));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "end"}));
    EXPECT_EQ(splitter.LineNumber(), 2);
}

TEST(HexLineSplitter, LinesOfTheLongestRecordAreHandedOnWhole) {
    // ":" and 2 x 260 digits: a record with 255 data bytes.
    std::string longest(1 + 2 * 260, 'A');
    longest[0] = ':';
    const std::string text = longest + "\r\n" + longest + "\n" + longest;
    EXPECT_EQ(Split({text}), Numbered({longest, longest, longest}));
    EXPECT_EQ(Split({text.substr(0, 300), text.substr(300, 400), text.substr(700)}),
              Numbered({longest, longest, longest}));
}

TEST(HexLineSplitter, LongerLinesAreCutButStillLongerThanTheLongestRecord) {
    const std::string oneTooLong(1 + 2 * 260 + 1, '0');
    const std::vector<Line> lines = Split({oneTooLong + "\n", std::string(5000, '1')});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, oneTooLong);
    EXPECT_EQ(lines[1].Text, std::string(oneTooLong.size(), '1'));
}

TEST(HexLineSplitter, LongLinesKeepTheirBeginningWhetherCutOrNot) {
    std::string longLine(3 * HexLineSplitter::kMaxKeptLineLength, 'x');
    longLine[0] = ':';
    const std::string kept = longLine.substr(0, HexLineSplitter::kMaxKeptLineLength);
    const std::string text = longLine + "\n" + longLine;
    EXPECT_EQ(Split({text}), Numbered({kept, kept}));
    EXPECT_EQ(Split({text.substr(0, 100), text.substr(100, 500), text.substr(600)}), Numbered({kept, kept}));
}

}  // namespace
}  // namespace flash410::image
