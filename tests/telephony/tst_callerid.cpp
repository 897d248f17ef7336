#include "telephony/callerid.h"

#include <QTest>

Q_DECLARE_METATYPE(CallerData)

class TestCallerId : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blocksAsModemsSendThem_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("complete");

        QTest::newRow("spaced, with name")
            << QStringList{"DATE = 1211", "TIME = 1435", "NMBR = 5551234567", "NAME = JOHN DOE"} << "5551234567"
            << "JOHN DOE" << 12 << true;
        QTest::newRow("compact, number only")
            << QStringList{"DATE=1211", "TIME=1435", "NMBR=5551234567"} << "5551234567" << "" << 8 << false;
        QTest::newRow("blank on one side") << QStringList{"NMBR= 5551234567", "NAME =ACME INC"} << "5551234567"
                                           << "ACME INC" << 12 << true;
        QTest::newRow("DDN_NMBR and an unknown MESG line")
            << QStringList{"DATE = 1211", "MESG = 030108F4", "DDN_NMBR = 4165551234", "NAME = Ann Lee"}
            << "4165551234" << "Ann Lee" << 12 << true;
        QTest::newRow("withheld as P") << QStringList{"NMBR = P"} << "" << "" << 1 << false;
        QTest::newRow("withheld as PRIVATE, name given")
            << QStringList{"NMBR = PRIVATE", "NAME = JANE"} << "" << "JANE" << 5 << true;
        QTest::newRow("out of area: no number") << QStringList{"NMBR = O", "NAME = O"} << "" << "" << 0 << true;
        QTest::newRow("name withheld") << QStringList{"NMBR = 5551234567", "NAME = P"} << "5551234567" << "" << 8
                                       << true;
        QTest::newRow("multiple data message with name")
            << QStringList{"802001083132313131343335020A3535353132333435363707084A4F484E20444F4578"} << "5551234567"
            << "JOHN DOE" << 12 << true;
        QTest::newRow("single data message")
            << QStringList{"04123132313131343335353535313233343536374D"} << "5551234567" << "" << 8 << true;
        QTest::newRow("multiple data message wrapped over two lines")
            << QStringList{"802001083132313131343335020A35353531323334", "35363707084A4F484E20444F4578"}
            << "5551234567" << "JOHN DOE" << 12 << true;
        QTest::newRow("mobile modem, number only") << QStringList{"+CLIP: \"+15551234567\",145,,,,0"}
                                                   << "+15551234567" << "" << 8 << true;
        QTest::newRow("mobile modem, short form") << QStringList{"+CLIP: \"5551234567\",129"} << "5551234567" << ""
                                                  << 8 << true;
        QTest::newRow("mobile modem, with name") << QStringList{"+CLIP: \"5551234567\",129,\"\",,\"Doe, John\",0"}
                                                 << "5551234567" << "Doe, John" << 12 << true;
        QTest::newRow("mobile modem, withheld") << QStringList{"+CLIP: \"\",128,,,,1"} << "" << "" << 1 << true;
        QTest::newRow("mobile modem, not available") << QStringList{"+CLIP: \"\",128,,,,2"} << "" << "" << 0 << true;
        QTest::newRow("lower-case hex, blanks between bytes")
            << QStringList{"04 12 31 32 31 31 31 34 33 35 35 35 35 31 32 33 34 35 36 37 4d"} << "5551234567" << ""
            << 8 << true;
    }

    void blocksAsModemsSendThem()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(int, flags);
        QFETCH(bool, complete);

        CallerIdCollector collector;
        for (const QString &line : lines)
            QVERIFY2(collector.feed(line), qPrintable(line));
        QVERIFY(collector.hasData());
        QCOMPARE(collector.data().number, number);
        QCOMPARE(collector.data().name, name);
        QCOMPARE(collector.data().flags, flags);
        QCOMPARE(collector.complete(), complete);
    }

    void otherLinesAreNotCallerId()
    {
        CallerIdCollector collector;
        for (const char *line : {"RING", "OK", "ERROR", "NO CARRIER", "CONNECT 9600", "", "ATZ"})
            QVERIFY2(!collector.feed(QString::fromLatin1(line)), line);
        QVERIFY(!collector.hasData());
    }

    void wrappedMessageCutOffByAnotherLineIsDropped()
    {
        CallerIdCollector collector;
        QVERIFY(collector.feed(QStringLiteral("802001083132313131343335020A35353531323334")));
        QVERIFY(!collector.hasData());
        QVERIFY(!collector.feed(QStringLiteral("OK")));
        QVERIFY(!collector.feed(QStringLiteral("35363707084A4F484E20444F4578")));
        QVERIFY(!collector.hasData());
    }

    void damagedMessagesAreRefused_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::newRow("wrong checksum") << "04123132313131343335353535313233343536374E";
        QTest::newRow("cut short") << "0412313231313134333535353531323334";
        QTest::newRow("unknown message type") << "05123132313131343335353535313233343536374C";
        QTest::newRow("odd digit count") << "041";
        QTest::newRow("parameter longer than its message") << "8005020A35355E";
    }

    void damagedMessagesAreRefused()
    {
        QFETCH(QString, hex);
        QVERIFY(!DecodeCallerIdMessage(hex).has_value());
    }
};

QTEST_GUILESS_MAIN(TestCallerId)
#include "tst_callerid.moc"
