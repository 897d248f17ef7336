#include "translatecontrol.h"

#include "language.h"
#include "orvcontrols.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

const char languageItemProperty[] = "ringseerLanguageItem";

QString lookupCaption(TLanguage &language, const QString &section, const QString &name, const QString &current)
{
    return language.Lookup(section, name + QStringLiteral("->Caption"), current);
}

bool isContainer(const QWidget *widget)
{
    if (qobject_cast<const TRadioGroup *>(widget))
        return false;
    return qobject_cast<const TPanel *>(widget) || qobject_cast<const QGroupBox *>(widget)
        || qobject_cast<const QTabWidget *>(widget) || widget->property("tabSheet").toBool();
}

void translateLeaf(TLanguage &language, const QString &section, QWidget *control)
{
    const QString name = control->objectName();
    // Texts that are data rather than captions (a picture's path, a count) stay as set.
    if (name.isEmpty() || control->property(NoTranslationProperty).toBool())
        return;
    if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        if (qobject_cast<QPushButton *>(control) || qobject_cast<QCheckBox *>(control)
            || qobject_cast<QRadioButton *>(control))
            button->setText(lookupCaption(language, section, name, button->text()));
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        if (label->textFormat() != Qt::RichText && label->pixmap().isNull())
            label->setText(lookupCaption(language, section, name, label->text()));
    } else if (auto *group = qobject_cast<TRadioGroup *>(control)) {
        group->setTitle(lookupCaption(language, section, name, group->title()));
    }
    if (!control->toolTip().isEmpty())
        control->setToolTip(language.Lookup(section, name + QStringLiteral("->Hint"), control->toolTip()));
}

void translateMenuItems(TLanguage &language, const QString &section, const QList<QAction *> &actions, int level)
{
    for (QAction *action : actions) {
        if (level < 3 && IsLanguageItem(action))
            continue;
        if (!action->objectName().isEmpty())
            action->setText(lookupCaption(language, section, action->objectName(),
                                          action->isSeparator() ? QStringLiteral("-") : action->text()));
        if (level < 3 && action->menu())
            translateMenuItems(language, section, action->menu()->actions(), level + 1);
    }
}

void translateChildren(TLanguage &language, QWidget *window);

// Steps for a window or a container inside one: its own caption where it has one,
// the main menu of a form, then the controls inside it.
void translateWindow(TLanguage &language, QWidget *window)
{
    const QString name = window->objectName();
    if (window->isWindow())
        window->setWindowTitle(language.Lookup(name, QStringLiteral("Caption"), window->windowTitle()));
    if (window->property("tabSheet").toBool()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(window->parentWidget() ? window->parentWidget()->parentWidget()
                                                                              : nullptr)) {
            const int index = tabs->indexOf(window);
            if (index >= 0)
                tabs->setTabText(index, language.Lookup(name, QStringLiteral("Caption"), tabs->tabText(index)));
        }
    }
    if (auto *form = qobject_cast<QMainWindow *>(window); form && form->menuWidget()) {
        if (auto *bar = qobject_cast<QMenuBar *>(form->menuWidget()))
            translateMenuItems(language, name, bar->actions(), 1);
    }
    translateChildren(language, window);
}

void translateChildren(TLanguage &language, QWidget *window)
{
    QWidget *content = window;
    if (auto *form = qobject_cast<QMainWindow *>(window); form && form->centralWidget())
        content = form->centralWidget();
    if (auto *tabs = qobject_cast<QTabWidget *>(window)) {
        for (int i = 0; i < tabs->count(); ++i)
            translateWindow(language, tabs->widget(i));
        return;
    }
    const auto children = content->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow())
            continue;
        if (isContainer(child))
            translateWindow(language, child);
        else
            translateLeaf(language, window->objectName(), child);
    }
}

void onLanguageChosen(TLanguage &language, QAction *chosen)
{
    language.SetCurrentLanguage(chosen->data().toInt());
    if (QActionGroup *group = chosen->actionGroup()) {
        for (QAction *item : group->actions())
            item->setChecked(item == chosen);
    }
    // Another window may have added rows since the table was read.
    language.LoadFile(language.TablePath());
    TranslateControl(language, nullptr);
}

void fillLanguageMenu(TLanguage &language, QMenu *menu)
{
    auto *group = new QActionGroup(menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    bool more = true;
    for (int index = 0; more; ++index) {
        QAction *item = menu->addAction(language.LanguageName(index, &more));
        item->setObjectName(QStringLiteral("Language%1").arg(index + 1));
        item->setData(index + 1);
        item->setCheckable(true);
        item->setProperty(languageItemProperty, true);
        group->addAction(item);
        QObject::connect(item, &QAction::triggered, menu, [&language, item] { onLanguageChosen(language, item); });
    }
}

} // namespace

bool IsLanguageItem(const QObject *action)
{
    return action && action->property(languageItemProperty).toBool();
}

void TranslateControl(TLanguage &language, QWidget *window, QMenu *languageMenu)
{
    if (!window) {
        window = qobject_cast<QWidget *>(language.MainControl());
        if (!window)
            return;
    } else if (!language.MainControl()) {
        language.SetMainControl(window);
    }
    translateWindow(language, window);
    if (languageMenu)
        fillLanguageMenu(language, languageMenu);
}

void TranslatePopupMenu(TLanguage &language, QMenu *popup)
{
    const QString section = popup->objectName();
    for (QAction *action : popup->actions()) {
        if (!action->objectName().isEmpty())
            action->setText(lookupCaption(language, section, action->objectName(),
                                          action->isSeparator() ? QStringLiteral("-") : action->text()));
    }
}
