// The frame presenter: which frame the slider shows, where and how a frame is drawn, and the
// presenter's failures.
#include <QSlider>

#include <cmath>
#include <filesystem>
#include <limits>

#include "dialog_harness.h"
#include "mainwnd/preview_placement.h"
#include "support/avi_writer.h"

namespace {

using dlgtest::DialogTest;

class ShowFrameTest : public DialogTest {
protected:
    // Moves the thumb without the slider's own notifications.
    void PutThumb(int pos)
    {
        dlg->m_sliderFrame->blockSignals(true);
        dlg->m_sliderFrame->setValue(pos);
        dlg->m_sliderFrame->blockSignals(false);
    }
    int WindowWidth() const { return dlg->frameGeometry().width(); }
};

TEST_F(ShowFrameTest, TheSliderMapsOntoTheFrames)
{
    struct Case {
        const char* name;
        int code;
        int position;  // with the message (thumb codes) or of the thumb (page codes)
        const char* shown;
    } const cases250[] = {
        {"thumb at 0", TB_THUMBPOSITION, 0, "0"},
        {"thumb at 1", TB_THUMBPOSITION, 1, "2"},
        {"drag to 3", TB_THUMBTRACK, 3, "7"},
        {"thumb at 100", TB_THUMBPOSITION, 100, "249"},
        {"page click to 40", TB_PAGEDOWN, 40, "100"},
        {"page click to 99", TB_PAGEUP, 99, "247"},
    };
    ASSERT_TRUE(dlg->OpenAvi(dlgtest::Video250().c_str()));
    ASSERT_EQ(dlg->m_sliderFrame->minimum(), 0);
    ASSERT_EQ(dlg->m_sliderFrame->maximum(), 100);
    for (const Case& c : cases250) {
        SCOPED_TRACE(c.name);
        dlg->OnHScroll(TB_THUMBPOSITION, 50);
        PutThumb(c.position);
        dlg->OnHScroll(c.code, c.code == TB_PAGEUP || c.code == TB_PAGEDOWN ? 0 : c.position);
        EXPECT_EQ(dlg->m_editCurrentFrame->text(), c.shown);
        EXPECT_EQ(dlg->m_nCurrentFrame, QString(c.shown).toUInt());
    }
    dlg->CloseAvi();

    ASSERT_TRUE(dlg->OpenAvi(fixtures::Video("testsrc2_64x48_50.avi",
                                             "-f lavfi -i testsrc2=size=64x48:rate=25 "
                                             "-frames:v 50 -c:v ffv1").c_str()));
    for (int pos : {2, 3}) {
        SCOPED_TRACE(pos);
        dlg->OnHScroll(TB_THUMBPOSITION, pos);
        EXPECT_EQ(dlg->m_editCurrentFrame->text(), "1");
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ShowFrameTest, ArrowKeysHomeAndEndMoveTheThumbOnly)
{
    ASSERT_TRUE(dlg->OpenAvi(dlgtest::Video250().c_str()));
    dlg->OnHScroll(TB_THUMBPOSITION, 20);
    ASSERT_EQ(dlg->m_editCurrentFrame->text(), "50");
    for (int code : {TB_LINEUP, TB_LINEDOWN, TB_TOP, TB_BOTTOM, TB_ENDTRACK}) {
        SCOPED_TRACE(code);
        PutThumb(80);
        dlg->OnHScroll(code, 80);
        EXPECT_EQ(dlg->m_editCurrentFrame->text(), "50");
        EXPECT_EQ(dlg->m_nCurrentFrame, 50u);
    }
    // The next page click shows the frame of the thumb's new place.
    dlg->OnHScroll(TB_PAGEDOWN, 0);
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "200");
}

TEST_F(ShowFrameTest, TheSliderDoesNothingWithoutAVideoOrDuringARun)
{
    dlg->OnHScroll(TB_THUMBPOSITION, 50);
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "");

