#include "app/error.h"
#include "app/texthelpers.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

class TestTextHelpers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void separators_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");

        const QString call = QStringLiteral("CALLERID:123;Ann");
        QTest::newRow("colon splits the protocol line") << call << ":" << "CALLERID" << "123;Ann";
        QTest::newRow("first occurrence wins") << "a;b;c" << ";" << "a" << "b;c";
        QTest::newRow("lower-case separator finds upper-case text") << call << "callerid:" << "" << "123;Ann";
        QTest::newRow("found part keeps its own case") << "Name<B>x</b>" << "<b>" << "Name" << "x</b>";
        QTest::newRow("missing separator gives the whole text") << "abc" << "x" << "abc" << "abc";
        QTest::newRow("empty separator counts as missing") << "abc" << "" << "abc" << "abc";
        QTest::newRow("separator at the end") << "abc:" << ":" << "abc" << "";
        QTest::newRow("empty text") << "" << ":" << "" << "";
    }

    void separators()
    {
        QFETCH(QString, text);
        QFETCH(QString, sep);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QCOMPARE(TextBefore(text, sep), before);
        QCOMPARE(TextAfter(text, sep), after);
    }

    void textBetween_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("expected");
        QTest::newRow("number of a call line") << "CALLERID:123;Ann" << ":" << ";" << "123";
        QTest::newRow("missing end gives the rest") << "CALLERID:123" << ":" << ";" << "123";
        QTest::newRow("missing start searches the whole text") << "123;Ann" << ":" << ";" << "123";
        QTest::newRow("tags without regard to case") << "<TD>Smith</td>" << "<td>" << "</TD>" << "Smith";
    }

    void textBetween()
    {
        QFETCH(QString, text);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, expected);
        QCOMPARE(TextBetween(text, start, end), expected);
    }

    void padAndCut()
    {
        QCOMPARE(PadLeft(QStringLiteral("7"), QLatin1Char('0'), 3), QStringLiteral("007"));
        QCOMPARE(PadLeft(QStringLiteral("1234"), QLatin1Char('0'), 3), QStringLiteral("1234"));
        QCOMPARE(PadRight(QStringLiteral("ab"), QLatin1Char(' '), 4), QStringLiteral("ab  "));
        QCOMPARE(PadRight(QStringLiteral("abcde"), QLatin1Char(' '), 4), QStringLiteral("abcde"));
        QCOMPARE(LeftStr(QStringLiteral("abc"), 5), QStringLiteral("abc"));
        QCOMPARE(LeftStr(QStringLiteral("abc"), 2), QStringLiteral("ab"));
        QCOMPARE(RightStr(QStringLiteral("abc"), 2), QStringLiteral("bc"));
        QCOMPARE(RightStr(QStringLiteral("abc"), -1), QString());
    }

    void replaceAllText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("oldText");
        QTest::addColumn<QString>("newText");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one pass, no endless growth") << "a-b-c" << "-" << "--" << "a--b--c";
        QTest::newRow("without regard to case") << "@Name and @NAME" << "@name" << "Ann" << "Ann and Ann";
        QTest::newRow("inserted text is not searched again") << "aa" << "a" << "aa" << "aaaa";
        QTest::newRow("equal old and new leaves the text") << "abc" << "b" << "b" << "abc";
        QTest::newRow("line break markers") << "one\\ntwo\\N" << "\\n" << "\r\n" << "one\r\ntwo\r\n";
        QTest::newRow("empty old text changes nothing") << "abc" << "" << "x" << "abc";
    }

    void replaceAllText()
    {
        QFETCH(QString, text);
        QFETCH(QString, oldText);
        QFETCH(QString, newText);
        QFETCH(QString, expected);
        QCOMPARE(ReplaceAllText(text, oldText, newText), expected);
    }

    void removeChars()
    {
        QCOMPARE(RemoveChars(QStringLiteral("(555) 123-4567"), QStringLiteral("() -")), QStringLiteral("5551234567"));
        QCOMPARE(RemoveChars(QStringLiteral("aAbB"), QStringLiteral("ab")), QStringLiteral("AB"));
    }

    void joinLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QString>("expected");
        QTest::newRow("each line followed by the separator") << "one\r\ntwo" << ";" << "one;two;";
        QTest::newRow("trailing line end adds no line") << "one\ntwo\n" << ";" << "one;two;";
        QTest::newRow("lone CR and LF both end lines") << "a\rb\nc" << "," << "a,b,c,";
        QTest::newRow("empty separator removes line ends") << "a\r\nb\r\n" << "" << "ab";
        QTest::newRow("inner empty line kept") << "a\n\nb" << ";" << "a;;b;";
        QTest::newRow("empty text") << "" << ";" << "";
    }

    void joinLines()
    {
        QFETCH(QString, text);
        QFETCH(QString, sep);
        QFETCH(QString, expected);
        QCOMPARE(JoinLines(text, sep), expected);
    }

    void pauseRunsOtherHandlers()
    {
        bool fired = false;
        QTimer::singleShot(10, this, [&fired] { fired = true; });
        PauseWithMessages(60);
        QVERIFY(fired);

        // Even a zero pause dispatches what is pending.
        bool queued = false;
        QMetaObject::invokeMethod(this, [&queued] { queued = true; }, Qt::QueuedConnection);
        PauseWithMessages(0);
        QVERIFY(queued);
    }

    void makeTempFileTakesNextFreeNumber()
    {
        QTemporaryDir folder;
        QFile existing(folder.filePath(QStringLiteral("temp_00000.vbs")));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();

        const QString path = MakeTempFileIn(folder.path(), QStringLiteral(".vbs\r\n"));
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("temp_00001.vbs"));
        QCOMPARE(readTextFile(path), QStringLiteral("ORV\n"));

        const QString next = MakeTempFileIn(folder.path(), QStringLiteral(".vbs"));
        QCOMPARE(QFileInfo(next).fileName(), QStringLiteral("temp_00002.vbs"));
    }

    void makeTempFileGivesUpOnUnwritableFolder()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QTemporaryDir folder;
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY_THROWS_EXCEPTION(RingseerError, MakeTempFileIn(folder.path(), QStringLiteral(".sh")));
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void makeTempFileGivesUpOnMissingFolder()
    {
        QTemporaryDir folder;
        QVERIFY_THROWS_EXCEPTION(RingseerError,
                                 MakeTempFileIn(folder.filePath(QStringLiteral("gone")), QStringLiteral(".sh")));
    }
};

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "tst_texthelpers.moc"
