#include "platform/avifile/read_ahead.h"

#include <exception>

namespace platform::avi {

ReadAhead::ReadAhead(FrameEngine& engine, size_t buffers) : m_engine(engine), m_buffers(buffers < 2 ? 2 : buffers) {}

ReadAhead::~ReadAhead() { Stop(); }

void ReadAhead::MakeRing(FrameLayout layout)
{
    if (m_made && m_layout == layout)
        return;  // reused: newly touched memory is slow, reused memory is not
    // A ring of the other layout goes (the worker is joined, so all of it but the image held
    // is in m_free; that one is dropped when it comes back).
    m_free.clear();
    m_made = false;
    m_layout = layout;
    for (size_t i = 0; i < m_buffers; ++i)
        m_free.push_back(std::make_unique<FrameImage>(layout, m_engine.Width(), m_engine.Height()));
    m_made = true;
}

bool ReadAhead::Start(uint32_t first, uint32_t last, FrameLayout layout)
{
    Stop();
    try {
        MakeRing(layout);
        m_stop = false;
        m_done = false;
        m_callerWaiting = false;
        m_expected = first;
        m_last = last;
        m_thread = std::thread(&ReadAhead::Run, this, first, last);
    } catch (const std::exception&) {
        // No memory or no thread: frames are then fetched one by one as they are asked for.
        m_free.clear();
        m_made = false;
        return false;
    }
    m_active = true;
    return true;
}

void ReadAhead::Stop()
{
    if (m_thread.joinable()) {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_spaceFree.notify_one();
        m_thread.join();
    }
    for (Slot& s : m_ready)
        m_free.push_back(std::move(s.image));
    m_ready.clear();
    m_spent.clear();
    m_active = false;
}

void ReadAhead::Release()
{
    if (!m_held)
        return;
    if (m_held->Layout() != m_layout) {
        m_held.reset();  // of a ring that has been made anew since
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(m_held));
    }
    m_spaceFree.notify_one();
}

void ReadAhead::Convert(FrameConverter& converter, Slot& slot)
{
    try {
        slot.ok = converter.Convert(*slot.picture, *slot.image, slot.error);
    } catch (const std::exception& e) {
        slot.ok = false;
        slot.error = e.what();
    }
}

void ReadAhead::DropSpent()
{
    std::vector<FramePtr> spent;
    {
        std::lock_guard lock(m_mutex);
        spent.swap(m_spent);
    }
    // Dropped here, outside the lock: on the decoding thread, as all the other references of
    // the decoder's pictures are (which keeps libavcodec's reference counts, which sanitizers
    // cannot follow into the library, to one thread of ours).
}

const FrameImage* ReadAhead::Take(std::string& error)
{
    Release();
    Slot slot;
    {
        std::unique_lock lock(m_mutex);
        m_callerWaiting = true;
        m_frameReady.wait(lock, [this] {
            return m_ready.empty() ? m_done : m_ready.front().state != State::Converting;
        });
        m_callerWaiting = false;
        if (m_ready.empty()) {
            lock.unlock();
            error = "read-ahead ended early";
            Stop();
            return nullptr;
        }
        Slot& front = m_ready.front();
        if (front.state == State::Decoded) {
            // Left to this thread, which was waiting for it; the worker decodes on meanwhile
            // (and only ever adds slots at the back, which leaves this one in place).
            front.state = State::Converting;
            lock.unlock();
            Convert(m_callerConverter, front);
            lock.lock();
            front.state = State::Done;
            m_spent.push_back(std::move(front.picture));
        }
        slot = std::move(front);
        m_ready.pop_front();
    }
    m_held = std::move(slot.image);
    ++m_expected;
    if (slot.index >= m_last)
        Stop();  // the run is complete; the worker has finished
    if (!slot.ok) {
        error = slot.error;
        return nullptr;
    }
    return m_held.get();
}

void ReadAhead::Run(uint32_t first, uint32_t last)
{
    for (uint64_t i = first; i <= last; ++i) {
        DropSpent();
        std::unique_ptr<FrameImage> image;
        {
            std::unique_lock lock(m_mutex);
            m_spaceFree.wait(lock, [this] { return m_stop || !m_free.empty(); });
            if (m_stop)
                break;
            // The image given back last: the one most likely still in a cache.
            image = std::move(m_free.back());
            m_free.pop_back();
        }
        Slot fresh;
        fresh.index = static_cast<uint32_t>(i);
        fresh.image = std::move(image);
        try {
            fresh.ok = m_engine.FetchPicture(fresh.index, fresh.picture);
            if (!fresh.ok)
                fresh.error = m_engine.LastError();
        } catch (const std::exception& e) {
            fresh.ok = false;
            fresh.error = e.what();
        }
        fresh.state = fresh.ok ? State::Decoded : State::Done;
        Slot* mine = nullptr;
        {
            std::lock_guard lock(m_mutex);
            m_ready.push_back(std::move(fresh));
            // A caller waiting for this frame converts it itself; else it is done here.
            if (m_ready.back().state == State::Decoded && !m_callerWaiting) {
                m_ready.back().state = State::Converting;
                mine = &m_ready.back();
            }
        }
        if (mine) {
            Convert(m_workerConverter, *mine);
            FramePtr picture;  // let go of after the lock, on this thread
            {
                std::lock_guard lock(m_mutex);
                picture = std::move(mine->picture);
                mine->state = State::Done;
            }
        }
        m_frameReady.notify_one();
    }
    DropSpent();
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_frameReady.notify_one();
}

}  // namespace platform::avi
