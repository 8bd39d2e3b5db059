#include "ui/dialogs/qt/CDpiColorWnd.h"

#include <QLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <climits>

#include "platform/dui/ControlOps.h"
#include "ui/dialogs/qt/AccessibleNames.h"
#include "ui/dialogs/qt/ColorPalette.h"
#include "ui/dialogs/qt/DialogNames.h"

namespace ms1 {
namespace {

constexpr int kWidth = 250;
constexpr int kHeight = 200;
const QString kPaletteName = QString::fromLatin1(kColorDialog.palette);
const QString kSwatchPrefix = QString::fromLatin1(kColorDialog.swatchPrefix);

std::uint32_t FromChannels(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

}  // namespace

CDpiColorWnd::CDpiColorWnd(std::shared_ptr<const dui::SkinLoader> skins,
                           std::shared_ptr<const dui::LanguageTexts> texts)
    : DuiWindow(std::move(skins), std::move(texts)) {}

long CDpiColorWnd::ReadChannel(const QString& text) {
    qsizetype at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) {
        negative = text[at] == u'-';
        ++at;
    }
    long value = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at) {
        value = std::min<long>(value * 10 + (text[at].unicode() - u'0'), INT_MAX);
    }
    return negative ? -value : value;
}

CDpiColorWnd::~CDpiColorWnd() = default;

void CDpiColorWnd::InitWindow() {
    Widget()->setWindowTitle(LanguageText("dpi_color_title_text"));
    Widget()->setGeometry(position_.x(), position_.y(), kWidth, kHeight);

    // The skin marks where the palette goes; the palette itself is a control of ours.
    palette_ = new ColorPalette();
    palette_->setObjectName(kPaletteName);
    if (QWidget* place = FindControl(kPaletteName)) {
        palette_->setMinimumSize(place->minimumSize().expandedTo(palette_->minimumSize()));
        QWidget* parent = place->parentWidget();
        if (parent != nullptr && parent->layout() != nullptr) {
            delete parent->layout()->replaceWidget(place, palette_);
        }
        palette_->setParent(parent);
        delete place;
    } else {
        palette_->setParent(Widget());
    }
    connect(palette_, &ColorPalette::colorChanged, this,
            [this] { RaiseNotify(palette_, QStringLiteral("colorchanged")); });
    connect(palette_, &ColorPalette::colorChangedButtonUp, this,
            [this] { RaiseNotify(palette_, QStringLiteral("colorchangedbuttonup")); });

    show_ = FindControl(kColorDialog.colorShow);
    red_ = FindControlAs<QLineEdit>(kColorDialog.channelEdits[0]);
    green_ = FindControlAs<QLineEdit>(kColorDialog.channelEdits[1]);
    blue_ = FindControlAs<QLineEdit>(kColorDialog.channelEdits[2]);
    // A channel is 0 to 255: digits only (larger numbers are brought down to 255).
    for (QLineEdit* edit : {red_, green_, blue_}) {
        if (edit != nullptr) {
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]{0,3}")), edit));
        }
    }
    for (int i = 0; i < static_cast<int>(kPresetColours.size()); ++i) {
        dui::SetBkColor(FindControl(kSwatchPrefix + QString::number(i + 1)), kPresetColours[i]);
    }
    NameAccessibly(Widget(), Texts(),
                   {{kColorDialog.channelEdits[0], "acc_red_name", "acc_channel_desc"},
                    {kColorDialog.channelEdits[1], "acc_green_name", "acc_channel_desc"},
                    {kColorDialog.channelEdits[2], "acc_blue_name", "acc_channel_desc"},
                    {kColorDialog.palette, "acc_palette_name", "acc_palette_desc"}});
    for (int i = 0; i < static_cast<int>(kPresetColours.size()); ++i) {
        if (QWidget* swatch = FindControl(kSwatchPrefix + QString::number(i + 1)))
            swatch->setAccessibleName(ColourWords(QColor::fromRgba(kPresetColours[i]), Texts()));
    }
    palette_->SetSelectColor(colour_);
    dui::SetBkColor(show_, colour_);
    ShowChannels();
}

void CDpiColorWnd::Notify(const dui::TNotify& notify) {
    if (notify.type == u"click") {
        OnClick(notify);
    } else if ((notify.type == u"colorchanged" || notify.type == u"colorchangedbuttonup") &&
               notify.control == palette_) {
        colour_ = palette_->GetSelectColor();
        dui::SetBkColor(show_, colour_);
        ShowChannels();
    } else if (notify.type == u"textchanged") {
        OnChannelEdited(qobject_cast<QLineEdit*>(notify.control.data()));
    }
}

void CDpiColorWnd::OnClick(const dui::TNotify& notify) {
    if (notify.sender == kColorDialog.confirm) {
        Close(1);
    } else if (notify.sender == kColorDialog.cancel) {
        Close(0);
    } else if (notify.sender.startsWith(kSwatchPrefix)) {
        bool ok = false;
        const int number = notify.sender.mid(kSwatchPrefix.size()).toInt(&ok);
        if (ok && number >= 1 && number <= static_cast<int>(kPresetColours.size())) {
            colour_ = kPresetColours[number - 1];
            palette_->SetSelectColor(colour_);
            dui::SetBkColor(show_, colour_);
            ShowChannels();
        }
    }
}

void CDpiColorWnd::OnChannelEdited(QLineEdit* edit) {
    if (edit == nullptr || (edit != red_ && edit != green_ && edit != blue_)) {
        return;
    }
    long value = ReadChannel(edit->text());
    if (value > 255) {
        edit->setText(QStringLiteral("255"));
        value = 255;
    } else if (value < 0) {
        edit->setText(QStringLiteral("0"));
        value = 0;
    }
    std::uint32_t red = (colour_ >> 16) & 0xFF;
    std::uint32_t green = (colour_ >> 8) & 0xFF;
    std::uint32_t blue = colour_ & 0xFF;
    const auto channel = static_cast<std::uint32_t>(value);
    if (edit == red_) {
        red = channel;
    } else if (edit == green_) {
        green = channel;
    } else {
        blue = channel;
    }
    colour_ = FromChannels(red, green, blue);
    palette_->SetSelectColor(colour_);
    dui::SetBkColor(show_, colour_);
}

void CDpiColorWnd::ShowChannels() {
    const std::uint32_t red = (colour_ >> 16) & 0xFF;
    const std::uint32_t green = (colour_ >> 8) & 0xFF;
    const std::uint32_t blue = colour_ & 0xFF;
    // Whatever alpha came in, what is shown and returned is opaque.
    colour_ = FromChannels(red, green, blue);
    if (red_ != nullptr) {
        red_->setText(QString::number(red));
    }
    if (green_ != nullptr) {
        green_->setText(QString::number(green));
    }
    if (blue_ != nullptr) {
        blue_->setText(QString::number(blue));
    }
    dui::SetBkColor(show_, colour_);
}

}  // namespace ms1
