// In progress: replaced by the real implementation.
#include "mainwnd/converter_dlg.h"
void CConverterDlg::OnSetOutputDir() {}
void CConverterDlg::OnSaveFrame() {}
