// The help window: a separate, non-modal window owned by the main window, showing one topic of the
// help file with a list of all topics to move between them. When the file is missing or has no such
// topic it shows why, in place of the topic.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <optional>

#include "window_model/help_file.h"

class QLabel;
class QListWidget;
class QTextBrowser;

namespace flash410::window {

inline constexpr char kHelpWindowTitle[] = "Varnel Flash Device Upload - Help";

class HelpWindow : public QWidget {
  public:
    // parent owns the window (Qt deletes it with the parent); the file is read on first use.
    HelpWindow(std::filesystem::path helpFilePath, QWidget* parent);

    // Shows the topic with this help context number and brings the window to the front. A file
    // that could not be used is read again, so help copied in meanwhile is found.
    void ShowTopic(int context);

    // The context number of the topic on show; 0 while a message is shown instead.
    int DisplayedContext() const { return displayedContext_; }
    // The title and text on show, as plain text.
    QString DisplayedText() const;

  private:
    void LoadIfNeeded();
    void FillTopicList();
    void Display(int context);
    // Selects the topic's row; no row for a context that is not listed (0 included).
    void SelectListRow(int context);

    std::filesystem::path helpFilePath_;
    std::optional<window_model::HelpFile> helpFile_;  // empty until the first ShowTopic
    int displayedContext_ = 0;

    QListWidget* topicList_;
    QLabel* title_;
    QTextBrowser* text_;
    QLabel* fileNotes_;
};

}  // namespace flash410::window
