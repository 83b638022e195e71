// Set Output Directory and Save Just This Frame.
#include <filesystem>

#include "dialog_harness.h"
#include "stills/write_tiff.h"

namespace {

using dlgtest::DialogTest;
namespace fs = std::filesystem;

class OutputCommandsTest : public DialogTest {};

TEST_F(OutputCommandsTest, BothCommandsRefuseDuringARunAndBeforeAFileIsChosen)
{
    dlg->OnSetOutputDir();
    dlg->OnSaveFrame();
    EXPECT_EQ(prompts.Texts(), (std::vector<QString>{"You must select an AVI file first.",
                                                     "You must select an AVI file first."}));
    Open(dlgtest::Video100());
    prompts.messages.clear();
    dlg->m_bConverting = true;
    dlg->OnSetOutputDir();
    dlg->OnSaveFrame();
    dlg->m_bConverting = false;
    EXPECT_EQ(prompts.Texts(), (std::vector<QString>{"Please stop the conversion first.",
                                                     "Please stop the conversion first."}));
    EXPECT_TRUE(prompts.folderTitles.empty());
    EXPECT_EQ(prompts.fileRequests.size(), 1u);  // the Open AVI one
}

TEST_F(OutputCommandsTest, TheChosenFolderIsKeptWholeAndACancelKeepsIt)
{
    Open(dlgtest::Video100());
    const std::string longFolder = "/tmp/" + std::string(300, 'd');  // longer than 255
    prompts.folderAnswers.push_back(QString::fromStdString(longFolder));
    dlg->OnSetOutputDir();
    EXPECT_EQ(dlg->m_szOutputDir, longFolder);
    EXPECT_EQ(dlg->m_editOutputDir->text(), QString::fromStdString(longFolder));

    dlg->m_editOutputDir->setText("");
    dlg->OnSetOutputDir();  // cancelled
    EXPECT_EQ(dlg->m_szOutputDir, longFolder);
    EXPECT_EQ(dlg->m_editOutputDir->text(), QString::fromStdString(longFolder));

    EXPECT_EQ(prompts.folderTitles,
              (std::vector<QString>{"Choose a directory to put the TIFF files in.",
                                    "Choose a directory to put the TIFF files in."}));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(OutputCommandsTest, SaveNamesFollowTheExtensionRule)
{
    struct Case {
        const char* typed;
        const char* written;  // null: refused with the extension message
    } const cases[] = {
        {"frame", "frame.tif"},
        {"frame.TIF", "frame.TIF"},
        {"frame.Tif", "frame.Tif"},
        {"frame.tiff", "frame.tiff"},
        {"my.frame.tif", "my.frame.tif"},
        {"frame.bmp", nullptr},
        {"frame.", nullptr},
        {"take.2", nullptr},
        {"my.tif.frame", nullptr},
        {"frame.ti", nullptr},
    };
    Open(dlgtest::Video100());
    dlg->OnHScroll(TB_THUMBPOSITION, 30);
    ASSERT_EQ(dlg->m_nCurrentFrame, 30u);
    const std::string cwd = fs::current_path().string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::string dir = fixtures::ScratchDir();
        prompts.messages.clear();
        prompts.fileAnswers.push_back(
            ScriptedPrompts::Chosen(QString::fromStdString(dir), c.typed));
        dlg->OnSaveFrame();
        if (c.written) {
            EXPECT_TRUE(prompts.messages.empty());
            EXPECT_EQ(dlgtest::FilesIn(dir), std::vector<std::string>{c.written});
            EXPECT_EQ(fs::file_size(dir + "/" + c.written), TiffFileSize(320, 240));
        } else {
            EXPECT_EQ(prompts.Texts(),
                      std::vector<QString>{"Please specify a file with \"tif\" extension."});
            EXPECT_TRUE(dlgtest::FilesIn(dir).empty());
        }
        EXPECT_EQ(fs::current_path().string(), cwd);
    }
    EXPECT_FALSE(prompts.fileRequests.back().open);
    EXPECT_EQ(prompts.fileRequests.back().filter, "TIFF (*.tif)");
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "30");
}

TEST_F(OutputCommandsTest, AsksBeforeReplacingAFileTheDialogDidNotAskAbout)
{
    Open(dlgtest::Video100());
    const std::string dir = fixtures::ScratchDir();
    const QString qdir = QString::fromStdString(dir);
    const std::string old = "old content";
    struct Case {
        const char* name;
        const char* typed;
        const char* existing;
        bool dialogAsked;
        int answer;               // to our own question, if one is asked
        bool questionAsked;
        bool replaced;
    } const cases[] = {
        {"dialog asked about the typed name", "a.tif", "a.tif", true, 0, false, true},
        {"new file", "b.tif", nullptr, false, 0, false, true},
        {".tif appended to an existing name, yes", "c", "c.tif", true, platform::IDYES, true, true},
        {".tif appended to an existing name, no", "d", "d.tif", true, platform::IDNO, true, false},
        {"the dialog did not ask, no", "e.tif", "e.tif", false, platform::IDNO, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.messages.clear();
        std::string target = dir + "/" + c.typed;
        if (std::string(c.typed).find('.') == std::string::npos)
            target += ".tif";
        if (c.existing) {
            ASSERT_TRUE(fixtures::WriteFile(dir + "/" + c.existing, old));
        }
        if (c.questionAsked)
            prompts.messageAnswers.push_back(c.answer);
        prompts.fileAnswers.push_back(ScriptedPrompts::Chosen(qdir, c.typed, c.dialogAsked));
        dlg->OnSaveFrame();
        if (c.questionAsked) {
            ASSERT_EQ(prompts.messages.size(), 1u);
            EXPECT_EQ(prompts.messages[0].text,
                      QString::fromStdString(fs::path(target).filename().string()) +
                          " already exists.\nDo you want to replace it?");
            EXPECT_EQ(prompts.messages[0].type & 0xF, platform::MB_YESNO);
        } else {
            EXPECT_TRUE(prompts.messages.empty());
        }
        EXPECT_EQ(fixtures::ReadFile(target) == old, !c.replaced);
    }
}

TEST_F(OutputCommandsTest, SaveAfterAFailedOpenReachesThePresenter)
{
    const std::string dir = fixtures::ScratchDir();
    const std::string notAvi = dir + "/fake.avi";
    ASSERT_TRUE(fixtures::WriteFile(notAvi, "no video here"));
    Open(notAvi);
    prompts.messages.clear();
    prompts.fileAnswers.push_back(ScriptedPrompts::Chosen(QString::fromStdString(dir), "x.tif"));
    dlg->OnSaveFrame();
    EXPECT_EQ(prompts.Texts(), std::vector<QString>{"Cannot draw frame - AVI open failed"});
    EXPECT_EQ(dlgtest::FilesIn(dir), std::vector<std::string>{"fake.avi"});
}

}  // namespace
