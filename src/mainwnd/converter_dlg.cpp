// CConverterDlg: the layout and fields, the routing of the commands, the start of the dialog, the
// system commands, painting, help and about.
#include "mainwnd/converter_dlg.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QPaintEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "dialogs/about_dlg.h"
#include "dialogs/help_dlg.h"
#include "mainwnd/preview_placement.h"
#include "platform/prompts/prompts.h"
#include "resource.h"
#include "string_table.h"

namespace {

// The layout holds when the client area is about 1015 x 700 pixels, the preview box (720 x
// 570 at x = window width - 730, y = 0) starts right of the left column (which ends at x = 182
// units) and ends above the slider (y = 385 units). The window's frame only widens the window,
// so the client width stands in for it.
bool MainLayoutHolds(const platform::BaseUnits& units)
{
    const int width = units.ToPixelsX(677);
    const int height = units.ToPixelsY(431);
    // It must also fit the 1024 x 768 display that the help text asks for.
    return width >= 1015 && height >= 700 && width <= 1024 && height <= 720 &&
           width - PREVIEW_BOX_OFFSET_FROM_RIGHT >= units.ToPixelsX(182) &&
           PREVIEW_BOX_HEIGHT <= units.ToPixelsY(385);
}

// The trackbar code of a slider action, or -1 for an action that sends none (a drag sends its
// codes through sliderMoved and sliderReleased).
int TrackbarCodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return TB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
        return TB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return TB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return TB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
        return TB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return TB_BOTTOM;
    default:
        return -1;
    }
}

// DDX_Control: the control of that id, of that kind; a template without it is a build fault.
template <class W>
W* BindControl(const platform::DialogLayout& layout, int id)
{
    W* control = layout.Item<W>(id);
    if (!control)
        qFatal("IDD_MAIN has no control %d of the kind its member needs", id);
    return control;
}

// The message map: each button to its handler, the slider to OnHScroll.
void ConnectMessageMap(CConverterDlg* dlg, const platform::DialogLayout& layout)
{
    const auto button = [&layout](int id) { return BindControl<QPushButton>(layout, id); };
    QObject::connect(button(IDC_EXIT), &QPushButton::clicked, dlg, &CConverterDlg::OnExit);
    QObject::connect(button(IDC_OPEN_AVI), &QPushButton::clicked, dlg, &CConverterDlg::OnOpenAvi);
    QObject::connect(button(IDC_START), &QPushButton::clicked, dlg,
                     &CConverterDlg::OnStartConversion);
    QObject::connect(button(IDC_SET_OUTPUT_DIR), &QPushButton::clicked, dlg,
                     &CConverterDlg::OnSetOutputDir);
    QObject::connect(button(IDC_STOP), &QPushButton::clicked, dlg, &CConverterDlg::OnStop);
    QObject::connect(button(IDC_SAVE_FRAME), &QPushButton::clicked, dlg,
                     &CConverterDlg::OnSaveFrame);
    QObject::connect(button(IDC_ABOUT), &QPushButton::clicked, dlg, &CConverterDlg::OnAbout);

    QSlider* slider = BindControl<QSlider>(layout, IDC_FRAME_SLIDER);
    // Clicks on the groove, keys and the wheel: the position after the step.
    QObject::connect(slider, &QSlider::actionTriggered, dlg, [dlg, slider](int action) {
        const int code = TrackbarCodeOf(action);
        if (code >= 0)
            dlg->OnHScroll(code, slider->sliderPosition());
    });
    // A drag: the thumb's position while it moves, then where it was let go.
    QObject::connect(slider, &QSlider::sliderMoved, dlg,
                     [dlg](int position) { dlg->OnHScroll(TB_THUMBTRACK, position); });
    QObject::connect(slider, &QSlider::sliderReleased, dlg, [dlg, slider] {
        dlg->OnHScroll(TB_THUMBPOSITION, slider->sliderPosition());
        dlg->OnHScroll(TB_ENDTRACK, slider->sliderPosition());
    });
}

}  // namespace

CConverterDlg::CConverterDlg(QWidget* parent) : QDialog(parent)
{
    m_hIcon = platform::LoadAppIcon();
    m_strAviPath.clear();
    m_bAviOpen = false;
    m_szOutputDir = "C:\\";
    m_pFrameBits = nullptr;
    m_bStopRequested = false;
    m_bConverting = false;
    m_nCurrentFrame = 0;
    m_pPreviewDC.reset();

    m_layout.Build(this, platform::LoadDialogTemplate(QStringLiteral("IDD_MAIN")),
                   MainLayoutHolds);
    DoDataExchange();
    ConnectMessageMap(this, m_layout);
    platform::SetPromptOwner(this);  // message boxes are owned by the main dialog
}

