#include "dialog_harness.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "stills/write_tiff.h"
#include "support/avi_writer.h"

namespace dlgtest {

WriteGate::WriteGate()
{
    SetTiffWriteHook([this](int fd, const void* data, size_t size) -> long {
        {
            std::unique_lock lock(m_mutex);
            if (m_armed && !m_released) {
                m_armed = false;
                m_held = true;
                m_cv.notify_all();
                m_cv.wait(lock, [this] { return m_released; });
                m_held = false;
            }
        }
        return static_cast<long>(::write(fd, data, size));
    });
}

WriteGate::~WriteGate()
{
    Release();
    SetTiffWriteHook({});
}

void WriteGate::Arm()
{
    std::lock_guard lock(m_mutex);
    m_armed = true;
    m_released = false;
}

bool WriteGate::Held()
{
    std::lock_guard lock(m_mutex);
    return m_held;
}

bool WriteGate::WaitHeld(int ms) { return WaitUntil([this] { return Held(); }, ms); }

void WriteGate::Release()
{
    std::lock_guard lock(m_mutex);
    m_released = true;
    m_cv.notify_all();
}

std::string VideoOfSize(uint32_t w, uint32_t h)
{
    avi_writer::VideoStream v;
    v.width = w;
    v.height = h;
    const std::string rows = avi_writer::PackRows(
        v, [](uint32_t x, uint32_t y) { return ((x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x40; });
    const std::string path =
        fixtures::ScratchDir() + "/frame_" + std::to_string(w) + "x" + std::to_string(h) + ".avi";
    EXPECT_TRUE(avi_writer::WriteBytes(path, avi_writer::Make(v, {{rows}})));
    return path;
}

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace dlgtest
