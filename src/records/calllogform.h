#pragma once

#include <QLocale>
#include <QWidget>

class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class RingseerApp;
class TPanel;
class TRingseerForm;

// The call log window: every handled call, newest first, to sort, prune, dial from and
// take into the caller database. Its placement and column widths persist.
class TfLog : public QWidget
{
    Q_OBJECT

public:
    TfLog(RingseerApp &app, TRingseerForm &card, QWidget *parent = nullptr);

    void ShowLog();
    // A call was entered in the log; while the window is shown it becomes the first row.
    void AddLoggedCall(const QString &callTime, const QString &name, const QString &number);

    QTreeWidget *lvDatabase() const { return m_lvDatabase; }
    QLabel *sbStatus() const { return m_sbStatus; }
    QMenu *popupMenu() const { return m_popupMenu; }
    QPushButton *bClose() const { return m_bClose; }

    void lvDatabaseColumnClick(int column);
    void DeleteSelectedEntries();
    void DeleteEntryClick();
    void DeleteAllClick();
    void CallEntryClick();
    void Addentry1Click();

    // The sort directions of the columns live as long as the process.
    static void resetSortDirections();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillLogList();
    void ReadLogPlacement();
    void WriteLogPlacement();
    void sortList(int column, int direction);
    void updateStatus();
    void selectRow(int row);
    QList<QTreeWidgetItem *> selectedRowsInListOrder() const;
    QTreeWidgetItem *newRow(const QString &callTime, const QString &name, const QString &number) const;

    RingseerApp &m_app;
    TRingseerForm &m_card;
    QTreeWidget *m_lvDatabase;
    TPanel *m_panel;
    QLabel *m_sbStatus;
    QPushButton *m_bClose;
    QMenu *m_popupMenu;
    QIcon m_rowIcon;
};

// What the log sorts a text by: the text upper-cased, compared byte by byte.
QByteArray LogTextSortKey(const QString &text, const QLocale &locale = QLocale::system());
