#include "window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>

#include "window/banner.h"
#include "window/file_chooser_dialog.h"
#include "window/gauge_widget.h"
#include "window/help_window.h"
#include "window/port_list_box.h"

namespace flash410::window {

namespace {

// The core's texts are UTF-8: file names come from the chooser as UTF-8 and are shown as they were chosen.
QString FromText(const std::string& text) {
    return QString::fromStdString(text);
}

QColor ToQColor(window_model::TextColor color) {
    switch (color) {
        case window_model::TextColor::kBlue:
            return QColor(0, 0, 255);
        case window_model::TextColor::kRed:
            return QColor(255, 0, 0);
        case window_model::TextColor::kBlack:
            break;
    }
    return QColor(0, 0, 0);
}

constexpr char kDesignHeight[] = "designHeight";
constexpr char kGrowTo[] = "growTo";
constexpr double kSmallestPointSize = 7.0;

QLabel* MakeLabel(QWidget* parent, QRect geometry, Qt::Alignment alignment, bool wrapped,
                  const char* text = "") {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(geometry);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(wrapped);
    label->setProperty(kDesignHeight, geometry.height());
    return label;
}

QPushButton* MakeButton(QWidget* parent, QRect geometry, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setGeometry(geometry);
    return button;
}

template <typename List = QComboBox>
List* MakeList(QWidget* parent, QRect geometry, const std::vector<std::string>& items) {
    auto* list = new List(parent);
    list->setGeometry(geometry);
    for (const std::string& item : items) {
        list->addItem(FromText(item));
    }
    return list;
}

QGroupBox* MakePanel(QWidget* parent, QRect geometry) {
    auto* panel = new QGroupBox(parent);
    panel->setGeometry(geometry);
    return panel;
}

void ShowLabel(QLabel* label, const window_model::LabelState& state, const QFont& baseFont) {
    label->setText(FromText(state.Caption));
    label->setVisible(state.Visible);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(state.Color));
    label->setPalette(palette);
    QFont font = baseFont;
    if (state.FontPointSize > 0) {
        font.setPointSize(state.FontPointSize);
    }
    label->setFont(font);
    if (!label->wordWrap()) {
        return;
    }
    // A wrapped text takes the lines it needs, as far as the label may grow; if that is not enough, it
    // is set a little smaller.
    const int designHeight = label->property(kDesignHeight).toInt();
    const int room = std::max(designHeight, label->property(kGrowTo).toInt());
    label->resize(label->width(), std::clamp(label->heightForWidth(label->width()), designHeight, room));
    while (label->heightForWidth(label->width()) > room && font.pointSizeF() > kSmallestPointSize) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        label->setFont(font);
    }
}

void ShowButton(QPushButton* button, const window_model::ButtonState& state) {
    button->setText(FromText(state.Caption));
    button->setVisible(state.Visible);
}

void ShowList(QComboBox* list, const window_model::ListState& state) {
    if (list->currentIndex() != state.ItemIndex) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(state.ItemIndex);
    }
}

void ShowMessageBox(QWidget* parent, const QString& text, bool isError) {
    if (isError) {
        QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
    } else {
        QMessageBox::warning(parent, QApplication::applicationDisplayName(), text);
    }
}

}  // namespace

MainWindow::MainWindow(flash410::FileLocations files, std::string homeFolder, MessageBox messageBox,
                       QWidget* parent)
    : QWidget(parent),
      helpFile_(files.helpFile),
      messageBox_(messageBox ? std::move(messageBox) : ShowMessageBox),
      portMap_(files.settingsFolder),
      core_(window_model::WindowModelEnvironment{
          .postToUiThread =
              [this](std::function<void()> work) {
                  QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
              },
          .showLineError = [this](const std::string& text) { messageBox_(this, FromText(text), true); },
          .processPendingEvents = [] { QCoreApplication::processEvents(); },
          .clock = platform::LocalTimeOfDaySeconds,
          .files = files,
          .chooseFile = [this](const std::string& filter) { return ChooseFile(filter); },
          .listPorts =
              [linkFolder = files.settingsFolder] {
                  serial::InventoryRoots roots;
                  roots.LinkFolder = linkFolder;
                  return serial::ListPorts(roots);
              },
      }) {
    setWindowTitle("FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems");
    QFont windowFont("Arial");
    windowFont.setPixelSize(13);
    setFont(windowFont);

    BuildControls();
    DescribePorts();
    ConnectControls();
    WatchAdapters();

    core_.Activate();
    const window_model::WindowPlacement& place = core_.screen().Window;
    move(place.Left, place.Top);
    resize(place.Width, place.Height);
    Render();

    FileChooser = new FileChooserDialog(
        std::move(homeFolder),
        [this](QWidget* parent, const QString& text) { messageBox_(parent, text, true); }, this);
}

