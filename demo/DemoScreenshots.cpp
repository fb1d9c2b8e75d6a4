#include "demo/DemoScreenshots.h"

#include "app/dialogs/Config.h"
#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "app/mainwindow/SetupMenuCommands.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "devicewindow/HistoryDlg.h"
#include "devicewindow/PrimarySetupDlg.h"
#include "devicewindow/QtGuiThread.h"
#include "testsupport/UiTestSupport.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <utility>

namespace {

// The window as on screen, under a plain title bar with its title: headless
// there is no window manager to draw one, and the title says whose window it is.
QImage WithTitleBar(QWidget* window) {
    const QImage client = window->grab().toImage();
    const QFont font = QApplication::font("QMdiSubWindowTitleBar");
    const int bar = QFontMetrics(font).height() + 10;
    QImage framed(client.width(), client.height() + bar, QImage::Format_RGB32);
    framed.fill(QColor(60, 64, 72));
    QPainter painter(&framed);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, client.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft,
                     window->windowTitle());
    painter.drawImage(0, bar, client);
    painter.end();
    return framed;
}

bool Save(QWidget* window, const std::string& path) {
    if (window == nullptr) {
        return false;
    }
    const bool saved = WithTitleBar(window).save(QString::fromStdString(path), "PNG");
    std::fprintf(stderr, saved ? "tm80: screenshot %s\n" : "tm80: could not write %s\n",
                 path.c_str());
    return saved;
}

void Press(QWidget* window, const QString& text) {
    for (auto* button : window->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
}

void ClickOn(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

// The list of the visible choice window (a top-level window with a filled
// combo box), or nullptr.
QComboBox* ShownChoice() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* list = w->isVisible() ? w->findChild<QComboBox*>() : nullptr;
        if (list != nullptr && list->count() > 0) {
            return list;
        }
    }
    return nullptr;
}

// The position of the unit noted `note`, or -1.
int PositionOf(const std::string& note) {
    for (int i = 0; i < kUnitPositions; ++i) {
        if (const UnitSlot* slot = TheSlotTable().Slot(i);
            slot != nullptr && slot->userNote == note) {
            return i;
        }
    }
    return -1;
}

// Whether `history` shows a hot spell, then a silence, then `after` answered
// readings.
bool SpellsOver(const UnitHistory& history, int after) {
    bool hot = false;
    bool silent = false;
    int answered = 0;
    for (std::size_t i = 0; i < history.Size(); ++i) {
        const HealthReading& r = history[i];
        hot = hot || r.OverTemperature();
        if (hot && !r.Answered()) {
            silent = true;
            answered = 0;
        } else if (silent && r.Answered()) {
            ++answered;
        }
    }
    return silent && answered >= after;
}

// OK on the lost-connection notice when one shows.
void AnswerLostNotice() {
    if (QWidget* notice = uitest::VisibleWindowTitled(DefaultDlg::kLostCaption)) {
        Press(notice, QStringLiteral("OK"));
    }
}

} // namespace

DemoScreenshots::DemoScreenshots(CTM80_AppDlg& mainWindow, std::string folder)
    : mainWindow_(mainWindow), folder_(std::move(folder)) {
    poll_.setInterval(100);
    QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { Poll(); });
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    QObject::connect(&settle_, &QTimer::timeout, &settle_, [this] { Take(); });
    poll_.start();
}

void DemoScreenshots::Poll() {
    // Start-up (direct launch, discovery) is over once the window shows.
    if (!mainWindow_.IsWindow() || !mainWindow_.IsWindowVisible() || TheGuiThread().Waiting()) {
        return;
    }
    poll_.stop();
    mainWindow_.ShowDeviceWindow(0);
    // Then the spare unit is added, and the screenshots follow.
    if (DefaultDlg* device = CTM80_AppDlg::DeviceWindowOf(0)) {
        ActAsNewUser(*device);
    } else {
        AddSpareUnit();
    }
}

void DemoScreenshots::AddSpareUnit() {
    const std::string setupTitle = "Communications Setup";
    const std::string pickerTitle = Config::kPickerTitle;
    uitest::WhenReady(
        [setupTitle] { return uitest::VisibleWindowTitled(setupTitle) != nullptr; },
        [this, setupTitle, pickerTitle] {
            QWidget* window = uitest::VisibleWindowTitled(setupTitle);
            Config* config = uitest::DialogBehind<Config>(window);
            if (config == nullptr) {
                Press(window, QStringLiteral("Cancel"));
                settle_.start();
                return;
            }
            // The note picker: the spare unit's entry, then OK. Once it has
            // closed the dialog shows that unit; its picture, then OK.
            uitest::WhenReady(
                [pickerTitle] { return uitest::VisibleWindowTitled(pickerTitle) != nullptr; },
                [this, window, pickerTitle] {
                    QWidget* picker = uitest::VisibleWindowTitled(pickerTitle);
                    auto* list = picker->findChild<QComboBox*>();
                    const int index =
                        list != nullptr ? list->findText(QString::fromUtf8(kAddedNote)) : -1;
                    if (index >= 0) {
                        list->setCurrentIndex(index);
                    }
                    Press(picker, index >= 0 ? QStringLiteral("OK") : QStringLiteral("Cancel"));
                    QTimer::singleShot(300, window, [this, window, index] {
                        if (index >= 0) {
                            Save(window, folder_ + "/" + kConfigFile);
                        }
                        Press(window, index >= 0 ? QStringLiteral("OK") : QStringLiteral("Cancel"));
                        settle_.start();
                    });
                },
                &poll_);
            ClickOn(config->GetDlgItem(Config::kIdNoteValue)->GetNative());
        },
        &poll_);
    ClickOn(mainWindow_.GetDlgItem(res::IDC_ADD_DEVICE)->GetNative());
}

