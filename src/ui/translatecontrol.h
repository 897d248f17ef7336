#pragma once

class QMenu;
class QObject;
class QWidget;
class TLanguage;

// Translates a window: its caption, the captions and hints of its controls (descending
// through panels, group boxes, page controls and tab sheets, which give their children
// their own name as section), and its main menu to three levels. With a language menu
// it also fills that menu with the languages of the table. A null window stands for
// the main window. Throws RingseerError when a new key cannot be saved to the table.
void TranslateControl(TLanguage &language, QWidget *window, QMenu *languageMenu = nullptr);

// Translates the top-level items of a popup menu, with the menu's name as section.
void TranslatePopupMenu(TLanguage &language, QMenu *popup);

// A control carrying this property as true keeps its text and hint untranslated.
inline constexpr char NoTranslationProperty[] = "ringseerNoTranslation";

// Marks the language items, so that menu translation leaves them alone.
bool IsLanguageItem(const QObject *action);
