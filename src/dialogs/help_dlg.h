// CHelpDlg: the help text, opened by F1 in the main dialog.
#pragma once

#include <QDialog>

#include "platform/templates/templates.h"

class QPlainTextEdit;

class CHelpDlg : public QDialog {
    Q_OBJECT

public:
    explicit CHelpDlg(QWidget* parent = nullptr);
    ~CHelpDlg() override;

    int DoModal();

    const platform::DialogLayout& Layout() const { return m_layout; }

protected:
    void DoDataExchange();
    bool OnInitDialog();

    void showEvent(QShowEvent* event) override;

private:
    platform::DialogLayout m_layout;
    bool m_bInitDone = false;

public:
    QPlainTextEdit* m_editHelp = nullptr;
};
