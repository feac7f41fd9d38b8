#pragma once

#include <QString>

#include <exception>

namespace tv {

// A run-time error with a number, a source ("Class.Member") and a fixed
// description, raised by the window-support classes and module routines.
class RuntimeError : public std::exception
{
public:
    RuntimeError(long number, QString source, QString description)
        : m_number(number), m_source(std::move(source)), m_description(std::move(description)),
          m_what(m_description.toUtf8())
    {
    }

    long number() const noexcept { return m_number; }
    const QString &source() const noexcept { return m_source; }
    const QString &description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    long m_number;
    QString m_source;
    QString m_description;
    QByteArray m_what;
};

} // namespace tv
