#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace ms1 {
namespace sim {
class VirtualHidBus;
}

// A small window beside the program when it runs against the virtual mouse: it plays the
// user's part on the mouse itself (its DPI button, the battery, the receiver in the USB port),
// so every part of the page can be tried without the mouse. It shows what the mouse holds
// after the program's applies, and goes and comes back with the main window.
class VirtualMousePanel : public QWidget {
    Q_OBJECT
  public:
    explicit VirtualMousePanel(sim::VirtualHidBus& bus, QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void NextStage();
    void NextRate();
    void NextLightingMode();
    void SetBattery(int state, int level);
    void TogglePlugged();
    void ToggleAsleep();
    void ToggleCable();
    void ToggleBluetooth();
    void ShowState();
    // Grows the window to the height its lines need at its width.
    void FitHeight();
    void ShowHeld();

    sim::VirtualHidBus& bus_;
    QLabel* state_ = nullptr;
    QLabel* held_ = nullptr;
    QTimer* heldTimer_ = nullptr;
    bool hiddenWithOwner_ = false;
    int stage_ = 2;
    int rateIndex_ = 0;
    int lightMode_ = 7;
    bool plugged_ = true;
    bool asleep_ = false;
};

}  // namespace ms1
