#pragma once

#include <QPointer>
#include <QWidget>

// Holds a window's repainting off for a long operation and lets it repaint when the
// guard ends, whatever path leaves the scope.
class RepaintLock {
public:
    // A widget whose painting is already off (its own or a parent's) is left alone:
    // switching it off explicitly would keep it off after the parent comes back.
    explicit RepaintLock(QWidget* w) : m_widget(w), m_wasEnabled(w && w->updatesEnabled()) {
        if (m_widget && m_wasEnabled)
            m_widget->setUpdatesEnabled(false);
    }
    ~RepaintLock() { release(); }
    void release() {
        if (m_widget && m_wasEnabled) {
            m_widget->setUpdatesEnabled(true);
            m_widget->update();
        }
        m_widget = nullptr;
    }
    RepaintLock(const RepaintLock&) = delete;
    RepaintLock& operator=(const RepaintLock&) = delete;

private:
    QPointer<QWidget> m_widget;
    bool m_wasEnabled;
};

// Lets pending window messages run, so progress windows repaint during long work.
void pumpMessages();
// The same, but the user's keys and clicks wait until the work is done: for work during
// which what they would reach must not change (a plan being saved is selected whole).
void pumpMessagesExceptInput();
