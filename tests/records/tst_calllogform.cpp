#include "app/ringseerapp.h"
#include "formfixture.h"
#include "records/apdinidbase.h"
#include "records/calllogform.h"
#include "telephony/callpipeline.h"
#include "ui/orvcontrols.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

class TestCallLogForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FormFixture> m_fixture;
    TfLog *log() const { return m_fixture->form->callLogForm(); }
    QTreeWidget *list() const { return log()->lvDatabase(); }

    void addCalls(const QList<QStringList> &calls)
    {
        TApdIniDBase &db = m_fixture->form->app()->CallLogDB();
        for (const QStringList &call : calls) {
            DbRecord record = db.NewRecord();
            record.setText(QStringLiteral("CallTime"), call[0]);
            record.setText(QStringLiteral("CallerName"), call[1]);
            record.setText(QStringLiteral("CallerID"), call[2]);
            db.AddRecord(record);
        }
    }

    QStringList column(int index) const
    {
        QStringList texts;
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            texts << list()->topLevelItem(row)->text(index);
        return texts;
    }

    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            if (list()->topLevelItem(row)->isSelected())
                rows << row;
        return rows;
    }

    void tenCalls()
    {
        QList<QStringList> calls;
        for (int i = 0; i < 10; ++i)
            calls << QStringList{QStringLiteral("2026/12/01 10:00:%1").arg(i, 2, 10, QLatin1Char('0')),
                                 QStringLiteral("Caller %1").arg(i), QStringLiteral("555-000-000%1").arg(i)};
        addCalls(calls);
    }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<FormFixture>("[Index]\r\n[Defaults]\r\n_Entries=0\r\n");
        TfLog::resetSortDirections();
    }

    void cleanup() { m_fixture.reset(); }

    void emptyLogShowsNoRows()
    {
        log()->ShowLog();
        QVERIFY(log()->isVisible());
        QCOMPARE(list()->topLevelItemCount(), 0);
        QCOMPARE(log()->sbStatus()->text(), QStringLiteral("0  entries"));
        QCOMPARE(log()->windowTitle(), QStringLiteral("Call log"));
        QCOMPARE(list()->headerItem()->text(0), QStringLiteral("Time called     "));
        QCOMPARE(list()->columnWidth(1), 8 * 24);
        QCOMPARE(list()->columnWidth(3), 0);
    }

    void newestFirstThenColumnSortsWithTheirOwnDirections()
    {
        addCalls({{"2026/12/01 10:00:01", "bob", "1"}, {"2026/12/01 10:00:02", "Alice", "2"},
                  {"2026/12/01 10:00:03", "carl", "3"}});
        log()->ShowLog();
        QCOMPARE(column(1), (QStringList{"carl", "Alice", "bob"}));
        QCOMPARE(selectedRows(), QList<int>{0});

        list()->header()->sectionClicked(1);
        QCOMPARE(column(1), (QStringList{"Alice", "bob", "carl"}));
        list()->header()->sectionClicked(1);
        QCOMPARE(column(1), (QStringList{"carl", "bob", "Alice"}));
        list()->header()->sectionClicked(1);
        QCOMPARE(column(1), (QStringList{"Alice", "bob", "carl"}));
        // The time column's first click sorts oldest first.
        list()->header()->sectionClicked(0);
        QCOMPARE(column(1), (QStringList{"bob", "Alice", "carl"}));
        QCOMPARE(LogTextSortKey(QStringLiteral("alice")), LogTextSortKey(QStringLiteral("ALICE")));
    }

    void deletingTheSecondAndFifthOfTen()
    {
        tenCalls();
        log()->ShowLog();
        const QStringList times = column(0);
        list()->clearSelection();
        list()->topLevelItem(1)->setSelected(true);
        list()->topLevelItem(4)->setSelected(true);

        DialogHooks::setNextAnswer(QMessageBox::Ok);
        log()->popupMenu()->findChild<QAction *>(QStringLiteral("DeleteEntry"))->trigger();
        const QList<RecordedBox> boxes = DialogHooks::takeRecordedBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].caption, QStringLiteral("Confirm"));
        QCOMPARE(boxes[0].text, QStringLiteral("Delete the selected entries?"));

        TApdIniDBase &db = m_fixture->form->app()->CallLogDB();
        QVERIFY(!db.KeyExists(times[1]));
        QVERIFY(!db.KeyExists(times[4]));
        QCOMPARE(db.GetNumRecs(), 8);
        QCOMPARE(list()->topLevelItemCount(), 8);
        QCOMPARE(selectedRows(), QList<int>{2});
        QCOMPARE(list()->topLevelItem(2)->text(0), times[3]);
        QCOMPARE(log()->sbStatus()->text(), QStringLiteral("8  entries"));
    }

    void questionsForOneAndForAll()
    {
        addCalls({{"2026/12/01 10:00:01", "bob", "1"}, {"2026/12/01 10:00:02", "Alice", "2"}});
        log()->ShowLog();
        DialogHooks::setNextAnswer(QMessageBox::Cancel);
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(DialogHooks::takeRecordedBoxes().value(0).text,
                 QStringLiteral("Delete the entry [2026/12/01 10:00:02] ?"));
        QCOMPARE(list()->topLevelItemCount(), 2);

        DialogHooks::setNextAnswer(QMessageBox::Ok);
        log()->DeleteAllClick();
        QCOMPARE(DialogHooks::takeRecordedBoxes().value(0).text, QStringLiteral("Delete the selected entries?"));
        QCOMPARE(list()->topLevelItemCount(), 0);
        QCOMPARE(m_fixture->form->app()->CallLogDB().GetNumRecs(), 0);
    }

    void entryRemovedByAnotherProgramDoesNotStopTheOthers()
    {
        tenCalls();
        log()->ShowLog();
        const QString gone = list()->topLevelItem(0)->text(0);
        TApdIniDBase other(CallLogFields());
        other.SetFileName(m_fixture->env.dataDir() + QStringLiteral("CallLog.DB"));
        other.DelRecord(gone);

        list()->topLevelItem(0)->setSelected(true);
        list()->topLevelItem(1)->setSelected(true);
        DialogHooks::setNextAnswer(QMessageBox::Ok);
        log()->DeleteSelectedEntries();
        QCOMPARE(list()->topLevelItemCount(), 8);
        TApdIniDBase fresh(CallLogFields());
        fresh.SetFileName(m_fixture->env.dataDir() + QStringLiteral("CallLog.DB"));
        QCOMPARE(fresh.GetRecordList().size(), 8);
        QVERIFY(m_fixture->env.readLog().contains(QStringLiteral("Call log entry ") + gone + QStringLiteral(" not deleted")));
    }

    void callWhileOpenComesOnTopSelected()
    {
        addCalls({{"2026/12/01 10:00:01", "bob", "1"}, {"2026/12/01 10:00:02", "Alice", "2"}});
        log()->ShowLog();
        list()->header()->sectionClicked(1);
        m_fixture->form->app()->pipeline().LogCall(QStringLiteral("Zed"), QStringLiteral("555-999-0000"));
        QCOMPARE(column(1).first(), QStringLiteral("Zed"));
        QCOMPARE(selectedRows(), QList<int>{0});
        QCOMPARE(log()->sbStatus()->text(), QStringLiteral("3  entries"));
    }

    void placementSurvivesANewRun()
    {
        log()->ShowLog();
        log()->resize(520, 333);
        list()->setColumnWidth(1, 77);
        log()->close();
        QSettings stored(m_fixture->env.configFile(), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("CallLogForm/COL1")).toInt(), 77);

        TfLog again(*m_fixture->form->app(), *m_fixture->form);
        again.ShowLog();
        QCOMPARE(again.size(), QSize(520, 333));
        QCOMPARE(again.lvDatabase()->columnWidth(1), 77);
    }

    void commandsWithoutASelectionBeep()
    {
        log()->ShowLog();
        log()->CallEntryClick();
        log()->Addentry1Click();
        QVERIFY(DialogHooks::takeRecordedBoxes().isEmpty());
    }

    void addEntryOffersTheCallerOnTheCard()
    {
        addCalls({{"2026/12/01 10:00:01", "bob", "555-444-3333"}});
        log()->ShowLog();
        log()->Addentry1Click();
        QVERIFY(m_fixture->form->isVisible());
        QCOMPARE(m_fixture->form->tbCallerID()->text(), QStringLiteral("555-444-3333"));
        QVERIFY(m_fixture->form->editing());
    }
};

QTEST_MAIN(TestCallLogForm)
#include "tst_calllogform.moc"
