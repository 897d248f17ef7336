#include "serverinput.h"

ServerInput::Received ServerInput::Append(QByteArrayView data)
{
    Received received;
    while (!data.isEmpty()) {
        if (m_skipping) {
            const qsizetype lineFeed = data.indexOf('\n');
            if (lineFeed < 0)
                break;
            data = data.sliced(lineFeed + 1);
            m_skipping = false;
            continue;
        }
        // Taken in the portions that fit, as a read of the free space would take them.
        const qsizetype portion = qMin(data.size(), Capacity - m_buffer.size());
        m_buffer.append(data.first(portion));
        data = data.sliced(portion);

        qsizetype start = 0;
        for (qsizetype lineFeed; (lineFeed = m_buffer.indexOf('\n', start)) >= 0; start = lineFeed + 1)
            received.Lines.append(m_buffer.mid(start, lineFeed - start));
        m_buffer.remove(0, start);

        // A full buffer without a line feed can never end its line: drop it and pick up
        // again after the next LF, rather than waiting for ever.
        if (m_buffer.size() == Capacity) {
            m_buffer.clear();
            m_skipping = true;
            ++received.DroppedLines;
        }
    }
    return received;
}

void ServerInput::Clear()
{
    m_buffer.clear();
    m_skipping = false;
}
