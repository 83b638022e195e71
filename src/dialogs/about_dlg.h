// CAboutDlg: the program's icon, name and version.
#pragma once

#include <QDialog>

#include "platform/templates/templates.h"

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;

    int DoModal();
    void OnOK();

    const platform::DialogLayout& Layout() const { return m_layout; }

private:
    platform::DialogLayout m_layout;
};
