#pragma once

#include <QObject>

class QWidget;

namespace ms1 {

// The page's section headers (check boxes of the skin marked "section") open and close their
// panels. They show a triangle in their text's colour, down when open and right when closed,
// in place of a check box's indicator, so a closed header never reads as a setting that is off.
class SectionHeaderLook : public QObject {
    Q_OBJECT
  public:
    // Gives every section header under `page` its triangle.
    static void Apply(QWidget* page);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit SectionHeaderLook(QObject* parent) : QObject(parent) {}
};

}  // namespace ms1
