// bench_records: the record databases at their full size of 999 records.
//
// Usage: bench_records [ROUNDS]       (default: 200)
//
// Reports median, 95th percentile and worst time of
//   - finding a caller by number in a 999-record caller database, as a call does it:
//     with the file unchanged since the last call (warm), and just after another
//     program rewrote it (cold: read and parsed again);
//   - adding a record to a 998-record database (the whole file written anew);
//   - filling the call log window's list from a 999-record call log.
// The files live in a temporary folder on the file system of TMPDIR.

#include "app/ringseerapp.h"
#include "formfixture.h"
#include "records/apdinidbase.h"
#include "records/calllogform.h"
#include "telephony/callpipeline.h"

#include <QApplication>
#include <QFile>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures
{
    double median = 0;
    double p95 = 0;
    double worst = 0;
};

Figures measure(int rounds, const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> ms;
    ms.reserve(size_t(rounds));
    for (int round = 0; round < rounds; ++round) {
        prepare();
        const auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back()};
}

void report(const char *what, const Figures &figures)
{
    std::printf("%-44s median %8.3f ms   p95 %8.3f ms   worst %8.3f ms\n", what, figures.median, figures.p95,
                figures.worst);
}

QString callerName(int index)
{
    return QStringLiteral("Caller %1").arg(index, 3, 10, QLatin1Char('0'));
}

QString callerNumber(int index)
{
    return QStringLiteral("555-%1-%2").arg(100 + index / 10, 3, 10, QLatin1Char('0')).arg(index, 4, 10, QLatin1Char('0'));
}

void fillCallers(TApdIniDBase &db, int count)
{
    for (int index = 0; index < count; ++index) {
        DbRecord record = db.NewRecord();
        record.setText(QStringLiteral("CallerName"), callerName(index));
        record.setText(QStringLiteral("CallerID"), callerNumber(index));
        record.setText(QStringLiteral("Picture"), QStringLiteral("Caller.bmp"));
        db.AddRecord(record);
    }
}

void benchCallers(const QString &folder, int rounds)
{
    const QString path = folder + QStringLiteral("Callers.DB");
    QFile::remove(path);
    TApdIniDBase writer(CallerFields());
    writer.SetFileName(path);
    fillCallers(writer, TApdIniDBase::MaxRecords);
    writer.SetOpen(false);

    TApdIniDBase callers(CallerFields());
    callers.SetFileName(path);
    const QString wanted = callerNumber(TApdIniDBase::MaxRecords / 2);
    if (FindCallerName(callers, wanted) != callerName(TApdIniDBase::MaxRecords / 2)) {
        std::fprintf(stderr, "look-up found the wrong caller\n");
        std::exit(1);
    }
    report("find a caller among 999 (file unchanged)", measure(rounds, [] {}, [&] { FindCallerName(callers, wanted); }));

    // Another program's change: same content, new file, so the stamp differs.
    const QByteArray bytes = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    const QString other = folder + QStringLiteral("Callers.DB.other");
    report("find a caller among 999 (file rewritten)",
           measure(
               rounds,
               [&] {
                   QFile file(other);
                   file.open(QIODevice::WriteOnly | QIODevice::Truncate);
                   file.write(bytes);
                   file.close();
                   QFile::remove(path);
                   QFile::rename(other, path);
               },
               [&] { FindCallerName(callers, wanted); }));

    // Down to 998, then one add and its removal per round.
    callers.DelRecord(callerName(TApdIniDBase::MaxRecords - 1));
    DbRecord added = callers.NewRecord();
    added.setText(QStringLiteral("CallerName"), QStringLiteral("Added Caller"));
    added.setText(QStringLiteral("CallerID"), QStringLiteral("555-999-9999"));
    report("add a caller to 998",
           measure(
               rounds, [&] {
                   if (callers.KeyExists(QStringLiteral("Added Caller")))
                       callers.DelRecord(QStringLiteral("Added Caller"));
               },
               [&] { callers.AddRecord(added); }));
}

void benchCallLogList(int rounds)
{
    FormFixture fixture("[Index]\r\n[Defaults]\r\n_Entries=0\r\n");
    TApdIniDBase &log = fixture.form->app()->CallLogDB();
    for (int index = 0; index < TApdIniDBase::MaxRecords; ++index) {
        DbRecord record = log.NewRecord();
        record.setText(QStringLiteral("CallTime"), QStringLiteral("2026/%1/%2 10:%3:%4")
                                                       .arg(1 + index / 300, 2, 10, QLatin1Char('0'))
                                                       .arg(1 + index / 12 % 25, 2, 10, QLatin1Char('0'))
                                                       .arg(index / 60 % 60, 2, 10, QLatin1Char('0'))
                                                       .arg(index % 60, 2, 10, QLatin1Char('0')));
        record.setText(QStringLiteral("CallerName"), callerName(index));
        record.setText(QStringLiteral("CallerID"), callerNumber(index));
        log.AddRecord(record);
    }
    TfLog *window = fixture.form->callLogForm();
    report("fill the call log list with 999 calls",
           measure(rounds, [&] { window->close(); }, [&] { window->ShowLog(); }));
    if (window->lvDatabase()->topLevelItemCount() != TApdIniDBase::MaxRecords) {
        std::fprintf(stderr, "call log list has %d rows\n", window->lvDatabase()->topLevelItemCount());
        std::exit(1);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

    TestEnvironment environment;
    benchCallers(environment.dataDir(), rounds);
    benchCallLogList(std::max(1, rounds / 10));
    return 0;
}
