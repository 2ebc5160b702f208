#pragma once

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers a run of modal windows, each by the class of the window, in the order they
// were added; nested windows (a window opened from another's answer) are answered too.
class AnswerBook {
public:
    AnswerBook() {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start();
    }
    void add(const QString& windowClass, std::function<void(QWidget*)> action) {
        m_pending.append({windowClass, std::move(action)});
    }
    bool allAnswered() const { return m_pending.isEmpty(); }
    // The classes of the windows that came, in order ("?" for one with no answer left).
    QStringList seen() const { return m_seen; }

private:
    struct Entry {
        QString cls;
        std::function<void(QWidget*)> action;
    };
    void tick() {
        for (auto it = m_answered.begin(); it != m_answered.end();) {
            if (!*it || !(*it)->isVisible())
                it = m_answered.erase(it);
            else
                ++it;
        }
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        for (const QPointer<QWidget>& a : m_answered)
            if (a == w) return;
        const QString cls = QString::fromLatin1(w->metaObject()->className());
        for (int i = 0; i < m_pending.size(); ++i) {
            if (m_pending[i].cls != cls) continue;
            Entry e = m_pending.takeAt(i);
            m_seen << cls;
            m_answered.append(w);
            // Answered from an event of its own: a timer does not fire again while its
            // own handler runs, and an answer may open a nested window.
            QPointer<QWidget> window(w);
            QTimer::singleShot(0, [this, window, action = std::move(e.action)] {
                if (!window) return;
                action(window);
                // A window that closed may be shown again (one message dialog serves
                // every message): answer it afresh then.
                if (!window || !window->isVisible()) m_answered.removeAll(window);
            });
            return;
        }
    }
    QTimer m_timer;
    QList<Entry> m_pending;
    QList<QPointer<QWidget>> m_answered;
    QStringList m_seen;
};
