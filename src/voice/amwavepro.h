#pragma once

#include "pcmplayer.h"

#include <QObject>
#include <QString>

// The wave-audio control of the main form: plays the sound file named by PlayFilename.
// libsndfile decodes the file; the sound goes out through PcmPlayer. Failures reach the
// caller as RingseerError with a message text, as the control's errors always did.
class TamWavePro : public QObject
{
    Q_OBJECT

public:
    explicit TamWavePro(QObject *parent = nullptr);

    QString PlayFilename() const { return m_playFilename; }
    void setPlayFilename(const QString &fileName) { m_playFilename = fileName; }

    // Starts playing PlayFilename; the argument is unused and always 0. Throws
    // RingseerError when the file does not decode or there is no audio output device.
    void Play(int flags);
    // True from Play until the file has been played to its end. Throws RingseerError
    // when the device failed meanwhile or the sound overran its length.
    bool Playing();

private:
    QString m_playFilename;
    PcmPlayer m_player;
};
