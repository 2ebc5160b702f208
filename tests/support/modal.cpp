#include "support/modal.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>

struct ModalAnswer::State {
    std::function<void(QWidget*)> action;
    QTimer timer;
    QElapsedTimer elapsed;
    int timeoutMs = 0;
    bool answered = false;
    QString failure;
    QString cls;
    QString title;
    // After the answer: the window answered, watched so that an answer that failed to
    // close it cannot leave the test waiting forever.
    QPointer<QWidget> answeredWindow;
    QElapsedTimer sinceAnswer;
};

ModalAnswer::ModalAnswer(std::function<void(QWidget*)> action, int timeoutMs) : d(new State) {
    d->action = std::move(action);
    d->timeoutMs = timeoutMs;
    d->elapsed.start();
    d->timer.setInterval(10);
    QObject::connect(&d->timer, &QTimer::timeout, [s = d]() {
        if (s->answered) {
            if (!s->answeredWindow || !s->answeredWindow->isVisible()) {
                s->timer.stop();
            } else if (s->sinceAnswer.elapsed() > 4 * qint64(s->timeoutMs)) {
                s->timer.stop();
                s->failure =
                    QStringLiteral("the answer left \"%1\" open; it was closed").arg(s->title);
                s->answeredWindow->close();
            }
            return;
        }
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            s->answered = true;
            s->cls = QString::fromLatin1(w->metaObject()->className());
            s->title = w->windowTitle();
            s->answeredWindow = w;
            s->sinceAnswer.start();
            s->failure.clear();
            s->action(w);
            return;
        }
        // Still watching after the timeout: on a loaded machine the window may come late,
        // and a window left unanswered would hold the test until the suite's time limit.
        if (s->elapsed.elapsed() > s->timeoutMs && s->failure.isEmpty())
            s->failure = QStringLiteral("no modal window appeared within %1 ms").arg(s->timeoutMs);
    });
    d->timer.start();
}

ModalAnswer::~ModalAnswer() {
    d->timer.stop();
    delete d;
}

bool ModalAnswer::wasAnswered() const {
    return d->answered && d->failure.isEmpty();
}
QString ModalAnswer::failure() const {
    return d->failure;
}
QString ModalAnswer::windowClass() const {
    return d->cls;
}
QString ModalAnswer::windowTitle() const {
    return d->title;
}

bool clickButton(QWidget* window, const QString& name) {
    auto* b = child<QAbstractButton>(window, name);
    if (!b) return false;
    b->click();
    return true;
}

bool setEditText(QWidget* window, const QString& name, const QString& text) {
    auto* e = child<QLineEdit>(window, name);
    if (!e) return false;
    e->setText(text);
    return true;
}

void pressKey(QWidget* w, int key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(w, Qt::Key(key), mods);
}
