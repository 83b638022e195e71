#include "dialogs/agreement_dlg.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <cstdlib>

#include "dialogs/agreement_text.h"
#include "resource.h"

namespace {

// The status of every end of the agreement but Accept.
constexpr int kRejectedStatus = 1;

[[noreturn]] void EndProcessRejected()
{
    // The normal exit path: exit handlers and the destructors of static objects run.
    std::exit(kRejectedStatus);
}

}  // namespace

CAgreementDlg::CAgreementDlg(QWidget* parent) : QDialog(parent)
{
    m_layout.Build(this, platform::LoadDialogTemplate(QStringLiteral("IDD_AGREEMENT")));
    DoDataExchange();
    connect(m_layout.Item<QPushButton>(IDC_REJECT), &QPushButton::clicked, this,
            &CAgreementDlg::OnReject);
    connect(m_layout.Item<QPushButton>(IDC_ACCEPT), &QPushButton::clicked, this,
            &CAgreementDlg::OnAccept);
}

CAgreementDlg::~CAgreementDlg() = default;

int CAgreementDlg::DoModal() { return exec(); }

void CAgreementDlg::DoDataExchange()
{
    m_editAgreement = m_layout.Item<QPlainTextEdit>(IDC_AGREEMENT_TEXT);
    if (!m_editAgreement)
        qFatal("IDD_AGREEMENT has no multi-line edit IDC_AGREEMENT_TEXT");
}

bool CAgreementDlg::OnInitDialog()
{
    m_bAccepted = false;
    platform::SetWindowText(m_editAgreement, BuildAgreementText());
    m_editAgreement->verticalScrollBar()->setValue(0);  // opens with its start in view
    m_layout.Item(IDC_ACCEPT)->setFocus(Qt::OtherFocusReason);
    return true;
}

void CAgreementDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitDone) {
        m_bInitDone = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CAgreementDlg::OnAccept()
{
    m_bAccepted = true;
    accept();
}

void CAgreementDlg::OnReject()
{
    m_bAccepted = false;
    EndProcessRejected();
}

void CAgreementDlg::done(int result)
{
    if (!m_bAccepted)
        EndProcessRejected();
    QDialog::done(result);
}
