#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Caller-ID flag bits as the telephony control reports them.
enum CallerIdFlag { CallerIdWithheld = 1, CallerIdNamePresent = 4, CallerIdNumberPresent = 8 };

struct CallerData
{
    QString number;
    QString name;
    int flags = 0;

    bool operator==(const CallerData &) const = default;
};

// Collects the caller-ID lines a modem prints between or before rings. Modems differ:
// "NMBR = 5551234567" or "NMBR=5551234567", DDN_NMBR instead of NMBR, "P"/"PRIVATE"
// for a withheld number and "O" for one out of area, or the raw message as hex digits
// (multiple or single data message format), on one line or wrapped over several; and
// mobile-network modems report "+CLIP:" lines.
class CallerIdCollector
{
public:
    // Takes one line (without its line end). True when the line was caller-ID data.
    bool feed(const QString &line);

    bool hasData() const { return m_hasData; }
    // True once the block is complete enough to report without waiting for more lines.
    bool complete() const { return m_complete; }
    CallerData data() const { return m_data; }
    void clear();

private:
    void setNumber(const QString &value);
    void setName(const QString &value);

    CallerData m_data;
    // The hex digits of a raw message whose rest is still to come on the next line.
    QString m_pendingHex;
    bool m_hasData = false;
    bool m_complete = false;
};

// Decodes a raw caller-ID message given as hex digits; nothing when the text is not a
// valid message (wrong type, length or checksum).
std::optional<CallerData> DecodeCallerIdMessage(const QString &hex);
