// The help file "VNLflash.HLP": plain text, shipped beside the program. A line "[topic N] Title"
// starts topic N (the help context the window asks for); everything before the first such line is
// the author's preamble. Inside a topic, lines of a paragraph are joined, a blank line ends a
// paragraph, "- " starts a list item and "1. " a numbered step; indented lines continue an item.
//
// Loading never throws: a missing, unreadable or empty file leaves a message that the help window
// shows in place of the topic, and malformed topic lines are skipped with a warning each.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace flash410::window_model {

inline constexpr std::string_view kHelpFileName = "VNLflash.HLP";
// A help text is a few kilobytes; anything far larger is the wrong file, not help.
inline constexpr std::size_t kMaxHelpFileBytes = 1024 * 1024;

enum class HelpParagraphKind { kText, kBullet, kNumbered };

struct HelpParagraph {
    HelpParagraphKind kind = HelpParagraphKind::kText;
    // Numbered steps keep the number as written ("1. "), without its marker in text.
    std::string number;
    std::string text;
    // True for an item with no blank line before it: it belongs with the paragraph or item above
    // (a list and its introduction, or the items of one list).
    bool followsDirectly = false;

    bool operator==(const HelpParagraph&) const = default;
};

// How a topic is written as plain text: the line end, and what stands before the text of a list item and
// after the number of a step.
struct PlainTextMarks {
    std::string_view LineEnd = "\n";
    std::string_view Bullet = "- ";
    std::string_view AfterNumber = ". ";
};

struct HelpSection {
    int context = 0;
    std::string title;
    std::vector<HelpParagraph> paragraphs;

    // The topic as plain text: a blank line between paragraphs, a line end before an item that follows
    // directly; items with their bullet or number.
    std::string PlainText(const PlainTextMarks& marks = {}) const;
};

class HelpFile {
  public:
    // Reads and parses the file; any failure is kept as Problem().
    static HelpFile Load(const std::filesystem::path& path);
    // Parses text already read; path only names the file in messages.
    static HelpFile Parse(std::string_view contents, const std::filesystem::path& path);

    const std::filesystem::path& path() const { return path_; }
    // Why no topic at all can be shown (missing, unreadable, no topics); empty when usable.
    const std::string& Problem() const { return problem_; }
    bool IsUsable() const { return problem_.empty(); }
    // The topics in file order.
    const std::vector<HelpSection>& Sections() const { return sections_; }
    // One text per skipped line ("VNLflash.HLP line 12: ..."), in file order.
    const std::vector<std::string>& Warnings() const { return warnings_; }

    // The topic with this context number, or nullptr.
    const HelpSection* Find(int context) const;
    // What to show instead of topic `context`: Problem(), a "no topic" text, or empty when the
    // topic exists.
    std::string MessageFor(int context) const;

  private:
    explicit HelpFile(std::filesystem::path path) : path_(std::move(path)) {}

    std::filesystem::path path_;
    std::string problem_;
    std::vector<HelpSection> sections_;
    std::vector<std::string> warnings_;
};

}  // namespace flash410::window_model
