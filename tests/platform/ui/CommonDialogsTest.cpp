// The Qt message box as the system shows it, and Windows file filters as the
// Qt file dialogs take them.

#include "platform/ui/QtCommonDialogs.h"
#include "testsupport/UiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace win;

namespace {

TEST(QtMessageBoxTest, WideEnoughForItsCaptionAndTextIsNoMarkup) {
    uitest::EnsureApplication();
    QtCommonDialogs dialogs;
    MessageBoxRequest request;
    request.text = "<b>TCP</b>";
    request.caption = "Communication to TM80";
    bool checked = false;
    uitest::WhenReady(
        [&] { return uitest::VisibleWindowTitled(request.caption) != nullptr; },
        [&] {
            auto* box = qobject_cast<QMessageBox*>(uitest::VisibleWindowTitled(request.caption));
            ASSERT_NE(box, nullptr);
            const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
            // The caption and the title bar's buttons fit.
            EXPECT_GE(box->width(), title.horizontalAdvance(box->windowTitle()) + 100);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            checked = true;
            box->accept();
        });
    EXPECT_EQ(dialogs.MessageBox(request), IDOK);
    EXPECT_TRUE(checked);
}

// Paths cross into and out of the dialogs as the file system's bytes (UTF-8),
// and saving over a file asks nothing.
TEST(QtFileDialogTest, PathsOutsideAsciiAndNoOverwriteQuestion) {
    uitest::EnsureApplication();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const std::string folder = root.path().toStdString() + "/j\xC3\xB6rg";
    ASSERT_TRUE(QDir().mkpath(QString::fromUtf8(folder.c_str())));
    QFile existing(QString::fromUtf8((folder + "/old.TM80").c_str()));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    QtCommonDialogs dialogs;
    for (const bool save : {false, true}) {
        FileDialogRequest request;
        request.save = save;
        request.title = save ? "TM80 Setup File" : "TM80 M1 Setup File";
        request.initialFolder = folder;
        request.filter = "File Type (*.TM80)|*.TM80||";
        request.defaultExtension = "TM80";
        bool checked = false;
        uitest::WhenReady(
            [&] { return uitest::VisibleWindowTitled(request.title) != nullptr; },
            [&] {
                auto* dialog =
                    qobject_cast<QFileDialog*>(uitest::VisibleWindowTitled(request.title));
                ASSERT_NE(dialog, nullptr);
                EXPECT_EQ(dialog->directory().absolutePath().toUtf8().toStdString(), folder);
                if (save) {
                    EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
                }
                dialog->selectFile("old.TM80");
                checked = true;
                static_cast<QDialog*>(dialog)->accept(); // as the Open or Save button does
            });
        std::string path;
        EXPECT_TRUE(dialogs.ChooseFile(request, path)) << request.title;
        EXPECT_EQ(path, folder + "/old.TM80");
        EXPECT_TRUE(checked);
    }
}

// A path whose folder does not exist is refused with a box over the save
// dialog, which stays open; an existing folder's new file is taken. An open
// dialog is left alone.
TEST(QtFileDialogTest, SaveRefusesAPathWhoseFolderIsMissing) {
    uitest::EnsureApplication();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const std::string folder = root.path().toStdString();
    QtCommonDialogs dialogs;
    FileDialogRequest request;
    request.save = true;
    request.title = "TM80 Setup File";
    request.initialFolder = folder;
    request.defaultExtension = "TM80";
    std::string refusal;
    uitest::WhenReady(
        [&] { return uitest::VisibleWindowTitled(request.title) != nullptr; },
        [&] {
            auto* dialog = qobject_cast<QFileDialog*>(uitest::VisibleWindowTitled(request.title));
            ASSERT_NE(dialog, nullptr);
            uitest::WhenReady([&] { return dialog->findChild<QMessageBox*>() != nullptr; },
                              [&] {
                                  auto* box = dialog->findChild<QMessageBox*>();
                                  refusal = box->text().toStdString();
                                  box->accept();
                              });
            dialog->selectFile(QString::fromStdString(folder + "/missing/new.TM80"));
            static_cast<QDialog*>(dialog)->accept();
            EXPECT_TRUE(dialog->isVisible());
            dialog->selectFile(QString::fromStdString(folder + "/new.TM80"));
            static_cast<QDialog*>(dialog)->accept();
        });
    std::string path;
    EXPECT_TRUE(dialogs.ChooseFile(request, path));
    EXPECT_EQ(path, folder + "/new.TM80");
    EXPECT_EQ(refusal, "The folder " + folder + "/missing does not exist.");
}

TEST(QtFileFilterTest, WindowsFiltersBecomeQtFilters) {
    EXPECT_EQ(QtFileFilter("Setup Files (*.TM80)|*.TM80|All Files (*.*)|*.*||"),
              "Setup Files (*.TM80);;All Files (*)");
    EXPECT_EQ(QtFileFilter("Pictures|*.jpg;*.png|"), "Pictures (*.jpg *.png)");
    EXPECT_EQ(QtFileFilter(""), "");
}

} // namespace
