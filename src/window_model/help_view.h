// What the help window shows, without a window: the topic asked for, or why it cannot be shown; the list
// of every topic with the one on show picked; and a note on the lines of the help file that it could not
// use. Both help windows draw it and pass the operator's pick of a topic on.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "window_model/help_file.h"

namespace flash410::window_model {

inline constexpr char kHelpWindowTitle[] = "Varnel Flash Device Upload - Help";
// In the design's pixels: the window's first size, the topic list's width and the height of the topic
// title's bold Arial.
inline constexpr int kHelpWindowWidth = 720;
inline constexpr int kHelpWindowHeight = 480;
inline constexpr int kHelpTopicListWidth = 220;
inline constexpr int kHelpTitlePixels = 16;

struct HelpTopicRow {
    int Context = 0;
    std::string Title;

    bool operator==(const HelpTopicRow&) const = default;
};

struct HelpScreen {
    // The topic on show; while a message is shown in its place, context 0, the title "Help is not
    // available" and the message as its one paragraph.
    HelpSection Topic;
    // Every topic of the file in file order, and the row of the one on show (none while a message is).
    std::vector<HelpTopicRow> Rows;
    std::optional<std::size_t> SelectedRow;
    // For whoever edits the help text: the first line the file could not use, and every one of them, one
    // a line. Both empty when it used them all.
    std::string Notes;
    std::string AllNotes;
};

class HelpView {
  public:
    // The file is read at the first ShowTopic.
    explicit HelpView(std::filesystem::path helpFile) : helpFile_(std::move(helpFile)) {}

    // The topic with this help context number. A file that could not be used is read again first, so that
    // help copied in meanwhile is found; a usable one is read once.
    const HelpScreen& ShowTopic(int context);
    // The operator's pick of a row of the topic list: its topic. A row that is not there changes nothing.
    const HelpScreen& PickRow(std::size_t row);
    const HelpScreen& screen() const { return screen_; }

  private:
    void Read();
    void Show(int context);

    std::filesystem::path helpFile_;
    std::optional<HelpFile> file_;  // empty until the first ShowTopic
    HelpScreen screen_;
};

}  // namespace flash410::window_model
