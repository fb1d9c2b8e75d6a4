#include "app/mainwindow/AppIcon.h"

#include <QtCore/qglobal.h>

// The icon is a resource of this library; a static library has to register
// its resources itself.
static void RegisterAppResources() {
    Q_INIT_RESOURCE(app);
}

const win::CImage& AppIcon() {
    static const win::CImage icon = [] {
        RegisterAppResources();
        win::CImage image;
        image.LoadFromFile(":/app/tm80.png");
        return image;
    }();
    return icon;
}
