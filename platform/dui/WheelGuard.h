#pragma once

#include <QObject>

class QWidget;

namespace ms1::dui {

// Keeps the mouse wheel from changing a setting while the user only scrolls the page.
// Sliders, combo boxes and spin boxes under a root take the wheel only while they have the
// keyboard focus (clicked or tabbed to first); otherwise the wheel goes to the scroll area
// around them. A wheel turn no longer gives them the focus either.
class WheelGuard : public QObject {
    Q_OBJECT
  public:
    explicit WheelGuard(QObject* parent = nullptr);

    // Guards every such control under root (root included); call again for skins added later.
    void Attach(QWidget* root);
    // Whether the guard handles the wheel for this kind of control.
    static bool Guards(const QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace ms1::dui
