// Shared pieces of the main dialog's tests: a dialog with scripted prompts, fixture videos, a
// wait that keeps handling events, and a gate that holds the conversion worker in a write.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QRect>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/qt_wait.h"
#include "mainwnd/converter_dlg.h"
#include "support/fixtures.h"
#include "support/qt_scripted_prompts.h"

// What the tests read of the dialog's private state.
class ConverterDlgTestAccess {
public:
    static const QImage& OnScreen(const CConverterDlg& dlg) { return dlg.m_imgOnScreen; }
    static QRect OnScreenRect(const CConverterDlg& dlg) { return dlg.m_rcOnScreen; }
    static bool WorkerRunning(const CConverterDlg& dlg) { return dlg.m_worker.joinable(); }
};

namespace dlgtest {

// Handles events until `done` holds or `ms` milliseconds have passed; returns `done()`.
using testsupport::WaitUntil;

// Fixture videos (made once per build folder).
inline std::string Video100()  // 100 frames, 320 x 240, 25 frames a second, lossless
{
    return fixtures::Video("testsrc2_320x240_100.avi",
                           "-f lavfi -i testsrc2=size=320x240:rate=25 -frames:v 100 "
                           "-c:v ffv1 -pix_fmt bgr0");
}
inline std::string Video250()  // 250 frames at 25
{
    return fixtures::Video("testsrc2_64x48_250.avi",
                           "-f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 250 "
                           "-c:v ffv1 -pix_fmt bgr0");
}
// One uncompressed frame of w x h (any size, odd ones included), written for this test run.
std::string VideoOfSize(uint32_t w, uint32_t h);

// The main dialog, shown off screen, with every prompt scripted. Each test gets its own.
class DialogTest : public ::testing::Test {
protected:
    ScriptedPrompts prompts;
    std::unique_ptr<CConverterDlg> dlg;

    void SetUp() override
    {
        dlg = std::make_unique<CConverterDlg>();
        dlg->show();
        ASSERT_TRUE(dlg->m_editCurrentFrame) << "the dialog's controls are not bound";
    }

    void TearDown() override
    {
        if (dlg) {
            dlg->m_bStopRequested = true;
            dlg->WaitForConversionEnd();
            dlg->hide();
            dlg.reset();
        }
    }

    // Opens `path` through Open AVI, as the user would pick it in the file dialog.
    void Open(const std::string& path)
    {
        const QString file = QString::fromStdString(path);
        const QFileInfo info(file);
        prompts.fileAnswers.push_back(
            ScriptedPrompts::Chosen(info.absolutePath(), info.fileName()));
        dlg->OnOpenAvi();
    }
};

// Holds the worker inside its next file write until released.
class WriteGate {
public:
    WriteGate();
    ~WriteGate();

    void Arm();                        // the next write blocks
    bool WaitHeld(int ms = 30000);     // handles events until a write is held
    void Release();                    // lets the held write (and all later ones) go on
    bool Held();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_armed = false;
    bool m_held = false;
    bool m_released = false;
};

// Names of the files in `dir`, sorted.
std::vector<std::string> FilesIn(const std::string& dir);

}  // namespace dlgtest
