// The main window as the caller card: showing, sliding, and editing caller records.

#include "app/datadir.h"
#include "app/diaglog.h"
#include "app/messagebox.h"
#include "app/ringseerapp.h"
#include "app/ringseerform.h"
#include "app/texthelpers.h"
#include "records/apdinidbase.h"
#include "telephony/callpipeline.h"
#include "ui/language.h"
#include "ui/orvcontrols.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>

namespace {

const QString pictureFilter = QStringLiteral(
    "JPEG Image File (*.JPG)|*.JPG|JPEG Image File (*.JPEG)|*.JPEG|GIF Image (*.GIF)|*.GIF|Bitmaps (*.BMP)|*.BMP|"
    "Icons (*.ICO)|*.ICO|All files (*.*)|*.*");

QString defaultPicturePath()
{
    return DataDir() + QStringLiteral("Default.bmp");
}

// Where the picture named in a caller record is. A record without one gets the default
// picture. A bare or relative name lives in the data folder, whatever folder the program
// was started from. A Windows path that came with a caller database from Windows (drive
// letter or network share, backslashes), or a path that no longer exists because the
// program's folder moved, is looked for by its file name in the data folder.
QString pictureFile(const QString &stored)
{
    if (stored.isEmpty())
        return defaultPicturePath();
    QString local = stored;
    if (!QDir::isAbsolutePath(stored))
        local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    static const QRegularExpression windowsAbsolute(QStringLiteral("^(?:[A-Za-z]:)?/"));
    if (!windowsAbsolute.match(local).hasMatch())
        return DataDir() + local;
    if (QDir::isAbsolutePath(stored) && QFileInfo::exists(stored))
        return stored;
    const QString inDataDir = DataDir() + local.section(QLatin1Char('/'), -1);
    return QFileInfo::exists(inDataDir) ? inDataDir : stored;
}

// The extension names the decoder; a file whose extension says nothing useful is
// still given to whichever decoder recognises its content.
QImage readPicture(const QString &path, QString *error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QByteArray format = suffix == QLatin1String("jpeg") ? QByteArray("jpg") : suffix.toLatin1();
    QImageReader reader(path, QImageReader::supportedImageFormats().contains(format) ? format : QByteArray());
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull())
        *error = reader.errorString();
    return image;
}

// The part of the primary screen that windows may cover; the card rests in its
// lower right corner.
QRect cardArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Steps of the slide: paced a little, so that the eye sees the card move.
void slideStepPause()
{
    PauseWithMessages(2);
}

} // namespace

bool TRingseerForm::editing() const
{
    return m_bSaveToDatabase->isVisibleTo(this);
}

void TRingseerForm::setEditing(bool editing)
{
    m_bSaveToDatabase->setVisible(editing);
    m_bCancelChanges->setVisible(editing);
}

void TRingseerForm::setCallerNames(const QStringList &names)
{
    const QSignalBlocker quiet(m_cbCallerName);
    const QString text = m_cbCallerName->currentText();
    m_cbCallerName->clear();
    m_cbCallerName->addItems(names);
    m_cbCallerName->setEditText(text);
}

void TRingseerForm::loadPicture(const QString &path, const QString &callerName)
{
    QString error;
    const QString file = pictureFile(path);
    QImage picture = readPicture(file, &error);
    if (picture.isNull()) {
        // A missing or broken picture must not cost the user the card.
        WriteLog(QStringLiteral("Picture \"") + file + QStringLiteral("\" of ") + callerName
                 + QStringLiteral(" cannot be shown (") + error + QStringLiteral("); showing Default.bmp"));
        if (file != defaultPicturePath())
            picture = readPicture(defaultPicturePath(), &error);
    }
    m_image->setPixmap(QPixmap::fromImage(picture));
}

bool TRingseerForm::DisplayRecord(const QString &name)
{
    TApdIniDBase &callers = m_app->CallerDB();
    callers.SetOpen(false);
    setCallerNames(callers.GetRecordList());
    const QString key = name.left(31);
    if (!callers.KeyExists(key))
        return false;
    const DbRecord record = callers.GetRecord(key);
    const QString picture = record.text(QStringLiteral("Picture"));
    const QString callerName = record.text(QStringLiteral("CallerName"));
    loadPicture(picture, callerName);
    m_image->setToolTip(picture);
    m_cbCallerName->writeComboBoxText(callerName);
    m_tbCallerID->setText(record.text(QStringLiteral("CallerID")));
    m_cardRecordName = callerName;
    setEditing(false);
    return true;
}

