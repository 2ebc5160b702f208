#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <functional>

// Answers the next modal window a test opens. Queue the answer before the action that
// opens the window:
//
//     ModalAnswer answer([](QWidget* w) { clickButton(w, "cmdYes"); });
//     window.doSomethingThatAsks();
//     QVERIFY(answer.wasAnswered());
//
// The action runs once a modal window is active. When none has come within the timeout
// the helper records a failure message (failure()), and the test's QVERIFY(wasAnswered())
// fails; it goes on watching until it is destroyed, so that a window that comes late on a
// busy machine is still answered rather than left to hang the suite. Likewise when the answer leaves the window open (a
// check inside the action failed before its click): after the timeout the helper closes
// the window (after four times the timeout), records why, and wasAnswered() is false.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget*)> action, int timeoutMs = 5000);
    ~ModalAnswer();
    bool wasAnswered() const;
    QString failure() const;
    // The window that was answered, its class name and caption when it was seen.
    QString windowClass() const;
    QString windowTitle() const;

private:
    struct State;
    State* d;
};

// Finds a widget by component name (objectName) inside a window; nullptr when missing.
template <typename T = QWidget> T* child(QWidget* window, const QString& name) {
    if (!window) return nullptr;
    if (window->objectName() == name) return qobject_cast<T*>(window);
    return window->findChild<T*>(name);
}

// Clicks a button found by component name; returns false when there is none.
bool clickButton(QWidget* window, const QString& name);
// Replaces the text of a line edit found by component name.
bool setEditText(QWidget* window, const QString& name, const QString& text);
// Sends a key to a widget (Enter, Escape...).
void pressKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