std::optional<std::string> MainWindow::ChooseFile(const std::string& filter) {
    FileChooser->SetFilter(filter);
    return FileChooser->ShowModal();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
    BannerImage = new QLabel(this);
    BannerImage->setGeometry(216, 1, 361, 77);
    ShowBanner(*BannerImage);

    TitleLine = MakeLabel(this, {168, 82, 457, 34}, Qt::AlignHCenter, false);
    QFont titleFont("Arial");
    titleFont.setPixelSize(32);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    TitleLine->setFont(titleFont);

    RepeatUploadButton = MakeButton(this, {616, 4, 121, 33}, "&Repeat Upload");
    BackToStartButton = MakeButton(this, {616, 42, 137, 33}, "&Go Back to Start");
    OpeningPanel = MakePanel(this, {89, 122, 577, 343});
    MainPanel = MakePanel(this, {151, 122, 453, 321});
    CaptureFileButton = MakeButton(this, {83, 482, 153, 33}, "&Enable Capture File");
    CaptureStatusLine = MakeLabel(this, {243, 491, 212, 17}, Qt::AlignLeft, false);
    HelpButton = MakeButton(this, {528, 482, 89, 33}, "&Help");
    CloseButton = MakeButton(this, {622, 482, 89, 33}, "&Close");
    FooterBox = MakePanel(this, {83, 518, 628, 53});
    MakeLabel(FooterBox, {4, 10, 620, 17}, Qt::AlignHCenter, false,
              "Varnel ZRM-410 satellite modem: firmware upload over the remote-control serial port");
    MakeLabel(FooterBox, {4, 28, 620, 17}, Qt::AlignHCenter, false,
              "Varnel Flash Device Upload     Version 2.5");

    SubtitleLine = MakeLabel(OpeningPanel, {80, 24, 417, 41}, Qt::AlignHCenter, true);
    AttachInstructionLine = MakeLabel(OpeningPanel, {58, 88, 461, 33}, Qt::AlignHCenter, true);
    PortPrompt = MakeLabel(OpeningPanel, {158, 141, 119, 18}, Qt::AlignRight, false);
    auto* portList = MakeList<PortListBox>(OpeningPanel, {288, 137, 49, 24}, core_.screen().PortList.Items);
    portList->OnOpening = [this] { Forward([this] { core_.PortListOpened(); }); };
    PortList = portList;
    PortList->setMaxVisibleItems(12);
    // In the free row between the port list and the line settings, across the panel.
    PortDeviceLine = MakeLabel(OpeningPanel, {20, 171, 537, 17}, Qt::AlignHCenter, false);
    LineSettingsBox = MakePanel(OpeningPanel, {64, 208, 449, 129});
    BaudLabel = MakeLabel(LineSettingsBox, {32, 17, 41, 16}, Qt::AlignRight, false, "Baud:");
    BaudList = MakeList(LineSettingsBox, {75, 14, 73, 24}, core_.screen().BaudList.Items);
    BaudInstructionLine = MakeLabel(LineSettingsBox, {8, 47, 177, 33}, Qt::AlignHCenter, true);
    UploadTypePrompt = MakeLabel(LineSettingsBox, {256, 47, 177, 34}, Qt::AlignHCenter, true);
    UploadTypeList = MakeList(LineSettingsBox, {322, 14, 81, 24}, core_.screen().UploadTypeList.Items);
    StartButton = MakeButton(LineSettingsBox, {144, 88, 185, 33}, "&Start Upload");

    PortStatusLine = MakeLabel(MainPanel, {36, 24, 365, 16}, Qt::AlignHCenter, false);
    // The second status line also carries why a file could not be prepared: it may take the room down
    // to the Choose File button.
    FileStatusLine = MakeLabel(MainPanel, {3, 48, 447, 16}, Qt::AlignHCenter, true);
    FileStatusLine->setProperty(kGrowTo, 76);
    ChooseFileButton = MakeButton(MainPanel, {144, 128, 153, 33}, "Choose File");
    RunPanel = MakePanel(MainPanel, {7, 68, 439, 225});
    RunInstructionLine = MakeLabel(RunPanel, {11, 16, 417, 37}, Qt::AlignHCenter, true);
    ResultLine = MakeLabel(RunPanel, {8, 65, 425, 24}, Qt::AlignHCenter, false);
    ProgressLine = MakeLabel(RunPanel, {12, 105, 417, 32}, Qt::AlignHCenter, true);
    Gauge = new GaugeWidget(RunPanel);
    Gauge->setGeometry(104, 140, 233, 33);
    UploadButton = MakeButton(RunPanel, {156, 132, 129, 33}, "Start &Upload");
    WarningLine = MakeLabel(RunPanel, {8, 185, 425, 37}, Qt::AlignHCenter, false);

    Timer = new QTimer(this);
}

