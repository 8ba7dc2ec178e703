#pragma once

#include "platform/dialog_template.h"
#include "platform/dialog_units.h"

#include <QFont>
#include <QIcon>
#include <QVariant>
#include <functional>
#include <map>
#include <vector>

class QComboBox;
class QString;
class QWidget;

namespace platform {

// The controls built from one template, reachable by their numeric ids:
// controls.control<QCheckBox>(1028). Controls are owned by the host widget.
class DialogControls {
public:
    void add(int id, QWidget* widget);
    // Puts widget in the place of control id (a window that shows that control its own way);
    // returns the control it replaced, or null when there was none.
    QWidget* replace(int id, QWidget* widget);

    // Null when no control has that id. When two controls share an id, the first one counts.
    QWidget* widget(int id) const;
    template <class T>
    T* control(int id) const {
        return qobject_cast<T*>(widget(id));
    }
    // Every control in template order, those without an id included.
    const std::vector<QWidget*>& all() const { return all_; }

private:
    std::map<int, QWidget*> byId_;
    std::vector<QWidget*> all_;
};

// Resolves the icon of an icon control from its resource id.
using IconSource = std::function<QIcon(int resourceId)>;

// "MS Sans Serif" 8 pt where that font is installed, else the system's sans-serif at 8 pt.
QFont dialogFont();
// Base units of a font: average width of "A".."Z" "a".."z", and the character height.
BaseUnits baseUnitsOf(const QFont& font);

// Builds the template's controls as children of host, absolutely placed, sets the host's font,
// fixed size and title, and (for a top-level dialog) its window flags. The widgets per kind:
// push buttons QPushButton, group box QGroupBox, static text and icon QLabel, single-line edit
// QLineEdit, multi-line edit QPlainTextEdit, combo box QComboBox (add items to sorted ones with
// addComboString; the user's selection changes arrive as QComboBox::activated), check box
// QCheckBox, radio button QRadioButton (each run of consecutive radio buttons is one exclusive
// group).
DialogControls buildDialog(const DialogTemplate& dialog, QWidget& host, const IconSource& icons,
                           const QFont& font = dialogFont());

// Adds an item the way a list control does: at its sorted place when the combo box was built
// sorted, else at the end. Returns the index of the new item. A combo box starts with no item
// selected (index -1), and adding items does not select one.
int addComboString(QComboBox& combo, const QString& text, const QVariant& data = {});

} // namespace platform
