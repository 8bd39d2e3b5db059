#pragma once

#include <QObject>
#include <QString>

class QAbstractButton;

namespace ms1 {

// A button's text that may be longer than the button (a macro's name, a long function name):
// the button shows what fits, ending in "…", and then tells the whole text in its tooltip.
// It follows the button's width as the window is resized.
class ElidedButtonText : public QObject {
    Q_OBJECT
  public:
    // Takes the button's present text as its whole text.
    static void Keep(QAbstractButton* button);
    // The whole text of a button given to Keep(); its text otherwise.
    static QString WholeText(const QAbstractButton* button);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit ElidedButtonText(QObject* parent) : QObject(parent) {}
    static void Refresh(QAbstractButton* button);
};

}  // namespace ms1
