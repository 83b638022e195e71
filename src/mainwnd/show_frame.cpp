// ShowFrame, the frame presenter, and OnHScroll, the slider.
//
// On the user-interface thread a frame is composed and put on screen at once. On the
// conversion worker it goes through a mailbox: the worker copies a frame only when the window
// has presented the one before (and not more often than the screen needs), so that a batch
// never waits for the screen; the window always presents the newest.
#include <QFile>
#include <QLineEdit>
#include <QSlider>
#include <QThread>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "mainwnd/converter_dlg.h"
#include "mainwnd/preview_placement.h"
#include "platform/prompts/prompts.h"
#include "stills/frame_file_name.h"
#include "stills/write_tiff.h"

namespace {

// The worker hands a frame to the window at most this often (ten frames a second).
constexpr std::chrono::milliseconds kMinHandOverInterval{100};

QString FormatIndex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
    return QString::fromLatin1(text);
}

uint32_t ReadHeaderField(const uint8_t* dib, size_t offset)
{
    uint32_t value;
    std::memcpy(&value, dib + offset, sizeof value);  // little-endian, as the DIB lays it out
    return value;
}

// The picture of a frame, with its top row first, in an image of its own. The DIB layout has
// 24-bit B,G,R rows at the DIB stride, bottom row first (turned over in the one pass that
// copies it); the RGB layout has the TIFF's R,G,B rows, top row first, 3 x width apart.
// Null when it cannot be allocated.
QImage ComposeFrame(const uint8_t* rows, uint32_t width, uint32_t height,
                    platform::FrameLayout layout)
{
    if (width == 0 || height == 0 || width > uint32_t(INT_MAX / 3) || height > uint32_t(INT_MAX))
        return {};
    if (layout == platform::FrameLayout::Rgb) {
        const QImage view(rows, int(width), int(height), qsizetype(3) * width,
                          QImage::Format_RGB888);
        return view.copy();
    }
    const QImage view(rows, int(width), int(height), qsizetype(platform::DibStride(width)),
                      QImage::Format_BGR888);
    return view.mirrored(false, true);
}

// The frame index under slider position `pos` of a slider whose range ends at `max`:
// (pos / max) x count, truncated toward zero, taken as unsigned 32 bits, and clamped to the
// last frame.
uint32_t FrameUnderThumb(int pos, int max, uint32_t count)
{
    const double f = (double(pos) / double(max)) * double(count);
    if (!(f > -1.0) || f >= double(count))  // also NaN and negatives, which wrap past the end
        return count - 1;
    return f < 0.0 ? 0u : static_cast<uint32_t>(f);
}

}  // namespace

bool CConverterDlg::ShowFrame(const char* directory, uint32_t frame, double fps,
                              const char* fileName)
{
    const bool onWorker = QThread::currentThread() != thread();

    if (!m_bAviOpen) {
        ReportToUser("Cannot draw frame - AVI open failed", platform::MB_OK);
        return false;
    }
    // A batch takes the frame in the TIFF's own layout, which its file is written from as it
    // is; the window's fetches take the DIB.
    const platform::FrameLayout layout =
        onWorker ? platform::FrameLayout::Rgb : platform::FrameLayout::Dib;
    const uint8_t* bits =
        onWorker ? m_pGetFrame->GetFrameRgb(frame) : m_pGetFrame->GetFrame(frame);
    if (!bits) {
        m_pFrameBits = nullptr;  // the previous frame's memory went with this fetch
        ReportToUser("Unable to read frames from AVI", platform::MB_OK);
        return false;
    }
    // On the worker the index reaches the box with the picture (see HandOverFrame).
    if (!onWorker) {
        m_editCurrentFrame->setText(FormatIndex(frame));
        m_editCurrentFrame->repaint();
    }
    m_nCurrentFrame = frame;
    m_frameBitsLayout = layout;
    m_pFrameBits = layout == platform::FrameLayout::Rgb
                       ? bits
                       : bits + ReadHeaderField(bits, 0) + 4u * ReadHeaderField(bits, 32);

    bool written = true;
    if (directory || fileName) {
        // A rate that cannot name frames (below 1, not a number, too large) writes nothing.
        if (!(fps >= 1.0) || (!fileName && !IsNamingRate(fps))) {
            ReportToUser("Cannot draw frame - FPS value is 0", platform::MB_OK);
            return false;
        }
        const std::string name =
            fileName ? std::string(fileName) : MakeFrameFileName(directory, frame, fps);
        written = layout == platform::FrameLayout::Rgb
                      ? WriteTiffRgb(name.c_str(), m_nFrameWidth, m_nFrameHeight, m_pFrameBits)
                      : WriteTiff(name.c_str(), m_nFrameWidth, m_nFrameHeight, m_pFrameBits);
        if (!written)
            ReportToUser("Unable to write the TIFF file:\n" + QFile::decodeName(name.c_str()),
                         platform::MB_ICONERROR);
    }

    if (onWorker) {
        HandOverFrame(frame);
        return written;
    }
    const QImage picture =
        ComposeFrame(m_pFrameBits, m_nFrameWidth, m_nFrameHeight, m_frameBitsLayout);
    if (picture.isNull()) {
        platform::AfxMessageBox("cannot create bitmap", platform::MB_ICONERROR);
        return written;
    }
    PresentFrame(picture, frame, !m_bConverting);
    return written;
}

