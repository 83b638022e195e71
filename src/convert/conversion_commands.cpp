// In progress: replaced by the real implementation.
#include "mainwnd/converter_dlg.h"
void CConverterDlg::OnStartConversion() {}
void CConverterDlg::OnStop() {}
void CConverterDlg::SendProgressPos(int) {}
void CConverterDlg::SetEndFrameText(const std::string&) {}
void CConverterDlg::PrepareRange(uint32_t, uint32_t) {}
bool CConverterDlg::ConvertFrame(uint32_t) { return false; }
void CConverterDlg::Beep(unsigned, unsigned) {}
void CConverterDlg::ConversionFinished() {}
void CConverterDlg::SetProgressPos(int) {}
