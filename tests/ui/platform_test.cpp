// The platform layer of the shell: the settings store, message boxes, file dialogs and the
// folder picker, on screen and through the test seam.
#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QThread>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/profile/profile.h"
#include "platform/prompts/prompts.h"
#include "support/fixtures.h"
#include "support/qt_scripted_prompts.h"
#include "ui_support.h"

namespace {

std::string ConfigFile()
{
    return std::string(std::getenv("XDG_CONFIG_HOME")) + "/Orvanne/" +
           platform::ApplicationName().toStdString() + ".conf";
}

TEST(ApplicationName, IsTheProgramFilesOwnName)
{
    EXPECT_EQ(platform::ApplicationName(), "ui_tests");
    EXPECT_EQ(platform::ApplicationName(),
              QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

TEST(Profile, ReadsTheDefaultUntilAValueIsWrittenAndCreatesNothingOnReading)
{
    platform::SetRegistryKey("Orvanne");
    std::filesystem::remove(ConfigFile());
    EXPECT_EQ(platform::GetProfileInt("Stillcutter", "EULA", 0), 0);
    EXPECT_EQ(platform::GetProfileInt("Stillcutter", "EULA", -7), -7);
    EXPECT_FALSE(std::filesystem::exists(ConfigFile()));

    ASSERT_TRUE(platform::WriteProfileInt("Stillcutter", "EULA", 32322));
    EXPECT_EQ(fixtures::ReadFile(ConfigFile()), "[Stillcutter]\nEULA=32322\n");
    EXPECT_EQ(platform::GetProfileInt("Stillcutter", "EULA", 0), 32322);

    // A value that is no number reads as the default.
    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Orvanne",
                      platform::ApplicationName());
        raw.setValue("Stillcutter/EULA", "accepted");
    }
    EXPECT_EQ(platform::GetProfileInt("Stillcutter", "EULA", 5), 5);
    std::filesystem::remove(ConfigFile());
}

TEST(Profile, ReportsAFailedWrite)
{
    // The company's folder cannot be made: a file stands in its place.
    const std::string root = fixtures::ScratchDir();
    ASSERT_TRUE(fixtures::WriteFile(root + "/Orvanne", "not a folder"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(root));
    const bool written = platform::WriteProfileInt("Stillcutter", "EULA", 32322);
    const int read = platform::GetProfileInt("Stillcutter", "EULA", 0);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME")));
    EXPECT_FALSE(written);
    EXPECT_EQ(read, 0);
}

TEST(Prompts, MessageBoxesCarryTheApplicationsNameAndType)
{
    ScriptedPrompts prompts;
    prompts.messageAnswers = {platform::IDOK, platform::IDOK, platform::IDNO};
    EXPECT_EQ(platform::AfxMessageBox("Please stop the conversion first."), platform::IDOK);
    EXPECT_EQ(platform::AfxMessageBox("error", platform::MB_ICONERROR), platform::IDOK);
    EXPECT_EQ(platform::AfxMessageBox("Replace?", platform::MB_YESNO), platform::IDNO);
    ASSERT_EQ(prompts.messages.size(), 3u);
    for (const auto& m : prompts.messages)
        EXPECT_EQ(m.caption, "ui_tests");
    EXPECT_EQ(prompts.messages[0].type, platform::MB_OK);
    EXPECT_EQ(prompts.messages[1].type, platform::MB_ICONERROR);
}

TEST(Prompts, CallsFromAnotherThreadAreCarriedOutOnTheUserInterfaceThread)
{
    ScriptedPrompts prompts;
    bool onUiThread = false;
    prompts.onMessage = [&](const ScriptedPrompts::Message&) {
        onUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    };
    prompts.messageAnswers = {platform::IDYES};
    prompts.folderAnswers = {"/tmp"};
    int answer = 0;
    QString folder;
    bool done = false;
    std::thread worker([&] {
        answer = platform::AfxMessageBox("From the worker", platform::MB_YESNO);
        folder = platform::BrowseForFolder(nullptr, "Pick", 0);
        done = true;
    });
    EXPECT_TRUE(uitest::WaitUntil([&] { return done; }));
    worker.join();
    EXPECT_TRUE(onUiThread);
    EXPECT_EQ(answer, platform::IDYES);
    EXPECT_EQ(folder, "/tmp");
    EXPECT_EQ(prompts.Texts(), std::vector<QString>{"From the worker"});
    EXPECT_EQ(prompts.folderTitles, std::vector<QString>{"Pick"});
}

// The real message box, with no seam installed.
TEST(Prompts, TheRealMessageBoxIsCaptionedAndOwnedAndAnswered)
{
    struct Case {
        const char* name;
        unsigned type;
        QMessageBox::StandardButton click;
        QMessageBox::Icon icon;
        int result;
    };
    const Case cases[] = {
        {"ok", platform::MB_OK, QMessageBox::Ok, QMessageBox::NoIcon, platform::IDOK},
        {"error", platform::MB_ICONERROR, QMessageBox::Ok, QMessageBox::Critical, platform::IDOK},
        {"yes", platform::MB_YESNO, QMessageBox::Yes, QMessageBox::NoIcon, platform::IDYES},
        {"no", platform::MB_YESNO, QMessageBox::No, QMessageBox::NoIcon, platform::IDNO},
    };
    QDialog owner;
    owner.show();
    platform::SetPromptOwner(&owner);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString title, text;
        QWidget* parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::Information;
        uitest::ModalAnswerer answerer([&](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            ASSERT_TRUE(box);
            title = box->windowTitle();
            text = box->text();
            parent = box->parentWidget();
            icon = box->icon();
            box->button(c.click)->click();
        });
        EXPECT_EQ(platform::AfxMessageBox("The text", c.type), c.result);
        EXPECT_EQ(answerer.answered, 1);
        EXPECT_EQ(title, "ui_tests");
        EXPECT_EQ(text, "The text");
        EXPECT_EQ(parent, &owner);
        EXPECT_EQ(icon, c.icon);
    }
    platform::SetPromptOwner(nullptr);

    // Esc dismisses an OK box as OK.
    uitest::ModalAnswerer escape([](QWidget* window) { uitest::PressKey(window, Qt::Key_Escape); });
    EXPECT_EQ(platform::AfxMessageBox("Esc"), platform::IDOK);
    EXPECT_EQ(escape.answered, 1);
}

TEST(Prompts, TheRealFileDialogsAnswerWithTheChosenNameAndTellWhetherTheyAsked)
{
    const QString dir = QString::fromStdString(fixtures::ScratchDir());
    ASSERT_TRUE(fixtures::WriteFile((dir + "/old.tif").toStdString(), "x"));

    struct Case {
        const char* name;
        bool open;
        QString file;
        bool expectAsked;
    };
    const Case cases[] = {
        {"open", true, "clip.avi", false},
        {"save new", false, "new.tif", false},
        {"save over", false, "old.tif", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString title;
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        int questions = 0;
        uitest::ModalAnswerer answerer([&](QWidget* window) {
            if (auto* box = qobject_cast<QMessageBox*>(window)) {
                ++questions;  // the dialog's own overwrite question
                box->button(QMessageBox::Yes)->click();
                return;
            }
            auto* dialog = qobject_cast<QFileDialog*>(window);
            ASSERT_TRUE(dialog);
            title = dialog->windowTitle();
            mode = dialog->acceptMode();
            dialog->setDirectory(dir);
            // Typed into the name box, as the user does (selectFile leaves a box with the
            // focus alone).
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_TRUE(name);
            name->setText(c.file);
            static_cast<QDialog*>(dialog)->accept();  // the dialog's own accept
        });
        platform::FileDialogRequest request;
        request.open = c.open;
        request.filter = c.open ? "AVI Files (*.avi)" : "TIFF (*.tif)";
        const platform::FileDialogResult r = platform::RunFileDialog(request);
        EXPECT_TRUE(r.accepted);
        EXPECT_EQ(title, c.open ? "Open" : "Save As");
        EXPECT_EQ(mode, c.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        EXPECT_EQ(r.fileName, c.file);
        EXPECT_EQ(QFileInfo(r.folder).canonicalFilePath(), QFileInfo(dir).canonicalFilePath());
        EXPECT_EQ(r.pathName, r.folder + "/" + c.file);
        EXPECT_EQ(r.askedOverwrite, c.expectAsked);
        EXPECT_EQ(questions, c.expectAsked ? 1 : 0);
    }

    // Cancelled.
    uitest::ModalAnswerer cancel([](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    EXPECT_FALSE(platform::RunFileDialog({}).accepted);
}

TEST(Prompts, TheRealFolderPickerShowsItsTitleAndGivesTheFolder)
{
    const QString dir = QString::fromStdString(fixtures::ScratchDir());
    QString title;
    uitest::ModalAnswerer answerer([&](QWidget* window) {
        auto* dialog = qobject_cast<QFileDialog*>(window);
        ASSERT_TRUE(dialog);
        title = dialog->windowTitle();
        dialog->setDirectory(dir);
        static_cast<QDialog*>(dialog)->accept();
    });
    const QString chosen =
        platform::BrowseForFolder(nullptr, "Choose a directory to put the TIFF files in.", 0);
    EXPECT_EQ(title, "Choose a directory to put the TIFF files in.");
    EXPECT_EQ(QFileInfo(chosen).canonicalFilePath(), QFileInfo(dir).canonicalFilePath());

    uitest::ModalAnswerer cancel([](QWidget* window) { static_cast<QDialog*>(window)->reject(); });
    EXPECT_EQ(platform::BrowseForFolder(nullptr, "Pick", 0), QString());
}

}  // namespace