CConverterDlg::~CConverterDlg()
{
    // No worker may outlive the fields it uses.
    if (m_worker.joinable()) {
        if (m_bConverting)
            m_bStopRequested = true;
        WaitForConversionEnd();
    }
    if (platform::PromptOwner() == this)
        platform::SetPromptOwner(nullptr);
}

int CConverterDlg::DoModal() { return exec(); }

void CConverterDlg::DoDataExchange()
{
    m_editFrameWidth = BindControl<QLineEdit>(m_layout, IDC_FRAME_WIDTH);
    m_editFrameHeight = BindControl<QLineEdit>(m_layout, IDC_FRAME_HEIGHT);
    m_btnStop = BindControl<QPushButton>(m_layout, IDC_STOP);
    m_editOutputDir = BindControl<QLineEdit>(m_layout, IDC_OUTPUT_DIR);
    m_editCurrentFrame = BindControl<QLineEdit>(m_layout, IDC_CURRENT_FRAME);
    m_editDuration = BindControl<QLineEdit>(m_layout, IDC_DURATION);
    m_editFps = BindControl<QLineEdit>(m_layout, IDC_FPS);
    m_editTotalFrames = BindControl<QLineEdit>(m_layout, IDC_TOTAL_FRAMES);
    m_editStartFrame = BindControl<QLineEdit>(m_layout, IDC_START_FRAME);
    m_editEndFrame = BindControl<QLineEdit>(m_layout, IDC_END_FRAME);
    m_sliderFrame = BindControl<QSlider>(m_layout, IDC_FRAME_SLIDER);
    m_progress = BindControl<QProgressBar>(m_layout, IDC_PROGRESS);
    m_editInputFile = BindControl<QLineEdit>(m_layout, IDC_INPUT_FILE);
}

bool CConverterDlg::OnInitDialog()
{
    // The window manager owns the system menu here: the about entry is offered by the
    // dialog's context menu instead (contextMenuEvent).
    setWindowIcon(m_hIcon);  // the same icon, big and small
    // Every box starts empty; the first control in the tab order takes the focus.
    m_layout.Item(IDC_OPEN_AVI)->setFocus(Qt::OtherFocusReason);
    return true;
}

void CConverterDlg::OnSysCommand(unsigned nID)
{
    const unsigned command = nID & 0xFFF0u;
    if (command == IDM_ABOUTBOX) {
        CAboutDlg dlg(this);
        dlg.DoModal();
    } else if (command == SC_CLOSE) {
        // The close branch: a running conversion is stopped and waited for, the video closed.
        StopAndClose();
        QDialog::done(QDialog::Rejected);
    } else if (command == SC_MINIMIZE) {
        showMinimized();
    } else if (command == SC_RESTORE) {
        showNormal();
    }
}

void CConverterDlg::OnPaint(QPainter& painter)
{
    // Minimised, the window manager shows the icon; there is nothing to paint.
    if (isMinimized())
        return;
    if (m_bConverting) {
        // The frame the worker drew last stays on show until it draws the next.
        if (!m_imgOnScreen.isNull())
            painter.drawImage(m_rcOnScreen.topLeft(), m_imgOnScreen);
        return;
    }
    if (!m_bAviOpen)
        return;  // no video: the dialog's background
    if (!m_pPreviewDC) {
        // Once for this paint, right after it: a modal box cannot run inside a paint.
        QMetaObject::invokeMethod(
            this, [] { platform::AfxMessageBox("No DC for opaque move", platform::MB_OK); },
            Qt::QueuedConnection);
        return;
    }
    if (!m_bmpPreview.isNull())
        painter.drawImage(
            PreviewPlacement(m_nFrameWidth, m_nFrameHeight, frameGeometry().width()),
            m_bmpPreview);
}

void CConverterDlg::OnAbout()
{
    CAboutDlg dlg(this);
    dlg.DoModal();
}

bool CConverterDlg::OnHelpInfo()
{
    CHelpDlg dlg(this);
    dlg.DoModal();
    return true;
}

void CConverterDlg::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    OnPaint(painter);
}

void CConverterDlg::closeEvent(QCloseEvent* event)
{
    // The close box and Alt+F4 arrive as the system menu's Close.
    OnSysCommand(SC_CLOSE);
    event->accept();
}

void CConverterDlg::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* about = menu.addAction(QString::fromLatin1(IDS_ABOUTBOX_TEXT));
    if (menu.exec(event->globalPos()) == about)
        OnSysCommand(IDM_ABOUTBOX);
}

bool CConverterDlg::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        if (!m_bInitDone) {
            m_bInitDone = true;
            OnInitDialog();
        }
        break;
    case QEvent::KeyPress:
        // F1 with the focus anywhere in the dialog: the controls leave the key to the dialog.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            OnHelpInfo();
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::event(event);
}
