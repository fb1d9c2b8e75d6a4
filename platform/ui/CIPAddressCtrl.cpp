#include "platform/ui/CIPAddressCtrl.h"

#include "platform/ui/QtConvert.h"

#include <QClipboard>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QValidator>

#include <cstdio>
#include <functional>
#include <utility>

namespace win {

namespace {

constexpr const char* kFieldProperty = "win_ip_field";
constexpr int kFields = 4;

std::array<QLineEdit*, kFields> Fields(QWidget* w) {
    std::array<QLineEdit*, kFields> out{};
    if (!w) {
        return out;
    }
    for (QLineEdit* e : w->findChildren<QLineEdit*>()) {
        const QVariant v = e->property(kFieldProperty);
        if (v.isValid() && v.toInt() >= 0 && v.toInt() < kFields) {
            out[static_cast<std::size_t>(v.toInt())] = e;
        }
    }
    return out;
}

// A field over 255 becomes 255.
QString Clamped(const QString& digits) {
    return !digits.isEmpty() && digits.toInt() > 255 ? QStringLiteral("255") : digits;
}

void Clamp(QLineEdit* e) {
    const QString clamped = Clamped(e->text());
    if (clamped != e->text()) {
        e->setText(clamped);
    }
}

// Up to three digits, or a dotted address on its way in from a paste.
class FieldValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{0,3}$"));
        static const QRegularExpression dotted(
            QStringLiteral("^\\s*[0-9]{0,3}(\\.[0-9]{0,3}){1,3}\\s*$"));
        return digits.match(input).hasMatch() || dotted.match(input).hasMatch() ? Acceptable
                                                                                : Invalid;
    }
};

// The keys of the four fields: moving between them as one address.
class FieldKeys : public QObject {
public:
    FieldKeys(QWidget* frame, std::function<void()> changed)
        : QObject(frame), frame_(frame), changed_(std::move(changed)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (edit == nullptr || event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool justMoved = std::exchange(justMoved_, false);
        const int index = edit->property(kFieldProperty).toInt();
        const bool atStart = edit->cursorPosition() == 0 && !edit->hasSelectedText();
        const bool atEnd =
            edit->cursorPosition() == edit->text().size() && !edit->hasSelectedText();
        if (key->matches(QKeySequence::Paste)) {
            // A whole address replaces the field's text and goes on into the next ones.
            const QString pasted = QGuiApplication::clipboard()->text();
            if (pasted.contains(QLatin1Char('.'))) {
                edit->selectAll();
            }
            return false;
        }
        switch (key->key()) {
        case Qt::Key_Period:
        case Qt::Key_Space:
            if (!justMoved && !edit->text().isEmpty() && !edit->hasSelectedText()) {
                Move(index + 1, false);
            }
            return true;
        case Qt::Key_Backspace:
            return atStart && Move(index - 1, true);
        case Qt::Key_Left:
            return atStart && Move(index - 1, true);
        case Qt::Key_Right:
            return atEnd && Move(index + 1, false);
        default:
            return false;
        }
    }

    // A field's text as the operator changed it.
    void Edited(QLineEdit* edit, const QString& text) {
        const int index = edit->property(kFieldProperty).toInt();
        if (text.contains(QLatin1Char('.'))) {
            Spread(index, text);
        } else if (text.size() == 3 && edit->cursorPosition() == 3) {
            Clamp(edit);
            if (Move(index + 1, false)) {
                justMoved_ = true;
            }
        }
        changed_();
    }

private:
    // Focus to field `index`: its text selected when entered forwards, the
    // caret at its end when entered backwards.
    bool Move(int index, bool toEnd) {
        if (index < 0 || index >= kFields) {
            return false;
        }
        QLineEdit* field = Fields(frame_)[static_cast<std::size_t>(index)];
        if (field == nullptr) {
            return false;
        }
        field->setFocus(Qt::OtherFocusReason);
        if (toEnd) {
            field->deselect();
            field->end(false);
        } else {
            field->selectAll();
        }
        return true;
    }

    // A dotted address pasted into field `first`: its parts fill that field
    // and the ones after it.
    void Spread(int first, const QString& text) {
        const QStringList parts = text.trimmed().split(QLatin1Char('.'));
        const auto fields = Fields(frame_);
        int last = first;
        for (int k = 0; k < parts.size() && first + k < kFields; ++k) {
            QLineEdit* field = fields[static_cast<std::size_t>(first + k)];
            if (field != nullptr) {
                field->setText(Clamped(parts[k]));
                last = first + k;
            }
        }
        Move(last, true);
    }

    QWidget* frame_;
    std::function<void()> changed_;
    bool justMoved_ = false; // a third digit moved on: the dot typed next is passed already
};

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
    auto* keys = new FieldKeys(frame, [this] {
        if (CWnd* parent = GetParent()) {
            parent->SendMessage(
                WM_COMMAND,
                MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()), static_cast<unsigned>(EN_CHANGE)),
                ToLParam());
        }
    });
    for (int i = 0; i < kFields; ++i) {
        if (i > 0) {
            layout->addWidget(new QLabel(QStringLiteral("."), frame));
        }
        auto* edit = new QLineEdit(frame);
        edit->setProperty(kFieldProperty, i);
        edit->setFrame(false);
        edit->setAlignment(Qt::AlignHCenter);
        edit->setValidator(new FieldValidator(edit));
        edit->installEventFilter(keys);
        // Tab enters at the first field and leaves from any: the control is one stop.
        if (i == 0) {
            frame->setFocusProxy(edit);
        } else {
            edit->setFocusPolicy(Qt::ClickFocus);
        }
        QObject::connect(edit, &QLineEdit::textEdited, keys,
                         [keys, edit](const QString& text) { keys->Edited(edit, text); });
        QObject::connect(edit, &QLineEdit::editingFinished, edit, [edit] { Clamp(edit); });
        layout->addWidget(edit, 1);
    }
    return frame;
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
