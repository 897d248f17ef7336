// dbwriter DATABASE: adds, rewrites and deletes caller records in a loop until killed,
// saying "ready" once the first change is on disk.

#include "records/apdinidbase.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: dbwriter DATABASE\n");
        return 2;
    }
    TApdIniDBase db(CallerFields());
    db.SetFileName(QString::fromLocal8Bit(argv[1]));
    for (long long change = 0;; ++change) {
        const QString key = QStringLiteral("Writer %1").arg(change % 40);
        DbRecord record = db.NewRecord();
        record.setText(QStringLiteral("CallerName"), key);
        record.setText(QStringLiteral("CallerID"), QStringLiteral("555-%1").arg(change % 10000000, 7, 10, QLatin1Char('0')));
        record.setText(QStringLiteral("Picture"), QStringLiteral("Picture %1.bmp").arg(change));
        if (!db.KeyExists(key))
            db.AddRecord(record);
        else if (change % 3 == 0)
            db.DelRecord(key);
        else
            db.UpdRecord(key, record);
        if (change == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
