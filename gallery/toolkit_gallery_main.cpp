// toolkit-gallery: shows every toolkit control in one dialog.
//   toolkit-gallery                     the dialog, until it is closed
//   toolkit-gallery --screenshot FILE   writes a PNG of the dialog and exits
// (QT_QPA_PLATFORM=offscreen takes the screenshot without a display).

#include "gallery/GalleryDlg.h"
#include "platform/ui/CMemoryDC.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <string>

using namespace win;

namespace {

// A small logo picture: colour bands behind a name, saved as JPEG.
bool WriteLogo(const std::string& path) {
    CMemoryDC dc(160, 80, FontFromPoints("Segoe UI", 20));
    const COLORREF bands[] = {RGB(0, 51, 102), RGB(0, 102, 153), RGB(0, 153, 204),
                              RGB(102, 204, 255)};
    for (int i = 0; i < 4; ++i) {
        dc.FillSolidRect(0, i * 20, 160, 20, bands[i]);
    }
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    CRect r(0, 0, 160, 80);
    dc.DrawText("TM80", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return dc.Image().save(QString::fromStdString(path), "JPG");
}

int Usage() {
    std::fprintf(stderr, "usage: toolkit-gallery [--screenshot FILE]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else {
            return Usage();
        }
    }

    QApplication app(argc, argv);
    QTemporaryDir folder;
    const std::string logo = folder.isValid() ? folder.filePath("StartupLogo.jpg").toStdString()
                                              : std::string("StartupLogo.jpg");
    if (!WriteLogo(logo)) {
        std::fprintf(stderr, "toolkit-gallery: could not write the logo picture\n");
    }

    GalleryDlg dialog(logo);
    if (screenshot.empty()) {
        return dialog.DoModal() == -1 ? 1 : 0;
    }

    if (!dialog.Create()) {
        return 1;
    }
    dialog.ShowWindow(SW_SHOW);
    QWidget* window = dialog.GetNative();
    window->activateWindow();
    dialog.FocusSampleButton();
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
    const QImage image = window->grab().toImage();
    if (!image.save(QString::fromStdString(screenshot), "PNG")) {
        std::fprintf(stderr, "toolkit-gallery: could not write %s\n", screenshot.c_str());
        return 1;
    }
    return 0;
}
