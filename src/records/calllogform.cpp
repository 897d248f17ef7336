#include "calllogform.h"

#include "app/diaglog.h"
#include "app/error.h"
#include "app/helplauncher.h"
#include "app/messagebox.h"
#include "app/ringseerapp.h"
#include "app/ringseerform.h"
#include "app/texthelpers.h"
#include "records/apdinidbase.h"
#include "telephony/amtapipro.h"
#include "ui/language.h"
#include "ui/orvcontrols.h"
#include "ui/translatecontrol.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <memory>

namespace {

constexpr int ColumnCount = 4;
std::array<int, ColumnCount> sortDirections = {0, 0, 0, 0};

struct ColumnHeader
{
    const char *messageKey;
    int paddedLength;
};
constexpr std::array<ColumnHeader, 3> columnHeaders = {{{"msgTimeCalled", 16}, {"msgCallerName", 24}, {"msgCallerID", 16}}};

QIcon drawRowIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x6f, 0xb5), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(3, 3, 10, 10, 200 * 16, 140 * 16);
    return QIcon(pixmap);
}

std::unique_ptr<QSettings> placementStore()
{
    auto store = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("ORV Software"), QStringLiteral("Ringseer"));
    store->beginGroup(QStringLiteral("CallLogForm"));
    return store;
}

} // namespace

QByteArray LogTextSortKey(const QString &text, const QLocale &locale)
{
    return locale.toUpper(text).toUtf8();
}

TfLog::TfLog(RingseerApp &app, TRingseerForm &card, QWidget *parent)
    : QWidget(parent, Qt::Tool),
      m_app(app),
      m_card(card),
      m_lvDatabase(new QTreeWidget(this)),
      m_panel(new TPanel(this)),
      m_sbStatus(new QLabel(m_panel)),
      m_bClose(new QPushButton(QStringLiteral("&Close"), m_panel)),
      m_popupMenu(new QMenu(this)),
      m_rowIcon(drawRowIcon())
{
    setObjectName(QStringLiteral("fLog"));
    resize(445, 282);

    m_lvDatabase->setObjectName(QStringLiteral("lvDatabase"));
    m_lvDatabase->setRootIsDecorated(false);
    m_lvDatabase->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lvDatabase->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvDatabase->setContextMenuPolicy(Qt::CustomContextMenu);
    m_lvDatabase->setIconSize(QSize(16, 16));
    m_lvDatabase->header()->setSectionsClickable(true);
    m_lvDatabase->header()->setStretchLastSection(false);
    m_lvDatabase->installEventFilter(this);
    connect(m_lvDatabase->header(), &QHeaderView::sectionClicked, this, &TfLog::lvDatabaseColumnClick);
    connect(m_lvDatabase, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { m_popupMenu->popup(m_lvDatabase->viewport()->mapToGlobal(at)); });

    m_panel->setObjectName(QStringLiteral("Panel"));
    m_panel->setFixedHeight(28);
    m_sbStatus->setObjectName(QStringLiteral("sbStatus"));
    m_sbStatus->setProperty(NoTranslationProperty, true);
    m_sbStatus->setGeometry(0, 4, 104, 21);
    m_bClose->setObjectName(QStringLiteral("bClose"));
    m_bClose->resize(73, 21);
    connect(m_bClose, &QPushButton::clicked, this, &QWidget::close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_lvDatabase);
    layout->addWidget(m_panel);

    m_popupMenu->setObjectName(QStringLiteral("PopupMenu"));
    auto addItem = [this](const char *name, const char *caption, void (TfLog::*handler)()) {
        QAction *item = m_popupMenu->addAction(QString::fromLatin1(caption));
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, handler);
    };
    addItem("DeleteEntry", "Delete &entry", &TfLog::DeleteEntryClick);
    addItem("DeleteAll", "Delete &all", &TfLog::DeleteAllClick);
    m_popupMenu->addSeparator()->setObjectName(QStringLiteral("N1"));
    addItem("CallEntry", "&Call entry", &TfLog::CallEntryClick);
    addItem("Addentry1", "A&dd entry", &TfLog::Addentry1Click);
}

void TfLog::resetSortDirections()
{
    sortDirections.fill(0);
}

