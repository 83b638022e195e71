// The agreement dialog and the start-up's agreement gate.
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/converter_app.h"
#include "dialogs/agreement_dlg.h"
#include "dialogs/agreement_text.h"
#include "platform/profile/profile.h"
#include "platform/prompts/prompts.h"
#include "resource.h"
#include "support/fixtures.h"
#include "ui_support.h"

namespace {

QPushButton* Button(const CAgreementDlg& dlg, int id)
{
    return dlg.Layout().Item<QPushButton>(id);
}

TEST(AgreementDialog, ShowsTheAgreementReadOnlyWithItsStartInViewAndTheFocusOnAccept)
{
    CAgreementDlg dlg;
    dlg.show();
    QApplication::processEvents();

    EXPECT_EQ(dlg.windowTitle(), "End-User License Agreement");
    EXPECT_FALSE(dlg.m_bAccepted);
    ASSERT_TRUE(dlg.m_editAgreement);
    EXPECT_EQ(dlg.m_editAgreement, dlg.Layout().Item(IDC_AGREEMENT_TEXT));
    // The built text, CR LF and all, is what the control holds; the widget shows each CR LF as
    // one line break.
    EXPECT_EQ(platform::GetWindowText(dlg.m_editAgreement), BuildAgreementText());
    EXPECT_EQ(dlg.m_editAgreement->document()->blockCount(),
              BuildAgreementText().count(QStringLiteral("\r\n")) + 1);
    EXPECT_FALSE(dlg.m_editAgreement->toPlainText().contains('\r'));
    EXPECT_TRUE(dlg.m_editAgreement->toPlainText().startsWith("ATTENTION\n"));

    // Read-only, but focusable, selectable and copyable; the start of the text in view.
    EXPECT_TRUE(dlg.m_editAgreement->isReadOnly());
    EXPECT_TRUE(dlg.m_editAgreement->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    EXPECT_TRUE(dlg.m_editAgreement->textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(dlg.m_editAgreement->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(dlg.m_editAgreement->verticalScrollBar()->value(), 0);
    EXPECT_GT(dlg.m_editAgreement->verticalScrollBar()->maximum(), 0) << "the text scrolls";

    EXPECT_EQ(dlg.focusWidget(), Button(dlg, IDC_ACCEPT));

    // Typing changes nothing.
    dlg.m_editAgreement->setFocus();
    uitest::PressKey(dlg.m_editAgreement, Qt::Key_X);
    uitest::PressKey(dlg.m_editAgreement, Qt::Key_Delete);
    EXPECT_EQ(platform::GetWindowText(dlg.m_editAgreement), BuildAgreementText());

    EXPECT_TRUE(Button(dlg, IDC_ACCEPT)->isDefault());
    EXPECT_EQ(Button(dlg, IDC_ACCEPT)->text(), "Accept");
    EXPECT_EQ(Button(dlg, IDC_REJECT)->text(), "Reject");

    dlg.OnAccept();  // leaves without ending the process
    EXPECT_FALSE(dlg.isVisible());
}

TEST(AgreementDialog, EnterPressesAcceptUnlessTheFocusIsOnReject)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    {
        CAgreementDlg dlg;
        dlg.show();
        QApplication::processEvents();
        uitest::PressKey(dlg.focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(dlg.m_bAccepted);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
    {
        // Enter in the text presses the default button, Accept.
        CAgreementDlg dlg;
        dlg.show();
        QApplication::processEvents();
        dlg.m_editAgreement->setFocus();
        uitest::PressKey(dlg.m_editAgreement, Qt::Key_Return);
        EXPECT_TRUE(dlg.m_bAccepted);
    }
    EXPECT_EXIT(
        {
            CAgreementDlg dlg;
            dlg.show();
            QApplication::processEvents();
            Button(dlg, IDC_REJECT)->setFocus();
            uitest::PressKey(Button(dlg, IDC_REJECT), Qt::Key_Return);
        },
        ::testing::ExitedWithCode(1), "");
}

// Every way out but Accept ends the process with status 1.
TEST(AgreementDialog, EveryOtherWayOutEndsTheProcessWithStatusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    enum class Way { Reject, Esc, CloseBox };
    for (Way way : {Way::Reject, Way::Esc, Way::CloseBox}) {
        SCOPED_TRACE(int(way));
        EXPECT_EXIT(
            {
                CAgreementDlg dlg;
                dlg.show();
                QApplication::processEvents();
                switch (way) {
                case Way::Reject:
                    Button(dlg, IDC_REJECT)->click();
                    break;
                case Way::Esc:
                    uitest::PressKey(dlg.focusWidget(), Qt::Key_Escape);
                    break;
                case Way::CloseBox:  // also what Alt+F4 sends
                    dlg.close();
                    break;
                }
                std::exit(0);  // not reached
            },
            ::testing::ExitedWithCode(1), "");
    }
}

// --- the agreement gate of the start-up ---

// The settings of the test program, where the gate keeps its marker.
class AgreementGateTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetRegistryKey("Orvanne"); }

    static std::string ConfigFile(const std::string& root)
    {
        return root + "/Orvanne/" + platform::ApplicationName().toStdString() + ".conf";
    }

    // Stores `value` as the marker (nothing when empty).
    static void Store(const std::optional<QVariant>& value)
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Orvanne",
                           platform::ApplicationName());
        if (value)
            settings.setValue("Stillcutter/EULA", *value);
        else
            settings.remove("Stillcutter/EULA");
        settings.sync();
    }
};

TEST_F(AgreementGateTest, ShowsTheAgreementUnlessTheMarkerHoldsTheAcceptanceAndStoresIt)
{
    struct Case {
        const char* name;
        std::optional<QVariant> stored;
        bool shown;
    };
    const Case cases[] = {
        {"missing", std::nullopt, true},
        {"accepted", QVariant(32322), false},
        {"one less", QVariant(32321), true},
        {"one more", QVariant(32323), true},
        {"zero", QVariant(0), true},
        {"negative", QVariant(-32322), true},
        {"not a number", QVariant("yes"), true},
    };
    const std::string file = ConfigFile(std::getenv("XDG_CONFIG_HOME"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store(c.stored);
        QString shownTitle;
        uitest::ModalAnswerer answerer([&](QWidget* window) {
            auto* dlg = qobject_cast<CAgreementDlg*>(window);
            ASSERT_TRUE(dlg);
            shownTitle = dlg->windowTitle();
            EXPECT_EQ(dlg->parentWidget(), nullptr);
            Button(*dlg, IDC_ACCEPT)->click();
        });
        CConverterApp app;
        app.RunAgreementGate();
        EXPECT_EQ(answerer.answered, c.shown ? 1 : 0);
        if (c.shown) {
            EXPECT_EQ(shownTitle, "End-User License Agreement");
        }
        EXPECT_EQ(fixtures::ReadFile(file), "[Stillcutter]\nEULA=32322\n");
        EXPECT_EQ(platform::GetProfileInt("Stillcutter", "EULA", 0), 32322);
    }
}

// A folder of settings that a death test's child process shares with its parent.
std::string SharedSettingsRoot()
{
    if (const char* inherited = std::getenv("STILLCUTTER_TEST_SHARED_SETTINGS"))
        return inherited;
    const std::string root = fixtures::ScratchDir();
    setenv("STILLCUTTER_TEST_SHARED_SETTINGS", root.c_str(), 1);
    return root;
}

TEST_F(AgreementGateTest, RejectingStoresNothingAndEndsWithStatusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string root = SharedSettingsRoot();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(root));
    const std::string file = ConfigFile(root);

    enum class Way { Reject, Esc, CloseBox };
    for (Way way : {Way::Reject, Way::Esc, Way::CloseBox}) {
        SCOPED_TRACE(int(way));
        // Nothing stored yet, or a marker that is not the acceptance: it stays as it was.
        for (const std::optional<QVariant>& before : {std::optional<QVariant>(),
                                                      std::optional<QVariant>(32321)}) {
            Store(before);
            const std::string content = fixtures::ReadFile(file);
            EXPECT_EXIT(
                {
                    uitest::ModalAnswerer answerer([way](QWidget* window) {
                        auto* dlg = qobject_cast<CAgreementDlg*>(window);
                        if (!dlg)
                            return;
                        if (way == Way::Reject)
                            Button(*dlg, IDC_REJECT)->click();
                        else if (way == Way::Esc)
                            uitest::PressKey(dlg->focusWidget(), Qt::Key_Escape);
                        else
                            dlg->close();
                    });
                    CConverterApp app;
                    app.RunAgreementGate();
                    std::exit(0);  // not reached
                },
                ::testing::ExitedWithCode(1), "");
            EXPECT_EQ(fixtures::ReadFile(file), content);
            EXPECT_EQ(platform::GetProfileInt("Stillcutter", "EULA", 0),
                      before ? before->toInt() : 0);
        }
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME")));
}

}  // namespace
