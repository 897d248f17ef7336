#pragma once

#include <QString>

#include <exception>

// The error every layer throws: the message text is what the user or the log sees.
class RingseerError : public std::exception
{
public:
    explicit RingseerError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
