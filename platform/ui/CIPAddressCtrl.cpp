#include "platform/ui/CIPAddressCtrl.h"

#include "platform/ui/QtConvert.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <cstdio>

namespace win {

namespace {

constexpr const char* kFieldProperty = "win_ip_field";

// Moves on to the next field at a dot, as the platform control does.
class DotFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Period) {
            return false;
        }
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (edit && !edit->text().isEmpty() && edit->nextInFocusChain()) {
            edit->nextInFocusChain()->setFocus(Qt::TabFocusReason);
        }
        return true;
    }
};

std::array<QLineEdit*, 4> Fields(QWidget* w) {
    std::array<QLineEdit*, 4> out{};
    if (!w) {
        return out;
    }
    for (QLineEdit* e : w->findChildren<QLineEdit*>()) {
        const QVariant v = e->property(kFieldProperty);
        if (v.isValid() && v.toInt() >= 0 && v.toInt() < 4) {
            out[static_cast<std::size_t>(v.toInt())] = e;
        }
    }
    return out;
}

// A field over 255 becomes 255.
void Clamp(QLineEdit* e) {
    if (!e->text().isEmpty() && e->text().toInt() > 255) {
        e->setText(QStringLiteral("255"));
    }
}

} // namespace

QWidget* CIPAddressCtrl::CreateNative(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    frame->setAutoFillBackground(true);
    QPalette pal = frame->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    frame->setPalette(pal);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto* dots = new DotFilter(frame);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            layout->addWidget(new QLabel(QStringLiteral("."), frame));
        }
        auto* edit = new QLineEdit(frame);
        edit->setProperty(kFieldProperty, i);
        edit->setFrame(false);
        edit->setAlignment(Qt::AlignHCenter);
        edit->setMaxLength(3);
        edit->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,3}")), edit));
        edit->installEventFilter(dots);
        layout->addWidget(edit, 1);
    }
    return frame;
}

void CIPAddressCtrl::PreSubclassWindow() {
    const auto fields = Fields(GetNative());
    for (QLineEdit* e : fields) {
        QObject::connect(e, &QLineEdit::textEdited, e, [this, e](const QString& text) {
            if (text.size() == 3) {
                Clamp(e);
                if (e->property(kFieldProperty).toInt() < 3 && e->nextInFocusChain()) {
                    e->nextInFocusChain()->setFocus(Qt::TabFocusReason);
                }
            }
            if (CWnd* parent = GetParent()) {
                parent->SendMessage(WM_COMMAND,
                                    MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()),
                                               static_cast<unsigned>(EN_CHANGE)),
                                    ToLParam());
            }
        });
        QObject::connect(e, &QLineEdit::editingFinished, e, [e] { Clamp(e); });
    }
}

void CIPAddressCtrl::OnFontChanged() {
    for (QLineEdit* e : Fields(GetNative())) {
        e->setFont(GetNative()->font());
    }
}

void CIPAddressCtrl::SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3) {
    const BYTE v[4] = {f0, f1, f2, f3};
    const auto fields = Fields(GetNative());
    for (std::size_t i = 0; i < 4; ++i) {
        if (fields[i]) {
            fields[i]->setText(QString::number(v[i]));
        }
    }
}

void CIPAddressCtrl::SetAddress(DWORD address) {
    SetAddress(static_cast<BYTE>(address >> 24), static_cast<BYTE>(address >> 16),
               static_cast<BYTE>(address >> 8), static_cast<BYTE>(address));
}

int CIPAddressCtrl::GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const {
    BYTE* out[4] = {&f0, &f1, &f2, &f3};
    const auto fields = Fields(GetNative());
    int filled = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        *out[i] = 0;
        if (!fields[i] || fields[i]->text().isEmpty()) {
            continue;
        }
        *out[i] = static_cast<BYTE>(std::min(255, fields[i]->text().toInt()));
        ++filled;
    }
    return filled;
}

int CIPAddressCtrl::GetAddress(DWORD& address) const {
    BYTE f[4];
    const int filled = GetAddress(f[0], f[1], f[2], f[3]);
    address = (DWORD{f[0]} << 24) | (DWORD{f[1]} << 16) | (DWORD{f[2]} << 8) | DWORD{f[3]};
    return filled;
}

std::string CIPAddressCtrl::GetAddressText() const {
    BYTE f[4] = {0, 0, 0, 0};
    GetAddress(f[0], f[1], f[2], f[3]);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", f[0], f[1], f[2], f[3]);
    return text;
}

void CIPAddressCtrl::ClearAddress() {
    for (QLineEdit* e : Fields(GetNative())) {
        if (e) {
            e->clear();
        }
    }
}

bool CIPAddressCtrl::IsBlank() const {
    for (QLineEdit* e : Fields(GetNative())) {
        if (e && !e->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

void CIPAddressCtrl::SetNativeText(const std::string& text) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) == 4 && a < 256 &&
        b < 256 && c < 256 && d < 256) {
        SetAddress(static_cast<BYTE>(a), static_cast<BYTE>(b), static_cast<BYTE>(c),
                   static_cast<BYTE>(d));
    } else {
        ClearAddress();
    }
}

std::string CIPAddressCtrl::GetNativeText() const {
    if (IsBlank()) {
        return std::string();
    }
    BYTE f[4];
    GetAddress(f[0], f[1], f[2], f[3]);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", f[0], f[1], f[2], f[3]);
    return buffer;
}

} // namespace win