void TRingseerForm::showAddForm(const QString &number, const QString &name)
{
    m_showTimer->start();
    while (m_showTimer->isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    if (const std::optional<QString> known = FindCallerName(m_app->CallerDB(), number)) {
        DisplayRecord(*known);
        return;
    }
    loadPicture(defaultPicturePath(), name);
    m_image->setToolTip(defaultPicturePath());
    m_cbCallerName->writeComboBoxText(name);
    m_tbCallerID->setText(number);
    setEditing(true);
}

QPoint TRingseerForm::cardRestingPosition() const
{
    const QRect area = cardArea();
    const QSize outer = frameGeometry().size();
    return {area.x() + area.width() - outer.width(), area.y() + area.height() - outer.height()};
}

void TRingseerForm::moveCard(int left, int top)
{
    move(left, top);
    repaint();
}

void TRingseerForm::ShowTimerTimer()
{
    m_showTimer->stop();
    const QRect area = cardArea();
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();

    m_savedPosition = pos();
    // The window frame is known only once the window exists, so it is shown below the
    // screen first and measured then.
    move(right - frameGeometry().width() + 100, bottom + 100);
    show();
    const int width = frameGeometry().width();
    const int height = frameGeometry().height();
    int steps = 0;
    for (int rise = 0; rise <= height; rise += 3) {
        moveCard(right - width, bottom - rise);
        ++steps;
        slideStepPause();
    }
    m_lastSlideInSteps = steps;
    m_hideTimer->start();
}

void TRingseerForm::HideTimerTimer()
{
    m_hideTimer->stop();
    const QRect area = cardArea();
    const int right = area.x() + area.width();
    const int bottom = area.y() + area.height();
    const int width = frameGeometry().width();
    const int height = frameGeometry().height();
    // A card the user touched or moved stays where it is.
    if (m_app->cardTouched() || pos().x() != right - width || (bottom - height) - pos().y() > 3)
        return;
    int steps = 0;
    for (int fall = 3; fall <= height + 100; fall += 3) {
        moveCard(right - width, bottom - height + fall);
        ++steps;
        slideStepPause();
    }
    m_lastSlideOutSteps = steps;
    close();
    move(m_savedPosition);
}

void TRingseerForm::cbCallerNameChange()
{
    RunHandler(this, [this] {
        m_app->setCardTouched(true);
        const QString text = m_cbCallerName->currentText();
        if (!editing() && m_cbCallerName->findText(text, Qt::MatchFixedString) >= 0) {
            DisplayRecord(text);
            return;
        }
        setEditing(true);
    });
}

void TRingseerForm::tbCallerIDChange()
{
    m_app->setCardTouched(true);
    setEditing(true);
}

void TRingseerForm::ImageDblClick()
{
    const QString previous = m_image->toolTip();
    const QString chosen = SelectOpenFile(pictureFilter, previous);
    m_image->setToolTip(chosen);
    loadPicture(chosen, m_cbCallerName->currentText());
    if (chosen != previous)
        setEditing(true);
}

void TRingseerForm::NewClick()
{
    m_app->setCardTouched(true);
    loadPicture(defaultPicturePath(), QString());
    m_image->setToolTip(defaultPicturePath());
    m_cbCallerName->writeComboBoxText(QStringLiteral("(Name)"));
    m_tbCallerID->setText(QStringLiteral("(CallerID)"));
    setEditing(true);
}

void TRingseerForm::bSaveToDatabaseClick()
{
    RunHandler(this, [this] {
        m_app->setCardTouched(true);
        TApdIniDBase &callers = m_app->CallerDB();
        const QString name = m_cbCallerName->currentText();
        DbRecord record = callers.NewRecord();
        record.setText(QStringLiteral("CallerName"), name.left(31));
        record.setText(QStringLiteral("CallerID"), m_tbCallerID->text().left(20));
        record.setText(QStringLiteral("Picture"), m_image->toolTip().left(255));
        if (m_tbCallerID->text().isEmpty()) {
            ShowMessageBox(this, MessageText(QStringLiteral("msgError")), true,
                           MessageText(QStringLiteral("msgInvalidCallerID")));
            return;
        }
        if (name.isEmpty() || name.startsWith(QLatin1Char('('))) {
            ShowMessageBox(this, MessageText(QStringLiteral("msgError")), true,
                           MessageText(QStringLiteral("msgInvalidCallerName")));
            return;
        }
        const QString key = name.left(31);
        const bool existed = callers.KeyExists(key);
        callers.SetOpen(false);
        if (existed)
            callers.UpdRecord(key, record);
        else
            callers.AddRecord(record);
        setCallerNames(callers.GetRecordList());
        setEditing(false);
    });
}

void TRingseerForm::bCancelChangesClick()
{
    RunHandler(this, [this] {
        DisplayRecord(m_cardRecordName);
        m_app->setCardTouched(true);
    });
}

void TRingseerForm::Delete1Click()
{
    RunHandler(this, [this] {
        m_app->setCardTouched(true);
        const QString name = m_cbCallerName->currentText();
        if (ShowMessageBoxLang(nullptr, QStringLiteral("Confirm"), QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Warning, QStringLiteral("Delete entry for ") + name, 0)
            != QMessageBox::Ok)
            return;
        TApdIniDBase &callers = m_app->CallerDB();
        const QString key = name.left(31);
        if (callers.KeyExists(key)) {
            callers.DelRecord(key);
            // Only the caller's own picture beside the program; a name must not lead
            // the deletion into another folder.
            if (!name.contains(QLatin1Char('/')))
                QFile::remove(DataDir() + name + QStringLiteral(".bmp"));
            setCallerNames(callers.GetRecordList());
        }
        DisplayRecord(m_cbCallerName->count() > 0 ? m_cbCallerName->itemText(0) : QString());
    });
}

void TRingseerForm::Open1Click()
{
    RunHandler(this, [this] {
        const QRect area = cardArea();
        const QSize outer = frameGeometry().size();
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
        show();
        raise();
        activateWindow();
        DisplayRecord(m_cbCallerName->count() > 0 ? m_cbCallerName->itemText(0) : QString());
    });
}

void TRingseerForm::closeEvent(QCloseEvent *event)
{
    // Closing only hides the card; the program lives on in the tray.
    m_app->setCardTouched(true);
    setEditing(false);
    hide();
    event->ignore();
}

bool TRingseerForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_image && event->type() == QEvent::MouseButtonDblClick) {
        ImageDblClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
