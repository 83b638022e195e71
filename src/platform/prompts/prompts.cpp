// In progress: replaced by the real implementation.
#include "platform/prompts/prompts.h"
namespace platform {
QString ApplicationName() { return "Stillcutter"; }
void SetPromptOwner(QWidget*) {}
QWidget* PromptOwner() { return nullptr; }
int AfxMessageBox(const QString&, unsigned, unsigned) { return IDOK; }
FileDialogResult RunFileDialog(const FileDialogRequest&) { return {}; }
QString BrowseForFolder(QWidget*, const QString&, unsigned) { return {}; }
void InstallPromptsSeam(PromptsSeam*) {}
}  // namespace platform
