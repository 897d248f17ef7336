#include "callerid.h"

#include <QRegularExpression>

namespace {

enum MessageType : unsigned char { SingleDataMessage = 0x04, MultipleDataMessage = 0x80 };

enum Parameter : unsigned char {
    DateTime = 0x01,
    Number = 0x02,
    DialableNumber = 0x03,
    NumberAbsent = 0x04,
    Name = 0x07,
    NameAbsent = 0x08,
};

bool isWithheldMarker(const QString &value)
{
    return value.compare(QLatin1String("P"), Qt::CaseInsensitive) == 0
        || value.compare(QLatin1String("PRIVATE"), Qt::CaseInsensitive) == 0;
}

bool isOutOfAreaMarker(const QString &value)
{
    return value.compare(QLatin1String("O"), Qt::CaseInsensitive) == 0
        || value.compare(QLatin1String("OUT-OF-AREA"), Qt::CaseInsensitive) == 0
        || value.compare(QLatin1String("UNAVAILABLE"), Qt::CaseInsensitive) == 0;
}

QString latin1(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes).trimmed();
}

void applyNumber(CallerData &data, const QString &value)
{
    if (isWithheldMarker(value)) {
        data.flags = (data.flags & ~CallerIdNumberPresent) | CallerIdWithheld;
        data.number.clear();
    } else if (isOutOfAreaMarker(value) || value.isEmpty()) {
        data.flags &= ~CallerIdNumberPresent;
        data.number.clear();
    } else {
        data.number = value;
        data.flags = (data.flags & ~CallerIdWithheld) | CallerIdNumberPresent;
    }
}

void applyName(CallerData &data, const QString &value)
{
    if (isWithheldMarker(value) || isOutOfAreaMarker(value) || value.isEmpty()) {
        data.flags &= ~CallerIdNamePresent;
        data.name.clear();
    } else {
        data.name = value;
        data.flags |= CallerIdNamePresent;
    }
}

// The comma-separated values after "+CLIP:", quotes taken off.
QStringList clipValues(QStringView text)
{
    QStringList values(1);
    bool quoted = false;
    for (QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            values.append(QString());
        else
            values.last() += c;
    }
    for (QString &value : values)
        value = value.trimmed();
    return values;
}

// Mobile-network modems: +CLIP: "number",type[,"subaddress",satype[,"name"[,validity]]]
// where validity 1 means withheld by the caller and 2 not available from the network.
CallerData clipData(QStringView text)
{
    const QStringList values = clipValues(text);
    CallerData data;
    const QString validity = values.value(5);
    if (validity == QLatin1String("1"))
        applyNumber(data, QStringLiteral("P"));
    else if (validity == QLatin1String("2"))
        applyNumber(data, QStringLiteral("O"));
    else
        applyNumber(data, values.value(0));
    applyName(data, values.value(4));
    return data;
}

bool isHexLine(const QString &line)
{
    static const QRegularExpression hexDigits(QStringLiteral("^[0-9A-Fa-f ]+$"));
    return hexDigits.match(line).hasMatch();
}

// The first part of a raw message whose declared length is not there yet.
bool isStartOfLongerMessage(const QString &hex)
{
    if (hex.size() < 4 || hex.size() % 2 != 0)
        return false;
    const QByteArray head = QByteArray::fromHex(hex.left(4).toLatin1());
    const auto type = static_cast<unsigned char>(head[0]);
    const int length = static_cast<unsigned char>(head[1]);
    return (type == SingleDataMessage || type == MultipleDataMessage) && hex.size() / 2 < length + 3;
}

} // namespace

std::optional<CallerData> DecodeCallerIdMessage(const QString &hex)
{
    static const QRegularExpression hexOnly(QStringLiteral("^(?:[0-9A-Fa-f]{2})+$"));
    const QString compact = QString(hex).remove(QLatin1Char(' '));
    if (!hexOnly.match(compact).hasMatch())
        return std::nullopt;
    const QByteArray bytes = QByteArray::fromHex(compact.toLatin1());
    if (bytes.size() < 3)
        return std::nullopt;
    const auto type = static_cast<unsigned char>(bytes[0]);
    const int length = static_cast<unsigned char>(bytes[1]);
    if ((type != SingleDataMessage && type != MultipleDataMessage) || bytes.size() < length + 3)
        return std::nullopt;
    unsigned char sum = 0;
    for (qsizetype i = 0; i < length + 3; ++i)
        sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(bytes[i]));
    if (sum != 0)
        return std::nullopt;

    const QByteArray body = bytes.mid(2, length);
    CallerData data;
    if (type == SingleDataMessage) {
        // Eight digits of date and time, then the number or a one-letter reason.
        if (body.size() < 8)
            return std::nullopt;
        applyNumber(data, latin1(body.mid(8)));
        return data;
    }
    for (qsizetype pos = 0; pos + 2 <= body.size();) {
        const auto parameter = static_cast<unsigned char>(body[pos]);
        const int size = static_cast<unsigned char>(body[pos + 1]);
        if (pos + 2 + size > body.size())
            return std::nullopt;
        const QString value = latin1(body.mid(pos + 2, size));
        switch (parameter) {
        case Number:
        case DialableNumber:
        case NumberAbsent:
            applyNumber(data, value);
            break;
        case Name:
        case NameAbsent:
            applyName(data, value);
            break;
        default:
            break;
        }
        pos += 2 + size;
    }
    return data;
}

bool CallerIdCollector::feed(const QString &line)
{
    static const QRegularExpression field(QStringLiteral("^\\s*([A-Z_]+)\\s*[=:]\\s?(.*)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return false;

    if (isHexLine(trimmed)) {
        // Some modems wrap a long raw message over several lines.
        const QString hex = m_pendingHex + QString(trimmed).remove(QLatin1Char(' '));
        if (const std::optional<CallerData> decoded = DecodeCallerIdMessage(hex)) {
            m_pendingHex.clear();
            m_data = *decoded;
            m_hasData = true;
            m_complete = true;
            return true;
        }
        if (isStartOfLongerMessage(hex)) {
            m_pendingHex = hex;
            return true;
        }
    }
    m_pendingHex.clear();

    if (trimmed.startsWith(QLatin1String("+CLIP:"), Qt::CaseInsensitive)) {
        m_data = clipData(QStringView(trimmed).sliced(6));
        m_hasData = true;
        m_complete = true;
        return true;
    }

    const QRegularExpressionMatch match = field.match(trimmed);
    if (!match.hasMatch())
        return false;
    const QString name = match.captured(1).toUpper();
    const QString value = match.captured(2).trimmed();
    if (name == QLatin1String("NMBR") || name == QLatin1String("DDN_NMBR") || name == QLatin1String("NUMBER")) {
        setNumber(value);
    } else if (name == QLatin1String("NAME")) {
        setName(value);
        // The name is the last line real modems send for a call.
        m_complete = true;
    } else if (name == QLatin1String("DATE") || name == QLatin1String("TIME") || name == QLatin1String("MESG")) {
        m_hasData = true;
    } else {
        return false;
    }
    return true;
}

void CallerIdCollector::setNumber(const QString &value)
{
    applyNumber(m_data, value);
    m_hasData = true;
}

void CallerIdCollector::setName(const QString &value)
{
    applyName(m_data, value);
    m_hasData = true;
}

void CallerIdCollector::clear()
{
    m_pendingHex.clear();
    m_data = CallerData();
    m_hasData = false;
    m_complete = false;
}
