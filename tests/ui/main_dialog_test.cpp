// The main dialog's layout, start, help, about, system commands, painting and slider routing.
#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dialogs/about_dlg.h"
#include "dialogs/help_dlg.h"
#include "mainwnd/converter_dlg.h"
#include "mainwnd/preview_placement.h"
#include "platform/prompts/prompts.h"
#include "resource.h"
#include "string_table.h"
#include "support/fixtures.h"
#include "support/qt_scripted_prompts.h"
#include "ui_support.h"

namespace {

// IDD_MAIN, written out: id, kind, text, read-only, tab stop, position and size in units.
struct Row {
    int id;
    const char* kind;
    const char* text;
    bool readOnly;
    bool tabStop;
    int x, y, cx, cy;
};

const Row kMainControls[] = {
    {IDC_OPEN_AVI, "QPushButton", "Open AVI", false, true, 5, 5, 50, 14},
    {IDC_EXIT, "QPushButton", "Exit", false, true, 5, 340, 50, 14},
    {IDC_SET_OUTPUT_DIR, "QPushButton", "Set Output Directory", false, true, 65, 5, 81, 14},
    {IDC_PROGRESS, "QProgressBar", "Progress1", false, false, 5, 110, 175, 16},
    {-1, "QLabel", "Conversion progress", false, false, 5, 100, 177, 8},
    {IDC_INPUT_FILE, "QLineEdit", "", true, true, 5, 40, 174, 14},
    {-1, "QLabel", "Input file :", false, false, 5, 30, 54, 8},
    {IDC_START_FRAME, "QLineEdit", "", false, true, 5, 150, 77, 16},
    {-1, "QLabel", "Starting Frame Number", false, false, 5, 140, 83, 8},
    {-1, "QLabel", "Ending Frame Number", false, false, 5, 180, 83, 10},
    {IDC_END_FRAME, "QLineEdit", "", false, true, 5, 190, 77, 16},
    {-1, "QLabel", "Total Frames", false, false, 100, 140, 51, 8},
    {IDC_TOTAL_FRAMES, "QLineEdit", "", true, true, 100, 150, 77, 16},
    {IDC_START, "QPushButton", "Start Conversion", false, true, 5, 310, 75, 14},
    {IDC_FRAME_SLIDER, "QSlider", "Slider1", false, true, 190, 385, 470, 25},
    {-1, "QLabel", "Frames per Second", false, false, 100, 180, 83, 10},
    {IDC_FPS, "QLineEdit", "", true, true, 100, 190, 77, 16},
    {-1, "QLabel", "Movie Duration", false, false, 5, 220, 83, 10},
    {IDC_DURATION, "QLineEdit", "", true, true, 5, 230, 77, 16},
    {-1, "QLabel", "Current Frame", false, false, 100, 220, 83, 10},
    {IDC_CURRENT_FRAME, "QLineEdit", "", true, true, 100, 230, 77, 16},
    {IDC_OUTPUT_DIR, "QLineEdit", "", true, true, 5, 75, 174, 14},
    {-1, "QLabel", "Output directory :", false, false, 5, 65, 54, 8},
    {IDC_STOP, "QPushButton", "Stop", false, true, 100, 310, 50, 14},
    {IDC_SAVE_FRAME, "QPushButton", "Save Just This Frame", false, true, 375, 415, 81, 14},
    {IDC_ABOUT, "QPushButton", "About", false, true, 70, 340, 80, 14},
    {-1, "QLabel", "Frame Width", false, false, 5, 260, 83, 10},
    {IDC_FRAME_WIDTH, "QLineEdit", "", true, true, 5, 270, 77, 16},
    {-1, "QLabel", "Frame Height", false, false, 100, 260, 83, 10},
    {IDC_FRAME_HEIGHT, "QLineEdit", "", true, true, 100, 270, 77, 16},
};

bool ReadOnly(const QWidget* w)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->isReadOnly();
    return false;
}

