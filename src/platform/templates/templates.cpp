// In progress: replaced by the real implementation.
#include "platform/templates/templates.h"
namespace platform {
const DialogTemplate& LoadDialogTemplate(const QString&) { static DialogTemplate t; return t; }
void DialogLayout::Build(QDialog*, const DialogTemplate&) {}
int DialogLayout::ToPixelsX(int x) const { return x * m_baseX / 4; }
int DialogLayout::ToPixelsY(int y) const { return y * m_baseY / 8; }
}  // namespace platform
