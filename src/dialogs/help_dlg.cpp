#include "dialogs/help_dlg.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "resource.h"
#include "string_table.h"

CHelpDlg::CHelpDlg(QWidget* parent) : QDialog(parent)
{
    m_layout.Build(this, platform::LoadDialogTemplate(QStringLiteral("IDD_HELP")));
    DoDataExchange();
    // OK ends the dialog with IDOK; Esc and the close box with IDCANCEL.
    connect(m_layout.Item<QPushButton>(IDOK_BUTTON), &QPushButton::clicked, this,
            &QDialog::accept);
}

CHelpDlg::~CHelpDlg() = default;

int CHelpDlg::DoModal() { return exec(); }

void CHelpDlg::DoDataExchange()
{
    m_editHelp = m_layout.Item<QPlainTextEdit>(IDC_HELP_TEXT);
    if (!m_editHelp)
        qFatal("IDD_HELP has no multi-line edit IDC_HELP_TEXT");
}

bool CHelpDlg::OnInitDialog()
{
    platform::SetWindowText(m_editHelp, QString::fromLatin1(HELP_TEXT));
    m_editHelp->verticalScrollBar()->setValue(0);  // opens with its first line in view
    m_layout.Item(IDOK_BUTTON)->setFocus(Qt::OtherFocusReason);
    return true;
}

void CHelpDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}
