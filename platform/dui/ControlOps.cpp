#include "platform/dui/ControlOps.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <algorithm>
#include <optional>

#include "platform/dui/LanguageTexts.h"

namespace ms1::dui {
namespace {

// Blocks the control's signals while it lives, when the change must not notify.
std::optional<QSignalBlocker> QuietUnless(QWidget* control, bool notify) {
    if (notify) {
        return std::nullopt;
    }
    return std::optional<QSignalBlocker>(std::in_place, control);
}

void Restyle(QWidget* control) {
    control->style()->unpolish(control);
    control->style()->polish(control);
    control->update();
}

// Keeps the skin's own style sheet and replaces one rule of ours, marked by a comment.
void SetOwnRule(QWidget* control, const char* tag, const QString& rule) {
    const QString begin = QStringLiteral("/*%1*/").arg(QLatin1String(tag));
    QString sheet = control->styleSheet();
    const qsizetype at = sheet.indexOf(begin);
    if (at >= 0) {
        const qsizetype end = sheet.indexOf(begin, at + begin.size());
        sheet.remove(at, end < 0 ? sheet.size() - at : end + begin.size() - at);
    }
    control->setStyleSheet(sheet + begin + rule + begin);
}

}  // namespace

void SetText(QWidget* control, const QString& text, const LanguageTexts* texts) {
    if (control == nullptr) {
        return;
    }
    const bool resource = control->property("resourcetext").toBool() && texts != nullptr;
    const QString shown = resource ? texts->Text(text) : text;
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(shown);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(shown);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(shown);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(shown);
    } else {
        control->setWindowTitle(shown);
    }
}

QString Text(const QWidget* control) {
    if (auto* label = qobject_cast<const QLabel*>(control)) {
        return label->text();
    }
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* group = qobject_cast<const QGroupBox*>(control)) {
        return group->title();
    }
    return control != nullptr ? control->windowTitle() : QString();
}

void SetVisible(QWidget* control, bool visible) {
    if (control != nullptr) {
        control->setVisible(visible);
    }
}

bool IsVisible(const QWidget* control) {
    return control != nullptr && !control->isHidden();
}

void SetEnabled(QWidget* control, bool enabled) {
    if (control != nullptr) {
        control->setEnabled(enabled);
    }
}

void SetSelected(QWidget* control, bool selected, bool notify) {
    auto* button = qobject_cast<QAbstractButton*>(control);
    if (button == nullptr) {
        return;
    }
    auto quiet = QuietUnless(button, notify);
    button->setCheckable(true);
    button->setChecked(selected);
}

bool IsSelected(const QWidget* control) {
    auto* button = qobject_cast<const QAbstractButton*>(control);
    return button != nullptr && button->isChecked();
}

void SetRange(QWidget* control, int minimum, int maximum) {
    auto quiet = QuietUnless(control, false);
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        slider->setRange(minimum, maximum);
    } else if (auto* bar = qobject_cast<QProgressBar*>(control)) {
        bar->setRange(minimum, maximum);
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        spin->setRange(minimum, maximum);
    }
}

void SetValue(QWidget* control, int value, bool notify) {
    if (control == nullptr) {
        return;
    }
    auto quiet = QuietUnless(control, notify);
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        slider->setValue(value);
    } else if (auto* bar = qobject_cast<QProgressBar*>(control)) {
        bar->setValue(value);
    } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        spin->setValue(value);
    }
}

int Value(const QWidget* control) {
    if (auto* slider = qobject_cast<const QAbstractSlider*>(control)) {
        return slider->value();
    }
    if (auto* bar = qobject_cast<const QProgressBar*>(control)) {
        return bar->value();
    }
    if (auto* spin = qobject_cast<const QSpinBox*>(control)) {
        return spin->value();
    }
    return 0;
}

void SetBkColor(QWidget* control, std::uint32_t argb) {
    if (control == nullptr) {
        return;
    }
    const QColor color = QColor::fromRgba(argb);
    control->setProperty("bkcolor", color);
    SetOwnRule(control, "bkcolor",
               QStringLiteral("background-color: %1;").arg(color.name(QColor::HexArgb)));
}

void SetBkImage(QWidget* control, const QString& resourceFolder, const QString& image) {
    if (control == nullptr) {
        return;
    }
    control->setProperty("bkimage", image);
    const QString path = QDir(resourceFolder).filePath(image);
    SetOwnRule(control, "bkimage",
               QStringLiteral("border-image: url(\"%1\") 0 0 0 0 stretch stretch;").arg(path));
}

