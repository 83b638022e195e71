// In progress: replaced by the real implementation.
#include "mainwnd/converter_dlg.h"
void CConverterDlg::OnOpenAvi() {}
void CConverterDlg::OnExit() {}
void CConverterDlg::reject() { QDialog::reject(); }
void CConverterDlg::accept() { QDialog::accept(); }
void CConverterDlg::EndAfterClosing(int r) { done(r); }
void CConverterDlg::StopAndClose() {}
void CConverterDlg::WaitForConversionEnd() {}