void MainWindow::Tick() {
    Forward([this] { core_.Tick(); });
}

void MainWindow::DescribePorts() {
    for (int port = 1; port <= PortList->count(); ++port) {
        const std::string tip =
            portMap_.Describe(port) + (portMap_.IsPresent(port) ? ": present" : ": not present");
        PortList->setItemData(port - 1, FromText(tip), Qt::ToolTipRole);
    }
}

void MainWindow::WatchAdapters() {
    if (adapterMonitor_.waitable() < 0) {
        return;  // the line is still looked up again whenever the port list opens
    }
    adapterWatch_ = std::make_unique<QSocketNotifier>(adapterMonitor_.waitable(), QSocketNotifier::Read);
    connect(adapterWatch_.get(), &QSocketNotifier::activated, this, [this] {
        if (adapterMonitor_.TakeChanges()) {
            Forward([this] { core_.AdaptersChanged(); });
            DescribePorts();
        }
    });
}

void MainWindow::ConnectControls() {
    connect(StartButton, &QPushButton::clicked, this, [this] { Forward([this] { core_.OpenPort(); }); });
    connect(BackToStartButton, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.GoBackToStart(); }); });
    connect(CaptureFileButton, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.ToggleCapture(); }); });
    connect(HelpButton, &QPushButton::clicked, this, [this] { Forward([this] { core_.ShowHelp(); }); });
    connect(CloseButton, &QPushButton::clicked, this, [this] { Forward([this] { core_.Close(); }); });
    connect(ChooseFileButton, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.ChooseFile(); }); });
    connect(UploadButton, &QPushButton::clicked, this, [this] { Forward([this] { core_.StartUpload(); }); });
    connect(RepeatUploadButton, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.RepeatUpload(); }); });
    connect(Timer, &QTimer::timeout, this, [this] { Tick(); });
    // The lists' selections belong to the screen state; the operator's picks go there at once.
    const auto follow = [this](QComboBox* list, window_model::ListState window_model::ScreenState::*field) {
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, field](int index) { (core_.screen().*field).ItemIndex = index; });
    };
    connect(PortList, &QComboBox::currentIndexChanged, this,
            [this](int index) { Forward([this, index] { core_.ChoosePort(index); }); });
    follow(BaudList, &window_model::ScreenState::BaudList);
    follow(UploadTypeList, &window_model::ScreenState::UploadTypeList);
}

