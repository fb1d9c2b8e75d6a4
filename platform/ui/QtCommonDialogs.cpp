#include "platform/ui/QtCommonDialogs.h"

#include "platform/ui/CDialogEx.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/QtPath.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace win {

namespace {

// Icon, minimise, maximise and close boxes of a usual title bar.
constexpr int kTitleBarButtonsWidth = 160;

QWidget* OwnerWindow(CWnd* owner) {
    CWnd* w = owner ? owner : AfxGetMainWnd();
    QWidget* native = w ? w->GetNative() : nullptr;
    return CDialogEx::OwnerFor(native ? native->window() : nullptr);
}

// Modal to the owner's window only, as on Windows; application-wide without one.
void SetModality(QDialog& dialog, QWidget* owner) {
    dialog.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
}

// Runs the dialog; as on Windows, its owner is the active window again once
// it closes (a window manager may otherwise leave the focus elsewhere).
int RunModal(QDialog& dialog, QWidget* owner) {
    const int result = dialog.exec();
    if (owner != nullptr && owner->isVisible()) {
        owner->raise();
        owner->activateWindow();
    }
    return result;
}

// The box sizes itself to its text; the window manager then cuts a longer
// caption short. A spacer row as wide as the caption, with room for the
// title bar's buttons, keeps the whole caption readable.
void ReserveCaptionWidth(QMessageBox& box, const QString& caption) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
    const int width = title.horizontalAdvance(caption) + kTitleBarButtonsWidth;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// Qt accepts any path to save to; Windows' dialog wants its folder to exist.
class SaveFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (acceptMode() == AcceptSave && !chosen.isEmpty()) {
            const QFileInfo file(chosen.front());
            if (!file.isDir() && !file.absoluteDir().exists()) {
                QMessageBox box(
                    QMessageBox::Warning, windowTitle(),
                    QString::fromLatin1(QtCommonDialogs::kNoFolderText).arg(file.absolutePath()),
                    QMessageBox::Ok, this);
                box.setTextFormat(Qt::PlainText);
                box.exec();
                return;
            }
        }
        QFileDialog::accept();
    }
};

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    const auto e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

} // namespace

std::string QtFileFilter(const std::string& filter) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : filter) {
        if (c == '|') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(current);
    }
    std::string out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) {
            break;
        }
        std::string name = parts[i];
        if (const auto open = name.rfind('('); open != std::string::npos && name.back() == ')') {
            name = name.substr(0, open);
        }
        std::string patterns;
        std::string pattern;
        std::string list = parts[i + 1];
        list += ';';
        for (char c : list) {
            if (c != ';') {
                pattern += c;
                continue;
            }
            pattern = Trim(pattern);
            if (pattern == "*.*") {
                pattern = "*"; // every file, with or without a dot
            }
            if (!pattern.empty()) {
                patterns += (patterns.empty() ? "" : " ") + pattern;
            }
            pattern.clear();
        }
        if (!out.empty()) {
            out += ";;";
        }
        out += Trim(name) + " (" + patterns + ")";
    }
    return out;
}

int QtCommonDialogs::MessageBox(const MessageBoxRequest& request) {
    QWidget* owner = OwnerWindow(request.owner);
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (request.type & MB_ICONMASK) {
    case MB_ICONERROR:
        icon = QMessageBox::Critical;
        break;
    case MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    case MB_ICONWARNING:
        icon = QMessageBox::Warning;
        break;
    case MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    const QString caption =
        request.caption.empty() ? QApplication::applicationName() : ToQString(request.caption);
    QMessageBox box(icon, caption, ToQString(request.text), QMessageBox::NoButton, owner);
    // Texts carry what units report: never read as markup.
    box.setTextFormat(Qt::PlainText);
    ReserveCaptionWidth(box, caption);
    SetModality(box, owner);
    struct Choice {
        QMessageBox::StandardButton button;
        int id;
    };
    std::vector<Choice> choices;
    switch (request.type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNOCANCEL:
        choices = {
            {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO:
        choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        break;
    case MB_RETRYCANCEL:
        choices = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    default:
        choices = {{QMessageBox::Ok, IDOK}};
        break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices) {
        buttons |= c.button;
    }
    box.setStandardButtons(buttons);
    RunModal(box, owner);
    const auto pressed = box.standardButton(box.clickedButton());
    for (const Choice& c : choices) {
        if (c.button == pressed) {
            return c.id;
        }
    }
    // Closed without a button: Cancel where there is one, else the only answer.
    return choices.size() == 1 ? choices.front().id : IDCANCEL;
}

bool QtCommonDialogs::ChooseFile(const FileDialogRequest& request, std::string& path) {
    QWidget* owner = OwnerWindow(request.owner);
    SaveFileDialog dialog(owner, ToQString(request.title), ToQPath(request.initialFolder),
                          ToQString(QtFileFilter(request.filter)));
    SetModality(dialog, owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Saving over a file asks nothing: the save writes its keys into it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.defaultExtension.empty()) {
        dialog.setDefaultSuffix(ToQString(request.defaultExtension));
    }
    if (!request.fileName.empty()) {
        dialog.selectFile(ToQPath(request.fileName));
    }
    if (RunModal(dialog, owner) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    path = FromQPath(dialog.selectedFiles().front());
    return true;
}

bool QtCommonDialogs::ChooseColor(const ColorRequest& request, COLORREF& colour) {
    QWidget* owner = OwnerWindow(request.owner);
    QColorDialog dialog(ToQColor(request.initial), owner);
    SetModality(dialog, owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    if (RunModal(dialog, owner) != QDialog::Accepted) {
        return false;
    }
    colour = FromQColor(dialog.selectedColor());
    return true;
}

} // namespace win
