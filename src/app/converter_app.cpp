#include "app/converter_app.h"

#include <QString>

#include "dialogs/agreement_dlg.h"
#include "mainwnd/converter_dlg.h"
#include "platform/profile/profile.h"
#include "platform/prompts/prompts.h"
#include "string_table.h"

namespace {

// The agreement marker: the entry "EULA" in the section named after the program.
QString Section() { return QString::fromLatin1(PROGRAM_NAME); }
QString Entry() { return QStringLiteral("EULA"); }

}  // namespace

bool CConverterApp::InitInstance()
{
    platform::SetRegistryKey(QString::fromLatin1(AUTHOR_NAME));
    RunAgreementGate();
    RunMainDialog();
    return false;
}

void CConverterApp::RunAgreementGate()
{
    if (platform::GetProfileInt(Section(), Entry(), 0) == AGREEMENT_ACCEPTED)
        return;
    CAgreementDlg dlg;  // no parent: no main window exists yet
    // It returns only through Accept. A write that fails is not reported: the agreement is
    // then shown again at the next start.
    if (dlg.DoModal() != 0)
        platform::WriteProfileInt(Section(), Entry(), AGREEMENT_ACCEPTED);
}

void CConverterApp::RunMainDialog()
{
    CConverterDlg dlg;
    platform::SetPromptOwner(&dlg);  // the application's main window: it owns every message box
    dlg.DoModal();
}
