// Set Output Directory and Save Just This Frame.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include "mainwnd/converter_dlg.h"
#include "mainwnd/file_name_checks.h"
#include "platform/prompts/prompts.h"

void CConverterDlg::OnSetOutputDir()
{
    if (!MayRunFileCommand())
        return;
    const QString path =
        platform::BrowseForFolder(this, "Choose a directory to put the TIFF files in.", 0);
    if (!path.isEmpty())
        m_szOutputDir = QFile::encodeName(path).toStdString();
    // The box always ends showing the folder in force, also after a cancel.
    m_editOutputDir->setText(QFile::decodeName(m_szOutputDir.c_str()));
}

void CConverterDlg::OnSaveFrame()
{
    if (!MayRunFileCommand())
        return;

    platform::FileDialogRequest request;
    request.open = false;
    request.filter = "TIFF (*.tif)";
    const platform::FileDialogResult chosen = platform::RunFileDialog(request);
    if (!chosen.accepted)
        return;

    QString name = chosen.fileName;
    qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool appended = dot < 0;
    if (appended) {
        name += QLatin1String(".tif");
        dot = name.lastIndexOf(QLatin1Char('.'));
    }
    if (!ExtensionIs(name, dot, "tif")) {
        platform::AfxMessageBox("Please specify a file with \"tif\" extension.", platform::MB_OK);
        return;
    }

    // The file goes into the folder chosen in the dialog, whatever the current directory is.
    const QString folder =
        chosen.folder.isEmpty() ? QFileInfo(chosen.pathName).absolutePath() : chosen.folder;
    const QString path = QDir(folder).filePath(name);

    // The dialog asked about the name as typed; a name it did not ask about is asked here.
    const bool asked = chosen.askedOverwrite && !appended;
    if (!asked && QFileInfo::exists(path)) {
        const int answer = platform::AfxMessageBox(
            name + " already exists.\nDo you want to replace it?", platform::MB_YESNO);
        if (answer != platform::IDYES)
            return;
    }
    ShowFrame(nullptr, m_nCurrentFrame, m_dFps, QFile::encodeName(path).constData());
}
