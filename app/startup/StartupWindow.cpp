#include "app/startup/StartupWindow.h"

#include "app/mainwindow/AppIcon.h"
#include "infra/Environment.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/RepaintWithoutInput.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

using namespace win;

namespace {

constexpr int IDC_STARTUP_LOGO = 101;
constexpr int IDC_STARTUP_LINE = 102;
// The bar's place in dialog units.
constexpr int kBarX = 10;
constexpr int kBarY = 88;
constexpr int kBarWidth = 160;
constexpr int kBarHeight = 7;
constexpr COLORREF kBarFrame = RGB(96, 96, 96);
constexpr COLORREF kBarEmpty = RGB(255, 255, 255);
constexpr COLORREF kBarFilled = RGB(0, 120, 215);

DialogTemplate StartupTemplate() {
    DialogTemplate t;
    t.caption = StartupWindow::kTitle;
    t.cx = 180;
    t.cy = 102;
    t.style = WS_POPUP | WS_BORDER;
    t.items = {
        CONTROL("", IDC_STARTUP_LOGO, ControlKind::Static, WS_CHILD | WS_VISIBLE, 30, 6, 120, 50),
        LTEXT(StartupWindow::kFirstLine, IDC_STARTUP_LINE, kBarX, 70, kBarWidth, 10,
              SS_LEFTNOWORDWRAP),
    };
    return t;
}

} // namespace

// Closes the start-up window when the main window shows.
class StartupWindow::MainWindowWatch : public QObject {
public:
    explicit MainWindowWatch(StartupWindow& window) : window_(window) {
        qApp->installEventFilter(this);
    }
    ~MainWindowWatch() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && window_.IsOpen()) {
            const CWnd* main = AfxGetMainWnd();
            if (main != nullptr && main->GetNative() != nullptr &&
                watched == main->GetNative()->window()) {
                window_.Close();
            }
        }
        return false;
    }

private:
    StartupWindow& window_;
};

StartupWindow::StartupWindow() : CDialogEx(StartupTemplate()) {
    if (!Create()) {
        return;
    }
    // Input never reaches it, and its handlers ignore whatever would still come.
    ShowTakingNoInput(*this);
    open_ = true;
    progress_ = std::make_unique<NetworkProgressScope>(
        [this](const NetworkProgress& progress) { ShowProgress(progress); });
    watch_ = std::make_unique<MainWindowWatch>(*this);
    RepaintWithoutInput();
}

StartupWindow::~StartupWindow() {
    Close();
}

void StartupWindow::Close() {
    if (!open_) {
        return;
    }
    open_ = false;
    progress_.reset();
    ShowWindow(SW_HIDE);
}

void StartupWindow::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, IDC_STARTUP_LOGO, logo_);
    DDX_Control(dx, IDC_STARTUP_LINE, line_);
}

bool StartupWindow::OnInitDialog() {
    CDialogEx::OnInitDialog();
    SetIcon(AppIcon(), true);
    SetIcon(AppIcon(), false);
    logo_.LoadPicture(TheEnvironment().ImagesFolder + "StartupLogo.jpg");
    return true;
}

void StartupWindow::ShowProgress(const NetworkProgress& progress) {
    if (!open_) {
        return;
    }
    const std::string text = progress.Text();
    if (text != line_.GetWindowText()) {
        line_.SetWindowText(text);
    }
    if (progress.Percent() != percent_) {
        percent_ = progress.Percent();
        const CRect bar = BarRect();
        InvalidateRect(&bar, false);
    }
    RepaintWithoutInput();
}

CRect StartupWindow::BarRect() const {
    CRect bar(kBarX, kBarY, kBarX + kBarWidth, kBarY + kBarHeight);
    MapDialogRect(&bar);
    return bar;
}

bool StartupWindow::OnPaint(CDC& dc) {
    const CRect bar = BarRect();
    dc.FillSolidRect(bar, kBarFrame);
    CRect inside(bar.left + 1, bar.top + 1, bar.right - 1, bar.bottom - 1);
    dc.FillSolidRect(inside, kBarEmpty);
    inside.right = inside.left + inside.Width() * percent_ / 100;
    if (inside.Width() > 0) {
        dc.FillSolidRect(inside, kBarFilled);
    }
    return true;
}

bool StartupWindow::OnCommand(int, int) {
    return true;
}

bool StartupWindow::OnKeyDown(UINT, UINT, UINT) {
    return true;
}