class MainDialogTest : public ::testing::Test {
protected:
    ScriptedPrompts prompts;
    std::unique_ptr<CConverterDlg> dlg;

    void SetUp() override
    {
        dlg = std::make_unique<CConverterDlg>();
        dlg->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        dlg->hide();
        dlg.reset();
    }

    // The dialog's pixels for dialog units, computed from its base units here.
    int PxX(int dlu) const { return (dlu * dlg->Layout().BaseUnitX() + 2) / 4; }
    int PxY(int dlu) const { return (dlu * dlg->Layout().BaseUnitY() + 4) / 8; }

    bool OpenVideo()
    {
        const std::string path = fixtures::Video(
            "testsrc2_64x48_250.avi",
            "-f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 250 -c:v ffv1 -pix_fmt bgr0");
        return !path.empty() && dlg->OpenAvi(path.c_str());
    }
};

TEST_F(MainDialogTest, HasEveryControlInTemplateOrderWithItsKindTextAndStyle)
{
    const QVector<QWidget*>& controls = dlg->Layout().Controls();
    ASSERT_EQ(controls.size(), 30);
    for (int i = 0; i < 30; ++i) {
        const Row& row = kMainControls[i];
        QWidget* w = controls[i];
        SCOPED_TRACE(std::to_string(i + 1) + " " + row.text);
        EXPECT_EQ(w->property("controlId").toInt(), row.id);
        if (row.id != -1) {
            EXPECT_EQ(dlg->Layout().Item(row.id), w);
        }
        EXPECT_STREQ(w->metaObject()->className(), row.kind);
        EXPECT_EQ(platform::GetWindowText(w), row.text);
        EXPECT_EQ(ReadOnly(w), row.readOnly);
        EXPECT_EQ(w->focusPolicy(), row.tabStop ? Qt::StrongFocus : Qt::NoFocus);
        EXPECT_TRUE(w->isVisible());
        // Where the units put it (a one-line text may reach further right when it needs to).
        const QRect rc = w->geometry();
        EXPECT_EQ(rc.topLeft(), QPoint(PxX(row.x), PxY(row.y)));
        EXPECT_EQ(rc.height(), PxY(row.y + row.cy) - PxY(row.y));
        if (qobject_cast<QLabel*>(w)) {
            EXPECT_GE(rc.width(), PxX(row.x + row.cx) - PxX(row.x));
        } else {
            EXPECT_EQ(rc.width(), PxX(row.x + row.cx) - PxX(row.x));
        }
    }
}

TEST_F(MainDialogTest, TabOrderIsTheTemplateOrder)
{
    std::vector<int> expected;
    for (const Row& row : kMainControls)
        if (row.tabStop)
            expected.push_back(row.id);
    std::vector<int> chain;
    QWidget* first = dlg->Layout().Item(IDC_OPEN_AVI);
    QWidget* w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain.push_back(w->property("controlId").toInt());
        w = w->nextInFocusChain();
    } while (w != first && chain.size() < 40);
    EXPECT_EQ(chain, expected);
}

