#include "window_model/help_file.h"
#include "platform/plain_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>
#include <optional>
#include <system_error>

namespace flash410::window_model {
namespace {

constexpr std::string_view kBlanks = " \t\r";
constexpr std::string_view kTopicKeyword = "[topic";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// Long enough to recognise the line in a warning, short enough to keep the warning one line.
constexpr std::size_t kQuotedLineLength = 60;
// Numbered steps are short numbers; a longer run of digits is a year or an amount, not a step.
constexpr std::size_t kMaxStepNumberDigits = 3;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsIndented(std::string_view line) {
    return !line.empty() && (line.front() == ' ' || line.front() == '\t');
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string Quoted(std::string_view line) {
    std::string text(line.substr(0, kQuotedLineLength));
    if (line.size() > kQuotedLineLength) {
        text += "...";
    }
    return "\"" + text + "\"";
}

struct TopicLine {
    std::optional<int> context;  // empty when the line is malformed
    std::string title;
    std::string fault;  // why the line is malformed
};

// A line that starts with "[topic" (any case) is a topic line, well formed or not.
TopicLine ParseTopicLine(std::string_view line) {
    TopicLine result;
    const std::string_view rest = line.substr(kTopicKeyword.size());
    const auto close = rest.find(']');
    if (close == std::string_view::npos) {
        result.fault = "the topic line has no closing ']'";
        return result;
    }
    const std::string_view number = Trim(rest.substr(0, close));
    if (number.empty()) {
        result.fault = "the topic line has no topic number";
        return result;
    }
    if (!std::all_of(number.begin(), number.end(), IsDigit)) {
        result.fault = "\"" + std::string(number) + "\" is not a topic number";
        return result;
    }
    const std::optional<int> value = platform::WholeNumber(number);
    if (!value || *value < 1) {
        result.fault = "topic numbers run from 1 to 2147483647";
        return result;
    }
    result.context = *value;
    result.title = std::string(Trim(rest.substr(close + 1)));
    return result;
}

// "12. " at the start of a line: the step number, or nothing.
std::optional<std::string_view> StepNumber(std::string_view line) {
    const auto digits = std::find_if_not(line.begin(), line.end(), IsDigit) - line.begin();
    const auto count = static_cast<std::size_t>(digits);
    if (count == 0 || count > kMaxStepNumberDigits || line.size() < count + 2 || line[count] != '.' ||
        (line[count + 1] != ' ' && line[count + 1] != '\t')) {
        return std::nullopt;
    }
    return line.substr(0, count);
}

// Gathers the body lines of one topic into paragraphs.
class ParagraphBuilder {
  public:
    void AddLine(std::string_view raw) {
        const std::string_view line = Trim(raw);
        if (line.empty()) {
            Finish();
            return;
        }
        if (line.starts_with("- ")) {
            Start(HelpParagraphKind::kBullet, {}, line.substr(2));
        } else if (const auto number = StepNumber(line)) {
            Start(HelpParagraphKind::kNumbered, *number, line.substr(number->size() + 2));
        } else if (current_ && (current_->kind == HelpParagraphKind::kText || IsIndented(raw))) {
            current_->text += ' ';
            current_->text += line;
        } else {
            // Text under a list item that is not indented ends the list.
            Finish();
            Start(HelpParagraphKind::kText, {}, line);
        }
    }

    std::vector<HelpParagraph> Take() {
        Finish();
        return std::move(paragraphs_);
    }

  private:
    void Start(HelpParagraphKind kind, std::string_view number, std::string_view text) {
        // A paragraph still open means no blank line came between it and this item.
        const bool follows = current_.has_value();
        Finish();
        current_ = HelpParagraph{kind, std::string(number), std::string(Trim(text)), follows};
    }

    void Finish() {
        if (current_) {
            paragraphs_.push_back(std::move(*current_));
            current_.reset();
        }
    }

    std::vector<HelpParagraph> paragraphs_;
    std::optional<HelpParagraph> current_;
};

std::string HelpFileText(const std::filesystem::path& path) {
    return "The help file " + path.string();
}

}  // namespace

std::string HelpSection::PlainText(const PlainTextMarks& marks) const {
    std::string text;
    for (const HelpParagraph& paragraph : paragraphs) {
        if (!text.empty()) {
            text += marks.LineEnd;
            if (!paragraph.followsDirectly) {
                text += marks.LineEnd;
            }
        }
        if (paragraph.kind == HelpParagraphKind::kBullet) {
            text += marks.Bullet;
        } else if (paragraph.kind == HelpParagraphKind::kNumbered) {
            text += paragraph.number;
            text += marks.AfterNumber;
        }
        text += paragraph.text;
    }
    return text;
}

HelpFile HelpFile::Parse(std::string_view contents, const std::filesystem::path& path) {
    HelpFile help(path);
    if (contents.find('\0') != std::string_view::npos) {
        help.problem_ = HelpFileText(path) + " is not a text file.";
        return help;
    }
    if (contents.starts_with(kUtf8ByteOrderMark)) {
        contents.remove_prefix(kUtf8ByteOrderMark.size());
    }
    const std::string fileName =
        path.filename().empty() ? std::string(kHelpFileName) : path.filename().string();

    std::optional<HelpSection> section;
    ParagraphBuilder builder;
    bool skipping = false;  // inside the body of a skipped topic line
    const auto finishSection = [&] {
        if (section) {
            section->paragraphs = builder.Take();
            help.sections_.push_back(std::move(*section));
            section.reset();
        }
        builder = ParagraphBuilder{};
    };

    const std::vector<std::string_view> lines = SplitLines(contents);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string_view line = Trim(lines[index]);
        if (!StartsWithIgnoringCase(line, kTopicKeyword)) {
            if (section && !skipping) {
                builder.AddLine(lines[index]);
            }
            continue;
        }
        finishSection();
        TopicLine topic = ParseTopicLine(line);
        if (topic.context && help.Find(*topic.context) != nullptr) {
            topic.fault = "topic " + std::to_string(*topic.context) + " appears twice; the first is kept";
            topic.context.reset();
        }
        skipping = !topic.context;
        if (skipping) {
            help.warnings_.push_back(fileName + " line " + std::to_string(index + 1) + ": " + topic.fault +
                                     " in " + Quoted(line) + "; the lines up to the next topic are skipped.");
            continue;
        }
        if (topic.title.empty()) {
            topic.title = "Topic " + std::to_string(*topic.context);
        }
        section = HelpSection{*topic.context, std::move(topic.title), {}};
    }
    finishSection();