void MainWindow::Render() {
    const window_model::ScreenState& s = core_.screen();
    // Only what changed since the last rendering reaches the widgets: the 50 ms tick renders twenty
    // times a second, and laying out unchanged labels again would cost a noticeable share of a core.
    const bool all = !shown_.has_value();
    const auto changed = [&](auto window_model::ScreenState::*field) {
        return all || s.*field != (*shown_).*field;
    };
    const QFont base = font();
    const std::pair<QLabel*, window_model::LabelState window_model::ScreenState::*> labels[] = {
        {ProgressLine, &window_model::ScreenState::ProgressLine},
        {PortPrompt, &window_model::ScreenState::PortPrompt},
        {ResultLine, &window_model::ScreenState::ResultLine},
        {SubtitleLine, &window_model::ScreenState::SubtitleLine},
        {UploadTypePrompt, &window_model::ScreenState::UploadTypePrompt},
        {FileStatusLine, &window_model::ScreenState::FileStatusLine},
        {WarningLine, &window_model::ScreenState::WarningLine},
        {CaptureStatusLine, &window_model::ScreenState::CaptureStatusLine},
        {PortStatusLine, &window_model::ScreenState::PortStatusLine},
        {AttachInstructionLine, &window_model::ScreenState::AttachInstructionLine},
        {RunInstructionLine, &window_model::ScreenState::RunInstructionLine},
        {BaudInstructionLine, &window_model::ScreenState::BaudInstructionLine},
        {PortDeviceLine, &window_model::ScreenState::PortDeviceLine}};
    for (const auto& [label, field] : labels) {
        if (changed(field))
            ShowLabel(label, s.*field, base);
    }
    if (changed(&window_model::ScreenState::TitleLine))
        TitleLine->setText(FromText(s.TitleLine.Caption));

    const std::pair<QPushButton*, window_model::ButtonState window_model::ScreenState::*> buttons[] = {
        {RepeatUploadButton, &window_model::ScreenState::RepeatUploadButton},
        {BackToStartButton, &window_model::ScreenState::BackToStartButton},
        {CaptureFileButton, &window_model::ScreenState::CaptureFileButton},
        {ChooseFileButton, &window_model::ScreenState::ChooseFileButton},
        {UploadButton, &window_model::ScreenState::UploadButton},
        {StartButton, &window_model::ScreenState::StartButton}};
    for (const auto& [button, field] : buttons) {
        if (changed(field))
            ShowButton(button, s.*field);
    }
    if (changed(&window_model::ScreenState::OpeningPanel))
        OpeningPanel->setVisible(s.OpeningPanel.Visible);
    if (changed(&window_model::ScreenState::MainPanel)) {
        MainPanel->setVisible(s.MainPanel.Visible);
        MainPanel->setTitle(FromText(s.MainPanel.Caption));
    }
    if (changed(&window_model::ScreenState::RunPanel))
        RunPanel->setVisible(s.RunPanel.Visible);
    if (changed(&window_model::ScreenState::Gauge)) {
        Gauge->setVisible(s.Gauge.Visible);
        Gauge->SetProgress(s.Gauge.Progress, s.Gauge.MaxValue);
    }
    // The operator's picks reach the screen state at once, so the lists are always set as it says.
    ShowList(PortList, s.PortList);
    ShowList(BaudList, s.BaudList);
    ShowList(UploadTypeList, s.UploadTypeList);

    if (Timer->interval() != s.Timer.IntervalMs) {
        Timer->setInterval(s.Timer.IntervalMs);
    }
    if (s.Timer.Enabled != Timer->isActive()) {
        s.Timer.Enabled ? Timer->start() : Timer->stop();
    }
    shown_ = s;
    TakeRequests();
}

void MainWindow::TakeRequests() {
    window_model::ScreenState& s = core_.screen();
    // Taken before they are acted on: a message box runs an event loop in which more may arrive.
    const std::vector<std::string> messages = std::exchange(s.Messages, {});
    const std::optional<int> helpTopic = std::exchange(s.ShowHelpTopic, std::nullopt);
    const bool closeWindow = std::exchange(s.CloseWindow, false);
    for (const std::string& message : messages) {
        messageBox_(this, FromText(message), false);
    }
    if (helpTopic) {
        ShowHelp(*helpTopic);
    }
    if (closeWindow) {
        close();
    }
}

void MainWindow::ShowHelp(int topic) {
    if (helpWindow_ == nullptr) {
        helpWindow_ = new HelpWindow(helpFile_, this);
    }
    helpWindow_->ShowTopic(topic);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        Timer->stop();
        core_.WindowClosing();
    }
    event->accept();
}

}  // namespace flash410::window
