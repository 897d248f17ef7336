#include "soundcheck.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <sndfile.h>

#include <sys/prctl.h>

#include <csignal>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// A crashed test must not leave a sound server or a recorder behind.
void endWithParent(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

} // namespace

VoiceEnvironment::VoiceEnvironment()
{
    installData();
    m_language.LoadFile(dataDir() + QStringLiteral("language.csv"));
    SetTheLanguage(&m_language);
}

VoiceEnvironment::~VoiceEnvironment()
{
    SetTheLanguage(nullptr);
}

QStringList VoiceEnvironment::playingErrors() const
{
    return readLog().split(QLatin1Char('\n')).filter(QStringLiteral("Error playing voice file: "));
}

bool writeToneFile(const QString &path, int frequencyHz, int milliseconds)
{
    constexpr int rate = 22050;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<short> samples(size_t(rate) * size_t(milliseconds) / 1000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = short(16000 * std::sin(2 * std::numbers::pi * frequencyHz * double(i) / rate));
    const bool written = sf_writef_short(file, samples.data(), sf_count_t(samples.size())) == sf_count_t(samples.size());
    return sf_close(file) == 0 && written;
}

void useSoundServer(const QString &address, const QString &clientConfigFolder)
{
    const QString config = QDir(clientConfigFolder).filePath(QStringLiteral("client.conf"));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write("autospawn = no\n");
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(config));
    qputenv("PULSE_SERVER", address.toLocal8Bit());
}

PulseServer::~PulseServer()
{
    stop();
}

bool PulseServer::installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pactl")).isEmpty();
}

QString PulseServer::address() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("native"));
}

bool PulseServer::start(QString *error)
{
    const QDir dir(m_dir.path());
    dir.mkpath(QStringLiteral("home"));
    dir.mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(dir.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile script(dir.filePath(QStringLiteral("default.pa")));
    if (!script.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write the server script");
        return false;
    }
    // Anonymous access on a socket in our own folder: the test process need not share
    // the daemon's cookie, and nobody else can reach the folder.
    script.write("load-module module-native-protocol-unix auth-anonymous=1 socket=");
    script.write(QFile::encodeName(dir.filePath(QStringLiteral("native"))));
    script.write("\nload-module module-null-sink sink_name=ringseer_null\nset-default-sink ringseer_null\n");
    script.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("home")));
    env.remove(QStringLiteral("PULSE_SERVER"));
    m_daemon = std::make_unique<QProcess>();
    endWithParent(*m_daemon);
    m_daemon->setProcessEnvironment(env);
    m_daemon->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Run in the foreground as a child we can end: as root, pulseaudio only warns that
    // it is "not intended to be run as root" and works as a per-user server; --system
    // is not wanted (it would take the system-wide socket). -n skips the machine's
    // default script, so the null sink is the only sink, and no PID file is written
    // that could clash with a real user's server.
    m_daemon->start(QStringLiteral("pulseaudio"),
                    {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                     QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-target=stderr"),
                     QStringLiteral("--log-level=error"), QStringLiteral("-F"), script.fileName()});
    if (!m_daemon->waitForStarted(5000)) {
        *error = QStringLiteral("pulseaudio did not start: ") + m_daemon->errorString();
        return false;
    }

    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_daemon->state() != QProcess::Running) {
            *error = QStringLiteral("pulseaudio exited with %1").arg(m_daemon->exitCode());
            return false;
        }
        if (QFileInfo::exists(dir.filePath(QStringLiteral("native")))) {
            QProcess probe;
            probe.start(QStringLiteral("pactl"), {QStringLiteral("-s"), address(), QStringLiteral("info")});
            if (probe.waitForFinished(3000) && probe.exitCode() == 0) {
                if (startMonitorRecorder())
                    return true;
                *error = QStringLiteral("parec did not record the null sink's monitor");
                return false;
            }
        }
        QThread::msleep(50);
    }
    *error = QStringLiteral("pulseaudio did not answer within 10 s");
    return false;
}

void PulseServer::stop()
{
    if (m_recorder && m_recorder->state() != QProcess::NotRunning) {
        m_recorder->terminate();
        if (!m_recorder->waitForFinished(5000))
            m_recorder->kill();
        m_recorder->waitForFinished(5000);
    }
    m_recorder.reset();
    if (m_daemon && m_daemon->state() != QProcess::NotRunning) {
        m_daemon->terminate();
        if (!m_daemon->waitForFinished(5000)) {
            m_daemon->kill();
            m_daemon->waitForFinished(5000);
        }
    }
    m_daemon.reset();
}

