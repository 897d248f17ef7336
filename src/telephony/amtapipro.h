#pragma once

#include "callerid.h"
#include "linedevices.h"
#include "modemport.h"

#include <QHash>
#include <QSet>
#include <QObject>
#include <QTimer>

// The telephony control: line devices, their capabilities, one open line and its call
// events, over a caller-ID modem on a serial port. Errors are thrown as RingseerError
// whose message says what went wrong with the line.
class TamTapiPro : public QObject
{
    Q_OBJECT

public:
    enum DevCapsBit {
        AutomatedVoice = 0x8,
        InteractiveVoice = 0x4,
        DataModem = 0x10,
        CallerIdCapable = 0x1000,
    };

    static constexpr int DefaultIdleTimeoutMs = 7000;

    explicit TamTapiPro(QObject *parent = nullptr);
    ~TamTapiPro() override;

    int LineCount();
    QString GetLineName(int index);

    QString LineName() const { return m_lineName; }
    void SetLineName(const QString &name);

    // Capabilities and usability of the selected line, found by asking the modem.
    int DevCaps();
    int LineUsable();

    void SetMediaMode(unsigned mode) { m_mediaMode = mode; }
    unsigned MediaMode() const { return m_mediaMode; }
    void SetCallPrivilege(unsigned privilege) { m_callPrivilege = privilege; }
    unsigned CallPrivilege() const { return m_callPrivilege; }

    // True while the line is meant to be open, also while its device is away and
    // waiting to come back.
    bool LineOpen() const { return m_wantOpen; }
    void SetLineOpen(bool open);

    QString CallStateText() const { return m_callState; }
    void GetCallerID(QString &number, QString &name, int &flags) const;
    void MakeCall(const QString &number);
    void HangUp();

    // Time without a ring after which a call counts as gone.
    void setIdleTimeout(int milliseconds) { m_idleTimer.setInterval(milliseconds); }
    // How often an open line whose device vanished looks for it again.
    void setReconnectInterval(int milliseconds) { m_reconnectTimer.setInterval(milliseconds); }

Q_SIGNALS:
    void OnCallState(const QString &state);
    void OnCallerID(const QString &number, const QString &name, int flags);
    void OnIncomingCall(int ringNumber);

private:
    struct Capabilities
    {
        bool usable = false;
        int devCaps = 0;
        QString callerIdCommand;
        QString failure;
    };

    const Capabilities &capabilitiesOfSelectedLine();
    Capabilities probe(const QString &path);
    Capabilities initialiseModem(ModemPort &modem, const QString &path, const QString &preferredCallerIdCommand);
    void openAndInitialise();
    void readLine(const QString &line);
    void readAvailable();
    void handleRing();
    void reportCallerId();
    void setCallState(const QString &state);
    void goIdle();
    void deviceVanished();
    void tryReconnect();
    void closePort();

    QList<LineDevice> m_devices;
    QString m_lineName;
    QString m_openPath;
    QHash<QString, Capabilities> m_capabilities;
    unsigned m_mediaMode = 0;
    unsigned m_callPrivilege = 0;
    bool m_wantOpen = false;

    ModemPort m_modem;
    QByteArray m_readBuffer;
    QString m_callState = QStringLiteral("IDLE");
    int m_ringCount = 0;
    CallerIdCollector m_collector;
    CallerData m_callerData;
    bool m_callerIdReported = false;

    QTimer m_idleTimer;
    QTimer m_callerIdQuietTimer;
    QTimer m_reconnectTimer;
    bool m_vanished = false;
    QSet<QString> m_identityLogged;
};