    if (help.sections_.empty()) {
        help.problem_ = HelpFileText(path) + " holds no topics.";
    }
    return help;
}

HelpFile HelpFile::Load(const std::filesystem::path& path) {
    HelpFile failed(path);
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        const std::filesystem::path folder = path.parent_path().empty() ? "." : path.parent_path();
        failed.problem_ = HelpFileText(path) + " was not found. It belongs beside the program: copy " +
                          std::string(kHelpFileName) + " into " + folder.string() + ".";
        return failed;
    }
    if (error) {
        failed.problem_ = HelpFileText(path) + " cannot be read: " + error.message() + ".";
        return failed;
    }
    if (status.type() == std::filesystem::file_type::directory) {
        failed.problem_ = HelpFileText(path) + " is a folder, not a file.";
        return failed;
    }

    // A stream opens the path in the system's own encoding (wide on Windows).
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        failed.problem_ =
            HelpFileText(path) + " cannot be read: " + std::generic_category().message(errno) + ".";
        return failed;
    }
    // One byte more than allowed tells a file at the limit from a larger one.
    std::string contents(kMaxHelpFileBytes + 1, '\0');
    file.read(contents.data(), static_cast<std::streamsize>(contents.size()));
    const auto count = static_cast<std::size_t>(file.gcount());
    if (file.bad()) {
        failed.problem_ =
            HelpFileText(path) + " cannot be read: " + std::generic_category().message(errno) + ".";
        return failed;
    }
    if (count > kMaxHelpFileBytes) {
        failed.problem_ =
            HelpFileText(path) + " is larger than 1 MiB, so it is not this program's help text.";
        return failed;
    }
    contents.resize(count);
    return Parse(contents, path);
}

const HelpSection* HelpFile::Find(int context) const {
    const auto found =
        std::find_if(sections_.begin(), sections_.end(),
                     [context](const HelpSection& section) { return section.context == context; });
    return found == sections_.end() ? nullptr : &*found;
}

std::string HelpFile::MessageFor(int context) const {
    if (!IsUsable()) {
        return problem_;
    }
    if (Find(context) == nullptr) {
        return HelpFileText(path_) + " has no topic " + std::to_string(context) + ".";
    }
    return {};
}

}  // namespace flash410::window_model
