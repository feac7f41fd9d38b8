#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tvtest {

// Answers the next modal dialog: once there is an active modal widget, `act`
// runs with it; a dialog still open afterwards is closed. Gives up looking
// after `timeoutMs`.
inline void whenModal(std::function<void(QWidget *)> act, int timeoutMs = 5000)
{
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act = std::move(act), deadline = QDeadlineTimer(timeoutMs)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && !deadline.hasExpired())
            return;
        poll->stop();
        poll->deleteLater();
        if (!modal)
            return;
        QPointer<QWidget> guard(modal);
        act(modal);
        // A failed check inside `act` must not leave the test waiting.
        if (guard && guard->isVisible())
            guard->close();
    });
    poll->start(10);
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
