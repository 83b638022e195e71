// CAgreementDlg: the end-user agreement, shown until it has been accepted once. It returns only
// through Accept; every other way out of it ends the process with status 1.
#pragma once

#include <QDialog>

#include "platform/templates/templates.h"

class QPlainTextEdit;

class CAgreementDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAgreementDlg(QWidget* parent = nullptr);
    ~CAgreementDlg() override;

    // Runs the dialog modally; returns IDOK (1) after Accept and does not return otherwise.
    int DoModal();

    void OnAccept();
    void OnReject();  // ends the process with status 1

    const platform::DialogLayout& Layout() const { return m_layout; }

protected:
    void DoDataExchange();
    bool OnInitDialog();

    void showEvent(QShowEvent* event) override;
    // Every end of the dialog passes here (Esc, the close box, Alt+F4): unless the agreement
    // was accepted, the process ends with status 1 and the dialog is not closed first.
    void done(int result) override;

private:
    platform::DialogLayout m_layout;
    bool m_bInitDone = false;

public:
    bool m_bAccepted = false;
    QPlainTextEdit* m_editAgreement = nullptr;
};