    ASSERT_TRUE(dlg->OpenAvi(dlgtest::Video250().c_str()));
    const QImage store = dlg->m_bmpPreview.copy();
    dlg->m_bConverting = true;  // as while a worker runs
    dlg->OnHScroll(TB_THUMBPOSITION, 50);
    dlg->OnHScroll(TB_PAGEDOWN, 0);
    dlg->m_bConverting = false;
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "0");
    EXPECT_EQ(dlg->m_bmpPreview, store);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ShowFrameTest, FramesAreCentredInThePreviewBox)
{
    const int W = WindowWidth();
    struct Case {
        int w, h;
        QRect placed;
    } const cases[] = {
        {640, 480, QRect(40 + W - 730, 45, 640, 480)},
        {321, 241, QRect(199 + W - 730, 164, 321, 241)},
        {320, 240, QRect(200 + W - 730, 165, 320, 240)},
        {720, 570, QRect(W - 730, 0, 720, 570)},
        {720, 480, QRect(W - 730, 45, 720, 480)},
        // Larger than the box: scaled down to fit, keeping the aspect ratio, centred.
        {1000, 1000, QRect(75 + W - 730, 0, 570, 570)},
        {1440, 480, QRect(W - 730, 165, 720, 240)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        EXPECT_EQ(PreviewPlacement(uint32_t(c.w), uint32_t(c.h), W), c.placed);
        ASSERT_TRUE(dlg->OpenAvi(dlgtest::VideoOfSize(uint32_t(c.w), uint32_t(c.h)).c_str()));
        EXPECT_EQ(ConverterDlgTestAccess::OnScreenRect(*dlg), c.placed);
        EXPECT_EQ(ConverterDlgTestAccess::OnScreen(*dlg).size(), c.placed.size());
        // The store keeps the frame at its own size.
        EXPECT_EQ(dlg->m_bmpPreview.size(), QSize(c.w, c.h));
        dlg->CloseAvi();
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ShowFrameTest, DrawsTheFrameWithItsColoursAndItsFirstRowAtTheBottom)
{
    // 3 x 2 pixels (a row of 9 bytes padded to 12): the top row 0x302010 (the bytes 0x10,
    // 0x20, 0x30 in the file), the bottom row a different colour in each column.
    avi_writer::VideoStream v;
    v.width = 3;
    v.height = 2;
    const auto pixel = [](uint32_t x, uint32_t y) -> uint32_t {
        return y == 0 ? 0x302010u : 0x0000FFu << (8 * x);
    };
    const std::string rows = avi_writer::PackRows(v, pixel);
    ASSERT_EQ(rows.substr(12, 3), std::string("\x10\x20\x30", 3));  // the last DIB row is the top
    const std::string path = fixtures::ScratchDir() + "/pixels.avi";
    ASSERT_TRUE(avi_writer::WriteBytes(path, avi_writer::Make(v, {{rows}})));
    ASSERT_TRUE(dlg->OpenAvi(path.c_str()));

    // The DIB handed out: the first row is the picture's bottom row.
    ASSERT_TRUE(dlg->m_pFrameBits);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dlg->m_pFrameBits), 9),
              std::string("\xFF\0\0\0\xFF\0\0\0\xFF", 9));

    for (const QImage& image : {dlg->m_bmpPreview, ConverterDlgTestAccess::OnScreen(*dlg)}) {
        ASSERT_EQ(image.size(), QSize(3, 2));
        for (int x = 0; x < 3; ++x) {
            SCOPED_TRACE(x);
            EXPECT_EQ(image.pixelColor(x, 0), QColor(0x30, 0x20, 0x10));
            EXPECT_EQ(image.pixel(x, 1) & 0xFFFFFFu, pixel(uint32_t(x), 1));
        }
    }
    // And so it reaches the window.
    const QRect rc = ConverterDlgTestAccess::OnScreenRect(*dlg);
    const QImage window = dlg->grab(rc).toImage();
    ASSERT_EQ(window.size(), rc.size());
    EXPECT_EQ(window.pixelColor(1, 0), QColor(0x30, 0x20, 0x10));
    EXPECT_EQ(window.pixel(0, 1) & 0xFFFFFFu, 0x0000FFu);
}

TEST_F(ShowFrameTest, ReportsWhatItCannotDo)
{
    const std::string dir = fixtures::ScratchDir();
    const std::string missingDir = dir + "/no/such/folder";

    // No stream open.
    EXPECT_FALSE(dlg->ShowFrame(nullptr, 0, 25, nullptr));
    EXPECT_FALSE(dlg->ShowFrame(dir.c_str(), 0, 25, nullptr));

    ASSERT_TRUE(dlg->OpenAvi(dlgtest::Video100().c_str()));
    dlg->OnHScroll(TB_THUMBPOSITION, 10);
    ASSERT_EQ(dlg->m_editCurrentFrame->text(), "10");

    // A frame the source cannot produce: the box keeps its number.
    EXPECT_FALSE(dlg->ShowFrame(nullptr, 100, 25, nullptr));
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "10");

    // Rates that cannot name frames: the box is updated, nothing is written.
    const double rates[] = {0.0, 0.5, std::nan(""), std::numeric_limits<double>::infinity(), 1e12};
    for (double fps : rates) {
        SCOPED_TRACE(fps);
        EXPECT_FALSE(dlg->ShowFrame(dir.c_str(), 7, fps, nullptr));
        EXPECT_EQ(dlg->m_editCurrentFrame->text(), "7");
    }
    EXPECT_FALSE(dlg->ShowFrame(nullptr, 8, 0.5, (dir + "/named.tif").c_str()));
    EXPECT_TRUE(dlgtest::FilesIn(dir).empty());

    // A file that cannot be written is named in the message.
    EXPECT_FALSE(dlg->ShowFrame(missingDir.c_str(), 25, 25, nullptr));
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "25");

    // A frame written is reported as such.
    EXPECT_TRUE(dlg->ShowFrame(dir.c_str(), 26, 25, nullptr));
    EXPECT_EQ(dlgtest::FilesIn(dir), std::vector<std::string>{"00,00,01,01.tif"});

    const QString fpsMessage = "Cannot draw frame - FPS value is 0";
    EXPECT_EQ(prompts.Texts(),
              (std::vector<QString>{
                  "Cannot draw frame - AVI open failed", "Cannot draw frame - AVI open failed",
                  "Unable to read frames from AVI", fpsMessage, fpsMessage, fpsMessage, fpsMessage,
                  fpsMessage, fpsMessage,
                  "Unable to write the TIFF file:\n" + QString::fromStdString(missingDir) +
                      "/00,00,01,00.tif"}));
    ASSERT_EQ(prompts.messages.size(), 10u);
    EXPECT_EQ(prompts.messages[0].type, platform::MB_OK);
    EXPECT_EQ(prompts.messages[9].type, platform::MB_ICONERROR);
}

}  // namespace