TEST_F(MainDialogTest, StartsWithTheFocusOnOpenAviEveryBoxEmptyAndTheControlsDefaults)
{
    EXPECT_EQ(dlg->windowTitle(), "Stillcutter");
    EXPECT_EQ(dlg->focusWidget(), dlg->Layout().Item(IDC_OPEN_AVI));
    for (QLineEdit* edit : dlg->findChildren<QLineEdit*>())
        EXPECT_TRUE(edit->text().isEmpty()) << edit->objectName().toStdString();
    EXPECT_FALSE(dlg->windowIcon().isNull());
    EXPECT_TRUE(dlg->m_strAviPath.isEmpty());
    EXPECT_EQ(dlg->m_szOutputDir, "C:\\");
    EXPECT_FALSE(dlg->m_bAviOpen);
    EXPECT_FALSE(dlg->m_bConverting);
    EXPECT_FALSE(dlg->m_bStopRequested);
    EXPECT_EQ(dlg->m_nCurrentFrame, 0u);
    EXPECT_EQ(dlg->m_pFrameBits, nullptr);
    EXPECT_FALSE(dlg->m_pPreviewDC);

    // The default ranges: the slider 0..100, page 20, line 1, ticks above; the bar 0..100.
    EXPECT_EQ(dlg->m_sliderFrame->minimum(), 0);
    EXPECT_EQ(dlg->m_sliderFrame->maximum(), 100);
    EXPECT_EQ(dlg->m_sliderFrame->pageStep(), 20);
    EXPECT_EQ(dlg->m_sliderFrame->singleStep(), 1);
    EXPECT_EQ(dlg->m_sliderFrame->tickPosition(), QSlider::TicksAbove);
    EXPECT_EQ(dlg->m_sliderFrame->tickInterval(), 1);
    EXPECT_EQ(dlg->m_progress->minimum(), 0);
    EXPECT_EQ(dlg->m_progress->maximum(), 100);
    EXPECT_FALSE(dlg->m_progress->isTextVisible());

    // Fixed frame, minimise box, no maximise box.
    EXPECT_EQ(dlg->minimumSize(), dlg->maximumSize());
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dlg->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowCloseButtonHint);

    // The thirteen bindings.
    const std::pair<QWidget*, int> bindings[] = {
        {dlg->m_editFrameWidth, IDC_FRAME_WIDTH},   {dlg->m_editFrameHeight, IDC_FRAME_HEIGHT},
        {dlg->m_btnStop, IDC_STOP},                 {dlg->m_editOutputDir, IDC_OUTPUT_DIR},
        {dlg->m_editCurrentFrame, IDC_CURRENT_FRAME}, {dlg->m_editDuration, IDC_DURATION},
        {dlg->m_editFps, IDC_FPS},                  {dlg->m_editTotalFrames, IDC_TOTAL_FRAMES},
        {dlg->m_editStartFrame, IDC_START_FRAME},   {dlg->m_editEndFrame, IDC_END_FRAME},
        {dlg->m_sliderFrame, IDC_FRAME_SLIDER},     {dlg->m_progress, IDC_PROGRESS},
        {dlg->m_editInputFile, IDC_INPUT_FILE},
    };
    for (const auto& [member, id] : bindings) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(member);
        EXPECT_EQ(member, dlg->Layout().Item(id));
    }
}

TEST_F(MainDialogTest, BaseUnitsComeFromTheFontAndLeaveTheBoxClearOfTheControls)
{
    // The average width of the 52 letters, rounded, and the height of the dialog's font.
    const QFontMetrics metrics(dlg->font(), dlg.get());
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int measuredX = (letters / 26 + 1) / 2;
    const bool standard = dlg->Layout().BaseUnitX() == 6 * dlg->logicalDpiX() / 96 &&
                          dlg->Layout().BaseUnitY() == 13 * dlg->logicalDpiY() / 96;
    if (standard) {  // where the measured units would not keep the layout: the font is fitted
        EXPECT_LE(measuredX, dlg->Layout().BaseUnitX());
        EXPECT_LE(metrics.height(), dlg->Layout().BaseUnitY());
    } else {
        EXPECT_EQ(dlg->Layout().BaseUnitX(), measuredX);
        EXPECT_EQ(dlg->Layout().BaseUnitY(), metrics.height());
    }
    EXPECT_LE(dlg->frameGeometry().width(), 1024);  // fits a 1024 x 768 display

    // The client area, and the preview box right of the left column and above the slider.
    EXPECT_EQ(dlg->size(), QSize(PxX(677), PxY(431)));
    EXPECT_GE(dlg->width(), 1015);
    EXPECT_GE(dlg->height(), 700);
    const QRect box(dlg->frameGeometry().width() - PREVIEW_BOX_OFFSET_FROM_RIGHT, 0,
                    PREVIEW_BOX_WIDTH, PREVIEW_BOX_HEIGHT);
    EXPECT_LE(box.right(), dlg->width() - 1);
    for (QWidget* w : dlg->Layout().Controls()) {
        SCOPED_TRACE(platform::GetWindowText(w).toStdString());
        EXPECT_FALSE(box.intersects(w->geometry()));
    }
}

