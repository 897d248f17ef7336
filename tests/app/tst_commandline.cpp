#include "app/runflags.h"

#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void switches_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("install");
        QTest::addColumn<bool>("client");
        QTest::addColumn<bool>("server");
        QTest::addColumn<bool>("debug");
        QTest::addColumn<QString>("address");

        QTest::newRow("no arguments") << QStringList{} << false << false << false << false << "";
        QTest::newRow("lower case, two switches in one argument")
            << QStringList{"/client/debug"} << false << true << false << true << "";
        QTest::newRow("embedded anywhere") << QStringList{"x/SeRvErY"} << false << false << true << false << "";
        QTest::newRow("address after /IP=") << QStringList{"/CLIENT", "/ip=10.0.0.5"} << false << true << false
                                            << false << "10.0.0.5";
        QTest::newRow("address without /IP= is upper-cased whole")
            << QStringList{"/CLIENT", "server1"} << false << true << false << false << "SERVER1";
        QTest::newRow("/IP= in the first argument is ignored")
            << QStringList{"/CLIENT/IP=10.0.0.5"} << false << true << false << false << "";
        QTest::newRow("address cut to 20 characters")
            << QStringList{"/CLIENT", "/IP=very-long-host-name.example.org"} << false << true << false << false
            << "VERY-LONG-HOST-NAME.";
        QTest::newRow("switches only in the first argument")
            << QStringList{"", "/SERVER"} << false << false << false << false << "/SERVER";
        QTest::newRow("install skips everything else")
            << QStringList{"/install/client"} << true << false << false << false << "";
        QTest::newRow("uninstall") << QStringList{"/UNINSTALL"} << true << false << false << false << "";
    }

    void switches()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, install);
        QFETCH(bool, client);
        QFETCH(bool, server);
        QFETCH(bool, debug);
        QFETCH(QString, address);

        arguments.prepend(QStringLiteral("Ringseer"));
        const CommandLine parsed = ParseCommandLine(arguments);
        QCOMPARE(parsed.InstallOrUninstall, install);
        QCOMPARE(parsed.Flags.ClientRun, client);
        QCOMPARE(parsed.Flags.ServerRun, server);
        QCOMPARE(parsed.Flags.DebugRun, debug);
        QCOMPARE(parsed.Flags.Headless, false);
        QCOMPARE(parsed.ServerAddress, address);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
