#include "amtapipro.h"

#include "app/diaglog.h"
#include "app/error.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString stateIdle = QStringLiteral("IDLE");
const QString stateOffering = QStringLiteral("OFFERING");
const QString stateProceeding = QStringLiteral("PROCEEDING");
const QString stateDisconnected = QStringLiteral("DISCONNECTED");

// Modems switch caller ID on with different commands; the first that answers OK wins.
const QStringList callerIdCommands = {
    QStringLiteral("AT+VCID=1"), QStringLiteral("AT#CID=1"), QStringLiteral("AT-STE=1;+VCID=1"),
    QStringLiteral("AT%CCID=1"), QStringLiteral("AT+CID=1"), QStringLiteral("AT+CLIP=1"),
};

// "0,1,1.0,8" or "(0-2,8)": the whole-number service classes a modem offers.
QSet<int> serviceClasses(const QStringList &lines)
{
    QSet<int> classes;
    static const QRegularExpression separators(QStringLiteral("[,()\\s]+"));
    for (const QString &line : lines) {
        for (const QString &token : line.split(separators, Qt::SkipEmptyParts)) {
            const QStringList range = token.split(QLatin1Char('-'));
            bool okFirst = false, okLast = false;
            const int first = range.value(0).toInt(&okFirst);
            const int last = range.size() == 2 ? range[1].toInt(&okLast) : first;
            if (okFirst && (range.size() == 1 || okLast) && last - first < 32) {
                for (int c = first; c <= last; ++c)
                    classes.insert(c);
            }
        }
    }
    return classes;
}

// "RING", a distinctive "RING A" or "RING1", or a mobile modem's "+CRING: VOICE".
bool isRing(const QString &line)
{
    return line == QLatin1String("RING") || (line.startsWith(QLatin1String("RING")) && line.size() <= 6)
        || line.startsWith(QLatin1String("+CRING"));
}

bool endsOutgoingCall(const QString &line)
{
    static const QStringList endings = {QStringLiteral("BUSY"), QStringLiteral("NO DIALTONE"),
                                        QStringLiteral("NO DIAL TONE"), QStringLiteral("NO CARRIER"),
                                        QStringLiteral("NO ANSWER")};
    return endings.contains(line);
}

// The modem reset can take a moment; a device that stays silent is not a modem.
ModemPort::Response resetModem(ModemPort &modem)
{
    ModemPort::Response response = modem.command(QStringLiteral("ATZ"), 2500);
    if (response.result == ModemPort::Result::NoAnswer)
        response = modem.command(QStringLiteral("AT"), 1000);
    return response;
}

} // namespace

TamTapiPro::TamTapiPro(QObject *parent)
    : QObject(parent)
{
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(DefaultIdleTimeoutMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &TamTapiPro::goIdle);

    // Formatted caller ID arrives line by line; a block without a name line is
    // complete once the modem has been quiet for a moment.
    m_callerIdQuietTimer.setSingleShot(true);
    m_callerIdQuietTimer.setInterval(400);
    connect(&m_callerIdQuietTimer, &QTimer::timeout, this, &TamTapiPro::reportCallerId);

    m_reconnectTimer.setInterval(2000);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &TamTapiPro::tryReconnect);

    connect(&m_modem.port(), &QSerialPort::readyRead, this, &TamTapiPro::readAvailable);
    connect(&m_modem.port(), &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError || error == QSerialPort::WriteError) {
            // Closing the port inside its own error signal is not safe; do it next.
            QMetaObject::invokeMethod(this, &TamTapiPro::deviceVanished, Qt::QueuedConnection);
        }
    });
}

TamTapiPro::~TamTapiPro()
{
    closePort();
}

int TamTapiPro::LineCount()
{
    m_devices = ListLineDevices();
    return int(m_devices.size());
}

QString TamTapiPro::GetLineName(int index)
{
    if (index < 0 || index >= m_devices.size())
        throw RingseerError(QStringLiteral("no line device number ") + QString::number(index));
    return m_devices[index].name;
}

void TamTapiPro::SetLineName(const QString &name)
{
    m_lineName = name;
}

const TamTapiPro::Capabilities &TamTapiPro::capabilitiesOfSelectedLine()
{
    auto it = m_capabilities.find(m_lineName);
    if (it == m_capabilities.end())
        it = m_capabilities.insert(m_lineName, probe(LinePathForName(m_lineName)));
    return *it;
}

