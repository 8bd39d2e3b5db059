#pragma once

#include <QPoint>
#include <array>
#include <cstdint>

#include "platform/dui/DuiWindow.h"

class QLineEdit;

namespace ms1 {

class ColorPalette;

// The colour picker of the DPI stages and the lighting colour (skin "DpiColorDialog.xml"):
// a palette, 16 preset swatches and the red, green and blue values. Result 1 is OK; the
// chosen colour is always opaque.
class CDpiColorWnd : public dui::DuiWindow {
    Q_OBJECT
  public:
    static constexpr std::array<std::uint32_t, 16> kPresetColours = {
        0xFF00FFFF, 0xFF6CFF00, 0xFF7F00FF, 0xFF007FFF, 0xFF0000FF, 0xFF7FFF00,
        0xFFFF5400, 0xFFFF7F00, 0xFFFFB400, 0xFFFFFF00, 0xFFFF0000, 0xFFFF00FF,
        0xFF1EB40A, 0xFF48B1FF, 0xFFFF48B0, 0xFFFFFFFF};

    CDpiColorWnd(std::shared_ptr<const dui::SkinLoader> skins,
                 std::shared_ptr<const dui::LanguageTexts> texts);

    ~CDpiColorWnd() override;

    // Set before Create.
    void SetColour(std::uint32_t argb) { colour_ = argb; }
    void SetPosition(QPoint topLeft) { position_ = topLeft; }
    std::uint32_t Colour() const { return colour_; }

    ColorPalette* Palette() const { return palette_; }

    // The number at the start of a channel edit: an optional sign and digits; 0 when the
    // text does not start with a number.
    static long ReadChannel(const QString& text);

  protected:
    QString GetSkinFile() const override { return QStringLiteral("DpiColorDialog.xml"); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;

  private:
    void OnClick(const dui::TNotify& notify);
    void OnChannelEdited(QLineEdit* edit);
    void ShowChannels();

    std::uint32_t colour_ = 0xFF000000;
    QPoint position_;
    ColorPalette* palette_ = nullptr;
    QWidget* show_ = nullptr;
    QLineEdit* red_ = nullptr;
    QLineEdit* green_ = nullptr;
    QLineEdit* blue_ = nullptr;
};

}  // namespace ms1
