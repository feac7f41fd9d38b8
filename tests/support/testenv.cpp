#include "support/testenv.h"

#include <QDir>

namespace tvtest {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

tv::RuntimeError errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const tv::RuntimeError &e) {
        return e;
    }
    return tv::RuntimeError(0, {}, {});
}

IsolatedUserFolders::IsolatedUserFolders()
{
    const QString base = m_dir.path();
    for (const char *sub : {"config", "data", "runtime", "cache", "home"})
        QDir(base).mkpath(QLatin1String(sub));
    QFile::setPermissions(base + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", (base + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (base + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (base + QStringLiteral("/runtime")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (base + QStringLiteral("/cache")).toLocal8Bit());
}

MessageBoxScript::MessageBoxScript()
{
    m_previous = tv::setMessageBoxHandler([this](const tv::MessageBoxRequest &request) {
        m_shown.append(request);
        if (!m_answers.empty()) {
            const tv::MsgResult r = m_answers.front();
            m_answers.pop_front();
            return r;
        }
        return request.buttons == tv::MsgButtons::YesNo || request.buttons == tv::MsgButtons::YesNoCancel
                   ? tv::MsgResult::No
                   : tv::MsgResult::Ok;
    });
}

MessageBoxScript::~MessageBoxScript()
{
    tv::setMessageBoxHandler(m_previous);
}

} // namespace tvtest
