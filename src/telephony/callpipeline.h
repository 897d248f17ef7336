#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class Presenter;
class TamTapiPro;
class TApdIniDBase;
struct AppSettingsRecord;
struct RunFlags;

// Turns the line's events into one handled call: asks the line for the caller data,
// normalises the number, logs it, passes it to client instances, finds the caller in
// the caller database, enters the call in the call log and, by mode, shows the caller
// card with the announcement or hands the call to another application.
class CallPipeline : public QObject
{
    Q_OBJECT

public:
    static inline const QString NoData = QStringLiteral("NO DATA");

    CallPipeline(TamTapiPro &tapi, TApdIniDBase &callerDB, TApdIniDBase &callLogDB, AppSettingsRecord &settings,
                 const RunFlags &flags, Presenter *presenter, QObject *parent = nullptr);

    void amTapiIncomingCall(int ringNumber);
    void amTapiCallState(const QString &state);
    void amTapiCallerID(const QString &number, const QString &name, int flags);

    // Writes one call-log record stamped with the current time; the record's time.
    QString LogCall(const QString &name, const QString &number);

    const QString &CurrentCallerID() const { return m_currentCallerID; }
    const QString &CurrentCallerName() const { return m_currentCallerName; }
    bool HandlingCall() const { return m_handlingCall; }
    bool CardTouched() const { return m_cardTouched; }
    void SetCardTouched(bool touched) { m_cardTouched = touched; }

    // The web directory look-up of a caller's name; without one the pipeline pauses
    // briefly instead, as it does when no directory is chosen.
    using DirectoryLookup = std::function<QString(const QString &number)>;
    void setDirectoryLookup(DirectoryLookup lookup) { m_directoryLookup = std::move(lookup); }

Q_SIGNALS:
    // "CALLERID:" number ";" name CR LF, for every connected client instance.
    void callerLineReady(const QByteArray &line);

private:
    void askLineForCallerData();
    void runPipeline(const QString &number);
    void logCallKeepingTheCall();

    TamTapiPro &m_tapi;
    TApdIniDBase &m_callerDB;
    TApdIniDBase &m_callLogDB;
    AppSettingsRecord &m_settings;
    const RunFlags &m_flags;
    Presenter *m_presenter;
    DirectoryLookup m_directoryLookup;

    QString m_currentCallerID = NoData;
    QString m_currentCallerName = NoData;
    bool m_handlingCall = false;
    bool m_cardTouched = false;
};

// The name of the caller database's record for the number, in key order the last one
// when several hold it; nothing when none does.
std::optional<QString> FindCallerName(TApdIniDBase &callerDB, const QString &number);

// "5551234567" becomes "555-123-4567"; other lengths stay as delivered.
QString PresentCallerNumber(const QString &number);
