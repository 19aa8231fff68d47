#include "window_model/help_view.h"

#include <algorithm>

namespace flash410::window_model {

const HelpScreen& HelpView::ShowTopic(int context) {
    if (!file_ || !file_->IsUsable()) {
        Read();
    }
    Show(context);
    return screen_;
}

const HelpScreen& HelpView::PickRow(std::size_t row) {
    if (row < screen_.Rows.size()) {
        Show(screen_.Rows[row].Context);
    }
    return screen_;
}

void HelpView::Read() {
    file_ = HelpFile::Load(helpFile_);
    screen_.Rows.clear();
    for (const HelpSection& section : file_->Sections()) {
        screen_.Rows.push_back({section.context, section.title});
    }
    const std::vector<std::string>& warnings = file_->Warnings();
    screen_.Notes =
        warnings.empty() ? "" : "Some lines of the help file could not be used: " + warnings.front();
    screen_.AllNotes.clear();
    for (const std::string& warning : warnings) {
        screen_.AllNotes += (screen_.AllNotes.empty() ? "" : "\n") + warning;
    }
}

void HelpView::Show(int context) {
    if (const HelpSection* section = file_->Find(context)) {
        screen_.Topic = *section;
        const auto row =
            std::find_if(screen_.Rows.begin(), screen_.Rows.end(),
                         [context](const HelpTopicRow& topic) { return topic.Context == context; });
        screen_.SelectedRow = static_cast<std::size_t>(row - screen_.Rows.begin());
        return;
    }
    screen_.Topic = {
        0, "Help is not available", {{HelpParagraphKind::kText, {}, file_->MessageFor(context)}}};
    screen_.SelectedRow.reset();
}

}  // namespace flash410::window_model
