#include "window/file_chooser_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <utility>
#include <vector>

namespace flash410::window {

namespace {

// Room for the current folder's name inside the group box; a longer one is shortened in the middle.
constexpr int kCurDirLblWidth = 190;

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* MakeLabel(QWidget* parent, int left, int top, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QListWidget* MakeList(QWidget* parent, QRect geometry) {
    auto* list = new QListWidget(parent);
    list->setGeometry(geometry);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

QPushButton* MakeButton(QWidget* parent, QRect geometry, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setGeometry(geometry);
    return button;
}

// Refills a list with the model's rows; nothing is selected in it then.
void ShowRows(QListWidget* list, const std::vector<std::string>& rows) {
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& row : rows) {
        list->addItem(ToQString(row));
    }
}

// Shows a drop-down list's items and its current one. The items are put in afresh only when they
// changed: the list may be the one whose pick is being handled.
void ShowItems(QComboBox* box, const std::vector<std::string>& items, std::optional<std::size_t> current,
               bool wholeTextAsToolTip) {
    const QSignalBlocker quiet(box);
    std::vector<std::string> shown;
    for (int index = 0; index < box->count(); ++index) {
        shown.push_back(box->itemText(index).toStdString());
    }
    if (shown != items) {
        box->clear();
        for (const std::string& item : items) {
            box->addItem(ToQString(item));
            // A long drive path does not fit the box; the whole of it is in the tool tip.
            if (wholeTextAsToolTip) {
                box->setItemData(box->count() - 1, ToQString(item), Qt::ToolTipRole);
            }
        }
    }
    box->setCurrentIndex(current ? static_cast<int>(*current) : -1);
}

void ShowMessageBox(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

}  // namespace

FileChooserDialog::FileChooserDialog(std::string homeFolder, MessageBox messageBox, QWidget* parent)
    : QDialog(parent),
      model_(std::move(homeFolder)),
      messageBox_(messageBox ? std::move(messageBox) : ShowMessageBox) {
    setWindowTitle("Select a File Name");
    QFont dialogFont("Arial");
    dialogFont.setPixelSize(13);
    setFont(dialogFont);
    setFixedSize(488, 364);
    move(147, 103);

    BuildControls();
    ConnectControls();
    Draw();
}

FileChooserDialog::~FileChooserDialog() = default;

void FileChooserDialog::BuildControls() {
    ContentsBox = new QGroupBox(this);
    ContentsBox->setGeometry(35, 7, 422, 305);

    FileNameLabel = MakeLabel(ContentsBox, 32, 24, "File Name:");
    FileNameBox = new QLineEdit(ContentsBox);
    FileNameBox->setGeometry(32, 48, 145, 24);
    FileList = MakeList(ContentsBox, {32, 96, 145, 113});

    FoldersLabel = MakeLabel(ContentsBox, 224, 40, "Directories:");
    CurrentFolderLabel = new QLabel(ContentsBox);
    CurrentFolderLabel->setGeometry(224, 64, kCurDirLblWidth, QFontMetrics(font()).height());
    FolderList = MakeList(ContentsBox, {224, 96, 145, 113});

    FolderHint = new QLabel("Double click to change directory", ContentsBox);
    FolderHint->setGeometry(211, 212, 178, 14);
    QFont smallFont("Arial");
    smallFont.setPixelSize(12);
    FolderHint->setFont(smallFont);
    QPalette black = FolderHint->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    FolderHint->setPalette(black);

    FileTypeLabel = MakeLabel(ContentsBox, 20, 232, "File Type:");
    FileTypeBox = new QComboBox(ContentsBox);
    FileTypeBox->setGeometry(20, 256, 169, 24);
    DriveLabel = MakeLabel(ContentsBox, 211, 232, "Drive:");
    DriveBox = new QComboBox(ContentsBox);
    DriveBox->setGeometry(211, 256, 198, 22);

    OkButton = MakeButton(this, {123, 322, 89, 33}, "OK");
    // Enter in the file name box presses OK, and only while OK is shown.
    OkButton->setDefault(true);
    CancelButton = MakeButton(this, {250, 322, 89, 33}, "Cancel");
}

void FileChooserDialog::ConnectControls() {
    connect(FileNameBox, &QLineEdit::textChanged, this, &FileChooserDialog::FileNameEdited);
    connect(FileList, &QListWidget::itemSelectionChanged, this, &FileChooserDialog::FileSelected);
    connect(FileList, &QListWidget::itemActivated, this, &FileChooserDialog::FileDoubleClicked);
    connect(FolderList, &QListWidget::itemActivated, this, &FileChooserDialog::FolderDoubleClicked);
    connect(DriveBox, &QComboBox::currentIndexChanged, this, &FileChooserDialog::DriveChosen);
    connect(FileTypeBox, &QComboBox::currentIndexChanged, this, &FileChooserDialog::FileTypeChosen);
    connect(OkButton, &QPushButton::clicked, this, [this] { End(model_.Accept()); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { End(std::nullopt); });
}

void FileChooserDialog::SetFilter(const std::string& text) {
    model_.SetFilter(text);
    Draw();
}

std::optional<std::string> FileChooserDialog::ShowModal() {
    model_.Refresh();
    Draw();
    chosen_.reset();
    setResult(QDialog::Rejected);
    if (!script_) {
        exec();
        return chosen_;
    }
    const std::function<void(FileChooserDialog&)> actions = std::exchange(script_, nullptr);
    show();
    actions(*this);
    if (isVisible()) {
        done(QDialog::Rejected);
    }
    return chosen_;
}

void FileChooserDialog::ScriptNextShowing(std::function<void(FileChooserDialog&)> actions) {
    script_ = std::move(actions);
}

void FileChooserDialog::FileNameEdited(const QString& text) {
    model_.EditName(text.toStdString());
    DrawNameBox();
}

void FileChooserDialog::FileSelected() {
    const QList<QListWidgetItem*> selected = FileList->selectedItems();
    model_.SelectFile(selected.isEmpty() ? std::nullopt
                                         : std::optional<std::size_t>(FileList->row(selected.front())));
    DrawNameBox();
}

void FileChooserDialog::FileDoubleClicked(QListWidgetItem* item) {
    if (item != nullptr) {
        End(model_.AcceptFile(static_cast<std::size_t>(FileList->row(item))));
    }
}

void FileChooserDialog::FolderDoubleClicked(QListWidgetItem* item) {
    if (item != nullptr) {
        model_.EnterFolderRow(static_cast<std::size_t>(FolderList->row(item)));
        Draw();
    }
}

void FileChooserDialog::DriveChosen(int index) {
    // A drive that cannot be listed leaves the box at the drive shown.
    if (index >= 0) {
        model_.ChooseDrive(static_cast<std::size_t>(index));
    }
    Draw();
}

void FileChooserDialog::FileTypeChosen(int index) {
    if (index >= 0) {
        model_.ChooseType(static_cast<std::size_t>(index));
    }
    Draw();
}

void FileChooserDialog::End(std::optional<std::string> chosen) {
    chosen_ = std::move(chosen);
    done(chosen_ ? QDialog::Accepted : QDialog::Rejected);
    ShowErrors();
}

void FileChooserDialog::Draw() {
    const QString folder = ToQString(model_.CurrentFolder());
    CurrentFolderLabel->setText(
        CurrentFolderLabel->fontMetrics().elidedText(folder, Qt::ElideMiddle, CurrentFolderLabel->width()));
    CurrentFolderLabel->setToolTip(folder);
    ShowRows(FolderList, model_.FolderRows());
    ShowRows(FileList, model_.FileRows());
    if (model_.SelectedFile()) {
        const QSignalBlocker quiet(FileList);
        FileList->setCurrentRow(static_cast<int>(*model_.SelectedFile()));
    }
    std::vector<std::string> descriptions;
    for (const chooser::FileType& type : model_.FileTypes()) {
        descriptions.push_back(type.Description);
    }
    ShowItems(FileTypeBox, descriptions, model_.TypeIndex(), false);
    ShowItems(DriveBox, model_.Drives(), model_.DriveIndex(), true);
    DrawNameBox();
    ShowErrors();
}

void FileChooserDialog::DrawNameBox() {
    const QString text = ToQString(model_.NameBoxText());
    if (FileNameBox->text() != text) {
        const QSignalBlocker quiet(FileNameBox);
        FileNameBox->setText(text);
    }
    OkButton->setVisible(model_.OkShown());
}

void FileChooserDialog::ShowErrors() {
    for (const std::string& error : model_.TakeErrors()) {
        messageBox_(this, ToQString(error));
    }
}

}  // namespace flash410::window
