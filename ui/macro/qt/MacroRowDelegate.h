#pragma once

#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QRect>
#include <QStyledItemDelegate>
#include <vector>

class QLabel;

namespace ms1 {

namespace dui {
class SkinLoader;
}

// "res='skins/mouse.png' dest='2,2,28,28'": the file and the rectangle (left, top, right,
// bottom) it is drawn into. An empty file when the text names none.
struct ImageDescription {
    QString file;
    QRect dest;
};
ImageDescription ParseImageDescription(QStringView text);

// Draws the rows of the macro editor's action list with the row skin "keylistitem.xml": its
// labels (sub-controls "key", "action", "delay") are filled from the row's data and the skin
// is painted in the row's place, each picture behind its label's text. The skin is loaded
// once and only the rows in view are painted, so a list of 200 actions is rebuilt in the time
// of setting its texts: no widget per row, no style sheet polish per row.
class MacroRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // Loads the row skin as a hidden child of the list, where the window's style applies.
    // Loaded() is false when the skin is missing or has none of the sub-controls.
    MacroRowDelegate(const dui::SkinLoader& skins, const QString& file, QWidget* list);
    ~MacroRowDelegate() override;

    bool Loaded() const { return row_ != nullptr && !cells_.empty(); }
    int RowHeight() const;
    // The item data roles of a sub-control's text and picture; -1 when the skin lacks it.
    int TextRole(QStringView sub) const;
    int PictureRole(QStringView sub) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    int CellIndex(QStringView sub) const;
    const QPixmap& Picture(const QString& file, QSize size) const;

    QString resourceFolder_;
    QPointer<QWidget> row_;
    std::vector<QLabel*> cells_;
    mutable QHash<QString, QPixmap> pictures_;
};

}  // namespace ms1
