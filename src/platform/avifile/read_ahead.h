// Decoding ahead of the caller for an announced run of frames: a thread of its own decodes
// frames first ... last from the engine, and each decoded picture is converted into one of a
// small ring of reused images, so that decoding and colour conversion overlap with whatever the
// caller does with each frame.
//
// Who converts a picture: the worker, right after decoding it, unless the caller is already
// waiting for that frame; then the caller converts it (with a converter of its own) while the
// worker goes on decoding the next. So the conversion goes to whichever side would otherwise be
// idle: a caller that writes slower than frames are decoded finds them converted, and one that
// waits for a slow decoder takes the conversion off the decoding thread. Both sides use the
// same conversion code, so the bytes are the same.
//
// Threads: Start, Take, Stop and Release run on the caller's thread. While the worker runs it
// alone uses the engine; Stop joins it, after which the caller may use the engine again. The
// mutex guards the ring (m_free, m_ready, the slots' states) and the flags; the worker waits on
// m_spaceFree for a free image, the caller on m_frameReady for a frame, so each side wakes only
// the other. The image handed to the caller (m_held), the caller's converter, the ring's layout
// and the counters m_expected / m_last belong to the caller's thread; a slot's picture and
// image belong to the side that claimed its conversion until it is marked converted.
#pragma once

#include "platform/avifile/frame_converter.h"
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
    enum class State { Decoded, Converting, Done };
    struct Slot {
        std::unique_ptr<FrameImage> image;
        FramePtr picture;  // until converted
        uint32_t index = 0;
        State state = State::Done;
        bool ok = false;
        std::string error;
    };
    void Run(uint32_t first, uint32_t last);
    void MakeRing(FrameLayout layout);
    // Converts the slot's picture into its image (the slot is claimed); sets ok and error.
    static void Convert(FrameConverter& converter, Slot& slot);
    // Worker: lets go of the pictures the caller has converted.
    void DropSpent();

    FrameEngine& m_engine;
    size_t m_buffers;
    std::unique_ptr<FrameImage> m_held;  // caller's thread: the frame last handed out
    FrameConverter m_callerConverter;    // caller's thread
    FrameConverter m_workerConverter;    // the worker's thread

    std::mutex m_mutex;
    std::condition_variable m_spaceFree;   // the worker waits: an image came free, or stop
    std::condition_variable m_frameReady;  // the caller waits: a frame is ready, or the end
    std::vector<std::unique_ptr<FrameImage>> m_free;  // guarded by m_mutex
    std::deque<Slot> m_ready;                         // guarded by m_mutex; a deque keeps the
                                                      // slots in place while one is converted
    std::vector<FramePtr> m_spent;  // guarded by m_mutex: pictures the caller converted, for the
                                    // worker to let go of (see Run)
    bool m_callerWaiting = false;                     // guarded by m_mutex
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
