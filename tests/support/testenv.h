#pragma once

#include "platform/messagebox.h"
#include "platform/runtimeerror.h"

#include <QApplication>
#include <QList>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

#include <deque>
#include <functional>

namespace tvtest {

// A file's bytes, or "<missing>" when it cannot be read.
QByteArray readFile(const QString &path);
// Makes or empties a file with these bytes.
bool writeFile(const QString &path, const QByteArray &bytes = {});
// The error that `call` raises (number 0 when none).
tv::RuntimeError errorOf(const std::function<void()> &call);

// Points the user's folders (settings, data, runtime) at a fresh temporary
// folder before anything reads them, so no test touches the real ones.
[[nodiscard]] QTemporaryDir isolateUserFolders();

// Records every message box and answers it from a queue (Ok / No when empty).
class MessageBoxScript
{
public:
    MessageBoxScript();
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript &) = delete;
    MessageBoxScript &operator=(const MessageBoxScript &) = delete;

    void answer(tv::MsgResult result) { m_answers.push_back(result); }
    const QList<tv::MessageBoxRequest> &shown() const { return m_shown; }
    void clear() { m_shown.clear(); m_answers.clear(); }

private:
    tv::MessageBoxHandler m_previous;
    QList<tv::MessageBoxRequest> m_shown;
    std::deque<tv::MsgResult> m_answers;
};

} // namespace tvtest

// Like QTEST_MAIN, with the user's folders isolated first.
#define TV_TEST_MAIN(TestObject)                                                                                       \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        const QTemporaryDir folders = tvtest::isolateUserFolders();                                                    \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