int TamTapiPro::DevCaps()
{
    const Capabilities &caps = capabilitiesOfSelectedLine();
    if (!caps.usable)
        throw RingseerError(caps.failure);
    return caps.devCaps;
}

int TamTapiPro::LineUsable()
{
    return capabilitiesOfSelectedLine().usable ? 1 : 0;
}

TamTapiPro::Capabilities TamTapiPro::probe(const QString &path)
{
    ModemPort modem;
    Capabilities caps;
    try {
        caps = initialiseModem(modem, path, m_capabilities.value(m_lineName).callerIdCommand);
    } catch (const RingseerError &error) {
        caps.failure = error.message();
    }
    modem.close();
    return caps;
}

TamTapiPro::Capabilities TamTapiPro::initialiseModem(ModemPort &modem, const QString &path,
                                                     const QString &preferredCallerIdCommand)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        throw RingseerError(QStringLiteral("line device not found"));
    modem.open(path);
    if (resetModem(modem).result == ModemPort::Result::NoAnswer) {
        modem.close();
        throw RingseerError(QStringLiteral("the modem does not answer"));
    }
    modem.command(QStringLiteral("ATE0V1Q0"));
    // Identification only goes to the log, for whoever supports the installation.
    const QString identity = modem.command(QStringLiteral("ATI3")).lines.join(QLatin1Char(' '))
        + QLatin1Char(' ') + modem.command(QStringLiteral("AT+GMM")).lines.join(QLatin1Char(' '));

    Capabilities caps;
    caps.usable = true;
    const QSet<int> classes = serviceClasses(modem.command(QStringLiteral("AT+FCLASS=?")).lines);
    if (classes.contains(8))
        caps.devCaps |= AutomatedVoice | InteractiveVoice;
    if (classes.contains(0)) {
        caps.devCaps |= DataModem;
        // Caller ID is reported in the data class, also by voice modems.
        modem.command(QStringLiteral("AT+FCLASS=0"));
    }
    QStringList commands = callerIdCommands;
    if (!preferredCallerIdCommand.isEmpty())
        commands.prepend(preferredCallerIdCommand);
    for (const QString &command : std::as_const(commands)) {
        if (modem.command(command).result == ModemPort::Result::Ok) {
            caps.devCaps |= CallerIdCapable;
            caps.callerIdCommand = command;
            break;
        }
    }
    if (!m_identityLogged.contains(path)) {
        m_identityLogged.insert(path);
        WriteLog(path + QStringLiteral(": modem ") + identity.simplified()
                 + (caps.callerIdCommand.isEmpty() ? QStringLiteral(", no caller ID command")
                                                   : QStringLiteral(", caller ID by ") + caps.callerIdCommand));
    }
    return caps;
}

void TamTapiPro::SetLineOpen(bool open)
{
    if (!open) {
        m_wantOpen = false;
        m_vanished = false;
        m_reconnectTimer.stop();
        m_idleTimer.stop();
        m_callerIdQuietTimer.stop();
        closePort();
        m_capabilities.clear();
        m_ringCount = 0;
        m_callerIdReported = false;
        m_callState = stateIdle;
        return;
    }
    if (m_wantOpen && m_modem.isOpen())
        return;
    openAndInitialise();
    m_wantOpen = true;
    m_vanished = false;
}

void TamTapiPro::openAndInitialise()
{
    // The blocking exchanges also raise readyRead; the call reader stays out until done.
    QSignalBlocker quiet(&m_modem.port());
    const QString path = LinePathForName(m_lineName);
    const Capabilities caps =
        initialiseModem(m_modem, path, m_capabilities.value(m_lineName).callerIdCommand);
    m_capabilities.insert(m_lineName, caps);
    m_openPath = path;
    m_readBuffer.clear();
    m_collector.clear();
}

void TamTapiPro::closePort()
{
    m_modem.close();
    m_openPath.clear();
    m_readBuffer.clear();
}

