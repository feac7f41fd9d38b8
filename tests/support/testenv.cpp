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

QTemporaryDir isolateUserFolders()
{
    QTemporaryDir dir;
    for (const auto &[sub, variable] : {std::pair{"config", "XDG_CONFIG_HOME"}, {"data", "XDG_DATA_HOME"},
                                        {"runtime", "XDG_RUNTIME_DIR"}, {"cache", "XDG_CACHE_HOME"}}) {
        const QString path = dir.filePath(QLatin1String(sub));
        QDir().mkpath(path);
        qputenv(variable, path.toLocal8Bit());
    }
    QFile::setPermissions(dir.filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return dir;
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
