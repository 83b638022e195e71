// OpenAvi and CloseAvi: the one video stream of the main dialog, its properties in the boxes,
// and the preview store at the frame size.
#include <QDebug>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>

#include <climits>
#include <cmath>
#include <cstdio>

#include "convert/frame_range.h"
#include "mainwnd/converter_dlg.h"
#include "platform/prompts/prompts.h"

namespace {

QString FormatSigned(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return QString::fromLatin1(text);
}

QString FormatUnsigned(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(value));
    return QString::fromLatin1(text);
}

QString FormatRate(double fps)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", fps);
    return QString::fromLatin1(text);
}

// Whole seconds of `frames` at `fps`, truncated toward zero and kept to 32 bits; a quotient
// that is no finite number (a rate of 0 or none) counts as 0.
uint32_t WholeSeconds(uint32_t frames, double fps)
{
    const double seconds = double(frames) / fps;
    if (!std::isfinite(seconds) || std::fabs(seconds) >= 9.2e18)
        return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(seconds)));
}

// The duration as the box shows it: the whole seconds plus one.
QString FormatDuration(uint32_t frames, double fps)
{
    const uint32_t s = WholeSeconds(frames, fps) + 1u;
    char text[48];
    std::snprintf(text, sizeof text, "%02lu:%02lu:%02lu", static_cast<unsigned long>(s / 3600),
                  static_cast<unsigned long>((s / 60) % 60), static_cast<unsigned long>(s % 60));
    return QString::fromLatin1(text);
}

}  // namespace

bool CConverterDlg::OpenAvi(const char* path)
{
    m_progress->setRange(0, PROGRESS_MAX);

    std::string error;
    std::unique_ptr<platform::AviStream> stream = platform::AviStream::Open(path, &error);
    if (!stream) {
        qDebug() << "cannot open" << path << ":" << error.c_str();
        return false;
    }
    // A stream without frames has no frame to show and no last frame: it is not opened.
    if (stream->Length() == 0) {
        qDebug() << "no frames in" << path;
        return false;
    }
    m_pStream = std::move(stream);
    m_streamInfo = m_pStream->Info();

    m_nFrameWidth =
        static_cast<uint32_t>(m_streamInfo.right) - static_cast<uint32_t>(m_streamInfo.left);
    m_nFrameHeight =
        static_cast<uint32_t>(m_streamInfo.bottom) - static_cast<uint32_t>(m_streamInfo.top);
    m_editFrameWidth->setText(FormatSigned(m_nFrameWidth));
    m_editFrameHeight->setText(FormatSigned(m_nFrameHeight));

    m_nFrameCount = m_pStream->Length();
    m_dFps = double(m_streamInfo.dwRate) / double(m_streamInfo.dwScale);

    m_pGetFrame = platform::AviFrameSource::Open(*m_pStream, &error);
    if (!m_pGetFrame) {
        qDebug() << "no decoder for" << path << ":" << error.c_str();
        m_pStream.reset();
        platform::AfxMessageBox(
            "Unable to decompress AVI stream -- do you have the proper codec installed?",
            platform::MB_OK);
        return false;
    }

    m_editStartFrame->setText("0");
    const QString last = FormatUnsigned(m_nFrameCount - 1);
    m_editEndFrame->setText(last);
    m_editTotalFrames->setText(last);

    // A tick at every position; the range (0 to 100) and the thumb stay as they are.
    m_sliderFrame->setTickPosition(QSlider::TicksAbove);
    m_sliderFrame->setTickInterval(1);

    m_editFps->setText(FormatRate(m_dFps));
    m_editDuration->setText(FormatDuration(m_nFrameCount, m_dFps));

    // The preview store: a frame-sized image and a painter open on it.
    m_pPreviewDC.reset();
    m_bmpPreview = QImage();
    m_pPreviewDC = std::make_unique<QPainter>();
    if (m_nFrameWidth <= uint32_t(INT_MAX) && m_nFrameHeight <= uint32_t(INT_MAX))
        m_bmpPreview = QImage(int(m_nFrameWidth), int(m_nFrameHeight), QImage::Format_RGB32);
    if (m_bmpPreview.isNull()) {
        platform::AfxMessageBox("cannot create bitmap", platform::MB_OK);
    } else {
        m_bmpPreview.fill(Qt::black);
        m_pPreviewDC->begin(&m_bmpPreview);
        m_pPreviewDC->setCompositionMode(QPainter::CompositionMode_Source);
    }

    m_bAviOpen = true;
    ShowFrame(nullptr, 0, m_dFps, nullptr);
    return true;
}

void CConverterDlg::CloseAvi()
{
    // The decoder goes before the stream it reads.
    m_pGetFrame.reset();
    m_pStream.reset();
    m_pFrameBits = nullptr;  // pointed into the decoder's frame
    m_bAviOpen = false;

    // The whole dialog is repainted; with no video open the preview box stays empty.
    m_imgOnScreen = QImage();
    m_rcOnScreen = QRect();
    update();

    // The painter goes before the image it paints on.
    m_pPreviewDC.reset();
    m_bmpPreview = QImage();
}
