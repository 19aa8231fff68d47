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
#include <variant>

#include "window/banner.h"
#include "window/file_chooser_dialog.h"
#include "window/gauge_widget.h"
#include "window/help_window.h"
#include "window/port_list_box.h"
#include "window_model/wrapped_text.h"

namespace flash410::window {

namespace {

using window_model::ControlDescription;
using window_model::ControlId;
using window_model::ControlKind;

// The window model's texts are UTF-8: file names come from the chooser as UTF-8 and are shown as they were
// chosen.
QString FromText(const std::string& text) {
    return QString::fromStdString(text);
}

QColor ToQColor(window_model::TextColor color) {
    const window_model::Rgb rgb = window_model::RgbOf(color);
    return QColor(rgb.Red, rgb.Green, rgb.Blue);
}

// The window's font, or the title's.
QFont FontOf(window_model::ControlFont role) {
    QFont font("Arial");
    if (role == window_model::ControlFont::kTitle) {
        font.setPixelSize(32);
        font.setBold(true);
        font.setItalic(true);
    } else {
        font.setPixelSize(13);
    }
    return font;
}

Qt::Alignment ToQtAlignment(window_model::TextAlignment alignment) {
    switch (alignment) {
        case window_model::TextAlignment::kCentre:
            return Qt::AlignHCenter;
        case window_model::TextAlignment::kRight:
            return Qt::AlignRight;
        case window_model::TextAlignment::kLeft:
            break;
    }
    return Qt::AlignLeft;
}

// The label's own font, or Arial of the points asked for.
QFont FontAt(const ControlDescription& control, double pointSize) {
    QFont font = FontOf(control.Font);
    if (pointSize > 0) {
        font.setPointSizeF(pointSize);
    }
    return font;
}

void ShowLabel(QLabel* label, const ControlDescription& control, const window_model::LabelState& state) {
    label->setText(FromText(state.Caption));
    label->setVisible(state.Visible);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(state.Color));
    label->setPalette(palette);
    double pointSize = state.FontPointSize;
    if (control.Wrapped) {
        const window_model::WrappedTextFit fit = window_model::FitWrappedText(
            control.Place.Height, control.GrowTo, state.FontPointSize, [&](double points) {
                label->setFont(FontAt(control, points));
                return label->heightForWidth(label->width());
            });
        label->resize(label->width(), fit.Height);
        pointSize = fit.PointSize;
    }
    label->setFont(FontAt(control, pointSize));
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
        QMessageBox::critical(parent, QString::fromUtf8(window_model::kApplicationTitle), text);
    } else {
        QMessageBox::warning(parent, QString::fromUtf8(window_model::kApplicationTitle), text);
    }
}

}  // namespace

