// The help and about dialogs, on their own.
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <functional>

#include "dialogs/about_dlg.h"
#include "dialogs/help_dlg.h"
#include "platform/templates/templates.h"
#include "resource.h"
#include "string_table.h"
#include "ui_support.h"

namespace {

// The ways out of either dialog, each as the user takes it.
struct Close {
    const char* name;
    std::function<void(QDialog*)> act;
    int result;
};

const Close kCloses[] = {
    {"OK", [](QDialog* d) { qobject_cast<QPushButton*>(d->focusWidget())->click(); },
     QDialog::Accepted},
    {"Enter", [](QDialog* d) { uitest::PressKey(d->focusWidget(), Qt::Key_Return); },
     QDialog::Accepted},
    {"Esc", [](QDialog* d) { uitest::PressKey(d->focusWidget(), Qt::Key_Escape); },
     QDialog::Rejected},
    {"close box", [](QDialog* d) { d->close(); }, QDialog::Rejected},
};

TEST(HelpDialog, ShowsTheHelpTextReadOnlyFromItsFirstLine)
{
    for (const Close& c : kCloses) {
        SCOPED_TRACE(c.name);
        CHelpDlg dlg;
        QString text;
        int scroll = -1;
        bool readOnly = false, okFocused = false;
        uitest::ModalAnswerer answerer([&](QWidget* window) {
            ASSERT_EQ(window, &dlg);
            text = platform::GetWindowText(dlg.m_editHelp);
            scroll = dlg.m_editHelp->verticalScrollBar()->value();
            readOnly = dlg.m_editHelp->isReadOnly() &&
                       (dlg.m_editHelp->textInteractionFlags() & Qt::TextSelectableByKeyboard);
            okFocused = dlg.focusWidget() == dlg.Layout().Item(IDOK_BUTTON);
            c.act(&dlg);
        });
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_EQ(answerer.answered, 1);
        EXPECT_EQ(answerer.forced, 0);
        EXPECT_EQ(text, QString::fromLatin1(HELP_TEXT));
        EXPECT_EQ(dlg.windowTitle(), "Stillcutter Help");
        EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
        EXPECT_EQ(scroll, 0);
        EXPECT_TRUE(readOnly);
        EXPECT_TRUE(okFocused);
        // The text shows its lines, tabs kept.
        EXPECT_TRUE(dlg.m_editHelp->toPlainText().startsWith("Stillcutter 1.2\n\nWelcome,\n"));
        EXPECT_TRUE(dlg.m_editHelp->toPlainText().contains("\n\t-> This will result"));
    }
}

TEST(AboutDialog, ShowsTheIconNameAndVersion)
{
    for (const Close& c : kCloses) {
        SCOPED_TRACE(c.name);
        CAboutDlg dlg;
        QString version;
        QSize icon;
        uitest::ModalAnswerer answerer([&](QWidget* window) {
            ASSERT_EQ(window, &dlg);
            version = platform::GetWindowText(dlg.Layout().Item(IDC_VERSION));
            const QVector<QWidget*>& controls = dlg.Layout().Controls();
            ASSERT_EQ(controls.size(), 3);
            if (auto* label = qobject_cast<QLabel*>(controls[2]))
                icon = label->pixmap().size();
            c.act(&dlg);
        });
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_EQ(answerer.answered, 1);
        EXPECT_EQ(dlg.windowTitle(), "About");
        EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
        EXPECT_EQ(version, "Stillcutter Version 1.2");
        EXPECT_EQ(icon, QSize(32, 32));
    }
}

TEST(AppIcon, HasBothSizes)
{
    const QIcon icon = platform::LoadAppIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    for (int size : {16, 32}) {
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        SCOPED_TRACE(size);
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 0) << "the middle is drawn";
    }
}

}  // namespace