void TfLog::ShowLog()
{
    ReadLogPlacement();
    show();
    m_lvDatabase->setUpdatesEnabled(false);
    setWindowTitle(MessageText(QStringLiteral("msgCallLog")));
    QStringList headers;
    for (const ColumnHeader &column : columnHeaders)
        headers << PadRight(MessageText(QString::fromLatin1(column.messageKey)), QLatin1Char(' '), column.paddedLength);
    headers << QString();
    m_lvDatabase->clear();
    m_lvDatabase->setColumnCount(ColumnCount);
    m_lvDatabase->setHeaderLabels(headers);
    for (int column = 0; column < ColumnCount; ++column)
        m_lvDatabase->setColumnWidth(column, 8 * int(headers[column].size()));
    ReadLogPlacement();
    FillLogList();
    m_lvDatabase->setUpdatesEnabled(true);
    sortList(1, -1);
    m_lvDatabase->clearSelection();
    selectRow(0);
}

QTreeWidgetItem *TfLog::newRow(const QString &callTime, const QString &name, const QString &number) const
{
    auto *row = new QTreeWidgetItem(QStringList{callTime, name, number, QString()});
    row->setIcon(0, m_rowIcon);
    return row;
}

void TfLog::FillLogList()
{
    m_lvDatabase->clear();
    TApdIniDBase &log = m_app.CallLogDB();
    for (const DbRecord &record : log.GetRecords(log.GetRecordList())) {
        m_lvDatabase->addTopLevelItem(newRow(record.text(QStringLiteral("CallTime")),
                                             record.text(QStringLiteral("CallerName")),
                                             record.text(QStringLiteral("CallerID"))));
    }
    updateStatus();
    selectRow(0);
}

void TfLog::AddLoggedCall(const QString &callTime, const QString &name, const QString &number)
{
    if (!isVisible())
        return;
    m_lvDatabase->clearSelection();
    m_lvDatabase->insertTopLevelItem(0, newRow(callTime, name, number));
    updateStatus();
    selectRow(0);
}

void TfLog::updateStatus()
{
    m_sbStatus->setText(QString::number(m_lvDatabase->topLevelItemCount()) + QLatin1Char(' ')
                        + MessageText(QStringLiteral("msgEntries")));
}