int AddItem(QWidget* control, const QString& text, int fixedHeight) {
    auto quiet = QuietUnless(control, false);
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        auto* item = new QListWidgetItem(text, list);
        // A long name is elided in the line; the tooltip shows it whole.
        item->setToolTip(text);
        if (fixedHeight > 0) {
            // Width 0: the list stretches the item over its width; only the height is fixed.
            item->setSizeHint(QSize(0, fixedHeight));
        }
        return list->count() - 1;
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->addItem(text);
        return combo->count() - 1;
    }
    return -1;
}

void RemoveItem(QWidget* control, int index) {
    auto quiet = QuietUnless(control, false);
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        delete list->takeItem(index);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->removeItem(index);
    }
}

void RemoveAllItems(QWidget* control) {
    auto quiet = QuietUnless(control, false);
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        list->clear();
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->clear();
    }
}

void SetItemText(QWidget* control, int index, const QString& text) {
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        if (QListWidgetItem* item = list->item(index)) {
            item->setText(text);
            item->setToolTip(text);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (index >= 0 && index < combo->count()) {
            combo->setItemText(index, text);
        }
    }
}

int ItemCount(const QWidget* control) {
    if (auto* list = qobject_cast<const QListWidget*>(control)) {
        return list->count();
    }
    if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        return combo->count();
    }
    return 0;
}

void SelectItem(QWidget* control, int index, bool notify) {
    if (control == nullptr) {
        return;
    }
    auto quiet = QuietUnless(control, notify);
    if (auto* list = qobject_cast<QListWidget*>(control)) {
        if (notify && list->currentRow() == index) {
            // Selecting the selected item again still tells the owner, as a click would.
            list->setCurrentRow(-1);
        }
        list->setCurrentRow(index);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (notify && combo->currentIndex() == index) {
            emit combo->currentIndexChanged(index);
        }
        combo->setCurrentIndex(index);
    }
}

int SelectedItem(const QWidget* control) {
    if (auto* list = qobject_cast<const QListWidget*>(control)) {
        return list->currentRow();
    }
    if (auto* combo = qobject_cast<const QComboBox*>(control)) {
        return combo->currentIndex();
    }
    return -1;
}

void SelectTab(QWidget* control, int index) {
    auto quiet = QuietUnless(control, false);
    if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
        tabs->setCurrentIndex(index);
    } else if (auto* stack = qobject_cast<QStackedWidget*>(control)) {
        stack->setCurrentIndex(index);
    }
}

int SelectedTab(const QWidget* control) {
    if (auto* tabs = qobject_cast<const QTabWidget*>(control)) {
        return tabs->currentIndex();
    }
    if (auto* stack = qobject_cast<const QStackedWidget*>(control)) {
        return stack->currentIndex();
    }
    return -1;
}

void ScrollToEnd(QWidget* control) {
    if (auto* area = qobject_cast<QScrollArea*>(control)) {
        if (QWidget* content = area->widget()) {
            content->adjustSize();
        }
        area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    }
}

void SetAttribute(QWidget* control, const QString& name, const QString& value) {
    if (control == nullptr) {
        return;
    }
    control->setProperty(name.toUtf8().constData(), value);
    if (name == u"padding") {
        const QStringList parts = value.split(u',');
        if (parts.size() != 4) {
            return;
        }
        const QMargins padding(parts[0].trimmed().toInt(), parts[1].trimmed().toInt(),
                               parts[2].trimmed().toInt(), parts[3].trimmed().toInt());
        QWidget* parent = control->parentWidget();
        if (parent != nullptr && parent->layout() == nullptr) {
            // Placed freely in its parent: the padding shifts it from where the skin put it,
            // negative values included (a banner sliding in from the left).
            QVariant origin = control->property("_ms1_origin");
            if (!origin.isValid()) {
                origin = control->pos();
                control->setProperty("_ms1_origin", origin);
            }
            control->move(origin.toPoint() + QPoint(padding.left(), padding.top()));
        } else {
            // In a layout only an inner margin is possible.
            control->setContentsMargins(std::max(0, padding.left()), std::max(0, padding.top()),
                                        std::max(0, padding.right()),
                                        std::max(0, padding.bottom()));
        }
        return;
    }
    Restyle(control);
}

}  // namespace ms1::dui
