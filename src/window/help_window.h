// The help window: a separate, non-modal window owned by the main window, showing one topic of the
// help file with a list of all topics to move between them. When the file is missing or has no such
// topic it shows why, in place of the topic.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <vector>

#include "window_model/help_view.h"

class QLabel;
class QListWidget;
class QTextBrowser;

namespace flash410::window {

class HelpWindow : public QWidget {
  public:
    // parent owns the window (Qt deletes it with the parent); the file is read on first use.
    HelpWindow(std::filesystem::path helpFilePath, QWidget* parent);

    // Shows the topic with this help context number (see HelpView::ShowTopic) and brings the window to
    // the front.
    void ShowTopic(int context);

    // The context number of the topic on show; 0 while a message is shown instead.
    int DisplayedContext() const { return view_.screen().Topic.context; }
    // The title and text on show, as plain text.
    QString DisplayedText() const;

  private:
    void Draw(const window_model::HelpScreen& screen);

    window_model::HelpView view_;
    std::vector<window_model::HelpTopicRow> drawnRows_;  // what the topic list holds

    QListWidget* topicList_;
    QLabel* title_;
    QTextBrowser* text_;
    QLabel* fileNotes_;
};

}  // namespace flash410::window
