// In progress: replaced by the real implementation.
#include "mainwnd/converter_dlg.h"
CConverterDlg::CConverterDlg(QWidget* parent) : QDialog(parent) {}
CConverterDlg::~CConverterDlg() = default;
int CConverterDlg::DoModal() { return exec(); }
void CConverterDlg::DoDataExchange() {}
bool CConverterDlg::OnInitDialog() { return true; }
void CConverterDlg::OnSysCommand(unsigned) {}
void CConverterDlg::OnPaint(QPainter&) {}
void CConverterDlg::OnAbout() {}
bool CConverterDlg::OnHelpInfo() { return true; }
void CConverterDlg::paintEvent(QPaintEvent*) {}
void CConverterDlg::closeEvent(QCloseEvent*) {}
void CConverterDlg::contextMenuEvent(QContextMenuEvent*) {}
bool CConverterDlg::event(QEvent* e) { return QDialog::event(e); }
