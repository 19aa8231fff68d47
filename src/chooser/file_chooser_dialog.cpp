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

namespace chfile1 {

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

TForm2::TForm2(std::string homeFolder, QWidget* parent)
    : TForm2(std::move(homeFolder), MessageBox(), parent) {}

TForm2::TForm2(std::string homeFolder, MessageBox messageBox, QWidget* parent)
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
    FormCreate();
}

TForm2::~TForm2() = default;

void TForm2::BuildControls() {
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(35, 7, 422, 305);

    Label4 = MakeLabel(GroupBox1, 32, 24, "File Name:");
    FileNameBox = new QLineEdit(GroupBox1);
    FileNameBox->setGeometry(32, 48, 145, 24);
    FileListBox1 = MakeList(GroupBox1, {32, 96, 145, 113});

    Label2 = MakeLabel(GroupBox1, 224, 40, "Directories:");
    CurDirLbl = new QLabel(GroupBox1);
    CurDirLbl->setGeometry(224, 64, kCurDirLblWidth, QFontMetrics(font()).height());
    DirectoryListBox1 = MakeList(GroupBox1, {224, 96, 145, 113});

    Label6 = new QLabel("Double click to change directory", GroupBox1);
    Label6->setGeometry(211, 212, 178, 14);
    QFont smallFont("Arial");
    smallFont.setPixelSize(12);
    Label6->setFont(smallFont);
    QPalette black = Label6->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label6->setPalette(black);

    Label5 = MakeLabel(GroupBox1, 20, 232, "File Type:");
    FilterComboBox1 = new QComboBox(GroupBox1);
    FilterComboBox1->setGeometry(20, 256, 169, 24);
    Label1 = MakeLabel(GroupBox1, 211, 232, "Drive:");
    DriveComboBox1 = new QComboBox(GroupBox1);
    DriveComboBox1->setGeometry(211, 256, 198, 22);

    BtnOK = MakeButton(this, {123, 322, 89, 33}, "OK");
    // Enter in the file name box presses OK, and only while OK is shown.
    BtnOK->setDefault(true);
    BtnCancel = MakeButton(this, {250, 322, 89, 33}, "Cancel");
}

void TForm2::ConnectControls() {
    connect(FileNameBox, &QLineEdit::textChanged, this, &TForm2::FileNameBoxChange);
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, &TForm2::FileListBox1Change);
    connect(FileListBox1, &QListWidget::itemActivated, this, &TForm2::FileListBox1DblClick);
    connect(DirectoryListBox1, &QListWidget::itemActivated, this, &TForm2::DirectoryListBox1DblClick);
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this, &TForm2::DriveComboBox1Change);
    connect(FilterComboBox1, &QComboBox::currentIndexChanged, this, &TForm2::FilterComboBox1Change);
    connect(BtnOK, &QPushButton::clicked, this, &TForm2::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TForm2::BtnCancelClick);
}

void TForm2::FormCreate() {
    move(147, 103);
    BtnOK->hide();
    {
        const QSignalBlocker quiet(FilterComboBox1);
        FilterComboBox1->addItem(ToQString(fileTypes_.front().Description));
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

void TForm2::SetFilter(const std::string& text) {
    if (text == filterText_) {
        return;
    }
    filterText_ = text;
    fileTypes_ = ParseFileTypeFilter(text);
    {
        const QSignalBlocker quiet(FilterComboBox1);
        FilterComboBox1->clear();
        for (const FileType& type : fileTypes_) {
            FilterComboBox1->addItem(ToQString(type.Description));
        }
        FilterComboBox1->setCurrentIndex(0);
    }
    FilterComboBox1Change(0);
}

bool TForm2::ShowModal() {
    PrepareShowing();
    setResult(QDialog::Rejected);
    if (!script_) {
        return exec() == QDialog::Accepted;
    }
    const std::function<void(TForm2&)> actions = std::exchange(script_, nullptr);
    show();
    actions(*this);
    if (isVisible()) {
        done(QDialog::Rejected);
    }
    return result() == QDialog::Accepted;
}

void TForm2::ScriptNextShowing(std::function<void(TForm2&)> actions) {
    script_ = std::move(actions);
}

void TForm2::FileNameBoxChange(const QString& text) {
    if (text.contains('*')) {
        return;
    }
    BtnOK->setVisible(!text.isEmpty());
}

void TForm2::FileListBox1Change() {
    const QList<QListWidgetItem*> selected = FileListBox1->selectedItems();
    FileNameBox->setText(selected.isEmpty() ? ToQString(mask_) : selected.front()->text());
}

void TForm2::FileListBox1DblClick(QListWidgetItem* item) {
    // The file double-clicked is the one chosen, even when another name was typed after selecting it.
    if (item != nullptr) {
        FileNameBox->setText(item->text());
    }
    BtnOKClick();
}

void TForm2::DirectoryListBox1DblClick(QListWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const std::string name = item->text().toStdString();
    const fs::path current(currentFolder_);
    OpenFolder(NormalFolder((name == kParentFolderItem ? current.parent_path() : current / name).string()));
}

void TForm2::DriveComboBox1Change(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= drives_.size() || !OpenFolder(drives_[index])) {
        ShowCurrentDrive();
    }
}

void TForm2::FilterComboBox1Change(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= fileTypes_.size()) {
        return;
    }
    mask_ = fileTypes_[index].Mask;
    RefillLists();
}