void CConverterDlg::PresentFrame(const QImage& frame, uint32_t index, bool toPreviewStore)
{
    (void)index;  // the box already shows it
    if (toPreviewStore && m_pPreviewDC && m_pPreviewDC->isActive())
        m_pPreviewDC->drawImage(0, 0, frame);

    const QRect rc = PreviewPlacement(uint32_t(frame.width()), uint32_t(frame.height()),
                                      frameGeometry().width());
    QImage onScreen =
        rc.size() == frame.size()
            ? frame
            : frame.scaled(rc.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (onScreen.isNull()) {
        platform::AfxMessageBox("cannot draw bitmap", platform::MB_ICONERROR);
        return;
    }
    // Both the old and the new place are repainted, so no part of an older frame stays.
    const QRect dirty = m_rcOnScreen.united(rc);
    m_imgOnScreen = std::move(onScreen);
    m_rcOnScreen = rc;
    repaint(dirty);
}

// Worker: offers the frame just fetched to the window, unless the window has not presented
// the previous one yet or presented one a moment ago.
void CConverterDlg::HandOverFrame(uint32_t frame)
{
    thread_local std::chrono::steady_clock::time_point lastHandOver{};
    const auto now = std::chrono::steady_clock::now();
    if (now - lastHandOver < kMinHandOverInterval)
        return;
    {
        std::lock_guard lock(m_mailboxMutex);
        if (m_mailboxPending)
            return;
    }
    QImage picture =
        ComposeFrame(m_pFrameBits, m_nFrameWidth, m_nFrameHeight, m_frameBitsLayout);
    if (picture.isNull())
        return;  // not enough memory for a preview: the batch goes on without it
    lastHandOver = now;
    bool wake = false;
    {
        std::lock_guard lock(m_mailboxMutex);
        m_mailboxImage = std::move(picture);
        m_mailboxIndex = frame;
        m_mailboxPending = true;
        wake = NeedsWake();
    }
    if (wake)
        Wake();
}

// Worker, after the last frame of a run: that frame goes on show, and the call returns once
// it is there, while the run still counts as converting (so the store is left alone).
void CConverterDlg::ShowLastFrame()
{
    if (!m_pFrameBits)
        return;  // the last fetch failed: no frame in hand
    QImage picture =
        ComposeFrame(m_pFrameBits, m_nFrameWidth, m_nFrameHeight, m_frameBitsLayout);
    if (picture.isNull())
        return;
    const uint32_t index = m_nCurrentFrame;
    {
        // Whatever frame still waits in the mailbox is older; no other follows in this run.
        std::lock_guard lock(m_mailboxMutex);
        m_mailboxImage = QImage();
        m_mailboxPending = false;
    }
    CallOnUiThread([this, &picture, index] {
        m_editCurrentFrame->setText(FormatIndex(index));
        m_editCurrentFrame->repaint();
        PresentFrame(picture, index, false);
    });
}

void CConverterDlg::CallOnUiThread(std::function<void()> call)
{
    bool done = false;
    std::unique_lock lock(m_mailboxMutex);
    m_mailboxCall = [this, &done, call = std::move(call)] {
        call();
        std::lock_guard doneLock(m_mailboxMutex);
        done = true;
        m_mailboxCallDone.notify_all();
    };
    if (NeedsWake()) {
        lock.unlock();
        Wake();
        lock.lock();
    }
    m_mailboxCallDone.wait(lock, [&done] { return done; });
}

int CConverterDlg::ReportToUser(const QString& text, unsigned type)
{
    if (QThread::currentThread() == thread())
        return platform::AfxMessageBox(text, type);
    int answer = platform::IDOK;
    CallOnUiThread([&answer, &text, type] { answer = platform::AfxMessageBox(text, type); });
    return answer;
}

void CConverterDlg::OnHScroll(int code, int position)
{
    if (m_bConverting)
        return;
    if (code != TB_PAGEUP && code != TB_PAGEDOWN && code != TB_THUMBPOSITION &&
        code != TB_THUMBTRACK)
        return;  // arrow keys, Home and End move the thumb only
    if (!m_bAviOpen)
        return;
    const int max = m_sliderFrame->maximum();
    const int pos =
        (code == TB_PAGEUP || code == TB_PAGEDOWN) ? m_sliderFrame->sliderPosition() : position;
    ShowFrame(nullptr, FrameUnderThumb(pos, max, m_nFrameCount), m_dFps, nullptr);
}
