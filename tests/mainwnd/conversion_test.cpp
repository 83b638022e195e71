// Start Conversion, Stop and the worker in the dialog: files, progress, beeps, the flag
// protocol and every other command during a run.
#include <QProgressBar>

#include <filesystem>
#include <mutex>

#include "dialog_harness.h"
#include "platform/avifile/avifile.h"
#include "platform/sound/sound.h"
#include "stills/write_tiff.h"

namespace {

using dlgtest::DialogTest;
namespace fs = std::filesystem;

class ConversionTest : public DialogTest {
protected:
    std::vector<int> positions;
    int runsEnded = 0;
    std::mutex beepMutex;
    std::vector<std::pair<unsigned, unsigned>> beeps;
    std::string out;

    void SetUp() override
    {
        DialogTest::SetUp();
        QObject::connect(dlg.get(), &CConverterDlg::ProgressPositionSent,
                         [this](int pos) { positions.push_back(pos); });
        QObject::connect(dlg.get(), &CConverterDlg::ConversionEnded, [this] { ++runsEnded; });
        platform::SetBeepSink([this](unsigned f, unsigned ms) {
            std::lock_guard lock(beepMutex);
            beeps.emplace_back(f, ms);
        });
        out = fixtures::ScratchDir();
    }
    void TearDown() override
    {
        DialogTest::TearDown();
        platform::SetBeepSink({});
    }

    void OpenVideo100()
    {
        Open(dlgtest::Video100());
        ASSERT_TRUE(dlg->m_bAviOpen);
        dlg->m_szOutputDir = out;
    }

    // Starts a run over the two texts and waits for its end.
    void Convert(const QString& start, const QString& end)
    {
        dlg->m_editStartFrame->setText(start);
        dlg->m_editEndFrame->setText(end);
        const int before = runsEnded;
        dlg->OnStartConversion();
        ASSERT_TRUE(dlgtest::WaitUntil([&] { return runsEnded > before; }));
        EXPECT_FALSE(dlg->m_bConverting);
        EXPECT_FALSE(dlg->m_bStopRequested);
        EXPECT_FALSE(ConverterDlgTestAccess::WorkerRunning(*dlg));
    }

    std::vector<std::pair<unsigned, unsigned>> Beeps()
    {
        std::lock_guard lock(beepMutex);
        return beeps;
    }
};

const std::vector<std::pair<unsigned, unsigned>> kEndBeeps = {{440, 10}, {480, 10}, {520, 10},
                                                              {540, 10}};

using Names = std::vector<std::string>;

std::string Name(int second, int frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "00,00,%02d,%02d.tif", second, frame);
    return name;
}

TEST_F(ConversionTest, WritesTheRangeWithProgressAndBeeps)
{
    OpenVideo100();
    const QImage storeBefore = dlg->m_bmpPreview.copy();
    Convert("10", "12");

    EXPECT_EQ(dlgtest::FilesIn(out), (Names{Name(0, 10), Name(0, 11), Name(0, 12)}));
    EXPECT_EQ(positions, (std::vector<int>{49, 49, 54, 59, 499, 0}));
    EXPECT_EQ(Beeps(), kEndBeeps);
    EXPECT_EQ(dlg->m_progress->value(), 0);
    EXPECT_TRUE(prompts.messages.empty());

    // Each file holds its frame, as the writer lays it out.
    auto stream = platform::AviStream::Open(dlgtest::Video100());
    ASSERT_TRUE(stream);
    auto source = platform::AviFrameSource::Open(*stream);
    ASSERT_TRUE(source);
    const std::string reference = out + "/reference.tif";
    for (uint32_t i = 10; i <= 12; ++i) {
        SCOPED_TRACE(i);
        const uint8_t* dib = source->GetFrame(i);
        ASSERT_TRUE(dib);
        ASSERT_TRUE(WriteTiff(reference.c_str(), 320, 240, dib + platform::kDibHeaderSize));
        const std::string written = fixtures::ReadFile(out + "/" + Name(0, int(i)));
        EXPECT_TRUE(fixtures::ReadFile(reference) == written);
    }

    // The run ends showing its last frame and index; the store keeps the frame from before.
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "12");
    EXPECT_EQ(dlg->m_nCurrentFrame, 12u);
    EXPECT_EQ(dlg->m_bmpPreview, storeBefore);
    const uint8_t* dib = source->GetFrame(12);
    const QImage last = QImage(dib + platform::kDibHeaderSize, 320, 240,
                               platform::DibStride(320), QImage::Format_BGR888)
                            .mirrored(false, true);
    EXPECT_EQ(ConverterDlgTestAccess::OnScreen(*dlg).convertToFormat(QImage::Format_RGB32),
              last.convertToFormat(QImage::Format_RGB32));
}

