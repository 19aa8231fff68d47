#include "chooser/file_chooser_dialog.h"

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
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "chooser/data_folder_memory.h"
#include "chooser/drive_list.h"
#include "chooser/folder_contents.h"
#include "chooser/folder_paths.h"
#include "image/file_name_case.h"

namespace flash410::chooser {

namespace {

namespace fs = std::filesystem;

constexpr char kParentFolderItem[] = "..";
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

void ShowMessageBox(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
}

}  // namespace

FileChooserDialog::FileChooserDialog(std::string homeFolder, QWidget* parent)
    : FileChooserDialog(std::move(homeFolder), MessageBox(), parent) {}

FileChooserDialog::FileChooserDialog(std::string homeFolder, MessageBox messageBox, QWidget* parent)
    : QDialog(parent),
      homeFolder_(NormalFolder(homeFolder)),
      memoryFile_(DataFolderMemoryFile(homeFolder_)),
      messageBox_(messageBox ? std::move(messageBox) : ShowMessageBox),
      fileTypes_{AllFilesType()},
      mask_(fileTypes_.front().Mask) {
    setWindowTitle("Select a File Name");
    QFont dialogFont("Arial");
    dialogFont.setPixelSize(13);
    setFont(dialogFont);
    setFixedSize(488, 364);

    BuildControls();
    ConnectControls();
    SetUpControls();
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
    connect(OkButton, &QPushButton::clicked, this, &FileChooserDialog::OkPressed);
    connect(CancelButton, &QPushButton::clicked, this, &FileChooserDialog::CancelPressed);
}

void FileChooserDialog::SetUpControls() {
    move(147, 103);
    OkButton->hide();
    {
        const QSignalBlocker quiet(FileTypeBox);
        FileTypeBox->addItem(ToQString(fileTypes_.front().Description));
    }
    try {
        dataFilesDir_ = ReadDataFilesDir(memoryFile_, homeFolder_);
    } catch (const DataFolderFileError& error) {
        dataFilesDir_ = homeFolder_;
        ShowError(error.what());
    }
    RefreshDrives();
    // The lists must show some folder: when the remembered one cannot be entered, the folder the program
    // was started in, else the root.
    if (!OpenFolder(dataFilesDir_)) {
        std::error_code error;
        const std::string startFolder = fs::current_path(error).string();
        if (error || !OpenFolder(startFolder)) {
            OpenFolder("/");
        }
    }
}

void FileChooserDialog::SetFilter(const std::string& text) {
    if (text == filterText_) {
        return;
    }
    filterText_ = text;
    fileTypes_ = ParseFileTypeFilter(text);
    {
        const QSignalBlocker quiet(FileTypeBox);
        FileTypeBox->clear();
        for (const FileType& type : fileTypes_) {
            FileTypeBox->addItem(ToQString(type.Description));
        }
        FileTypeBox->setCurrentIndex(0);
    }
    FileTypeChosen(0);
}

bool FileChooserDialog::ShowModal() {
    PrepareShowing();
    setResult(QDialog::Rejected);
    if (!script_) {
        return exec() == QDialog::Accepted;
    }
    const std::function<void(FileChooserDialog&)> actions = std::exchange(script_, nullptr);
    show();
    actions(*this);
    if (isVisible()) {
        done(QDialog::Rejected);
    }
    return result() == QDialog::Accepted;
}

void FileChooserDialog::ScriptNextShowing(std::function<void(FileChooserDialog&)> actions) {
    script_ = std::move(actions);
}

void FileChooserDialog::FileNameEdited(const QString& text) {
    if (text.contains('*')) {
        return;
    }
    OkButton->setVisible(!text.isEmpty());
}

void FileChooserDialog::FileSelected() {
    const QList<QListWidgetItem*> selected = FileList->selectedItems();
    FileNameBox->setText(selected.isEmpty() ? ToQString(mask_) : selected.front()->text());
}

void FileChooserDialog::FileDoubleClicked(QListWidgetItem* item) {
    // The file double-clicked is the one chosen, even when another name was typed after selecting it.
    if (item != nullptr) {
        FileNameBox->setText(item->text());
    }
    OkPressed();
}

void FileChooserDialog::FolderDoubleClicked(QListWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const std::string name = item->text().toStdString();
    const fs::path current(currentFolder_);
    OpenFolder(NormalFolder((name == kParentFolderItem ? current.parent_path() : current / name).string()));
}

void FileChooserDialog::DriveChosen(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= drives_.size() || !OpenFolder(drives_[index])) {
        ShowCurrentDrive();
    }
}