MainWindow::MainWindow(flash410::platform::FileLocations files, std::string homeFolder, MessageBox messageBox,
                       QWidget* parent)
    : QWidget(parent),
      helpFile_(files.helpFile),
      messageBox_(messageBox ? std::move(messageBox) : ShowMessageBox),
      portMap_(files.settingsFolder),
      model_(window_model::WindowModelEnvironment{
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
    setWindowTitle(QString::fromUtf8(window_model::kWindowTitle));
    setFont(FontOf(window_model::ControlFont::kWindow));

    BuildControls();
    DescribePorts();
    ConnectControls();
    WatchAdapters();

    model_.Activate();
    const window_model::ControlPlace& place = window_model::kWindowPlace;
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
    for (const ControlDescription& control : window_model::MainWindowControls()) {
        QWidget* parent = control.Parent == ControlId::kWindow ? this : Control(control.Parent);
        QWidget* widget = MakeControl(control, parent);
        widget->setGeometry(control.Place.Left, control.Place.Top, control.Place.Width, control.Place.Height);
        controls_.emplace(control.Id, widget);
    }
    ShowBanner(*Control<QLabel>(ControlId::kBannerImage));
    Timer = new QTimer(this);
}

QWidget* MainWindow::MakeControl(const ControlDescription& control, QWidget* parent) {
    switch (control.Kind) {
        case ControlKind::kLabel: {
            auto* label = new QLabel(FromText(control.Text), parent);
            label->setAlignment(ToQtAlignment(control.Alignment) | Qt::AlignTop);
            label->setWordWrap(control.Wrapped);
            if (control.Font != window_model::ControlFont::kWindow) {
                label->setFont(FontOf(control.Font));
            }
            return label;
        }
        case ControlKind::kButton:
            return new QPushButton(FromText(control.Text), parent);
        case ControlKind::kList: {
            QComboBox* list = nullptr;
            if (control.Id == ControlId::kPortList) {
                auto* ports = new PortListBox(parent);
                ports->OnOpening = [this] { Forward([this] { model_.PortListOpened(); }); };
                list = ports;
            } else {
                list = new QComboBox(parent);
            }
            for (const std::string& item : control.Items) {
                list->addItem(FromText(item));
            }
            list->setMaxVisibleItems(control.VisibleRows);
            return list;
        }
        case ControlKind::kPanel:
            return new QGroupBox(FromText(control.Text), parent);
        case ControlKind::kGauge:
            return new GaugeWidget(parent);
        case ControlKind::kPicture:
            break;
    }
    return new QLabel(parent);  // the banner's picture, shown once the controls are made
}

void MainWindow::Tick() {
    Forward([this] { model_.Tick(); });
}

void MainWindow::DescribePorts() {
    QComboBox* ports = Control<QComboBox>(ControlId::kPortList);
    for (int port = 1; port <= ports->count(); ++port) {
        const std::string tip =
            portMap_.Describe(port) + (portMap_.IsPresent(port) ? ": present" : ": not present");
        ports->setItemData(port - 1, FromText(tip), Qt::ToolTipRole);
    }
}

void MainWindow::WatchAdapters() {
    if (adapterMonitor_.waitable() < 0) {
        return;  // the line is still looked up again whenever the port list opens
    }
    adapterWatch_ = std::make_unique<QSocketNotifier>(adapterMonitor_.waitable(), QSocketNotifier::Read);
    connect(adapterWatch_.get(), &QSocketNotifier::activated, this, [this] {
        if (adapterMonitor_.TakeChanges()) {
            Forward([this] { model_.AdaptersChanged(); });
            DescribePorts();
        }
    });
}

void MainWindow::ConnectControls() {
    for (const ControlDescription& control : window_model::MainWindowControls()) {
        const ControlId id = control.Id;
        if (control.Kind == ControlKind::kButton) {
            connect(Control<QPushButton>(id), &QPushButton::clicked, this,
                    [this, id] { Forward([&] { model_.Press(id); }); });
        } else if (control.Kind == ControlKind::kList) {
            connect(Control<QComboBox>(id), &QComboBox::currentIndexChanged, this,
                    [this, id](int index) { Forward([&] { model_.Pick(id, index); }); });
        }
    }
    connect(Timer, &QTimer::timeout, this, [this] { Tick(); });
}

void MainWindow::Render() {
    const window_model::ScreenState& s = model_.screen();
    for (const ControlDescription& control : window_model::MainWindowControls()) {
        if (drawn_.Changed(control, s)) {
            Draw(control, s);
        }
    }
    if (Timer->interval() != s.Timer.IntervalMs) {
        Timer->setInterval(s.Timer.IntervalMs);
    }
    if (s.Timer.Enabled != Timer->isActive()) {
        s.Timer.Enabled ? Timer->start() : Timer->stop();
    }
    drawn_.Drew(s);
    TakeRequests();
}

void MainWindow::Draw(const ControlDescription& control, const window_model::ScreenState& s) {
    QWidget* widget = Control(control.Id);
    switch (control.Kind) {
        case ControlKind::kLabel:
            ShowLabel(static_cast<QLabel*>(widget), control,
                      s.*std::get<window_model::LabelField>(control.Field));
            break;
        case ControlKind::kButton:
            ShowButton(static_cast<QPushButton*>(widget),
                       s.*std::get<window_model::ButtonField>(control.Field));
            break;
        case ControlKind::kList:
            // The operator's picks reach the screen state at once, so the list is set as it says.
            ShowList(static_cast<QComboBox*>(widget), s.*std::get<window_model::ListField>(control.Field));
            break;
        case ControlKind::kPanel: {
            const window_model::PanelState& panel = s.*std::get<window_model::PanelField>(control.Field);
            widget->setVisible(panel.Visible);
            static_cast<QGroupBox*>(widget)->setTitle(FromText(panel.Caption));
            break;
        }
        case ControlKind::kGauge: {
            const window_model::GaugeState& gauge = s.*std::get<window_model::GaugeField>(control.Field);
            widget->setVisible(gauge.Visible);
            static_cast<GaugeWidget*>(widget)->SetProgress(gauge.Progress, gauge.MaxValue);
            break;
        }
        case ControlKind::kPicture:
            break;
    }
}

void MainWindow::TakeRequests() {
    window_model::ScreenState& s = model_.screen();
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
        model_.WindowClosing();
    }
    event->accept();
}

}  // namespace flash410::window
