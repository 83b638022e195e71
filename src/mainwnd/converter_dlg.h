// CConverterDlg: the program's one working window and its single state record.
//
// Its implementation is spread over the folders of the layers:
//   mainwnd/converter_dlg.cpp     layout, fields, start, system commands, painting, help, about
//   mainwnd/show_frame.cpp        ShowFrame and the slider
//   mainwnd/file_commands.cpp     Open AVI, Exit, the close branch, Esc and OK
//   mainwnd/output_commands.cpp   Set Output Directory, Save Just This Frame
//   video/open_avi.cpp            OpenAvi, CloseAvi
//   convert/conversion_commands.cpp  Start, Stop and the worker's host calls
#pragma once

#include <QDialog>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "convert/conversion_thread.h"
#include "platform/avifile/avifile.h"
#include "platform/templates/templates.h"

class QLineEdit;
class QPushButton;
class QProgressBar;
class QSlider;

// Trackbar notification codes, as OnHScroll receives them.
enum TrackbarCode {
    TB_LINEUP = 0,
    TB_LINEDOWN = 1,
    TB_PAGEUP = 2,
    TB_PAGEDOWN = 3,
    TB_THUMBPOSITION = 4,
    TB_THUMBTRACK = 5,
    TB_TOP = 6,
    TB_BOTTOM = 7,
    TB_ENDTRACK = 8,
};

class CConverterDlg : public QDialog, private ConversionHost {
    Q_OBJECT
    friend class ConverterDlgTestAccess;  // tests/mainwnd: reads what is on screen

public:
    explicit CConverterDlg(QWidget* parent = nullptr);
    ~CConverterDlg() override;

    // Shows the dialog and runs it modally until it ends; returns its result.
    int DoModal();

    // --- the video stream (video/open_avi.cpp) ---
    bool OpenAvi(const char* path);
    void CloseAvi();

    // --- the frame presenter (mainwnd/show_frame.cpp) ---
    // Fetches frame `frame`, shows its index, writes it when a directory or a file name is
    // given, and draws it. Returns false when a write was asked for and did not happen.
    // Callable on the user-interface thread and on the conversion worker.
    bool ShowFrame(const char* directory, uint32_t frame, double fps, const char* fileName);
    void OnHScroll(int code, int position);

    // --- message handlers ---
    void OnSysCommand(unsigned nID);
    void OnExit();
    void OnOpenAvi();
    void OnStartConversion();
    void OnSetOutputDir();
    void OnStop();
    void OnSaveFrame();
    void OnAbout();
    bool OnHelpInfo();

    // The controls built from IDD_MAIN, for GetDlgItem-style lookups.
    const platform::DialogLayout& Layout() const { return m_layout; }

