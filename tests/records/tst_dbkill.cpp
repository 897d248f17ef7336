#include "records/apdinidbase.h"
#include "testenvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

// A database written by a process that is killed at an arbitrary moment must still load,
// whole and consistent.
class TestDbKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWriterNeverLeavesABrokenDatabase()
    {
        TestEnvironment env;
        const QString path = env.dataDir() + QStringLiteral("Callers.DB");
        const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/dbwriter");
        QRandomGenerator random(20261211);
        int kills = 0;
        QElapsedTimer clock;
        clock.start();
        // Forty kills, or as many as fit in half a minute on a slow (sanitizer) build.
        while (kills < 40 && clock.elapsed() < 30000) {
            QProcess process;
            process.start(writer, {path});
            QVERIFY2(process.waitForReadyRead(10000), qPrintable(process.errorString()));
            QCOMPARE(process.readLine().trimmed(), QByteArray("ready"));
            QTest::qSleep(int(random.bounded(1, 60)));
            ::kill(pid_t(process.processId()), SIGKILL);
            QVERIFY(process.waitForFinished(10000));
            ++kills;

            TApdIniDBase db(CallerFields());
            db.SetFileName(path);
            const QStringList keys = db.GetRecordList();
            QCOMPARE(db.GetNumRecs(), int(keys.size()));
            QVERIFY(!keys.isEmpty());
            for (const QString &key : keys) {
                const DbRecord record = db.GetRecord(key);
                QVERIFY2(record.text(QStringLiteral("CallerID")).startsWith(QLatin1String("555-")), qPrintable(key));
                QVERIFY(record.text(QStringLiteral("Picture")).endsWith(QLatin1String(".bmp")));
            }
        }
        QVERIFY(kills >= 10);
    }
};

QTEST_GUILESS_MAIN(TestDbKill)
#include "tst_dbkill.moc"
