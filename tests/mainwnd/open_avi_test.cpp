// Opening a video: the boxes, the preview store, and the opens that fail.
#include <QProgressBar>
#include <QSlider>

#include "dialog_harness.h"
#include "support/avi_writer.h"

namespace {

using dlgtest::DialogTest;

struct BoxTexts {
    QString width, height, start, end, total, fps, duration, current;
};

BoxTexts Boxes(const CConverterDlg& d)
{
    return {d.m_editFrameWidth->text(), d.m_editFrameHeight->text(), d.m_editStartFrame->text(),
            d.m_editEndFrame->text(),   d.m_editTotalFrames->text(), d.m_editFps->text(),
            d.m_editDuration->text(),   d.m_editCurrentFrame->text()};
}

void ExpectBoxes(const BoxTexts& got, const BoxTexts& want)
{
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_EQ(got.start, want.start);
    EXPECT_EQ(got.end, want.end);
    EXPECT_EQ(got.total, want.total);
    EXPECT_EQ(got.fps, want.fps);
    EXPECT_EQ(got.duration, want.duration);
    EXPECT_EQ(got.current, want.current);
}

class OpenAviTest : public DialogTest {};

TEST_F(OpenAviTest, FillsTheBoxesFromTheStream)
{
    struct Case {
        const char* name;
        std::string path;
        BoxTexts boxes;
    } const cases[] = {
        {"250 frames at 25", dlgtest::Video250(),
         {"64", "48", "0", "249", "249", "25", "00:00:11", "0"}},
        {"60 frames at 30000/1001",
         fixtures::Video("ntsc_16x16_60.avi",
                         "-f lavfi -i testsrc2=size=16x16:rate=30000/1001 -frames:v 60 -c:v ffv1"),
         {"16", "16", "0", "59", "59", "29.97", "00:00:03", "0"}},
        {"1800 frames at 30000/1001",
         fixtures::Video("ntsc_16x16_1800.avi",
                         "-f lavfi -i testsrc2=size=16x16:rate=30000/1001 -frames:v 1800 "
                         "-c:v ffv1"),
         {"16", "16", "0", "1799", "1799", "29.97", "00:01:01", "0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(dlg->OpenAvi(c.path.c_str()));
        EXPECT_TRUE(dlg->m_bAviOpen);
        ExpectBoxes(Boxes(*dlg), c.boxes);
        EXPECT_EQ(dlg->m_progress->minimum(), 0);
        EXPECT_EQ(dlg->m_progress->maximum(), 499);
        EXPECT_EQ(dlg->m_sliderFrame->tickInterval(), 1);
        // The preview store has the frame's size and holds frame 0.
        EXPECT_EQ(dlg->m_bmpPreview.size(),
                  QSize(int(dlg->m_nFrameWidth), int(dlg->m_nFrameHeight)));
        ASSERT_TRUE(dlg->m_pPreviewDC);
        EXPECT_TRUE(dlg->m_pPreviewDC->isActive());
        dlg->CloseAvi();
        EXPECT_FALSE(dlg->m_bAviOpen);
        EXPECT_FALSE(dlg->m_pPreviewDC);
        EXPECT_TRUE(dlg->m_bmpPreview.isNull());
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(OpenAviTest, LeavesTheSliderWhereItWas)
{
    ASSERT_TRUE(dlg->OpenAvi(dlgtest::Video250().c_str()));
    dlg->m_sliderFrame->blockSignals(true);
    dlg->m_sliderFrame->setValue(60);
    dlg->m_sliderFrame->blockSignals(false);
    dlg->OnHScroll(TB_THUMBPOSITION, 60);
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "150");
    dlg->CloseAvi();
    ASSERT_TRUE(dlg->OpenAvi(dlgtest::Video100().c_str()));
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "0");
    EXPECT_EQ(dlg->m_nCurrentFrame, 0u);
    EXPECT_EQ(dlg->m_sliderFrame->value(), 60);
    EXPECT_EQ(dlg->m_sliderFrame->maximum(), 100);
}

TEST_F(OpenAviTest, RefusesWhatIsNoVideoWithoutAMessageOfItsOwn)
{
    const std::string dir = fixtures::ScratchDir();
    const std::string text = dir + "/notes.avi";
    ASSERT_TRUE(fixtures::WriteFile(text, "these are not the frames you are looking for\n"));
    const std::string empty = dir + "/empty.avi";
    ASSERT_TRUE(fixtures::WriteFile(empty, ""));
    avi_writer::VideoStream none;
    none.width = 8;
    none.height = 8;
    const std::string noFrames = dir + "/noframes.avi";
    ASSERT_TRUE(avi_writer::WriteBytes(noFrames, avi_writer::Make(none, {})));
    const std::string audio = fixtures::Video(
        "sine_1s.avi", "-f lavfi -i sine=frequency=440:duration=1 -c:a pcm_s16le");

    // A video opened before keeps its boxes.
    ASSERT_TRUE(dlg->OpenAvi(dlgtest::Video250().c_str()));
    dlg->CloseAvi();
    const BoxTexts before = Boxes(*dlg);

    for (const std::string& path : {text, empty, noFrames, audio, dir + "/missing.avi"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(dlg->OpenAvi(path.c_str()));
        EXPECT_FALSE(dlg->m_bAviOpen);
        EXPECT_FALSE(dlg->m_pStream);
        EXPECT_FALSE(dlg->m_pGetFrame);
        ExpectBoxes(Boxes(*dlg), before);
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(OpenAviTest, NamesAMissingCodecAndGivesTheStreamBack)
{
    avi_writer::VideoStream v;
    v.width = 24;
    v.height = 16;
    v.compression = 0x5A5A5A5A;  // "ZZZZ": no decoder knows it
    v.handler = 0x5A5A5A5A;
    const std::string path = fixtures::ScratchDir() + "/unknown_codec.avi";
    ASSERT_TRUE(avi_writer::WriteBytes(path, avi_writer::Make(v, {{std::string(100, 'x')}})));

    ASSERT_TRUE(dlg->OpenAvi(dlgtest::Video250().c_str()));
    dlg->CloseAvi();

    Open(path);
    EXPECT_EQ(prompts.Texts(),
              (std::vector<QString>{
                  "Unable to decompress AVI stream -- do you have the proper codec installed?",
                  "Unable to read the selected file."}));
    EXPECT_FALSE(dlg->m_bAviOpen);
    EXPECT_FALSE(dlg->m_pStream);
    EXPECT_FALSE(dlg->m_pGetFrame);
    // The size boxes already show the failed file, the others the one before.
    ExpectBoxes(Boxes(*dlg), {"24", "16", "0", "249", "249", "25", "00:00:11", "0"});
    EXPECT_EQ(dlg->m_editInputFile->text(), "unknown_codec.avi");
}

TEST_F(OpenAviTest, AZeroRateOpensAndShowsAsZero)
{
    avi_writer::VideoStream v;
    v.width = 4;
    v.height = 2;
    v.rate = 0;
    const std::string rows = avi_writer::PackRows(v, [](uint32_t, uint32_t) { return 0x808080u; });
    const std::string path = fixtures::ScratchDir() + "/rate0.avi";
    ASSERT_TRUE(avi_writer::WriteBytes(path, avi_writer::Make(v, {{rows}, {rows}})));
    if (!dlg->OpenAvi(path.c_str()))
        GTEST_SKIP() << "the video source refuses a stream whose rate is 0";
    EXPECT_EQ(dlg->m_editFps->text(), "0");
    EXPECT_EQ(dlg->m_editDuration->text(), "00:00:01");
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "0");
}

}  // namespace