void TfLog::selectRow(int row)
{
    if (QTreeWidgetItem *item = m_lvDatabase->topLevelItem(row)) {
        item->setSelected(true);
        m_lvDatabase->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
}

void TfLog::sortList(int column, int direction)
{
    const int textColumn = column - 1;
    // Each row's key is made once: a full log is about ten thousand comparisons.
    const QLocale locale = QLocale::system();
    QList<std::pair<QByteArray, QTreeWidgetItem *>> keyed;
    for (QTreeWidgetItem *row : m_lvDatabase->invisibleRootItem()->takeChildren())
        keyed.append({LogTextSortKey(row->text(textColumn), locale), row});
    std::stable_sort(keyed.begin(), keyed.end(), [direction](const auto &a, const auto &b) {
        return direction < 0 ? b.first < a.first : a.first < b.first;
    });
    QList<QTreeWidgetItem *> rows;
    rows.reserve(keyed.size());
    for (const auto &[key, row] : std::as_const(keyed))
        rows << row;
    const QList<QTreeWidgetItem *> selected = [&rows] {
        QList<QTreeWidgetItem *> result;
        for (QTreeWidgetItem *row : rows)
            if (row->isSelected())
                result << row;
        return result;
    }();
    m_lvDatabase->addTopLevelItems(rows);
    for (QTreeWidgetItem *row : selected)
        row->setSelected(true);
}

void TfLog::lvDatabaseColumnClick(int column)
{
    if (column < 0 || column >= ColumnCount)
        return;
    if (sortDirections[column] == 0)
        sortDirections[column] = 1;
    sortList(column + 1, sortDirections[column]);
    sortDirections[column] = -sortDirections[column];
}

QList<QTreeWidgetItem *> TfLog::selectedRowsInListOrder() const
{
    QList<QTreeWidgetItem *> rows;
    for (int i = 0; i < m_lvDatabase->topLevelItemCount(); ++i) {
        if (m_lvDatabase->topLevelItem(i)->isSelected())
            rows << m_lvDatabase->topLevelItem(i);
    }
    return rows;
}

void TfLog::DeleteSelectedEntries()
{
    const QList<QTreeWidgetItem *> selected = selectedRowsInListOrder();
    if (selected.isEmpty()) {
        QApplication::beep();
        return;
    }
    const QString question = selected.size() == 1
        ? MessageText(QStringLiteral("msgDeleteEntry")) + selected.first()->text(0) + QStringLiteral("] ?")
        : MessageText(QStringLiteral("msgDeleteEntires"));
    if (ShowMessageBoxLang(this, MessageText(QStringLiteral("msgConfirm")), QMessageBox::Ok | QMessageBox::Cancel,
                           QMessageBox::Warning, question, 0)
        != QMessageBox::Ok)
        return;

    TApdIniDBase &log = m_app.CallLogDB();
    int position = -1;
    for (QTreeWidgetItem *row : selected) {
        position = m_lvDatabase->indexOfTopLevelItem(row);
        const QString key = row->text(0).left(31);
        try {
            log.DelRecord(key);
        } catch (const RingseerError &error) {
            // Another program may have pruned the log meanwhile; the rest still goes.
            WriteLog(QStringLiteral("Call log entry ") + key + QStringLiteral(" not deleted: ") + error.message());
        }
        delete m_lvDatabase->takeTopLevelItem(position);
    }
    m_lvDatabase->clearSelection();
    const int next = position - 1;
    selectRow(next < 0 ? 0 : next);
    updateStatus();
}

void TfLog::DeleteEntryClick()
{
    DeleteSelectedEntries();
}

void TfLog::DeleteAllClick()
{
    m_lvDatabase->selectAll();
    DeleteSelectedEntries();
    m_lvDatabase->clearSelection();
}

void TfLog::CallEntryClick()
{
    const QList<QTreeWidgetItem *> selected = selectedRowsInListOrder();
    if (selected.isEmpty()) {
        QApplication::beep();
        return;
    }
    const QString number = selected.first()->text(2);
    const QString confirm = MessageText(QStringLiteral("msgConfirm"));
    if (ShowMessageBoxLang(this, confirm, QMessageBox::Yes | QMessageBox::No, QMessageBox::Information,
                           MessageText(QStringLiteral("msgCallEntry")) + number + QStringLiteral("] ?"), 0)
        != QMessageBox::Yes)
        return;
    try {
        m_app.amTapi()->MakeCall(number);
        ShowMessageBox(this, confirm, false, MessageText(QStringLiteral("msgPhoneNumberDialed")));
        m_app.amTapi()->HangUp();
    } catch (const std::exception &error) {
        WriteLog(QStringLiteral("Dialling ") + number + QStringLiteral(" failed: ") + QString::fromUtf8(error.what()));
    }
}

void TfLog::Addentry1Click()
{
    const QList<QTreeWidgetItem *> selected = selectedRowsInListOrder();
    if (selected.size() != 1) {
        QApplication::beep();
        return;
    }
    RunHandler(this, [this, row = selected.first()] {
        m_card.showAddForm(row->text(2), row->text(1));
    });
}

void TfLog::ReadLogPlacement()
{
    const std::unique_ptr<QSettings> opened = placementStore();
    QSettings &store = *opened;
    const auto readInt = [&store](const QString &name, auto apply) {
        bool ok = false;
        const int value = store.value(name).toInt(&ok);
        if (store.contains(name) && ok)
            apply(value);
    };
    QRect placement = geometry();
    readInt(QStringLiteral("Top"), [&](int v) { placement.moveTop(v); });
    readInt(QStringLiteral("Left"), [&](int v) { placement.moveLeft(v); });
    readInt(QStringLiteral("Width"), [&](int v) { placement.setWidth(v); });
    readInt(QStringLiteral("Height"), [&](int v) { placement.setHeight(v); });
    move(placement.topLeft());
    resize(placement.size());
    for (int column = 0; column < m_lvDatabase->columnCount(); ++column)
        readInt(QStringLiteral("COL%1").arg(column), [&](int v) { m_lvDatabase->setColumnWidth(column, v); });
}

void TfLog::WriteLogPlacement()
{
    const std::unique_ptr<QSettings> opened = placementStore();
    QSettings &store = *opened;
    store.setValue(QStringLiteral("Top"), y());
    store.setValue(QStringLiteral("Left"), x());
    store.setValue(QStringLiteral("Width"), width());
    store.setValue(QStringLiteral("Height"), height());
    for (int column = 0; column < m_lvDatabase->columnCount(); ++column)
        store.setValue(QStringLiteral("COL%1").arg(column), m_lvDatabase->columnWidth(column));
}

void TfLog::closeEvent(QCloseEvent *event)
{
    WriteLogPlacement();
    QWidget::closeEvent(event);
}

void TfLog::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_bClose->move(m_panel->width() - 77, 4);
}

void TfLog::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        SetHelpKeyword(QStringLiteral("idh_calllog"));
        RunHandler(this, [this] {
            TranslateControl(m_app.language(), this);
            TranslatePopupMenu(m_app.language(), m_popupMenu);
        });
    }
}

bool TfLog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lvDatabase && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        DeleteSelectedEntries();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