// --- help and about ---

TEST_F(MainDialogTest, F1WithTheFocusAnywhereOpensTheHelpModallyOverTheDialog)
{
    const int focusOn[] = {IDC_OPEN_AVI, IDC_START_FRAME, IDC_INPUT_FILE, IDC_FRAME_SLIDER,
                           IDC_ABOUT};
    for (int id : focusOn) {
        SCOPED_TRACE(id);
        QWidget* target = dlg->Layout().Item(id);
        target->setFocus();
        QString text;
        QWidget* parent = nullptr;
        uitest::ModalAnswerer answerer([&](QWidget* window) {
            auto* help = qobject_cast<CHelpDlg*>(window);
            ASSERT_TRUE(help);
            text = platform::GetWindowText(help->m_editHelp);
            parent = help->parentWidget();
            uitest::PressKey(help->focusWidget(), Qt::Key_Escape);
        });
        uitest::PressKey(target, Qt::Key_F1);
        EXPECT_EQ(answerer.answered, 1);
        EXPECT_EQ(answerer.forced, 0);
        EXPECT_EQ(text, QString::fromLatin1(HELP_TEXT));
        EXPECT_EQ(parent, dlg.get());
        EXPECT_TRUE(dlg->isVisible()) << "help changes nothing of the dialog";
    }
}

// The three ways to the about dialog: its button, the context menu's entry, and the system
// command of that entry (its low four bits are not looked at).
TEST_F(MainDialogTest, AboutOpensFromItsButtonTheContextMenuAndTheSystemCommand)
{
    enum class Way { Button, ContextMenu, SysCommand };
    for (Way way : {Way::Button, Way::ContextMenu, Way::SysCommand}) {
        SCOPED_TRACE(int(way));
        QStringList menuEntries;
        QString version;
        QWidget* parent = nullptr;
        uitest::ModalAnswerer answerer([&](QWidget* window) {
            if (auto* menu = qobject_cast<QMenu*>(window)) {
                for (QAction* a : menu->actions())
                    menuEntries << a->text();
                menu->setActiveAction(menu->actions().constFirst());
                uitest::PressKey(menu, Qt::Key_Return);
                return;
            }
            auto* about = qobject_cast<CAboutDlg*>(window);
            ASSERT_TRUE(about);
            version = platform::GetWindowText(about->Layout().Item(IDC_VERSION));
            parent = about->parentWidget();
            about->Layout().Item<QPushButton>(IDOK_BUTTON)->click();
        });
        switch (way) {
        case Way::Button:
            dlg->Layout().Item<QPushButton>(IDC_ABOUT)->click();
            break;
        case Way::ContextMenu: {
            const QPoint at(dlg->width() / 2, 100);
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, dlg->mapToGlobal(at));
            QApplication::sendEvent(dlg.get(), &event);
            break;
        }
        case Way::SysCommand:
            dlg->OnSysCommand(IDM_ABOUTBOX | 0x3);
            break;
        }
        EXPECT_EQ(answerer.answered, way == Way::ContextMenu ? 2 : 1);
        EXPECT_EQ(answerer.forced, 0);
        EXPECT_EQ(version, "Stillcutter Version 1.2");
        EXPECT_EQ(parent, dlg.get());
        if (way == Way::ContextMenu) {
            EXPECT_EQ(menuEntries, QStringList{"&About Stillcutter..."});
        }
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainDialogTest, CloseBoxEndsTheModalRun)
{
    ASSERT_TRUE(OpenVideo());
    int result = -1;
    QTimer::singleShot(0, dlg.get(), [&] { dlg->close(); });  // the close box, Alt+F4
    result = dlg->DoModal();
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(dlg->m_bAviOpen) << "the video is closed on the way out";
}

