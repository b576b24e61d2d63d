#pragma once
// Turns a dialog template into Qt widgets: one widget per control, placed by converting
// dialog units to pixels with the template font's average character size, as Windows
// does (x * average width / 4, y * height / 8).

#include <QFont>
#include <QRect>
#include <map>
#include <vector>

#include "ui/DialogTemplate.h"

class QDialog;
class QWidget;

namespace ui {

// The size of a dialog unit's base: the font's average character width and its height.
struct DialogBaseUnits {
    int averageWidth = 0;
    int height = 0;
};

// Average width as Windows measures it: the extent of "A..Za..z" / 26, halved, rounded.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// A rectangle in dialog units to pixels; each edge is converted, so neighbours stay flush.
QRect DialogUnitsToPixels(int x, int y, int cx, int cy, DialogBaseUnits units);

// The font a template names, made from faces this system has. Sizes follow Windows at 96
// logical dots per inch, so a template lays out the same on every display.
QFont TemplateFont(const DialogTemplate& dialogTemplate);

// The widgets made for a template: by identifier (controls with id -1 are only in order).
class DialogItems {
  public:
    QWidget* Item(int id) const;
    template <class W>
    W* ItemAs(int id) const {
        return qobject_cast<W*>(Item(id));
    }
    const std::vector<QWidget*>& InOrder() const { return ordered_; }

  private:
    friend DialogItems BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);
    std::map<int, QWidget*> byId_;
    std::vector<QWidget*> ordered_;
};

// Fills `dialog` with the template's controls, sets its caption, font, size and window
// flags, chains the tab order in template order and gives the focus to the first enabled,
// visible control with a tab stop. The buttons with ids 1 and 2 accept and reject the
// dialog (override QDialog::accept/reject to check input first). Throws
// DialogTemplateError for a window class it does not know.
DialogItems BuildDialog(QDialog& dialog, const DialogTemplate& dialogTemplate);

}  // namespace ui