void DemoScreenshots::ActAsNewUser(DefaultDlg& device) {
    auto* page = dynamic_cast<PrimarySetupDlg*>(device.GetPage(DefaultDlg::kPrimarySetupPage));
    if (page == nullptr) {
        return AddSpareUnit();
    }
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(page->Columns().Slider(3).GetNative(), &right);

    // The band choice runs modally: answer it from the event loop once it shows.
    uitest::WhenReady([] { return ShownChoice() != nullptr; },
                      [this] {
                          QComboBox* list = ShownChoice();
                          list->setCurrentIndex((list->currentIndex() + 1) % list->count());
                          Press(list->window(), QStringLiteral("OK"));
                          // One modal choice at a time: Add Device once the band is chosen.
                          QTimer::singleShot(100, &poll_, [this] { AddSpareUnit(); });
                      },
                      &poll_);
    ClickOn(page->BandText(1).GetNative());
}

bool DemoScreenshots::LostUnitShown() {
    AnswerLostNotice();
    const DefaultDlg* lost = CTM80_AppDlg::DeviceWindowOf(kLostPosition);
    return lost == nullptr || lost->Condition() == UnitCondition::Lost;
}

void DemoScreenshots::Take() {
    // Timers run while the operator waits for a unit: not in the middle of
    // that, and not before the unit that hangs up is shown lost.
    waitedMs_ += kSettleMs;
    if (TheGuiThread().Waiting() || (!LostUnitShown() && waitedMs_ < kLostWaitMs)) {
        settle_.start();
        return;
    }
    // The lost unit's row state reaches the main window with the next refresh.
    QTimer::singleShot(300, &settle_, [this] {
        Save(mainWindow_.GetNative() ? mainWindow_.GetNative()->window() : nullptr,
             folder_ + "/" + kMainWindowFile);
        DefaultDlg* device = CTM80_AppDlg::DeviceWindowOf(0);
        if (device == nullptr || device->GetNative() == nullptr) {
            std::fprintf(stderr, "tm80: no device window for a screenshot (Device 1 is empty)\n");
        } else {
            Save(device->GetNative()->window(), folder_ + "/" + kDeviceWindowFile);
            SaveInfoPage(0, kSystemPageFile);
        }
        SaveInfoPage(kLostPosition, kLostUnitFile);
        TakeHistory();
    });
}

void DemoScreenshots::SaveInfoPage(int index, const char* file) {
    DefaultDlg* device = CTM80_AppDlg::DeviceWindowOf(index);
    if (device == nullptr || device->GetNative() == nullptr) {
        return;
    }
    mainWindow_.ShowDeviceWindow(index);
    // The Info tab, as a click on it shows it (its status is read at once).
    device->GetTabStrip().SetCurSel(DefaultDlg::kSystemPage);
    device->OnNotify(DefaultDlg::kIdTabStrip, win::TCN_SELCHANGE);
    Save(device->GetNative()->window(), folder_ + "/" + file);
}

void DemoScreenshots::TakeHistory() {
    const int position = PositionOf(kAddedNote);
    if (position < 0) {
        std::fprintf(stderr, "tm80: no unit noted %s for its history\n", kAddedNote);
        return mainWindow_.EndDialog(win::IDOK);
    }
    // As System > History > Device n does it.
    SetupMenuCommands::ShowHistory(&mainWindow_, position + 1);
    history_.setInterval(500);
    QObject::connect(&history_, &QTimer::timeout, &history_, [this, position] {
        // The silence makes the note check report the unit lost.
        AnswerLostNotice();
        historyWaitedMs_ += history_.interval();
        const UnitSlot* slot = TheSlotTable().Slot(position);
        DefaultDlg* device = CTM80_AppDlg::DeviceWindowOf(position);
        HistoryDlg* window = device != nullptr ? device->GetHistoryWindow() : nullptr;
        if (slot == nullptr || window == nullptr) {
            history_.stop();
            return mainWindow_.EndDialog(win::IDOK);
        }
        if (!SpellsOver(slot->history, kReadingsAfterSilence) &&
            historyWaitedMs_ < kHistoryWaitMs) {
            return;
        }
        history_.stop();
        window->SetRange(HistoryPlot::Range::All);
        Save(window->GetNative()->window(), folder_ + "/" + kHistoryFile);
        mainWindow_.EndDialog(win::IDOK);
    });
    history_.start();
}
