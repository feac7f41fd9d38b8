#pragma once

#include <QApplication>
#include <QDeadlineTimer>
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

} // namespace tvtest
