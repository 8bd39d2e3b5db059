#include "ui/macro/qt/MacroRowDelegate.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QPainter>

#include "platform/DebugLog.h"
#include "platform/dui/SkinLoader.h"

namespace ms1 {
namespace {

// The text between "key='" and the next "'", or nothing.
QStringView Quoted(QStringView text, QStringView key) {
    const QString open = key.toString() + QStringLiteral("='");
    const qsizetype start = text.indexOf(open);
    if (start < 0)
        return {};
    const qsizetype from = start + open.size();
    const qsizetype end = text.indexOf(u'\'', from);
    return end < 0 ? QStringView() : text.mid(from, end - from);
}

const char* const kSubControls[] = {"key", "action", "delay"};

}  // namespace

ImageDescription ParseImageDescription(QStringView text) {
    ImageDescription image;
    image.file = Quoted(text, u"res").toString();
    const QList<QStringView> corners = Quoted(text, u"dest").split(u',');
    if (corners.size() == 4) {
        const int left = corners[0].trimmed().toInt();
        const int top = corners[1].trimmed().toInt();
        const int right = corners[2].trimmed().toInt();
        const int bottom = corners[3].trimmed().toInt();
        image.dest = QRect(QPoint(left, top), QSize(right - left, bottom - top));
    }
    return image;
}

MacroRowDelegate::MacroRowDelegate(const dui::SkinLoader& skins, const QString& file, QWidget* list)
    : QStyledItemDelegate(list), resourceFolder_(skins.ResourceFolder()) {
    if (list == nullptr) {
        return;
    }
    row_ = skins.Load(file, list);
    if (row_ == nullptr) {
        return;
    }
    row_->hide();
    for (const char* name : kSubControls) {
        QLabel* cell = row_->findChild<QLabel*>(QString::fromLatin1(name));
        if (cell == nullptr) {
            qCWarning(lcMs1) << "row skin lacks the sub-control" << name << "in" << file;
            cells_.clear();
            return;
        }
        cells_.push_back(cell);
    }
    row_->ensurePolished();
    for (QLabel* cell : cells_) {
        cell->ensurePolished();
    }
}

MacroRowDelegate::~MacroRowDelegate() = default;

int MacroRowDelegate::RowHeight() const {
    if (row_ == nullptr) {
        return 0;
    }
    return row_->minimumHeight() > 0 ? row_->minimumHeight() : row_->height();
}

int MacroRowDelegate::CellIndex(QStringView sub) const {
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        if (cells_[i]->objectName() == sub)
            return static_cast<int>(i);
    }
    return -1;
}

int MacroRowDelegate::TextRole(QStringView sub) const {
    const int cell = CellIndex(sub);
    return cell < 0 ? -1 : Qt::UserRole + 2 * cell;
}

int MacroRowDelegate::PictureRole(QStringView sub) const {
    const int cell = CellIndex(sub);
    return cell < 0 ? -1 : Qt::UserRole + 2 * cell + 1;
}

const QPixmap& MacroRowDelegate::Picture(const QString& file, QSize size) const {
    const QString key = QStringLiteral("%1@%2x%3").arg(file).arg(size.width()).arg(size.height());
    auto found = pictures_.find(key);
    if (found == pictures_.end()) {
        QPixmap picture(QDir(resourceFolder_).filePath(file));
        if (!picture.isNull() && size.isValid()) {
            picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        found = pictures_.insert(key, picture);
    }
    return *found;
}

void MacroRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    // The item's own background first: selection and hover as the list's style has them.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* view = option.widget;
    QStyle* style = view != nullptr ? view->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, view);
    if (!Loaded()) {
        return;
    }
    if (row_->size() != option.rect.size()) {
        row_->resize(option.rect.size());
        if (row_->layout() != nullptr) {
            row_->layout()->activate();
        }
    }
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const QLabel* cell = cells_[i];
        const int role = Qt::UserRole + 2 * static_cast<int>(i);
        const QPoint at = option.rect.topLeft() + cell->pos();
        const ImageDescription image = ParseImageDescription(index.data(role + 1).toString());
        if (!image.file.isEmpty() && image.dest.isValid()) {
            painter->drawPixmap(image.dest.translated(at), Picture(image.file, image.dest.size()));
        }
        // The text as the label would show it: its font, colour, alignment and indent.
        QRect area = cell->contentsRect().translated(at);
        const int indent = cell->indent() > 0 ? cell->indent() : 0;
        if (cell->alignment() & Qt::AlignRight) {
            area.adjust(0, 0, -indent, 0);
        } else {
            area.adjust(indent, 0, 0, 0);
        }
        painter->setFont(cell->font());
        painter->setPen(cell->palette().color(QPalette::WindowText));
        const QString text =
            QFontMetrics(cell->font())
                .elidedText(index.data(role).toString(), Qt::ElideRight, area.width());
        painter->drawText(area, static_cast<int>(cell->alignment()), text);
    }
}

QSize MacroRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QVariant fixed = index.data(Qt::SizeHintRole);
    if (fixed.isValid()) {
        return fixed.toSize();
    }
    return QSize(option.rect.width(), RowHeight());
}

}  // namespace ms1
