// Open AVI, Exit and the ends of the dialog.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <filesystem>

#include "dialog_harness.h"
#include "mainwnd/process_exit.h"
#include "resource.h"

namespace {

using dlgtest::DialogTest;
namespace fs = std::filesystem;

class FileCommandsTest : public DialogTest {};

TEST_F(FileCommandsTest, OpenAviChecksTheNameBeforeOpening)
{
    // Copies of a real video under each name, so that a name that passes opens.
    const std::string dir = fixtures::ScratchDir();
    struct Case {
        const char* name;
        const char* message;  // null: opened
    } const cases[] = {
        {"clip.avi", nullptr},
        {"clip.AVI", nullptr},
        {"clip.Avi", nullptr},
        {"clip.avix", nullptr},  // the fourth character is not looked at
        {".avi", nullptr},
        {"clip.av", "Please select a file with \"avi\" extension."},
        {"clip.avi.txt", "Please select a file with \"avi\" extension."},
        {"clip.a", "Please select a file with \"avi\" extension."},
        {"clip.", "Please select a file with \"avi\" extension."},
        {"clip.\xC3\x80VI", "Please select a file with \"avi\" extension."},  // only A-Z fold
        {"clip", "Invalid file name."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        fs::copy_file(dlgtest::Video100(), path, fs::copy_options::overwrite_existing);
        prompts.messages.clear();
        dlg->m_editInputFile->setText("before");
        Open(path);
        if (c.message) {
            EXPECT_EQ(prompts.Texts(), std::vector<QString>{c.message});
            EXPECT_FALSE(dlg->m_bAviOpen);
            EXPECT_EQ(dlg->m_editInputFile->text(), "before");
        } else {
            EXPECT_TRUE(prompts.messages.empty());
            EXPECT_TRUE(dlg->m_bAviOpen);
            EXPECT_EQ(dlg->m_editInputFile->text(), QString::fromUtf8(c.name));
            EXPECT_EQ(dlg->m_strAviPath, QString::fromStdString(path));
        }
    }
    ASSERT_FALSE(prompts.fileRequests.empty());
    EXPECT_TRUE(prompts.fileRequests[0].open);
    EXPECT_EQ(prompts.fileRequests[0].filter, "AVI Files (*.avi)");
}

TEST_F(FileCommandsTest, OpenAviOutcomes)
{
    const std::string dir = fixtures::ScratchDir();
    const std::string notAvi = dir + "/fake.avi";
    ASSERT_TRUE(fixtures::WriteFile(notAvi, "RIFF? no."));
    const QString outDir = QString::fromStdString(dlg->m_szOutputDir);

    // Success: the boxes, the path, the output folder shown.
    Open(dlgtest::Video100());
    ASSERT_TRUE(dlg->m_bAviOpen);
    EXPECT_EQ(dlg->m_editOutputDir->text(), outDir);
    const QString goodPath = dlg->m_strAviPath;

    // Refused during a run: nothing changes, no dialog is shown.
    dlg->m_bConverting = true;
    dlg->OnOpenAvi();
    dlg->m_bConverting = false;
    EXPECT_EQ(prompts.Texts(), std::vector<QString>{"Please stop the conversion first."});
    EXPECT_TRUE(dlg->m_bAviOpen);
    EXPECT_EQ(prompts.fileRequests.size(), 1u);

    // Cancelled while a video is open: the video is closed, the output box rewritten, no
    // message.
    prompts.messages.clear();
    dlg->m_editOutputDir->setText("");
    dlg->OnOpenAvi();
    EXPECT_FALSE(dlg->m_bAviOpen);
    EXPECT_TRUE(dlg->m_bmpPreview.isNull());
    EXPECT_EQ(dlg->m_editOutputDir->text(), outDir);
    EXPECT_EQ(dlg->m_strAviPath, goodPath);
    EXPECT_EQ(dlg->m_editTotalFrames->text(), "99");  // the boxes keep their texts
    EXPECT_TRUE(prompts.messages.empty());

    // A file named .avi that is no AVI file: the name and path are taken, nothing is open,
    // the output box is not rewritten.
    dlg->m_editOutputDir->setText("");
    Open(notAvi);
    EXPECT_EQ(prompts.Texts(), std::vector<QString>{"Unable to read the selected file."});
    EXPECT_FALSE(dlg->m_bAviOpen);
    EXPECT_EQ(dlg->m_editInputFile->text(), "fake.avi");
    EXPECT_EQ(dlg->m_strAviPath, QString::fromStdString(notAvi));
    EXPECT_EQ(dlg->m_editOutputDir->text(), "");
}

// The ways the dialog ends while a conversion runs: each stops the worker, lets it finish the
// frame in hand, and closes the stream only after the worker has ended.
TEST_F(FileCommandsTest, EndingDuringARunStopsTheWorkerFirst)
{
    enum class Way { Exit, Esc, Ok, Close };
    const struct {
        const char* name;
        Way way;
    } ways[] = {{"Exit", Way::Exit}, {"Esc", Way::Esc}, {"OK", Way::Ok}, {"close box", Way::Close}};

    for (const auto& w : ways) {
        SCOPED_TRACE(w.name);
        dlg = std::make_unique<CConverterDlg>();
        dlg->show();
        const std::string out = fixtures::ScratchDir();
        Open(dlgtest::Video100());
        ASSERT_TRUE(dlg->m_bAviOpen);
        dlg->m_szOutputDir = out;
        dlg->m_editStartFrame->setText("0");
        dlg->m_editEndFrame->setText("99");

        dlgtest::WriteGate gate;
        gate.Arm();
        dlg->OnStartConversion();
        ASSERT_TRUE(gate.WaitHeld());

        // The worker is let go only once the end has begun; the stream must still be open.
        bool openWhileWorking = false;
        QTimer::singleShot(50, dlg.get(), [&] {
            openWhileWorking = dlg->m_bAviOpen && dlg->m_pGetFrame;
            gate.Release();
        });
        int exitStatus = -1;
        bool endedBeforeExit = false;
        SetProcessExitHook([&](int status) {
            exitStatus = status;
            endedBeforeExit = !dlg->m_bConverting && !dlg->m_bAviOpen &&
                              !ConverterDlgTestAccess::WorkerRunning(*dlg);
        });
        switch (w.way) {
        case Way::Exit:
            dlg->OnExit();
            break;
        case Way::Esc: {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(dlg.get(), &esc);
            break;
        }
        case Way::Ok:
            static_cast<QDialog*>(dlg.get())->accept();  // the OK command
            break;
        case Way::Close:
            dlg->OnSysCommand(SC_CLOSE);
            break;
        }
        SetProcessExitHook({});

        EXPECT_TRUE(openWhileWorking);
        EXPECT_FALSE(dlg->m_bConverting);
        EXPECT_FALSE(dlg->m_bStopRequested);
        EXPECT_FALSE(dlg->m_bAviOpen);
        EXPECT_FALSE(dlg->m_pGetFrame);
        EXPECT_FALSE(ConverterDlgTestAccess::WorkerRunning(*dlg));
        if (w.way == Way::Exit) {
            EXPECT_EQ(exitStatus, 0);
            EXPECT_TRUE(endedBeforeExit);
        } else {
            EXPECT_EQ(exitStatus, -1);
            EXPECT_FALSE(dlg->isVisible());
            EXPECT_EQ(dlg->result(), w.way == Way::Ok ? QDialog::Accepted : QDialog::Rejected);
        }
        // The frame in hand was finished, and no other begun.
        EXPECT_EQ(dlgtest::FilesIn(out), std::vector<std::string>{"00,00,00,00.tif"});
        EXPECT_TRUE(prompts.messages.empty());
    }
}

TEST_F(FileCommandsTest, ExitWithNothingOpenEndsAtOnce)
{
    int exitStatus = -1;
    SetProcessExitHook([&](int status) { exitStatus = status; });
    dlg->OnExit();
    SetProcessExitHook({});
    EXPECT_EQ(exitStatus, 0);

    Open(dlgtest::Video100());
    SetProcessExitHook([&](int status) { exitStatus = status + 10 * dlg->m_bAviOpen; });
    dlg->OnExit();
    SetProcessExitHook({});
    EXPECT_EQ(exitStatus, 0);  // the video was closed first
}

TEST(ExitProcess, EndsTheProcessWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitProcess(0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
