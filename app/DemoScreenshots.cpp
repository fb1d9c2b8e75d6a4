#include "app/DemoScreenshots.h"

#include "app/CTM80_AppDlg.h"
#include "devicewindow/DefaultDlg.h"

#include <QImage>
#include <QPixmap>
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
    settle_.start();
}

void DemoScreenshots::Take() {
    Save(mainWindow_.GetNative() ? mainWindow_.GetNative()->window() : nullptr,
         folder_ + "/" + kMainWindowFile);
    DefaultDlg* device = CTM80_AppDlg::DeviceWindowOf(0);
    if (device == nullptr || device->GetNative() == nullptr)
        std::fprintf(stderr, "tm80: no device window for a screenshot (Device 1 is empty)\n");
    else
        Save(device->GetNative()->window(), folder_ + "/" + kDeviceWindowFile);
    if (quit_)
        mainWindow_.EndDialog(win::IDOK);
}
