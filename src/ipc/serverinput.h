#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The client's receive buffer: bytes from the server wait here until a line feed ends
// their line. It holds at most Capacity bytes, so a line fits with its LF only when at
// most Capacity - 1 bytes come before the LF.
class ServerInput
{
public:
    static constexpr qsizetype Capacity = 1023;

    struct Received
    {
        // Complete lines in the order they came, each without its LF.
        QList<QByteArray> Lines;
        // Lines too long for the buffer; they are thrown away up to their LF.
        int DroppedLines = 0;
    };

    Received Append(QByteArrayView data);

    // A new connection starts clean, so the rest of a line from a lost connection is never
    // joined to the first line of the next one.
    void Clear();

    qsizetype Length() const { return m_buffer.size(); }

private:
    QByteArray m_buffer;
    // Inside a line that did not fit: everything up to its LF is thrown away.
    bool m_skipping = false;
};
