#include "dialogs/about_dlg.h"

#include <QPushButton>

#include "resource.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    m_layout.Build(this, platform::LoadDialogTemplate(QStringLiteral("IDD_ABOUT")));
    connect(m_layout.Item<QPushButton>(IDOK_BUTTON), &QPushButton::clicked, this,
            &CAboutDlg::OnOK);
    m_layout.Item(IDOK_BUTTON)->setFocus(Qt::OtherFocusReason);
}

CAboutDlg::~CAboutDlg() = default;

int CAboutDlg::DoModal() { return exec(); }

void CAboutDlg::OnOK() { accept(); }
