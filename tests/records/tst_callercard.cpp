#include "app/ringseerapp.h"
#include "formfixture.h"
#include "records/apdinidbase.h"
#include "ui/orvcontrols.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
const QByteArray callers = "[Index]\r\nBakery=#\r\nAlpha=#\r\nBeta=#\r\n[Defaults]\r\n_Entries=3\r\n"
                           "[Bakery]\r\nCallerID=555-123-4567\r\n"
                           "[Alpha]\r\nCallerID=555-777-0000\r\n[Beta]\r\nCallerID=555-777-0000\r\n";
}

class TestCallerCard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FormFixture> m_fixture;
    TRingseerForm *form() const { return m_fixture->form.get(); }
    QString name() const { return form()->cbCallerName()->currentText(); }
    QString number() const { return form()->tbCallerID()->text(); }
    QString hint() const { return form()->image()->toolTip(); }

    void save() { form()->findChild<QPushButton *>(QStringLiteral("bSaveToDatabase"))->click(); }

private Q_SLOTS:
    void init() { m_fixture = std::make_unique<FormFixture>(callers); }
    void cleanup() { m_fixture.reset(); }

    void unknownNumberOffersANewCallerToSave()
    {
        form()->showAddForm(QStringLiteral("555-999-0000"), QStringLiteral("ANN"));
        QVERIFY(form()->isVisible());
        QCOMPARE(hint(), m_fixture->env.dataDir() + QStringLiteral("Default.bmp"));
        QVERIFY(!form()->image()->pixmap().isNull());
        QCOMPARE(name(), QStringLiteral("ANN"));
        QCOMPARE(number(), QStringLiteral("555-999-0000"));
        QVERIFY(form()->editing());

        form()->cbCallerName()->writeComboBoxText(QStringLiteral("Ann Lee"));
        save();
        QVERIFY(!form()->editing());
        QCOMPARE(form()->app()->CallerDB().GetRecord(QStringLiteral("Ann Lee")).text(QStringLiteral("CallerID")),
                 QStringLiteral("555-999-0000"));
        QCOMPARE(form()->cbCallerName()->count(), 4);
    }

    void knownNumberShowsTheLastMatchingCaller_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one record") << "555-123-4567" << "Bakery";
        QTest::newRow("two records: the later in the sorted list") << "555-777-0000" << "Beta";
    }

    void knownNumberShowsTheLastMatchingCaller()
    {
        QFETCH(QString, number);
        QFETCH(QString, shown);
        form()->showAddForm(number, QStringLiteral("LINE NAME"));
        QCOMPARE(name(), shown);
        QCOMPARE(this->number(), number);
        QVERIFY(!form()->editing());
        QCOMPARE(form()->CardRecordName(), shown);
    }

    void typingAKnownName()
    {
        QVERIFY(form()->DisplayRecord(QStringLiteral("Alpha")));
        // Entered at once, as by pasting it or by the list's completion.
        QLineEdit *field = form()->cbCallerName()->lineEdit();
        field->selectAll();
        field->insert(QStringLiteral("BAKERY"));
        QCOMPARE(number(), QStringLiteral("555-123-4567"));
        QVERIFY(!form()->editing());

        // While editing, a known name only keeps the buttons up.
        form()->tbCallerID()->setText(QStringLiteral("555-000-0000"));
        QVERIFY(form()->editing());
        field->selectAll();
        field->insert(QStringLiteral("Alpha"));
        QCOMPARE(number(), QStringLiteral("555-000-0000"));
        QVERIFY(form()->editing());
    }

    void placeholdersAndEmptyFieldsAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        QTest::newRow("new record's placeholder name") << "(Name)" << "555" << "Please enter a caller name that does not begin with \"(\".";
        QTest::newRow("empty name") << "" << "555" << "Please enter a caller name that does not begin with \"(\".";
        QTest::newRow("empty number") << "Zed" << "" << "Please enter the caller's number.";
    }

    void placeholdersAndEmptyFieldsAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QString, message);
        form()->action(QStringLiteral("New"))->trigger();
        QCOMPARE(this->name(), QStringLiteral("(Name)"));
        QCOMPARE(this->number(), QStringLiteral("(CallerID)"));
        form()->cbCallerName()->writeComboBoxText(name);
        form()->tbCallerID()->setText(number);
        save();
        const QList<RecordedBox> boxes = DialogHooks::takeRecordedBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].caption, QStringLiteral("Error"));
        QCOMPARE(boxes[0].text, message);
        QVERIFY(form()->editing());
        QCOMPARE(form()->app()->CallerDB().GetNumRecs(), 3);
    }

    void savingAnExistingNameRewritesItsRecord()
    {
        QVERIFY(form()->DisplayRecord(QStringLiteral("Bakery")));
        form()->tbCallerID()->setText(QStringLiteral("555-123-0000"));
        save();
        TApdIniDBase &db = form()->app()->CallerDB();
        QCOMPARE(db.GetRecord(QStringLiteral("Bakery")).text(QStringLiteral("CallerID")), QStringLiteral("555-123-0000"));
        QCOMPARE(db.GetNumRecs(), 3);
    }

    void deletingTheLastCallerKeepsTheCardContent()
    {
        m_fixture = std::make_unique<FormFixture>("[Index]\r\nSolo=#\r\n[Defaults]\r\n_Entries=1\r\n"
                                                  "[Solo]\r\nCallerID=555-111-2222\r\n");
        const QString picture = m_fixture->env.dataDir() + QStringLiteral("Solo.bmp");
        QVERIFY(QFile::copy(m_fixture->env.dataDir() + QStringLiteral("Default.bmp"), picture));
        QVERIFY(form()->DisplayRecord(QStringLiteral("Solo")));

        DialogHooks::setNextAnswer(QMessageBox::Ok);
        form()->action(QStringLiteral("Delete1"))->trigger();
        const QList<RecordedBox> boxes = DialogHooks::takeRecordedBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].caption, QStringLiteral("Confirm"));
        QCOMPARE(boxes[0].text, QStringLiteral("Delete entry for Solo"));
        QCOMPARE(form()->app()->CallerDB().GetNumRecs(), 0);
        QVERIFY(!QFile::exists(picture));
        QCOMPARE(form()->cbCallerName()->count(), 0);
        QCOMPARE(name(), QStringLiteral("Solo"));
        QCOMPARE(number(), QStringLiteral("555-111-2222"));
    }

    void cancelledDeletionKeepsTheRecord()
    {
        QVERIFY(form()->DisplayRecord(QStringLiteral("Bakery")));
        DialogHooks::setNextAnswer(QMessageBox::Cancel);
        form()->action(QStringLiteral("Delete1"))->trigger();
        QCOMPARE(form()->app()->CallerDB().GetNumRecs(), 3);
    }

    void missingPictureShowsTheDefaultWithALogLine()
    {
        m_fixture = std::make_unique<FormFixture>("[Index]\r\nGone=#\r\n[Defaults]\r\n_Entries=1\r\n"
                                                  "[Gone]\r\nCallerID=555-000-1111\r\nPicture=/no/such/picture.jpg\r\n");
        form()->showAddForm(QStringLiteral("555-000-1111"), QString());
        QCOMPARE(name(), QStringLiteral("Gone"));
        QCOMPARE(hint(), QStringLiteral("/no/such/picture.jpg"));
        QVERIFY(!form()->image()->pixmap().isNull());
        QVERIFY(m_fixture->env.readLog().contains(QStringLiteral("Picture \"/no/such/picture.jpg\" of Gone cannot be shown")));
    }

    void picturesAsCallerFilesNameThem_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::newRow("bare name, program started elsewhere") << "Jane Sample.bmp";
        QTest::newRow("Windows drive path") << "C:\\Program Files\\Caller ID\\Jane Sample.bmp";
        QTest::newRow("Windows network share") << "\\\\office\\pictures\\Jane Sample.bmp";
        QTest::newRow("absolute path") << "<data>Jane Sample.bmp";
        QTest::newRow("absolute path of a folder since moved") << "/opt/old-ringseer/Jane Sample.bmp";
    }

    void picturesAsCallerFilesNameThem()
    {
        QFETCH(QString, picture);
        picture.replace(QStringLiteral("<data>"), m_fixture->env.dataDir());
        QFile callers(m_fixture->env.dataDir() + QStringLiteral("Callers.DB"));
        QVERIFY(callers.open(QIODevice::WriteOnly | QIODevice::Truncate));
        callers.write(("[Index]\r\nJane=#\r\n[Defaults]\r\n_Entries=1\r\n"
                       "[Jane]\r\nCallerID=555-014-7788\r\nPicture=" + picture + "\r\n")
                          .toUtf8());
        callers.close();
        form()->app()->CallerDB().SetOpen(false);
        QVERIFY(QDir::currentPath() != QDir(m_fixture->env.dataDir()).absolutePath());
        form()->showAddForm(QStringLiteral("555-014-7788"), QString());
        QCOMPARE(hint(), picture);
        const QImage shown = form()->image()->pixmap().toImage();
        const QImage jane(m_fixture->env.dataDir() + QStringLiteral("Jane Sample.bmp"));
        QVERIFY(!jane.isNull());
        QCOMPARE(shown.pixelColor(5, 5), jane.pixelColor(5, 5));
        QVERIFY(!m_fixture->env.readLog().contains(QStringLiteral("cannot be shown")));
    }

    void slidesUpAndDownInThreePixelSteps()
    {
        const QPoint before = form()->pos();
        form()->showAddForm(QStringLiteral("555-123-4567"), QString());
        const int height = form()->frameGeometry().height();
        QCOMPARE(form()->lastSlideInSteps(), height / 3 + 1);
        QCOMPARE(form()->pos().x(), form()->cardRestingPosition().x());
        QVERIFY(qAbs(form()->pos().y() - form()->cardRestingPosition().y()) <= 2);

        form()->app()->setCardTouched(false);
        form()->HideTimerTimer();
        QCOMPARE(form()->lastSlideOutSteps(), (height + 100) / 3);
        QVERIFY(!form()->isVisible());
        QCOMPARE(form()->pos(), before);
    }

    void touchedOrMovedCardStays_data()
    {
        QTest::addColumn<bool>("touch");
        QTest::addColumn<QPoint>("shift");
        QTest::newRow("number edited") << true << QPoint(0, 0);
        QTest::newRow("moved to the left") << false << QPoint(-10, 0);
        QTest::newRow("moved up well over 3 pixels") << false << QPoint(0, -6);
    }

    void touchedOrMovedCardStays()
    {
        QFETCH(bool, touch);
        QFETCH(QPoint, shift);
        form()->showAddForm(QStringLiteral("555-123-4567"), QString());
        form()->app()->setCardTouched(false);
        if (touch)
            QTest::keyClicks(form()->tbCallerID(), QStringLiteral("9"));
        form()->move(form()->pos() + shift);
        const QPoint resting = form()->pos();
        form()->HideTimerTimer();
        QVERIFY(form()->isVisible());
        QCOMPARE(form()->pos(), resting);
    }

    void openFromTheTrayShowsTheFirstCaller()
    {
        form()->action(QStringLiteral("Open1"))->trigger();
        QVERIFY(form()->isVisible());
        QCOMPARE(name(), QStringLiteral("Alpha"));
        form()->close();
        QVERIFY(!form()->isVisible());
        QVERIFY(form()->app()->cardTouched());
    }
};

QTEST_MAIN(TestCallerCard)
#include "tst_callercard.moc"