void TamTapiPro::readAvailable()
{
    if (!m_modem.isOpen())
        return;
    m_readBuffer += m_modem.port().readAll();
    // Lines are taken off the buffer one at a time: a handler of an event raised here
    // may run a nested event loop that reads further lines meanwhile.
    for (;;) {
        qsizetype end = -1;
        for (qsizetype i = 0; i < m_readBuffer.size(); ++i) {
            if (m_readBuffer[i] == '\r' || m_readBuffer[i] == '\n') {
                end = i;
                break;
            }
        }
        if (end < 0)
            break;
        const QString line = QString::fromLatin1(m_readBuffer.left(end)).trimmed();
        m_readBuffer.remove(0, end + 1);
        if (!line.isEmpty())
            readLine(line);
    }
    // A modem that floods us with garbage without line ends must not grow the buffer.
    if (m_readBuffer.size() > 4096)
        m_readBuffer.clear();
}

void TamTapiPro::readLine(const QString &line)
{
    if (isRing(line)) {
        handleRing();
        return;
    }
    if (m_collector.feed(line)) {
        m_idleTimer.start();
        if (m_collector.complete())
            reportCallerId();
        else
            m_callerIdQuietTimer.start();
        return;
    }
    if (m_callState == stateProceeding && endsOutgoingCall(line))
        setCallState(stateDisconnected);
}

void TamTapiPro::handleRing()
{
    if (m_collector.hasData())
        reportCallerId();
    m_idleTimer.start();
    ++m_ringCount;
    if (m_ringCount == 1)
        setCallState(stateOffering);
    Q_EMIT OnIncomingCall(m_ringCount);
}

void TamTapiPro::reportCallerId()
{
    m_callerIdQuietTimer.stop();
    if (!m_collector.hasData())
        return;
    // Mobile modems repeat the caller's line after every ring: one call, one report.
    const CallerData data = m_collector.data();
    m_collector.clear();
    if (m_callerIdReported && data == m_callerData)
        return;
    m_callerData = data;
    m_callerIdReported = true;
    Q_EMIT OnCallerID(m_callerData.number, m_callerData.name, m_callerData.flags);
}

void TamTapiPro::setCallState(const QString &state)
{
    m_callState = state;
    Q_EMIT OnCallState(state);
}

void TamTapiPro::goIdle()
{
    m_idleTimer.stop();
    m_callerIdQuietTimer.stop();
    m_collector.clear();
    m_ringCount = 0;
    m_callerData = CallerData();
    m_callerIdReported = false;
    setCallState(stateIdle);
}

void TamTapiPro::GetCallerID(QString &number, QString &name, int &flags) const
{
    number = m_callerData.number;
    name = m_callerData.name;
    flags = m_callerData.flags;
}

void TamTapiPro::MakeCall(const QString &number)
{
    if (!m_modem.isOpen())
        throw RingseerError(QStringLiteral("the line is not open"));
    QString dialable;
    for (QChar c : number) {
        if (c.isDigit() || c == QLatin1Char('*') || c == QLatin1Char('#') || c == QLatin1Char(','))
            dialable += c;
    }
    if (dialable.isEmpty())
        throw RingseerError(QStringLiteral("no number to dial in ") + number);
    // The trailing ";" keeps the modem in command mode: a voice call, not a data link.
    m_modem.port().write("ATDT" + dialable.toLatin1() + ";\r");
    m_modem.port().flush();
    setCallState(stateProceeding);
}

void TamTapiPro::HangUp()
{
    if (m_modem.isOpen()) {
        // Any character stops a modem that is still dialling; then hang up.
        m_modem.port().write("\rATH0\r");
        m_modem.port().flush();
    }
    goIdle();
}

void TamTapiPro::deviceVanished()
{
    if (!m_wantOpen || m_vanished || !m_modem.isOpen())
        return;
    m_vanished = true;
    WriteLog(m_lineName + QStringLiteral(": line device vanished (") + m_modem.port().errorString()
             + QStringLiteral("), waiting for it to return"));
    closePort();
    if (m_callState != stateIdle || m_ringCount > 0)
        goIdle();
    m_reconnectTimer.start();
}

void TamTapiPro::tryReconnect()
{
    if (!m_wantOpen) {
        m_reconnectTimer.stop();
        return;
    }
    const QString path = LinePathForName(m_lineName);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    try {
        openAndInitialise();
    } catch (const RingseerError &) {
        closePort();
        return;
    }
    m_vanished = false;
    m_reconnectTimer.stop();
    WriteLog(m_lineName + QStringLiteral(": line device is back"));
}
