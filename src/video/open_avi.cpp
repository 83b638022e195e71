// In progress: replaced by the real implementation.
#include "mainwnd/converter_dlg.h"
bool CConverterDlg::OpenAvi(const char*) { return false; }
void CConverterDlg::CloseAvi() {}
