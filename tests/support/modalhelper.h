#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace tvtest {

namespace detail {

struct ModalAnswer
{
    std::function<void(QWidget *)> act;
    QDeadlineTimer deadline;
};

inline void tryAnswer(const std::shared_ptr<ModalAnswer> &answer)
{
    if (QWidget *modal = QApplication::activeModalWidget()) {
        QPointer<QWidget> guard(modal);
        answer->act(modal);
        // A failed check inside `act` must not leave the test waiting.
        if (guard && guard->isVisible())
            guard->close();
        return;
    }
    if (!answer->deadline.hasExpired())
        QTimer::singleShot(10, qApp, [answer] { tryAnswer(answer); });
}

} // namespace detail

// Answers the next modal dialog: once there is an active modal widget, `act`
// runs with it; a dialog still open afterwards is closed. Gives up looking
// after `timeoutMs`.
inline void whenModal(std::function<void(QWidget *)> act, int timeoutMs = 5000)
{
    auto answer = std::make_shared<detail::ModalAnswer>(detail::ModalAnswer{std::move(act), QDeadlineTimer(timeoutMs)});
    QTimer::singleShot(0, qApp, [answer] { detail::tryAnswer(answer); });
}

// Answers every modal dialog with the given object name as it comes up,
// once per dialog, and counts them. Stops answering when destroyed.
class ModalResponder
{
public:
    ModalResponder(const QString &objectName, std::function<void(QDialog *)> answer)
        : m_name(objectName), m_answer(std::move(answer))
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { poll(); });
        m_timer.start();
    }
    int count() const { return m_count; }

private:
    void poll()
    {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->objectName() != m_name || dialog == m_last)
            return;
        m_last = dialog;
        ++m_count;
        m_answer(dialog);
    }

    QString m_name;
    std::function<void(QDialog *)> m_answer;
    QTimer m_timer;
    QPointer<QDialog> m_last;
    int m_count = 0;
};

} // namespace tvtest