TEST_F(ConversionTest, ReadsTheRangeBoxesByTheAtoiRule)
{
    struct Case {
        const char* name;
        const char* start;
        const char* end;
        std::vector<std::string> files;
        std::vector<int> positions;
        const char* endBoxAfter;
    } const cases[] = {
        {"start equal to end", "5", "5", {Name(0, 5)}, {24, 24, 499, 0}, "5"},
        {"start after end", "20", "10", {}, {99, 499, 0}, "10"},
        {"start past the stream", "150", "150", {}, {748, 499, 0}, "99"},
        {"end past the stream", "97", "1000", {Name(3, 22), Name(3, 23), Name(3, 24)},
         {484, 484, 489, 494, 499, 0}, "99"},
        {"both empty", "", "", {Name(0, 0)}, {0, 0, 499, 0}, ""},
        {"letters", "abc", "xyz", {Name(0, 0)}, {0, 0, 499, 0}, "xyz"},
        {"blank, digits, letter", " 12x", " 12x", {Name(0, 12)}, {59, 59, 499, 0}, " 12x"},
        {"minus one as start", "-1", "3", {}, {-23598, 499, 0}, "3"},
        {"minus one as end", "98", "-1", {Name(3, 23), Name(3, 24)}, {489, 489, 494, 499, 0}, "99"},
    };
    OpenVideo100();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        out = fixtures::ScratchDir();
        dlg->m_szOutputDir = out;
        positions.clear();
        {
            std::lock_guard lock(beepMutex);
            beeps.clear();
        }
        Convert(c.start, c.end);
        EXPECT_EQ(dlgtest::FilesIn(out), c.files);
        EXPECT_EQ(positions, c.positions);
        EXPECT_EQ(dlg->m_editEndFrame->text(), c.endBoxAfter);
        EXPECT_EQ(Beeps(), kEndBeeps);
    }
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConversionTest, StopEndsTheRunAfterTheFrameInHand)
{
    OpenVideo100();
    dlgtest::WriteGate gate;
    gate.Arm();
    dlg->m_editStartFrame->setText("10");
    dlg->m_editEndFrame->setText("90");
    dlg->OnStartConversion();
    ASSERT_TRUE(gate.WaitHeld());
    EXPECT_TRUE(dlg->m_bConverting);
    dlg->OnStop();
    EXPECT_TRUE(dlg->m_bStopRequested);
    gate.Release();
    ASSERT_TRUE(dlgtest::WaitUntil([&] { return runsEnded == 1; }));
    EXPECT_FALSE(dlg->m_bConverting);
    EXPECT_FALSE(dlg->m_bStopRequested);
    EXPECT_EQ(dlgtest::FilesIn(out), std::vector<std::string>{Name(0, 10)});
    EXPECT_EQ(positions, (std::vector<int>{49, 49, 499, 0}));
    EXPECT_EQ(Beeps(), kEndBeeps);
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "10");

    // A new Start works at once.
    positions.clear();
    Convert("20", "21");
    EXPECT_EQ(dlgtest::FilesIn(out), (Names{Name(0, 10), Name(0, 20), Name(0, 21)}));
    EXPECT_EQ(positions, (std::vector<int>{99, 99, 104, 499, 0}));

    // Stop with no run does nothing.
    dlg->OnStop();
    EXPECT_FALSE(dlg->m_bStopRequested);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(ConversionTest, EveryOtherCommandRefusesDuringARun)
{
    OpenVideo100();
    dlg->OnHScroll(TB_THUMBPOSITION, 50);
    const QImage storeBefore = dlg->m_bmpPreview.copy();

    dlgtest::WriteGate gate;
    gate.Arm();
    dlg->m_editStartFrame->setText("0");
    dlg->m_editEndFrame->setText("2");
    dlg->OnStartConversion();
    // Start again before the worker has even begun: refused.
    dlg->OnStartConversion();
    ASSERT_TRUE(gate.WaitHeld());

    const size_t fileDialogs = prompts.fileRequests.size();
    dlg->OnStartConversion();
    dlg->OnOpenAvi();
    dlg->OnSetOutputDir();
    dlg->OnSaveFrame();
    dlg->OnHScroll(TB_THUMBPOSITION, 100);
    dlg->OnHScroll(TB_PAGEDOWN, 0);
    const QString stop = "Please stop the conversion first.";
    EXPECT_EQ(prompts.Texts(), (std::vector<QString>{stop, stop, stop, stop, stop}));
    EXPECT_EQ(prompts.fileRequests.size(), fileDialogs);
    EXPECT_TRUE(prompts.folderTitles.empty());
    EXPECT_TRUE(dlg->m_bAviOpen);
    EXPECT_TRUE(dlg->m_bConverting);

    gate.Release();
    ASSERT_TRUE(dlgtest::WaitUntil([&] { return runsEnded == 1; }));
    EXPECT_EQ(dlgtest::FilesIn(out), (Names{Name(0, 0), Name(0, 1), Name(0, 2)}));
    // The slider moved nothing, and the store still holds the frame from before the run.
    EXPECT_EQ(dlg->m_bmpPreview, storeBefore);
    EXPECT_EQ(dlg->m_editCurrentFrame->text(), "2");
}

