#include "window/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "chooser/file_chooser_dialog.h"
#include "window/banner.h"
#include "window/gauge_widget.h"
#include "window/help_window.h"

namespace uflash8 {

namespace {

// The core's texts are UTF-8: file names come from the chooser as UTF-8 and are shown as they were chosen.
QString FromText(const std::string& text) {
    return QString::fromStdString(text);
}

QColor ToQColor(TextColor color) {
    switch (color) {
        case TextColor::kBlue:
            return QColor(0, 0, 255);
        case TextColor::kRed:
            return QColor(255, 0, 0);
        case TextColor::kBlack:
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

QComboBox* MakeList(QWidget* parent, QRect geometry, const std::vector<std::string>& items) {
    auto* list = new QComboBox(parent);
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

void ShowLabel(QLabel* label, const LabelState& state, const QFont& baseFont) {
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

void ShowButton(QPushButton* button, const ButtonState& state) {
    button->setText(FromText(state.Caption));
    button->setVisible(state.Visible);
}

void ShowList(QComboBox* list, const ListState& state) {
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

TForm1::TForm1(flash410::FileLocations files, std::string homeFolder, MessageBox messageBox, QWidget* parent)
    : QWidget(parent),
      helpFile_(files.helpFile),
      messageBox_(messageBox ? std::move(messageBox) : ShowMessageBox),
      Serial1(serial4::SerialEnvironment{
          [this](std::function<void()> work) {
              QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
          },
          [this](const std::string& text) { messageBox_(this, FromText(text), true); },
          {}}),
      core_(CoreEnvironment{&Serial1, [] { QCoreApplication::processEvents(); }, LocalTimeOfDaySeconds, files,
                            [this](const std::string& filter) { return ChooseFile(filter); }}) {
    setWindowTitle("FIRMWARE UPLOAD UTILITY FOR VARNEL FLASH-UPLOAD DEVICES  -  ZRM-410 Modems");
    QFont windowFont("Arial");
    windowFont.setPixelSize(13);
    setFont(windowFont);

    Serial1.SetPortMap(serial4::PortMap(files.settingsFolder));
    Serial1.SetDataBits(serial4::eDataBits::d8bit);
    Serial1.SetCheckParity(false);
    Serial1.MessageEndChar = '\r';
    Serial1.OnRxData = [this](serial4::TSerial*) { core_.ReadMessage(); };

    BuildControls();
    DescribePorts();
    ConnectControls();

    core_.FormActivate();
    const WindowPlacement& place = core_.screen().Window;
    move(place.Left, place.Top);
    resize(place.Width, place.Height);
    Render();

    Form2 = new chfile1::TForm2(
        std::move(homeFolder),
        [this](QWidget* parent, const QString& text) { messageBox_(parent, text, true); }, this);
}

std::optional<std::string> TForm1::ChooseFile(const std::string& filter) {
    Form2->SetFilter(filter);
    if (!Form2->ShowModal()) {
        return std::nullopt;
    }
    return Form2->SelectedName;
}

TForm1::~TForm1() = default;

void TForm1::BuildControls() {
    Image1 = new QLabel(this);
    Image1->setGeometry(216, 1, 361, 77);
    ShowBanner(*Image1);

    Label5 = MakeLabel(this, {168, 82, 457, 34}, Qt::AlignHCenter, false);
    QFont titleFont("Arial");
    titleFont.setPixelSize(32);
    titleFont.setBold(true);
    titleFont.setItalic(true);
    Label5->setFont(titleFont);

    BtnRepeatUpload = MakeButton(this, {616, 4, 121, 33}, "&Repeat Upload");
    BtnBackToStart = MakeButton(this, {616, 42, 137, 33}, "&Go Back to Start");
    OpeningBox = MakePanel(this, {89, 122, 577, 343});
    MainBox = MakePanel(this, {151, 122, 453, 321});
    BtnCaptureFile = MakeButton(this, {83, 482, 153, 33}, "&Enable Capture File");
    Label11 = MakeLabel(this, {243, 491, 212, 17}, Qt::AlignLeft, false);
    BtnHelp = MakeButton(this, {528, 482, 89, 33}, "&Help");
    BtnClose = MakeButton(this, {622, 482, 89, 33}, "&Close");
    GroupBox2 = MakePanel(this, {83, 518, 628, 53});
    MakeLabel(GroupBox2, {4, 10, 620, 17}, Qt::AlignHCenter, false,
              "Varnel ZRM-410 satellite modem: firmware upload over the remote-control serial port");
    MakeLabel(GroupBox2, {4, 28, 620, 17}, Qt::AlignHCenter, false,
              "Varnel Flash Device Upload     Version 2.5");

    Label6 = MakeLabel(OpeningBox, {80, 24, 417, 41}, Qt::AlignHCenter, true);
    Label13 = MakeLabel(OpeningBox, {58, 88, 461, 33}, Qt::AlignHCenter, true);
    Label3 = MakeLabel(OpeningBox, {158, 141, 119, 18}, Qt::AlignRight, false);
    CommPortBox = MakeList(OpeningBox, {288, 137, 49, 24}, core_.screen().CommPortBox.Items);
    CommPortBox->setMaxVisibleItems(12);
    GroupBox1 = MakePanel(OpeningBox, {64, 208, 449, 129});
    Label9 = MakeLabel(GroupBox1, {32, 17, 41, 16}, Qt::AlignRight, false, "Baud:");
    BaudRateBox = MakeList(GroupBox1, {75, 14, 73, 24}, core_.screen().BaudRateBox.Items);
    Label22 = MakeLabel(GroupBox1, {8, 47, 177, 33}, Qt::AlignHCenter, true);
    Label7 = MakeLabel(GroupBox1, {256, 47, 177, 34}, Qt::AlignHCenter, true);
    Up_type = MakeList(GroupBox1, {322, 14, 81, 24}, core_.screen().Up_type.Items);
    Btn2Upload = MakeButton(GroupBox1, {144, 88, 185, 33}, "&Start Upload");

    Label12 = MakeLabel(MainBox, {36, 24, 365, 16}, Qt::AlignHCenter, false);
    // The second status line also carries why a file could not be prepared: it may take the room down
    // to the Choose File button.
    Label8 = MakeLabel(MainBox, {3, 48, 447, 16}, Qt::AlignHCenter, true);
    Label8->setProperty(kGrowTo, 76);
    BtnChooseFile = MakeButton(MainBox, {144, 128, 153, 33}, "Choose File");
    RunBox = MakePanel(MainBox, {7, 68, 439, 225});
    Label15 = MakeLabel(RunBox, {11, 16, 417, 37}, Qt::AlignHCenter, true);
    Label4 = MakeLabel(RunBox, {8, 65, 425, 24}, Qt::AlignHCenter, false);
    Label2 = MakeLabel(RunBox, {12, 105, 417, 32}, Qt::AlignHCenter, true);
    Gauge = new GaugeWidget(RunBox);
    Gauge->setGeometry(104, 140, 233, 33);
    BtnStartRun = MakeButton(RunBox, {156, 132, 129, 33}, "Start &Upload");
    Label10 = MakeLabel(RunBox, {8, 185, 425, 37}, Qt::AlignHCenter, false);

    Timer1 = new QTimer(this);
}

void TForm1::Tick() {
    Forward([this] { core_.Timer1Timer(); });
}

void TForm1::DescribePorts() {
    for (int port = 1; port <= CommPortBox->count(); ++port) {
        const std::string tip = Serial1.portMap().Describe(port) +
                                (Serial1.portMap().IsPresent(port) ? ": present" : ": not present");
        CommPortBox->setItemData(port - 1, FromText(tip), Qt::ToolTipRole);
    }
}

void TForm1::ConnectControls() {
    connect(Btn2Upload, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.Btn2UploadClick(); }); });
    connect(BtnBackToStart, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.BtnBackToStartClick(); }); });
    connect(BtnCaptureFile, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.BtnCaptureFileClick(); }); });
    connect(BtnHelp, &QPushButton::clicked, this, [this] { Forward([this] { core_.BtnHelpClick(); }); });
    connect(BtnClose, &QPushButton::clicked, this, [this] { Forward([this] { core_.BtnCloseClick(); }); });
    connect(BtnChooseFile, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.BtnChooseFileClick(); }); });
    connect(BtnStartRun, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.BtnStartRunClick(); }); });
    connect(BtnRepeatUpload, &QPushButton::clicked, this,
            [this] { Forward([this] { core_.BtnRepeatUploadClick(); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { Tick(); });
    // The lists' selections belong to the screen state; the operator's picks go there at once.
    const auto follow = [this](QComboBox* list, ListState ScreenState::*field) {
        connect(list, &QComboBox::currentIndexChanged, this,
                [this, field](int index) { (core_.screen().*field).ItemIndex = index; });
    };
    follow(CommPortBox, &ScreenState::CommPortBox);
    follow(BaudRateBox, &ScreenState::BaudRateBox);
    follow(Up_type, &ScreenState::Up_type);
}

void TForm1::Render() {
    const ScreenState& s = core_.screen();
    // Only what changed since the last rendering reaches the widgets: the 50 ms tick renders twenty
    // times a second, and laying out unchanged labels again would cost a noticeable share of a core.
    const bool all = !shown_.has_value();
    const auto changed = [&](auto ScreenState::*field) { return all || s.*field != (*shown_).*field; };
    const QFont base = font();
    const std::pair<QLabel*, LabelState ScreenState::*> labels[] = {
        {Label2, &ScreenState::Label2},   {Label3, &ScreenState::Label3},   {Label4, &ScreenState::Label4},
        {Label6, &ScreenState::Label6},   {Label7, &ScreenState::Label7},   {Label8, &ScreenState::Label8},
        {Label10, &ScreenState::Label10}, {Label11, &ScreenState::Label11}, {Label12, &ScreenState::Label12},
        {Label13, &ScreenState::Label13}, {Label15, &ScreenState::Label15}, {Label22, &ScreenState::Label22}};
    for (const auto& [label, field] : labels) {
        if (changed(field))
            ShowLabel(label, s.*field, base);
    }
    if (changed(&ScreenState::Label5))
        Label5->setText(FromText(s.Label5.Caption));

    const std::pair<QPushButton*, ButtonState ScreenState::*> buttons[] = {
        {BtnRepeatUpload, &ScreenState::BtnRepeatUpload}, {BtnBackToStart, &ScreenState::BtnBackToStart},
        {BtnCaptureFile, &ScreenState::BtnCaptureFile},   {BtnChooseFile, &ScreenState::BtnChooseFile},
        {BtnStartRun, &ScreenState::BtnStartRun},         {Btn2Upload, &ScreenState::Btn2Upload}};
    for (const auto& [button, field] : buttons) {
        if (changed(field))
            ShowButton(button, s.*field);
    }
    if (changed(&ScreenState::OpeningBox))
        OpeningBox->setVisible(s.OpeningBox.Visible);
    if (changed(&ScreenState::MainBox)) {
        MainBox->setVisible(s.MainBox.Visible);
        MainBox->setTitle(FromText(s.MainBox.Caption));
    }
    if (changed(&ScreenState::RunBox))
        RunBox->setVisible(s.RunBox.Visible);
    if (changed(&ScreenState::Gauge)) {
        Gauge->setVisible(s.Gauge.Visible);
        Gauge->SetProgress(s.Gauge.Progress, s.Gauge.MaxValue);
    }
    // The operator's picks reach the screen state at once, so the lists are always set as it says.
    ShowList(CommPortBox, s.CommPortBox);
    ShowList(BaudRateBox, s.BaudRateBox);
    ShowList(Up_type, s.Up_type);

    if (Timer1->interval() != s.Timer1.IntervalMs) {
        Timer1->setInterval(s.Timer1.IntervalMs);
    }
    if (s.Timer1.Enabled != Timer1->isActive()) {
        s.Timer1.Enabled ? Timer1->start() : Timer1->stop();
    }
    shown_ = s;
    TakeRequests();
}

void TForm1::TakeRequests() {
    ScreenState& s = core_.screen();
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

void TForm1::ShowHelp(int topic) {
    if (helpWindow_ == nullptr) {
        helpWindow_ = new HelpWindow(helpFile_, this);
    }
    helpWindow_->ShowTopic(topic);
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        Timer1->stop();
        core_.FormClose();
    }
    event->accept();
}

}  // namespace uflash8