    // Waits, handling events, until no conversion worker runs any more.
    void WaitForConversionEnd();

signals:
    // Emitted on the user-interface thread for every position the progress control is sent.
    void ProgressPositionSent(int pos);
    // Emitted on the user-interface thread when a conversion run has ended.
    void ConversionEnded();

protected:
    void DoDataExchange();
    bool OnInitDialog();
    void OnPaint(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    void reject() override;  // Esc
    void accept() override;  // OK

private:
    // ConversionHost, called on the worker (convert/conversion_commands.cpp).
    std::atomic<bool>& ConvertingFlag() override { return m_bConverting; }
    std::atomic<bool>& StopRequestedFlag() override { return m_bStopRequested; }
    std::string StartFrameText() override { return m_strRunStart; }
    std::string EndFrameText() override { return m_strRunEnd; }
    uint32_t FrameCount() override { return m_nFrameCount; }
    void SendProgressPos(int pos) override;
    void SetEndFrameText(const std::string& text) override;
    void PrepareRange(uint32_t first, uint32_t last) override;
    bool ConvertFrame(uint32_t frame) override;
    void Beep(unsigned frequency, unsigned milliseconds) override;
    void ShowLastFrame() override;
    void ConversionFinished() override;

    // The common refusals of a command that needs a file: "Please stop the conversion
    // first." during a run, then "You must select an AVI file first.". True when it may run.
    bool MayRunFileCommand();
    // Sets the progress control and reports the position (user-interface thread).
    void SetProgressPos(int pos);
    // Ends the dialog after stopping a run and closing the stream (close, Esc, OK).
    void EndAfterClosing(int result);
    // Stops a run, waits for the worker and closes the open stream (Exit, close, Esc, OK).
    void StopAndClose();
    // Puts a composed frame on screen (user-interface thread).
    void PresentFrame(const QImage& frame, uint32_t index, bool toPreviewStore);
    // Applies what the worker put in the mailbox: progress, the end box, the newest frame, the
    // end of the run (user-interface thread; the worker asks for it by a queued call).
    Q_INVOKABLE void TakeWorkerMail();
    // Worker: wakes the user-interface thread unless a wake-up is already on its way.
    // Called with m_mailboxMutex held; returns whether a call must be queued.
    bool NeedsWake();
    void Wake();
    // Offers the frame just fetched to the window through the mailbox (worker).
    void HandOverFrame(uint32_t frame);
    // Worker: has the user-interface thread run `call` and waits until it has.
    void CallOnUiThread(std::function<void()> call);
    // A message box from either thread; from the worker it waits for the answer.
    int ReportToUser(const QString& text, unsigned type);

    platform::DialogLayout m_layout;
    bool m_bInitDone = false;

public:
    // --- fields, in the order of the dialog's field list ---
    QLineEdit* m_editFrameWidth = nullptr;
    QLineEdit* m_editFrameHeight = nullptr;
    QPushButton* m_btnStop = nullptr;
    QLineEdit* m_editOutputDir = nullptr;
    QLineEdit* m_editCurrentFrame = nullptr;
    QLineEdit* m_editDuration = nullptr;
    QLineEdit* m_editFps = nullptr;
    QLineEdit* m_editTotalFrames = nullptr;
    QLineEdit* m_editStartFrame = nullptr;
    QLineEdit* m_editEndFrame = nullptr;
    QSlider* m_sliderFrame = nullptr;
    QProgressBar* m_progress = nullptr;
    QLineEdit* m_editInputFile = nullptr;
    QIcon m_hIcon;
    // The preview store: a frame-sized image (the bitmap) and a painter open on it (the
    // memory device context); null when no video is open.
    QImage m_bmpPreview;
    std::unique_ptr<QPainter> m_pPreviewDC;
    QString m_strAviPath;
    bool m_bAviOpen = false;
    std::atomic<bool> m_bStopRequested{false};
    std::atomic<bool> m_bConverting{false};
    platform::AviStreamInfo m_streamInfo;
    std::unique_ptr<platform::AviStream> m_pStream;        // outlives m_pGetFrame
    std::unique_ptr<platform::AviFrameSource> m_pGetFrame;
    uint32_t m_nFrameCount = 0;
    uint32_t m_nFrameWidth = 0;
    uint32_t m_nFrameHeight = 0;
    const uint8_t* m_pFrameBits = nullptr;
    // How m_pFrameBits lays out its rows: the window's fetches take the DIB, a batch's the
    // TIFF's own R,G,B rows (which the read-ahead makes and the writer writes as they are).
    platform::FrameLayout m_frameBitsLayout = platform::FrameLayout::Dib;
    double m_dFps = 0.0;
    std::string m_szOutputDir = "C:\\";  // no length limit
    uint32_t m_nCurrentFrame = 0;

private:
    // What the preview box shows now: the frame last drawn, in client coordinates.
    QImage m_imgOnScreen;
    QRect m_rcOnScreen;

    // The conversion run: the range texts read by Start, and the worker thread.
    std::string m_strRunStart;
    std::string m_strRunEnd;
    std::thread m_worker;

    // What the worker hands to the window, guarded by m_mailboxMutex. Of the frames the
    // newest wins; progress positions are kept in order.
    std::mutex m_mailboxMutex;
    std::condition_variable m_mailboxCallDone;
    QImage m_mailboxImage;
    uint32_t m_mailboxIndex = 0;
    bool m_mailboxPending = false;      // a frame is on its way to the screen
    std::function<void()> m_mailboxCall;  // run on the user-interface thread; the worker waits
    std::vector<int> m_mailboxPositions;
    std::string m_mailboxEndText;       // the clamped end, when m_mailboxHasEndText
    bool m_mailboxHasEndText = false;
    bool m_mailboxFinished = false;     // the worker has ended its run
    bool m_mailboxWakePosted = false;   // a TakeWorkerMail call is queued
};
