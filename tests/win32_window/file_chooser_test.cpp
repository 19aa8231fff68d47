// The Windows chooser dialog as the operator meets it, read back through the window API: the model's rows
// and captions in its controls (names in other languages too), going into a folder and up again by double
// click and by Enter, the type list, OK with the full name, Cancel and Esc with nothing, and its own
// modal loop.
#include "win32_window/file_chooser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "chooser/folder_paths.h"
#include "platform/utf8_path.h"
#include "support/temp_folder.h"
#include "window_test_support.h"

namespace flash410::win32_window {
namespace {

using Id = ChooserControl;
using Rows = std::vector<std::string>;

constexpr char kFilter[] = "Varnel Upload (.vxf)|*.vxf|Intel HEX (.hex)|*.hex|";
constexpr char kFirmwareFolder[] = "fw café 日本";

class FileChooserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FLASH410_SKIP_WITHOUT_WINDOWS(WindowsCanBeMade());
        home_.Write("alpha.vxf", "image");
        home_.Write(std::string(kFirmwareFolder) + "/прошивка.vxf", "image");
        home_.Write(std::string(kFirmwareFolder) + "/固件.hex", "hex");
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                                 nullptr, nullptr, nullptr);
        model_.emplace(home_.folder());
        model_->SetFilter(kFilter);
        dialog_.emplace(owner_, *model_, [this](HWND, const std::string& text) { errors_.push_back(text); });
    }
    void TearDown() override {
        dialog_.reset();
        if (owner_ != nullptr) {
            DestroyWindow(owner_);
        }
    }
    HWND Control(Id id) const { return GetDlgItem(dialog_->hwnd(), static_cast<int>(id)); }
    // Picks a row as the operator's click does: the list selects it and tells the dialog.
    void Pick(Id list, const std::string& row, WORD notification) const {
        const Rows rows = ListBoxRows(Control(list));
        const auto at = std::find(rows.begin(), rows.end(), row);
        ASSERT_NE(at, rows.end()) << row;
        SendMessageW(Control(list), LB_SETCURSEL, static_cast<WPARAM>(at - rows.begin()), 0);
        SendMessageW(dialog_->hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<int>(list), notification),
                     reinterpret_cast<LPARAM>(Control(list)));
    }
    bool Key(Id control, WPARAM key) {
        MSG message{Control(control), WM_KEYDOWN, key, 0, 0, {}};
        return dialog_->TakeKey(message);
    }
    std::string Home() const { return chooser::NormalFolder(home_.path().string()); }

    test_support::TempFolder home_{"chooser-dialog"};
    HWND owner_ = nullptr;
    std::optional<chooser::ChooserModel> model_;
    std::optional<ChooserDialog> dialog_;
    std::vector<std::string> errors_;
};

TEST_F(FileChooserTest, ShowsTheModelInItsControlsOverADisabledOwner) {
    EXPECT_EQ(WindowText(dialog_->hwnd()), "Select a File Name");
    EXPECT_FALSE(IsWindowEnabled(owner_));
    EXPECT_EQ(WindowText(Control(Id::kFileNameLabel)), "File Name:");
    EXPECT_EQ(WindowText(Control(Id::kFoldersLabel)), "Directories:");
    EXPECT_EQ(WindowText(Control(Id::kFileTypeLabel)), "File Type:");
    EXPECT_EQ(WindowText(Control(Id::kDriveLabel)), "Drive:");
    EXPECT_EQ(WindowText(Control(Id::kFolderHint)), "Double click to change directory");
    EXPECT_EQ(WindowText(Control(Id::kCurrentFolderLabel)), chooser::NativeFolderText(Home()));
    EXPECT_EQ(ListBoxRows(Control(Id::kFolderList)), (Rows{"..", kFirmwareFolder}));
    EXPECT_EQ(ListBoxRows(Control(Id::kFileList)), Rows{"alpha.vxf"});
    EXPECT_EQ(WindowText(Control(Id::kFileNameBox)), "*.vxf");
    EXPECT_EQ(ComboBoxItems(Control(Id::kFileTypeList)), (Rows{"Varnel Upload (.vxf)", "Intel HEX (.hex)"}));
    EXPECT_EQ(SendMessageW(Control(Id::kFileTypeList), CB_GETCURSEL, 0, 0), 0);
    // The drive shown is the one the folder lies on, written as Windows writes it.
    const auto drive = SendMessageW(Control(Id::kDriveList), CB_GETCURSEL, 0, 0);
    ASSERT_GE(drive, 0);
    EXPECT_EQ(ComboBoxItems(Control(Id::kDriveList))[static_cast<std::size_t>(drive)],
              chooser::NativeFolderText(model_->Drives()[static_cast<std::size_t>(drive)]));
    // OK waits for a name; Cancel is there from the start.
    EXPECT_FALSE(IsWindowVisible(Control(Id::kOkButton)));
    EXPECT_TRUE(IsWindowVisible(Control(Id::kCancelButton)));
}

