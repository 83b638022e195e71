// Decoding ahead of the caller for an announced run of frames: a thread of its own fetches
// frames first ... last from the engine into a small ring of reused images, so that decoding and
// colour conversion overlap with whatever the caller does with each frame.
//
// Threads: Start, Take, Stop and Release run on the caller's thread. While the worker runs it
// alone uses the engine; Stop joins it, after which the caller may use the engine again. The
// mutex guards the ring (m_free, m_ready) and the flags; the worker waits on m_spaceFree for a
// free image, the caller on m_frameReady for a finished frame, so each side wakes only the other.
// The image handed to the caller (m_held), the ring's layout and the counters m_expected /
// m_last belong to the caller's thread.
#pragma once

#include "platform/avifile/frame_engine.h"
#include "platform/avifile/frame_image.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform::avi {

class ReadAhead {
public:
    // `buffers` images of the engine's frame size are made at the first Start and kept for the
    // runs that follow in the same layout.
    ReadAhead(FrameEngine& engine, size_t buffers);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Stops a run under way and starts decoding `first` ... `last` (last >= first) in `layout`.
    // False when there is no memory or thread for it; frames are then fetched as they are
    // asked for.
    bool Start(uint32_t first, uint32_t last, FrameLayout layout);
    // Ends the run: the worker stops and is joined. The image last handed out stays valid
    // until the next Take or Release.
    void Stop();
    // Gives back the image last handed out.
    void Release();

    bool Active() const { return m_active; }
    uint32_t Expected() const { return m_expected; }

    // Waits for the frame Expected() and hands it out (null when it could not be produced,
    // `error` then says why); the run ends after `last`.
    const FrameImage* Take(std::string& error);

private:
    struct Slot {
        std::unique_ptr<FrameImage> image;
        uint32_t index = 0;
        bool ok = false;
        std::string error;
    };
    void Run(uint32_t first, uint32_t last);
    void MakeRing(FrameLayout layout);

    FrameEngine& m_engine;
    size_t m_buffers;
    std::unique_ptr<FrameImage> m_held;  // caller's thread: the frame last handed out

    std::mutex m_mutex;
    std::condition_variable m_spaceFree;   // the worker waits: an image came free, or stop
    std::condition_variable m_frameReady;  // the caller waits: a frame is ready, or the end
    std::vector<std::unique_ptr<FrameImage>> m_free;  // guarded by m_mutex
    std::deque<Slot> m_ready;                         // guarded by m_mutex
    bool m_stop = false;                              // guarded by m_mutex
    bool m_done = false;                              // guarded by m_mutex: the worker finished

    bool m_made = false;  // caller's thread: the ring exists, in m_layout
    FrameLayout m_layout = FrameLayout::Dib;
    bool m_active = false;  // caller's thread
    uint32_t m_expected = 0;
    uint32_t m_last = 0;
    std::thread m_thread;  // last: joined before the rest goes
};

}  // namespace platform::avi
