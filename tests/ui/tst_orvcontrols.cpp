#include "ui/orvcontrols.h"

#include <QSignalSpy>
#include <QTest>

class TestOrvControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void portFieldTakesDigitsOnly()
    {
        TORVEdit port;
        port.setLimitToChars(QStringLiteral("0123456789"));
        port.setMaxLength(5);
        QSignalSpy refused(&port, &TORVEdit::keyRefused);

        QTest::keyClicks(&port, QStringLiteral("50a1"));
        QCOMPARE(port.text(), QStringLiteral("501"));
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused[0][0].value<QChar>(), QLatin1Char('a'));

        QTest::keyClick(&port, Qt::Key_Backspace);
        QCOMPARE(port.text(), QStringLiteral("50"));
        QCOMPARE(refused.size(), 1);

        // Only typing is filtered; the program's own text passes.
        port.setText(QStringLiteral("x1"));
        QCOMPARE(port.text(), QStringLiteral("x1"));
    }

    void typedCharacterRules_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QChar>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("no limit") << "" << QChar(u'z') << true;
        QTest::newRow("control key passes") << "0123" << QChar(u'\b') << true;
        QTest::newRow("case matters") << "abc" << QChar(u'A') << false;
        QTest::newRow("high Latin-1 filtered like printables") << "abc" << QChar(0xE9) << false;
        QTest::newRow("listed high character") << QString(QChar(0xE9)) << QChar(0xE9) << true;
    }

    void typedCharacterRules()
    {
        QFETCH(QString, limit);
        QFETCH(QChar, typed);
        QFETCH(bool, accepted);
        QCOMPARE(AcceptsTypedCharacter(limit, typed), accepted);
    }

    void focusTurnsFieldsYellow()
    {
        QWidget window;
        auto *edit = new TORVEdit(&window);
        auto *readOnly = new TORVEdit(&window);
        readOnly->setReadOnly(true);
        auto *combo = new TORVComboBox(&window);
        auto *memo = new TORVMemo(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QColor yellow(255, 255, 0);

        edit->setFocus();
        QTRY_COMPARE(edit->palette().color(QPalette::Base), yellow);
        readOnly->setFocus();
        QTRY_VERIFY(readOnly->hasFocus());
        QVERIFY(readOnly->palette().color(QPalette::Base) != yellow);
        QVERIFY(edit->palette().color(QPalette::Base) != yellow);
        combo->setFocus();
        QTRY_COMPARE(combo->palette().color(QPalette::Base), yellow);
        memo->setFocus();
        QTRY_COMPARE(memo->palette().color(QPalette::Base), yellow);
        QVERIFY(combo->palette().color(QPalette::Base) != yellow);
    }

    void writeComboBoxText_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("shown");
        QTest::newRow("same name in other case selects it, shows it as written")
            << QStringList{"Alpha", "Bakery"} << true << "BAKERY" << 1 << "BAKERY";
        QTest::newRow("unknown text selects the first item, shows the text")
            << QStringList{"Alpha", "Bakery"} << true << "Zed" << 0 << "Zed";
        QTest::newRow("empty list only sets the text") << QStringList{} << true << "Zed" << -1 << "Zed";
        QTest::newRow("drop-down list keeps its item's text")
            << QStringList{"Alpha", "Bakery"} << false << "Zed" << 0 << "Alpha";
    }

    void writeComboBoxText()
    {
        QFETCH(QStringList, items);
        QFETCH(bool, editable);
        QFETCH(QString, value);
        QFETCH(int, selected);
        QFETCH(QString, shown);
        TORVComboBox combo;
        combo.setEditable(editable);
        combo.addItems(items);
        combo.writeComboBoxText(value);
        QCOMPARE(combo.currentIndex(), selected);
        QCOMPARE(combo.readComboBoxText(), shown);
    }
};

QTEST_MAIN(TestOrvControls)
#include "tst_orvcontrols.moc"
