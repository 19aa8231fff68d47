#include "window/help_window.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextBlockFormat>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace flash410::window {
namespace {

constexpr int kFontPixels = 13;
constexpr int kTitlePixels = 16;
constexpr int kTopicListWidth = 220;
constexpr QSize kInitialSize(720, 480);
// Paragraphs stand apart; items that follow one another directly stay together.
constexpr qreal kParagraphGap = 9;
constexpr qreal kItemGap = 3;
// Items hang: the marker sits left of the text's own left edge.
constexpr qreal kItemIndent = 24;

QString FromText(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString Marker(const window_model::HelpParagraph& paragraph) {
    switch (paragraph.kind) {
        case window_model::HelpParagraphKind::kBullet:
            return QStringLiteral("\u2022\t");
        case window_model::HelpParagraphKind::kNumbered:
            return FromText(paragraph.number) + QStringLiteral(".\t");
        case window_model::HelpParagraphKind::kText:
            break;
    }
    return {};
}

QTextBlockFormat FormatFor(const window_model::HelpParagraph& paragraph, bool first) {
    QTextBlockFormat format;
    format.setTopMargin(first ? 0 : paragraph.followsDirectly ? kItemGap : kParagraphGap);
    if (paragraph.kind != window_model::HelpParagraphKind::kText) {
        format.setLeftMargin(kItemIndent);
        format.setTextIndent(-kItemIndent + 6);
        QTextOption::Tab tab(kItemIndent - 6, QTextOption::LeftTab);
        format.setTabPositions({tab});
    }
    return format;
}

void WriteParagraphs(QTextDocument& document, const std::vector<window_model::HelpParagraph>& paragraphs) {
    document.clear();
    QTextCursor cursor(&document);
    bool first = true;
    for (const window_model::HelpParagraph& paragraph : paragraphs) {
        if (first) {
            cursor.setBlockFormat(FormatFor(paragraph, true));
        } else {
            cursor.insertBlock(FormatFor(paragraph, false));
        }
        cursor.insertText(Marker(paragraph) + FromText(paragraph.text));
        first = false;
    }
}

}  // namespace

HelpWindow::HelpWindow(std::filesystem::path helpFilePath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      helpFilePath_(std::move(helpFilePath)),
      topicList_(new QListWidget(this)),
      title_(new QLabel(this)),
      text_(new QTextBrowser(this)),
      fileNotes_(new QLabel(this)) {
    setWindowTitle(QString::fromUtf8(kHelpWindowTitle));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kFontPixels);
    setFont(font);
    resize(kInitialSize);

    topicList_->setObjectName(QStringLiteral("topicList"));
    topicList_->setFixedWidth(kTopicListWidth);
    topicList_->setWordWrap(true);
    title_->setObjectName(QStringLiteral("topicTitle"));
    QFont titleFont = font;
    titleFont.setPixelSize(kTitlePixels);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    title_->setWordWrap(true);
    text_->setObjectName(QStringLiteral("topicText"));
    text_->setOpenLinks(false);
    fileNotes_->setObjectName(QStringLiteral("fileNotes"));
    fileNotes_->setWordWrap(true);
    fileNotes_->hide();
    auto* closeButton = new QPushButton(QStringLiteral("&Close"), this);

    auto* topicColumn = new QVBoxLayout;
    topicColumn->addWidget(title_);
    topicColumn->addWidget(text_, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(topicList_);
    body->addLayout(topicColumn, 1);
    auto* footer = new QHBoxLayout;
    footer->addWidget(fileNotes_, 1);
    footer->addWidget(closeButton, 0, Qt::AlignRight | Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(footer);

    connect(topicList_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item != nullptr) {
            Display(item->data(Qt::UserRole).toInt());
        }
    });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::hide);
}

void HelpWindow::ShowTopic(int context) {
    LoadIfNeeded();
    Display(context);
    show();
    raise();
    activateWindow();
}

QString HelpWindow::DisplayedText() const {
    return title_->text() + QLatin1Char('\n') + text_->toPlainText();
}

void HelpWindow::LoadIfNeeded() {
    if (helpFile_ && helpFile_->IsUsable()) {
        return;
    }
    helpFile_ = window_model::HelpFile::Load(helpFilePath_);
    FillTopicList();

    const std::vector<std::string>& warnings = helpFile_->Warnings();
    if (warnings.empty()) {
        fileNotes_->hide();
        return;
    }
    // Tells whoever edits the help text which lines it lost; the tool tip lists them all.
    QString all;
    for (const std::string& warning : warnings) {
        all += (all.isEmpty() ? QString() : QStringLiteral("\n")) + FromText(warning);
    }
    fileNotes_->setText(QStringLiteral("Some lines of the help file could not be used: ") +
                        FromText(warnings.front()));
    fileNotes_->setToolTip(all);
    fileNotes_->show();
}

void HelpWindow::FillTopicList() {
    const QSignalBlocker quiet(topicList_);
    topicList_->clear();
    for (const window_model::HelpSection& section : helpFile_->Sections()) {
        auto* item = new QListWidgetItem(FromText(section.title), topicList_);
        item->setData(Qt::UserRole, section.context);
    }
}

void HelpWindow::Display(int context) {
    const window_model::HelpSection* section = helpFile_ ? helpFile_->Find(context) : nullptr;
    if (section == nullptr) {
        const std::string message = helpFile_ ? helpFile_->MessageFor(context) : std::string();
        displayedContext_ = 0;
        title_->setText(QStringLiteral("Help is not available"));
        WriteParagraphs(*text_->document(), {window_model::HelpParagraph{
                                                window_model::HelpParagraphKind::kText, {}, message, false}});
        SelectListRow(0);
        return;
    }
    displayedContext_ = context;
    title_->setText(FromText(section->title));
    WriteParagraphs(*text_->document(), section->paragraphs);
    text_->moveCursor(QTextCursor::Start);
    SelectListRow(context);
}

void HelpWindow::SelectListRow(int context) {
    const QSignalBlocker quiet(topicList_);
    for (int row = 0; row < topicList_->count(); ++row) {
        if (topicList_->item(row)->data(Qt::UserRole).toInt() == context) {
            topicList_->setCurrentRow(row);
            return;
        }
    }
    topicList_->setCurrentRow(-1);
}

}  // namespace flash410::window
