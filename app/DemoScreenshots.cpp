#include "app/DemoScreenshots.h"

#include "app/CTM80_AppDlg.h"
#include "devicewindow/DefaultDlg.h"
#include "devicewindow/PrimarySetupDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

bool Save(QWidget* window, const std::string& path) {
    if (window == nullptr)
        return false;
    const bool saved = window->grab().toImage().save(QString::fromStdString(path), "PNG");
    std::fprintf(stderr, saved ? "tm80: screenshot %s\n" : "tm80: could not write %s\n",
                 path.c_str());
    return saved;
}

} // namespace

std::unique_ptr<DemoScreenshots> DemoScreenshots::FromEnvironment(CTM80_AppDlg& mainWindow) {
    const char* folder = std::getenv(kFolderVariable);
    if (folder == nullptr || *folder == '\0')
        return nullptr;
    const char* quit = std::getenv(kQuitVariable);
    return std::make_unique<DemoScreenshots>(mainWindow, folder,
                                             quit != nullptr && std::string(quit) == "1");
}

DemoScreenshots::DemoScreenshots(CTM80_AppDlg& mainWindow, std::string folder, bool quit)
    : mainWindow_(mainWindow), folder_(std::move(folder)), quit_(quit) {
    poll_.setInterval(100);
    QObject::connect(&poll_, &QTimer::timeout, &poll_, [this] { Poll(); });
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    QObject::connect(&settle_, &QTimer::timeout, &settle_, [this] { Take(); });
    poll_.start();
}

void DemoScreenshots::Poll() {
    // Start-up (direct launch, discovery) is over once the window shows.
    if (!mainWindow_.IsWindow() || !mainWindow_.IsWindowVisible())
        return;
    poll_.stop();
    mainWindow_.ShowDeviceWindow(0);
    if (DefaultDlg* device = CTM80_AppDlg::DeviceWindowOf(0))
        ActAsNewUser(*device);
    settle_.start();
}

void DemoScreenshots::ActAsNewUser(DefaultDlg& device) {
    auto* page = dynamic_cast<PrimarySetupDlg*>(device.GetPage(DefaultDlg::kPrimarySetupPage));
    if (page == nullptr)
        return;
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(page->Columns().Slider(3).GetNative(), &right);

    // The band choice runs modally: answer it from the event loop once it shows.
    auto* answer = new QTimer(&poll_);
    answer->setInterval(20);
    QObject::connect(answer, &QTimer::timeout, answer, [answer] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* list = w->isVisible() ? w->findChild<QComboBox*>() : nullptr;
            if (list == nullptr || list->count() == 0)
                continue;
            list->setCurrentIndex((list->currentIndex() + 1) % list->count());
            for (auto* button : w->findChildren<QPushButton*>()) {
                if (button->text() == "OK")
                    button->click();
            }
            answer->stop();
            return;
        }
    });
    answer->start();
    QWidget* band = page->BandText(1).GetNative();
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, band->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, band->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(band, &press);
    QCoreApplication::sendEvent(band, &release);
}

void DemoScreenshots::Take() {
    Save(mainWindow_.GetNative() ? mainWindow_.GetNative()->window() : nullptr,
         folder_ + "/" + kMainWindowFile);
    DefaultDlg* device = CTM80_AppDlg::DeviceWindowOf(0);
    if (device == nullptr || device->GetNative() == nullptr)
        std::fprintf(stderr, "tm80: no device window for a screenshot (Device 1 is empty)\n");
    else {
        Save(device->GetNative()->window(), folder_ + "/" + kDeviceWindowFile);
        // The Info tab, as a click on it shows it (its status is read at once).
        device->GetTabStrip().SetCurSel(DefaultDlg::kSystemPage);
        device->OnNotify(DefaultDlg::kIdTabStrip, win::TCN_SELCHANGE);
        Save(device->GetNative()->window(), folder_ + "/" + kSystemPageFile);
    }
    if (quit_)
        mainWindow_.EndDialog(win::IDOK);
}