TEST_F(FileChooserTest, GoesIntoAFolderByDoubleClickAndUpAgainByEnter) {
    Pick(Id::kFolderList, kFirmwareFolder, LBN_DBLCLK);
    EXPECT_EQ(WindowText(Control(Id::kCurrentFolderLabel)),
              chooser::NativeFolderText(Home() + "/" + kFirmwareFolder));
    EXPECT_EQ(ListBoxRows(Control(Id::kFileList)), Rows{"прошивка.vxf"});

    // The type list decides the files shown.
    SendMessageW(Control(Id::kFileTypeList), CB_SETCURSEL, 1, 0);
    SendMessageW(dialog_->hwnd(), WM_COMMAND, MAKEWPARAM(static_cast<int>(Id::kFileTypeList), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Control(Id::kFileTypeList)));
    EXPECT_EQ(ListBoxRows(Control(Id::kFileList)), Rows{"固件.hex"});
    EXPECT_EQ(WindowText(Control(Id::kFileNameBox)), "*.hex");

    SendMessageW(Control(Id::kFolderList), LB_SETCURSEL, 0, 0);
    EXPECT_TRUE(Key(Id::kFolderList, VK_RETURN));
    EXPECT_EQ(WindowText(Control(Id::kCurrentFolderLabel)), chooser::NativeFolderText(Home()));
    EXPECT_TRUE(dialog_->IsOpen());
    EXPECT_TRUE(errors_.empty());
}

TEST_F(FileChooserTest, APickedFileShowsOkWhichClosesWithItsFullName) {
    Pick(Id::kFolderList, kFirmwareFolder, LBN_DBLCLK);
    Pick(Id::kFileList, "прошивка.vxf", LBN_SELCHANGE);
    EXPECT_EQ(WindowText(Control(Id::kFileNameBox)), "прошивка.vxf");
    EXPECT_TRUE(IsWindowVisible(Control(Id::kOkButton)));
    SendMessageW(Control(Id::kOkButton), BM_CLICK, 0, 0);

    EXPECT_FALSE(dialog_->IsOpen());
    EXPECT_FALSE(IsWindowVisible(dialog_->hwnd()));
    EXPECT_TRUE(IsWindowEnabled(owner_));
    ASSERT_TRUE(dialog_->Chosen().has_value());
    EXPECT_TRUE(std::filesystem::equivalent(platform::PathFromUtf8(*dialog_->Chosen()),
                                            home_ / (std::string(kFirmwareFolder) + "/прошивка.vxf")));
}

TEST_F(FileChooserTest, EnterInTheNameBoxTakesATypedNameOnlyWhileOkIsShown) {
    EXPECT_TRUE(Key(Id::kFileNameBox, VK_RETURN));
    EXPECT_TRUE(dialog_->IsOpen());  // the mask alone: OK is hidden and Enter does nothing
    SetWindowTextW(Control(Id::kFileNameBox), L"ALPHA.vxf");
    EXPECT_TRUE(Key(Id::kFileNameBox, VK_RETURN));
    ASSERT_TRUE(dialog_->Chosen().has_value());
    EXPECT_TRUE(std::filesystem::equivalent(platform::PathFromUtf8(*dialog_->Chosen()), home_ / "alpha.vxf"));
}

TEST_F(FileChooserTest, CancelEscAndTheCloseBoxEachEndWithNothing) {
    const auto cancels = {+[](HWND cancel, HWND) { SendMessageW(cancel, BM_CLICK, 0, 0); },
                          +[](HWND, HWND dialog) { SendMessageW(dialog, WM_CLOSE, 0, 0); }};
    for (const auto cancel : cancels) {
        Pick(Id::kFileList, "alpha.vxf", LBN_SELCHANGE);
        cancel(Control(Id::kCancelButton), dialog_->hwnd());
        EXPECT_FALSE(dialog_->IsOpen());
        EXPECT_FALSE(dialog_->Chosen().has_value());
        EXPECT_TRUE(IsWindowEnabled(owner_));
        dialog_.emplace(owner_, *model_);
    }
    SetFocus(Control(Id::kFileList));
    Key(Id::kFileList, VK_ESCAPE);
    EXPECT_FALSE(dialog_->IsOpen());
    EXPECT_FALSE(dialog_->Chosen().has_value());
    EXPECT_TRUE(home_.Read("VNLflash.set").empty());
}

TEST_F(FileChooserTest, ItsModalLoopRunsUntilTheOperatorCloses) {
    Pick(Id::kFileList, "alpha.vxf", LBN_SELCHANGE);
    PostMessageW(Control(Id::kOkButton), BM_CLICK, 0, 0);
    const std::optional<std::string> chosen = dialog_->RunModal();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_TRUE(std::filesystem::equivalent(platform::PathFromUtf8(*chosen), home_ / "alpha.vxf"));
}

}  // namespace
}  // namespace flash410::win32_window
