#pragma once

#include <QList>
#include <QObject>

class QWidget;

namespace ms1::dui {

// Makes a window built from skins usable from the keyboard, in one place for every window:
// - Tab follows the layout: the stops are chained in reading order, each layout's items in
//   their order and a grid row by row, so that a container's controls stay together (the left
//   column before the sections, the sections top to bottom, the bottom bar last). A skin's
//   <tabstops> would have to be kept up to date by hand with every control added.
// - Enter and Return press the focused button or toggle the focused check box, as Space does.
//   A dialog keeps Qt's own rule there: Enter presses its default button.
// - A control that takes the focus inside a scroll area is scrolled into view.
// - A window that is no dialog opens with no control focused.
class KeyboardAccess : public QObject {
    Q_OBJECT
  public:
    // Orders the Tab stops of `window` (the top-level widget of a skin) and attaches the keys
    // once. Call again after a skin is loaded into the window.
    static void Attach(QWidget* window);

    // The widgets of `root` that can take the focus, in the order the layouts show them; other
    // windows under it (dialogs) are left out. Hidden controls are included: Tab passes over
    // them while they are hidden and finds them in place once they show.
    static QList<QWidget*> LayoutOrder(QWidget* root);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit KeyboardAccess(QWidget* window);
    void FocusMoved(QWidget* now);

    QWidget* window_;
};

}  // namespace ms1::dui
