// Open AVI, Exit, and the ends of the dialog (close box, Esc, OK).
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTimer>

#include <cstdlib>
#include <utility>

#include "mainwnd/converter_dlg.h"
#include "mainwnd/file_name_checks.h"
#include "mainwnd/process_exit.h"
#include "platform/prompts/prompts.h"

namespace {

ProcessExitHook& ExitHook()
{
    static ProcessExitHook hook;
    return hook;
}

}  // namespace

void SetProcessExitHook(ProcessExitHook hook) { ExitHook() = std::move(hook); }

void ExitProcess(int status)
{
    if (ExitHook()) {
        ExitHook()(status);
        return;
    }
    std::exit(status);
}

void CConverterDlg::OnOpenAvi()
{
    if (m_bConverting) {
        platform::AfxMessageBox("Please stop the conversion first.", platform::MB_OK);
        return;
    }
    // The open video is closed first, and stays closed whatever the user does next.
    if (m_bAviOpen)
        CloseAvi();

    platform::FileDialogRequest request;
    request.open = true;
    request.filter = "AVI Files (*.avi)";
    const platform::FileDialogResult chosen = platform::RunFileDialog(request);
    if (!chosen.accepted) {
        m_editOutputDir->setText(QFile::decodeName(m_szOutputDir.c_str()));
        return;
    }

    const QString name = chosen.fileName;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        platform::AfxMessageBox("Invalid file name.", platform::MB_OK);
        return;
    }
    if (!ExtensionIs(name, dot, "avi")) {
        platform::AfxMessageBox("Please select a file with \"avi\" extension.", platform::MB_OK);
        return;
    }

    m_editInputFile->setText(name);
    m_strAviPath = chosen.pathName;
    if (!OpenAvi(QFile::encodeName(m_strAviPath).constData())) {
        platform::AfxMessageBox("Unable to read the selected file.", platform::MB_OK);
        m_bAviOpen = false;
        return;
    }
    m_editOutputDir->setText(QFile::decodeName(m_szOutputDir.c_str()));
}

void CConverterDlg::OnExit()
{
    StopAndClose();
    ExitProcess(0);
}

void CConverterDlg::reject() { EndAfterClosing(QDialog::Rejected); }

void CConverterDlg::accept() { EndAfterClosing(QDialog::Accepted); }

void CConverterDlg::EndAfterClosing(int result)
{
    StopAndClose();
    QDialog::done(result);
}

void CConverterDlg::StopAndClose()
{
    if (m_bConverting)
        m_bStopRequested = true;
    // The worker uses the stream until its last frame is done: it must have ended first.
    WaitForConversionEnd();
    if (m_bAviOpen)
        CloseAvi();
}

void CConverterDlg::WaitForConversionEnd()
{
    // The worker's last calls (progress, the last frame, messages it waits on) are handled by
    // this thread, so the wait keeps handling events.
    while (m_bConverting) {
        QEventLoop loop;
        connect(this, &CConverterDlg::ConversionEnded, &loop, &QEventLoop::quit);
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // Once the flag is down the worker only has its last, non-blocking call to make.
    if (m_worker.joinable())
        m_worker.join();
}

bool CConverterDlg::MayRunFileCommand()
{
    if (m_bConverting) {
        platform::AfxMessageBox("Please stop the conversion first.", platform::MB_OK);
        return false;
    }
    if (m_strAviPath.isEmpty()) {
        platform::AfxMessageBox("You must select an AVI file first.", platform::MB_OK);
        return false;
    }
    return true;
}