void FileChooserDialog::FileTypeChosen(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= fileTypes_.size()) {
        return;
    }
    mask_ = fileTypes_[index].Mask;
    RefillLists();
}

void FileChooserDialog::OkPressed() {
    SelectedName = FileNameBox->text().toStdString();
    if (SelectedName.find('*') != std::string::npos) {
        done(QDialog::Rejected);
        return;
    }
    // A bare name is looked up in the current directory, which is the folder shown. As on Windows, a
    // name that differs from an existing file's only in case names that file.
    const fs::path existing = image::ResolveFileNameCase(SelectedName);
    std::error_code error;
    if (SelectedName.empty() || !fs::is_regular_file(existing, error)) {
        done(QDialog::Rejected);
        return;
    }
    SelectedName = existing.string();
    done(QDialog::Accepted);
    // The file is chosen even when its folder cannot be remembered.
    try {
        SaveDataFilesDir(memoryFile_, homeFolder_, currentFolder_);
    } catch (const DataFolderFileError& failure) {
        ShowError(failure.what());
    }
}

void FileChooserDialog::CancelPressed() {
    done(QDialog::Rejected);
}

bool FileChooserDialog::OpenFolder(const std::string& folder) {
    std::error_code error;
    fs::current_path(folder, error);
    if (error) {
        ShowError("Cannot open the folder " + folder + ": " + error.message());
        return false;
    }
    currentFolder_ = NormalFolder(folder);
    const QString shown = ToQString(currentFolder_);
    CurrentFolderLabel->setText(
        CurrentFolderLabel->fontMetrics().elidedText(shown, Qt::ElideMiddle, CurrentFolderLabel->width()));
    CurrentFolderLabel->setToolTip(shown);
    RefillLists();
    ShowCurrentDrive();
    return true;
}

void FileChooserDialog::PrepareShowing() {
    RefreshDrives();
    // Re-entered so that the current directory is the folder shown even if something moved it, and
    // listed afresh for files that arrived since. A folder removed meanwhile gives way to its nearest
    // remaining parent.
    std::string folder = currentFolder_.empty() ? "/" : currentFolder_;
    std::error_code error;
    while (folder != "/" && !fs::is_directory(folder, error)) {
        const std::string parent = NormalFolder(fs::path(folder).parent_path().string());
        folder = parent.empty() || parent == folder ? "/" : parent;
    }
    if (!OpenFolder(folder) && folder != "/") {
        OpenFolder("/");
    }
}

void FileChooserDialog::RefillLists() {
    const FolderContents contents = ReadFolderContents(currentFolder_, mask_);
    {
        const QSignalBlocker quiet(FolderList);
        FolderList->clear();
        if (currentFolder_ != "/") {
            FolderList->addItem(kParentFolderItem);
        }
        for (const std::string& name : contents.SubFolders) {
            FolderList->addItem(ToQString(name));
        }
    }
    {
        const QSignalBlocker quiet(FileList);
        FileList->clear();
        for (const std::string& name : contents.Files) {
            FileList->addItem(ToQString(name));
        }
    }
    // A refilled list has no file selected: the name box shows the mask.
    FileNameBox->setText(ToQString(mask_));
    if (!contents.Error.empty()) {
        ShowError(contents.Error);
    }
}

void FileChooserDialog::RefreshDrives() {
    drives_ = SystemDrives(homeFolder_);
    {
        const QSignalBlocker quiet(DriveBox);
        DriveBox->clear();
        for (const std::string& drive : drives_) {
            DriveBox->addItem(ToQString(drive));
            // A long drive path does not fit the box; the whole of it is in the tool tip.
            DriveBox->setItemData(DriveBox->count() - 1, ToQString(drive), Qt::ToolTipRole);
        }
    }
    ShowCurrentDrive();
}

void FileChooserDialog::ShowCurrentDrive() {
    const auto drive = std::find(drives_.begin(), drives_.end(), DriveOfFolder(drives_, currentFolder_));
    const QSignalBlocker quiet(DriveBox);
    DriveBox->setCurrentIndex(drive == drives_.end() ? -1 : static_cast<int>(drive - drives_.begin()));
}

void FileChooserDialog::ShowError(const std::string& text) {
    messageBox_(this, ToQString(text));
}

}  // namespace flash410::chooser