bool PulseServer::startMonitorRecorder()
{
    m_recorder = std::make_unique<QProcess>();
    endWithParent(*m_recorder);
    m_recorder->setStandardOutputFile(recordingPath());
    m_recorder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A short latency: parec loses what it still buffers when it is ended.
    m_recorder->start(QStringLiteral("parec"),
                      {QStringLiteral("-s"), address(), QStringLiteral("-d"), QStringLiteral("ringseer_null.monitor"),
                       QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--rate=%1").arg(RecordRate), QStringLiteral("--channels=1"),
                       QStringLiteral("--latency-msec=20")});
    if (!m_recorder->waitForStarted(5000))
        return false;
    // An idle null sink wakes up late (about two seconds here) for a new recorder;
    // from then on the monitor delivers in real time, silence included.
    const QDeadlineTimer deadline(10000);
    while (QFileInfo(recordingPath()).size() < RecordRate / 10) {
        if (deadline.hasExpired() || m_recorder->state() != QProcess::Running)
            return false;
        QThread::msleep(20);
    }
    return true;
}

bool PulseServer::startRecording()
{
    if (!m_recorder || m_recorder->state() != QProcess::Running)
        return false;
    m_mark = QFileInfo(recordingPath()).size() & ~qint64(1);
    return true;
}

QByteArray PulseServer::stopRecording()
{
    // Let the server pass on what it still holds.
    QTest::qWait(300);
    QFile file(recordingPath());
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_mark))
        return {};
    return file.readAll();
}

namespace {

constexpr int WindowMs = 20;
constexpr int WindowSamples = PulseServer::RecordRate * WindowMs / 1000;
constexpr double SoundRms = 300;
constexpr int MinToneWindows = 200 / WindowMs;
constexpr int MinSpeechWindows = 100 / WindowMs;

int crossingsFor(int frequencyHz)
{
    return 2 * frequencyHz * WindowMs / 1000;
}

// One letter per window: '.' silence, 'A' or 'B' a window of that tone, 's' other sound.
QByteArray windowLabels(const QByteArray &recording)
{
    const auto *samples = reinterpret_cast<const qint16 *>(recording.constData());
    const qsizetype count = recording.size() / qsizetype(sizeof(qint16));
    QByteArray labels;
    for (qsizetype start = 0; start + WindowSamples <= count; start += WindowSamples) {
        double energy = 0;
        int crossings = 0;
        int sign = 0;
        for (int i = 0; i < WindowSamples; ++i) {
            const int sample = samples[start + i];
            energy += double(sample) * sample;
            // A little hysteresis so that low noise does not count as crossings.
            const int now = sample > 100 ? 1 : sample < -100 ? -1 : sign;
            if (sign != 0 && now != sign)
                ++crossings;
            sign = now;
        }
        const double rms = std::sqrt(energy / WindowSamples);
        if (rms < SoundRms)
            labels += '.';
        else if (qAbs(crossings - crossingsFor(ToneAHz)) <= 2)
            labels += 'A';
        else if (qAbs(crossings - crossingsFor(ToneBHz)) <= 3)
            labels += 'B';
        else
            labels += 's';
    }
    return labels;
}

} // namespace

QString heardParts(const QByteArray &recording)
{
    const QByteArray labels = windowLabels(recording);
    QStringList parts;
    int speechWindows = 0;
    auto endSpeech = [&] {
        if (speechWindows >= MinSpeechWindows)
            parts << QStringLiteral("s");
        speechWindows = 0;
    };
    for (qsizetype i = 0; i < labels.size();) {
        qsizetype run = 1;
        while (i + run < labels.size() && labels[i + run] == labels[i])
            ++run;
        const char label = labels[i];
        if ((label == 'A' || label == 'B') && run >= MinToneWindows) {
            endSpeech();
            parts << QString(QLatin1Char(label));
        } else if (label != '.') {
            // Short runs that look like a tone are pieces of speech.
            speechWindows += int(run);
        }
        i += run;
    }
    endSpeech();
    return parts.join(QLatin1Char(' '));
}

int soundMilliseconds(const QByteArray &recording)
{
    const QByteArray labels = windowLabels(recording);
    return int(labels.size() - labels.count('.')) * WindowMs;
}

int longestToneMilliseconds(const QByteArray &recording, int frequencyHz)
{
    const char wanted = frequencyHz == ToneAHz ? 'A' : 'B';
    int longest = 0;
    int run = 0;
    for (const char label : windowLabels(recording)) {
        run = label == wanted ? run + 1 : 0;
        longest = qMax(longest, run);
    }
    return longest * WindowMs;
}
