#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tvtest {

// Answers the next modal dialog: a zero-time timer waits (bounded) until
// one is up, then runs `answer` on it. Nothing happens if none comes.
inline void answerModal(std::function<void(QWidget *)> answer, int boundMs = 5000)
{
    auto deadline = std::make_shared<QDeadlineTimer>(boundMs);
    auto attempt = std::make_shared<std::function<void()>>();
    *attempt = [answer = std::move(answer), deadline, attempt] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            answer(modal);
            *attempt = nullptr;
        } else if (!deadline->hasExpired()) {
            QTimer::singleShot(0, *attempt);
        } else {
            *attempt = nullptr;
        }
    };
    QTimer::singleShot(0, *attempt);
}

} // namespace tvtest
