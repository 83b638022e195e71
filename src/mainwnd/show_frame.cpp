// In progress: replaced by the real implementation.
#include "mainwnd/converter_dlg.h"
bool CConverterDlg::ShowFrame(const char*, uint32_t, double, const char*) { return false; }
void CConverterDlg::OnHScroll(int, int) {}
void CConverterDlg::PresentFrame(const QImage&, uint32_t, bool) {}
void CConverterDlg::PresentPendingFrame() {}
