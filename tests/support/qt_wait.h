// Waits, handling events, until a condition holds or a deadline passes.
#pragma once

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <thread>

namespace testsupport {

// True once `done` holds; false when it still does not after `ms` milliseconds.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 30000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace testsupport
