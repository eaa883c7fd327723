#pragma once

#include <QList>
#include <QString>

class QAction;

namespace nivaro {

// The Help menu's texts, as HTML: every shortcut of the actions given and
// the keys that have no menu item; the program with the libraries it was
// built with.
QString ShortcutsTable(const QList<QAction*>& actions);
QString AboutText();

}  // namespace nivaro