TEST_F(ConversionTest, AFailedWriteStopsTheRunWithOneMessage)
{
    struct Case {
        const char* name;
        bool failingWrites;  // else: an output folder that does not exist
    } const cases[] = {{"write error", true}, {"no such folder", false}};
    OpenVideo100();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.messages.clear();
        positions.clear();
        {
            std::lock_guard lock(beepMutex);
            beeps.clear();
        }
        out = fixtures::ScratchDir();
        dlg->m_szOutputDir = c.failingWrites ? out : out + "/missing";
        if (c.failingWrites)
            SetTiffWriteHook([](int, const void*, size_t) -> long {
                errno = EIO;
                return -1;
            });
        Convert("10", "40");
        SetTiffWriteHook({});
        const QString first = QString::fromStdString(dlg->m_szOutputDir + "/" + Name(0, 10));
        EXPECT_EQ(prompts.Texts(), std::vector<QString>{"Unable to write the TIFF file:\n" + first});
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].type, platform::MB_ICONERROR);
        EXPECT_TRUE(dlgtest::FilesIn(out).empty());
        EXPECT_EQ(positions, (std::vector<int>{49, 49, 499, 0}));
        EXPECT_EQ(Beeps(), kEndBeeps);
    }
}

TEST_F(ConversionTest, StartNeedsAnOpenVideo)
{
    dlg->OnStartConversion();
    EXPECT_EQ(prompts.Texts(), std::vector<QString>{"You must select an AVI file first."});

    const std::string notAvi = out + "/fake.avi";
    ASSERT_TRUE(fixtures::WriteFile(notAvi, "no video"));
    Open(notAvi);
    prompts.messages.clear();
    dlg->m_editStartFrame->setText("0");
    dlg->m_editEndFrame->setText("50");
    dlg->OnStartConversion();
    EXPECT_EQ(prompts.Texts(), std::vector<QString>{"Cannot draw frame - AVI open failed"});
    EXPECT_FALSE(dlg->m_bConverting);
    EXPECT_FALSE(ConverterDlgTestAccess::WorkerRunning(*dlg));
    QCoreApplication::processEvents();
    EXPECT_TRUE(positions.empty());
    EXPECT_EQ(runsEnded, 0);
}

}  // namespace