// --- message boxes ---

TEST_F(MainDialogTest, MessageBoxesAreCaptionedWithTheApplicationsNameAndOwnedByTheDialog)
{
    EXPECT_EQ(platform::PromptOwner(), dlg.get());
    dlg->OnStartConversion();  // no file chosen
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "ui_tests");
    EXPECT_EQ(prompts.messages[0].text, "You must select an AVI file first.");

    dlg.reset();
    EXPECT_EQ(platform::PromptOwner(), nullptr) << "the owner goes with the dialog";
    dlg = std::make_unique<CConverterDlg>();
}

TEST(MainDialogRealBox, TheRealMessageBoxIsOwnedByTheDialogAndCaptioned)
{
    CConverterDlg dlg;
    dlg.show();
    QString title, text;
    QWidget* parent = nullptr;
    uitest::ModalAnswerer answerer([&](QWidget* window) {
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_TRUE(box);
        title = box->windowTitle();
        text = box->text();
        parent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    dlg.Layout().Item<QPushButton>(IDC_SAVE_FRAME)->click();  // no file chosen
    EXPECT_EQ(answerer.answered, 1);
    EXPECT_EQ(title, "ui_tests");
    EXPECT_EQ(text, "You must select an AVI file first.");
    EXPECT_EQ(parent, &dlg);
    dlg.hide();
}

// --- painting ---

TEST_F(MainDialogTest, RepaintsTheBoxFromThePreviewStoreAndTheBackgroundWithoutAVideo)
{
    ASSERT_TRUE(OpenVideo());
    const QRect at = PreviewPlacement(64, 48, dlg->frameGeometry().width());
    EXPECT_EQ(at.topLeft(), QPoint(328 + dlg->frameGeometry().width() - 730, 261));
    const QImage shown = dlg->grab(at).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage store = dlg->m_bmpPreview.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(store.size(), QSize(64, 48));
    if (shown.size() == store.size()) {  // the grab is at the screen's scale
        EXPECT_EQ(shown, store);
    }

    dlg->CloseAvi();
    const QImage empty = dlg->grab(at).toImage();
    const QColor background = dlg->palette().color(QPalette::Window);
    EXPECT_EQ(empty.pixelColor(10, 10), background);
    EXPECT_EQ(empty.pixelColor(40, 30), background);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(MainDialogTest, ARepaintWithAnOpenVideoAndNoPreviewStoreSaysSoOncePerPaint)
{
    dlg->m_bAviOpen = true;  // a state that opening a video never leaves
    dlg->repaint();
    uitest::WaitUntil([&] { return !prompts.messages.empty(); }, 2000);
    QApplication::processEvents();
    EXPECT_EQ(prompts.Texts(), std::vector<QString>{"No DC for opaque move"});
    EXPECT_EQ(prompts.messages[0].type, platform::MB_OK);
    dlg->repaint();
    uitest::WaitUntil([&] { return prompts.messages.size() > 1; }, 2000);
    EXPECT_EQ(prompts.messages.size(), 2u);
    dlg->m_bAviOpen = false;
}

// --- the slider ---

class SliderTest : public MainDialogTest {
protected:
    QSlider* slider() const { return dlg->m_sliderFrame; }

    QRect Handle() const
    {
        QStyleOptionSlider opt;
        opt.initFrom(slider());
        opt.orientation = Qt::Horizontal;
        opt.minimum = slider()->minimum();
        opt.maximum = slider()->maximum();
        opt.sliderPosition = slider()->sliderPosition();
        opt.sliderValue = slider()->value();
        opt.singleStep = slider()->singleStep();
        opt.pageStep = slider()->pageStep();
        opt.tickPosition = slider()->tickPosition();
        opt.tickInterval = slider()->tickInterval();
        opt.subControls = QStyle::SC_All;
        return slider()->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle,
                                                 slider());
    }

    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, at, slider()->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(slider(), &event);
    }

    std::string Frame() const { return dlg->m_editCurrentFrame->text().toStdString(); }
};

TEST_F(SliderTest, AClickOnTheGroovePagesAndADragTracksTheThumb)
{
    ASSERT_TRUE(OpenVideo());
    ASSERT_EQ(Frame(), "0");

    // A click right of the thumb: one page on, position 20 of 100 of 250 frames.
    const QPoint right(slider()->width() - 20, Handle().center().y());
    Mouse(QEvent::MouseButtonPress, right, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, right, Qt::NoButton);
    EXPECT_EQ(slider()->value(), 20);
    EXPECT_EQ(Frame(), "50");

    // A click left of the thumb: a page back.
    const QPoint left(2, Handle().center().y());
    Mouse(QEvent::MouseButtonPress, left, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, left, Qt::NoButton);
    EXPECT_EQ(slider()->value(), 0);
    EXPECT_EQ(Frame(), "0");

    // A drag of the thumb to the far right shows the frames on the way, and the last.
    const QPoint grab = Handle().center();
    Mouse(QEvent::MouseButtonPress, grab, Qt::LeftButton);
    EXPECT_TRUE(slider()->isSliderDown());
    const QPoint middle(slider()->width() / 2, grab.y());
    Mouse(QEvent::MouseMove, middle, Qt::LeftButton);
    const int midPosition = slider()->sliderPosition();
    EXPECT_GT(midPosition, 30);
    EXPECT_LT(midPosition, 70);
    EXPECT_EQ(Frame(), std::to_string(midPosition * 250 / 100));
    const QPoint end(slider()->width() + 50, grab.y());
    Mouse(QEvent::MouseMove, end, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, end, Qt::NoButton);
    EXPECT_EQ(slider()->value(), 100);
    EXPECT_EQ(Frame(), "249");
}

TEST_F(SliderTest, KeysMoveTheThumbAndOnlyPageKeysShowAFrame)
{
    ASSERT_TRUE(OpenVideo());
    slider()->setFocus();
    struct Step {
        int key;
        int position;
        const char* frame;
    };
    const Step steps[] = {
        {Qt::Key_Right, 1, "0"},      // TB_LINEDOWN: the thumb moves, the frame stays
        {Qt::Key_PageDown, 21, "52"}, // TB_PAGEDOWN: (21 / 100) x 250
        {Qt::Key_Left, 20, "52"},     // TB_LINEUP
        {Qt::Key_End, 100, "52"},     // TB_BOTTOM
        {Qt::Key_PageUp, 80, "200"},  // TB_PAGEUP
        {Qt::Key_Home, 0, "200"},     // TB_TOP
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.key);
        uitest::PressKey(slider(), s.key);
        EXPECT_EQ(slider()->value(), s.position);
        EXPECT_EQ(Frame(), s.frame);
    }
}

// --- the end of the dialog ---

TEST(MainDialogEnd, TheDialogWaitsForARunningWorkerBeforeItGoes)
{
    ScriptedPrompts prompts;
    const std::string path = fixtures::Video(
        "testsrc2_64x48_250.avi",
        "-f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 250 -c:v ffv1 -pix_fmt bgr0");
    const std::string out = fixtures::ScratchDir();
    auto dlg = std::make_unique<CConverterDlg>();
    dlg->show();
    ASSERT_TRUE(dlg->OpenAvi(path.c_str()));
    dlg->m_strAviPath = QString::fromStdString(path);
    dlg->m_szOutputDir = out;
    dlg->m_editStartFrame->setText("0");
    dlg->m_editEndFrame->setText("249");
    dlg->OnStartConversion();
    EXPECT_TRUE(dlg->m_bConverting);
    dlg.reset();  // no stop asked for: the dialog stops the run and waits for it
    EXPECT_TRUE(prompts.messages.empty());
}

}  // namespace