void TForm2::BtnOKClick() {
    SelectedName = FileNameBox->text().toStdString();
    if (SelectedName.find('*') != std::string::npos) {
        done(QDialog::Rejected);
        return;
    }
    // A bare name is looked up in the current directory, which is the folder shown. As on Windows, a
    // name that differs from an existing file's only in case names that file.
    const fs::path existing = flash410::image::ResolveFileNameCase(SelectedName);
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

void TForm2::BtnCancelClick() {
    done(QDialog::Rejected);
}

bool TForm2::OpenFolder(const std::string& folder) {
    std::error_code error;
    fs::current_path(folder, error);
    if (error) {
        ShowError("Cannot open the folder " + folder + ": " + error.message());
        return false;
    }
    currentFolder_ = NormalFolder(folder);
    const QString shown = ToQString(currentFolder_);
    CurDirLbl->setText(CurDirLbl->fontMetrics().elidedText(shown, Qt::ElideMiddle, CurDirLbl->width()));
    CurDirLbl->setToolTip(shown);
    RefillLists();
    ShowCurrentDrive();
    return true;
}

void TForm2::PrepareShowing() {
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

void TForm2::RefillLists() {
    const FolderContents contents = ReadFolderContents(currentFolder_, mask_);
    {
        const QSignalBlocker quiet(DirectoryListBox1);
        DirectoryListBox1->clear();
        if (currentFolder_ != "/") {
            DirectoryListBox1->addItem(kParentFolderItem);
        }
        for (const std::string& name : contents.SubFolders) {
            DirectoryListBox1->addItem(ToQString(name));
        }
    }
    {
        const QSignalBlocker quiet(FileListBox1);
        FileListBox1->clear();
        for (const std::string& name : contents.Files) {
            FileListBox1->addItem(ToQString(name));
        }
    }
    // A refilled list has no file selected: the name box shows the mask.
    FileNameBox->setText(ToQString(mask_));
    if (!contents.Error.empty()) {
        ShowError(contents.Error);
    }
}

void TForm2::RefreshDrives() {
    drives_ = SystemDrives(homeFolder_);
    {
        const QSignalBlocker quiet(DriveComboBox1);
        DriveComboBox1->clear();
        for (const std::string& drive : drives_) {
            DriveComboBox1->addItem(ToQString(drive));
            // A long drive path does not fit the box; the whole of it is in the tool tip.
            DriveComboBox1->setItemData(DriveComboBox1->count() - 1, ToQString(drive), Qt::ToolTipRole);
        }
    }
    ShowCurrentDrive();
}

void TForm2::ShowCurrentDrive() {
    const auto drive = std::find(drives_.begin(), drives_.end(), DriveOfFolder(drives_, currentFolder_));
    const QSignalBlocker quiet(DriveComboBox1);
    DriveComboBox1->setCurrentIndex(drive == drives_.end() ? -1 : static_cast<int>(drive - drives_.begin()));
}

void TForm2::ShowError(const std::string& text) {
    messageBox_(this, ToQString(text));
}

}  // namespace chfile1
