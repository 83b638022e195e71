// Start Conversion and Stop, and the dialog's side of the conversion worker.
//
// The worker never touches a widget. What it has for the window (progress positions, the
// corrected end, the newest frame, a call it waits for such as a message box, the end of its
// run) goes into the mailbox under m_mailboxMutex, and one queued call, TakeWorkerMail, has
// the user-interface thread apply it; while that call is on its way the worker only adds to
// the mailbox. The worker's waits use the mailbox's own mutex and condition variable, so the
// hand-over of every piece of data is ordered by the program's own synchronisation.
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "convert/frame_range.h"
#include "mainwnd/converter_dlg.h"
#include "platform/prompts/prompts.h"
#include "platform/sound/sound.h"

namespace {

// The range boxes are read as the C library reads a 100-byte buffer: 98 characters at most.
constexpr qsizetype kRangeTextLimit = 98;

QString FormatIndex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
    return QString::fromLatin1(text);
}

}  // namespace

void CConverterDlg::OnStartConversion()
{
    if (!MayRunFileCommand())
        return;
    // The chosen file failed to open: there is nothing to convert, and one message says so.
    if (!m_bAviOpen) {
        platform::AfxMessageBox("Cannot draw frame - AVI open failed", platform::MB_OK);
        return;
    }

    // A run that ended a moment ago may not have been joined yet; its flag is down, so it
    // has nothing left to do but return.
    if (m_worker.joinable())
        m_worker.join();

    // The worker reads no widget: the two texts are taken here.
    m_strRunStart = m_editStartFrame->text().left(kRangeTextLimit).toStdString();
    m_strRunEnd = m_editEndFrame->text().left(kRangeTextLimit).toStdString();
    m_pFrameBits = nullptr;  // no frame of this run in hand yet
    {
        std::lock_guard lock(m_mailboxMutex);
        m_mailboxImage = QImage();
        m_mailboxPending = false;
    }

    m_bStopRequested = false;
    // Set before the thread exists, so that a second Start is refused at once.
    m_bConverting = true;
    try {
        m_worker = std::thread(ConversionThreadProc,
                               static_cast<void*>(static_cast<ConversionHost*>(this)));
    } catch (const std::system_error&) {
        m_bConverting = false;
    }
}

void CConverterDlg::OnStop()
{
    if (m_bConverting)
        m_bStopRequested = true;
}

void CConverterDlg::SetProgressPos(int pos)
{
    m_progress->setValue(std::clamp(pos, m_progress->minimum(), m_progress->maximum()));
    emit ProgressPositionSent(pos);
}

void CConverterDlg::TakeWorkerMail()
{
    std::vector<int> positions;
    QString endText;
    bool hasEndText = false;
    QImage picture;
    uint32_t index = 0;
    std::function<void()> call;
    bool finished = false;
    {
        std::lock_guard lock(m_mailboxMutex);
        m_mailboxWakePosted = false;
        positions.swap(m_mailboxPositions);
        if (m_mailboxHasEndText) {
            endText = QString::fromStdString(m_mailboxEndText);
            hasEndText = true;
            m_mailboxHasEndText = false;
        }
        picture = std::move(m_mailboxImage);
        m_mailboxImage = QImage();
        index = m_mailboxIndex;
        call.swap(m_mailboxCall);
        finished = m_mailboxFinished;
        m_mailboxFinished = false;
    }

    for (int pos : positions)
        SetProgressPos(pos);
    if (hasEndText)
        m_editEndFrame->setText(endText);
    if (!picture.isNull()) {
        m_editCurrentFrame->setText(FormatIndex(index));
        m_editCurrentFrame->repaint();
        PresentFrame(picture, index, false);
        std::lock_guard lock(m_mailboxMutex);
        if (m_mailboxImage.isNull())
            m_mailboxPending = false;  // the worker may offer the next frame
    }
    if (call)
        call();  // the worker waits for it (a message box, the run's last frame)
    if (finished) {
        // Joined here unless a later Start or a wait did it already. While a newer run is
        // going (its flag is up) its thread is left alone.
        if (!m_bConverting && m_worker.joinable())
            m_worker.join();
        emit ConversionEnded();
    }
}

// --- ConversionHost, called on the worker ---

bool CConverterDlg::NeedsWake()
{
    if (m_mailboxWakePosted)
        return false;
    m_mailboxWakePosted = true;
    return true;
}

void CConverterDlg::Wake()
{
    // By name, so that the call carries no data of the worker's: all of it is in the mailbox.
    QMetaObject::invokeMethod(this, "TakeWorkerMail", Qt::QueuedConnection);
}

void CConverterDlg::SendProgressPos(int pos)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mailboxMutex);
        m_mailboxPositions.push_back(pos);
        wake = NeedsWake();
    }
    if (wake)
        Wake();
}

void CConverterDlg::SetEndFrameText(const std::string& text)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mailboxMutex);
        m_mailboxEndText = text;
        m_mailboxHasEndText = true;
        wake = NeedsWake();
    }
    if (wake)
        Wake();
}

void CConverterDlg::PrepareRange(uint32_t first, uint32_t last)
{
    // In the layout the worker's fetches take (see ShowFrame).
    m_pGetFrame->ReadAhead(first, last, platform::FrameLayout::Rgb);
}

bool CConverterDlg::ConvertFrame(uint32_t frame)
{
    return ShowFrame(m_szOutputDir.c_str(), frame, m_dFps, nullptr);
}

void CConverterDlg::Beep(unsigned frequency, unsigned milliseconds)
{
    platform::Beep(frequency, milliseconds);
}

void CConverterDlg::ConversionFinished()
{
    bool wake = false;
    {
        std::lock_guard lock(m_mailboxMutex);
        m_mailboxFinished = true;
        wake = NeedsWake();
    }
    if (wake)
        Wake();
}
