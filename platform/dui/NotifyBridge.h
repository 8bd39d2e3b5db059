#pragma once

#include <QObject>
#include <functional>

#include "platform/dui/TNotify.h"

namespace ms1::dui {

// Turns the Qt signals and events of every control under a widget into notifications with the
// type names the windows dispatch on:
//   push and tool buttons: "click"; check boxes: "checkclick" (wParam 1 when checked);
//   radio buttons and other exclusive options: "selectchanged" when they become selected;
//   combo boxes and lists: "itemselect" (wParam = index); sliders: "valuechanged" (value);
//   line edits: "textchanged" (typed or pasted), "return", "setfocus", "killfocus";
//   buttons and edits: "mouseenter", "mouseleave".
class NotifyBridge : public QObject {
    Q_OBJECT
  public:
    using Sink = std::function<void(const TNotify&)>;

    explicit NotifyBridge(Sink sink, QObject* parent = nullptr);

    // Connects every named control under root (root included). Controls added later are
    // connected by calling this again for their own root.
    void Attach(QWidget* root);

    // The virtual window of a control: the "virtualwnd" property of the control or its
    // nearest ancestor that has one; empty when none has.
    static QString VirtualWindowOf(const QWidget* control);

    void Emit(QWidget* control, const QString& type, std::uintptr_t wParam, std::intptr_t lParam);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Connect(QWidget* control);

    Sink sink_;
};

}  // namespace ms1::dui
