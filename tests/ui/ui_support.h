// Shared pieces of the shell's widget tests: an answerer for the modal dialogs and popups that
// a handler opens and runs itself, and key and mouse events sent as the window system would.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include "support/qt_wait.h"
#include <thread>

namespace uitest {

// While it lives, every modal dialog or popup menu that comes up is handed to `answer` once
// (on the user-interface thread, from inside the dialog's own event loop). A window that
// `answer` leaves open is closed after `giveUpMs`, so that a failing test ends instead of
// hanging.
class ModalAnswerer {
public:
    using Answer = std::function<void(QWidget* window)>;

    explicit ModalAnswerer(Answer answer, int giveUpMs = 10000)
        : m_answer(std::move(answer)), m_giveUpMs(giveUpMs)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(5);
    }

    int answered = 0;   // windows handed to the answer
    int forced = 0;     // windows closed because the answer left them open

private:
    void Poll()
    {
        QWidget* window = QApplication::activePopupWidget();
        if (!window)
            window = QApplication::activeModalWidget();
        if (!window || !window->isVisible())
            return;
        if (window != m_current) {
            m_current = window;
            m_since = std::chrono::steady_clock::now();
            ++answered;
            // Answered after this tick, so that a window the answer opens in turn (a question
            // of the dialog's own) is polled for too.
            QTimer::singleShot(0, &m_timer, [this, target = QPointer<QWidget>(window)] {
                if (target)
                    m_answer(target);
            });
            return;
        }
        if (std::chrono::steady_clock::now() - m_since > std::chrono::milliseconds(m_giveUpMs)) {
            ++forced;
            window->close();
        }
    }

    Answer m_answer;
    int m_giveUpMs;
    QTimer m_timer;
    QPointer<QWidget> m_current;
    std::chrono::steady_clock::time_point m_since;
};

// A key press and release delivered to `target` and, while it leaves them, its parents.
inline void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &release);
}

// Handles events until `done` holds or `ms` milliseconds have passed; returns `done()`.
using testsupport::WaitUntil;

}  // namespace uitest
