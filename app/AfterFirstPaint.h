#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace ms1 {

// Runs work the first frame does not need once the window has painted that frame: in the
// event loop turn after its first paint event, or in the first turn of the event loop when
// the window is not shown (started in the tray). The work runs once; it does not run when
// the window is destroyed first.
class AfterFirstPaint : public QObject {
  public:
    static void Run(QWidget* window, std::function<void()> work);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    AfterFirstPaint(QWidget* window, std::function<void()> work);
    void Start();

    QWidget* window_;
    std::function<void()> work_;
    bool started_ = false;
};

}  // namespace ms1
