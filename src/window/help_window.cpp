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
      view_(std::move(helpFilePath)),
      topicList_(new QListWidget(this)),
      title_(new QLabel(this)),
      text_(new QTextBrowser(this)),
      fileNotes_(new QLabel(this)) {
    setWindowTitle(QString::fromUtf8(window_model::kHelpWindowTitle));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kFontPixels);
    setFont(font);
    resize(window_model::kHelpWindowWidth, window_model::kHelpWindowHeight);

    topicList_->setObjectName(QStringLiteral("topicList"));
    topicList_->setFixedWidth(window_model::kHelpTopicListWidth);
    topicList_->setWordWrap(true);
    title_->setObjectName(QStringLiteral("topicTitle"));
    QFont titleFont = font;
    titleFont.setPixelSize(window_model::kHelpTitlePixels);
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
            Draw(view_.PickRow(static_cast<std::size_t>(topicList_->row(item))));
        }
    });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::hide);
}

void HelpWindow::ShowTopic(int context) {
    Draw(view_.ShowTopic(context));
    show();
    raise();
    activateWindow();
}

QString HelpWindow::DisplayedText() const {
    return title_->text() + QLatin1Char('\n') + text_->toPlainText();
}

void HelpWindow::Draw(const window_model::HelpScreen& screen) {
    const QSignalBlocker quiet(topicList_);
    if (screen.Rows != drawnRows_) {
        topicList_->clear();
        for (const window_model::HelpTopicRow& row : screen.Rows) {
            topicList_->addItem(FromText(row.Title));
        }
        drawnRows_ = screen.Rows;
    }
    topicList_->setCurrentRow(screen.SelectedRow ? static_cast<int>(*screen.SelectedRow) : -1);
    title_->setText(FromText(screen.Topic.title));
    WriteParagraphs(*text_->document(), screen.Topic.paragraphs);
    text_->moveCursor(QTextCursor::Start);
    // Tells whoever edits the help text which lines it lost; the tool tip lists them all.
    fileNotes_->setText(FromText(screen.Notes));
    fileNotes_->setToolTip(FromText(screen.AllNotes));
    fileNotes_->setVisible(!screen.Notes.empty());
}

}  // namespace flash410::window
