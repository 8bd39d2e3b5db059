#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>

#include "platform/MessageHub.h"
#include "platform/TimerSet.h"
#include "platform/dui/LanguageTexts.h"
#include "platform/dui/NotifyBridge.h"
#include "platform/dui/SkinLoader.h"
#include "platform/dui/TNotify.h"
#include "platform/dui/WheelGuard.h"

class QWidget;
class QTimer;

namespace ms1::dui {

// A window built from a skin: the base of every window and dialog of the program. It owns the
// top-level widget, finds controls by name, routes the controls' notifications to Notify or
// to a registered virtual window, and has a message queue and timers of its own on the GUI
// thread. A skin whose top-level widget is a QDialog can be run modally with a result.
class DuiWindow : public QObject {
    Q_OBJECT
  public:
    using NotifyHandler = std::function<void(const dui::TNotify&)>;
    // Set on the top widget of every skin built, the window's own and those loaded into it.
    static constexpr const char* kSkinRootProperty = "skinroot";

    DuiWindow(std::shared_ptr<const SkinLoader> skins, std::shared_ptr<const LanguageTexts> texts);
    ~DuiWindow() override;

    // Builds the window from GetSkinFile() and runs InitWindow. False when the skin is missing.
    bool Create(QWidget* owner = nullptr);
    QWidget* Widget() const { return root_; }

    QWidget* FindControl(const QString& name) const;
    template <typename T>
    T* FindControlAs(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }

    // Loads a further skin into a container of this window (its layout is created when
    // missing) and connects its controls. Returns the new widget or null.
    QWidget* LoadInto(QWidget* container, const QString& skinFile);

    // Notifications of controls inside a widget marked with the property virtualwnd=name go to
    // the handler registered under that name.
    void AddVirtualWnd(const QString& name, NotifyHandler handler);
    void RemoveVirtualWnd(const QString& name);
    bool HasVirtualWnd(const QString& name) const;

    // A control timer raises "timer" notifications (wParam = id) from the control until killed.
    void SetControlTimer(QWidget* control, int id, int milliseconds);
    void KillControlTimer(QWidget* control, int id);

    // Sets a control's text; controls in resource-text mode show the language text of the key.
    void SetText(QWidget* control, const QString& text) const;
    QString LanguageText(const QString& key) const;

    MessageHub& Messages() { return hub_; }
    TimerSet& Timers() { return timers_; }
    const SkinLoader& Skins() const { return *skins_; }
    const LanguageTexts* Texts() const { return texts_.get(); }
    std::shared_ptr<const SkinLoader> SharedSkins() const { return skins_; }
    std::shared_ptr<const LanguageTexts> SharedTexts() const { return texts_; }

    // Modal run: returns the result given to Close, 0 when closed in any other way.
    int ShowModal();
    void Close(int result);
    // Centres the window over its owner, or on the screen when it has none.
    void CenterOnScreen();

    // Raises a notification as if the control had (used by tests and by code that acts for
    // the user).
    void RaiseNotify(QWidget* control, const QString& type, std::uintptr_t wParam = 0,
                     std::intptr_t lParam = 0);

  protected:
    virtual QString GetSkinFile() const = 0;
    virtual void InitWindow() {}
    // Every notification of the window's controls arrives here first. The default routes
    // those of virtual windows to their handlers and ignores the rest.
    virtual void Notify(const dui::TNotify& notify);
    virtual bool HandleMessage(const Message& message);
    virtual void OnTimer(int id);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Deliver(const dui::TNotify& notify);

    std::shared_ptr<const SkinLoader> skins_;
    std::shared_ptr<const LanguageTexts> texts_;
    QPointer<QWidget> root_;
    QPointer<QWidget> caption_;
    NotifyBridge bridge_;
    WheelGuard wheelGuard_;
    MessageHub hub_;
    TimerSet timers_;
    std::map<QString, NotifyHandler> virtualWindows_;
    std::map<std::pair<QWidget*, int>, QTimer*> controlTimers_;
    QPoint dragOffset_;
    bool dragging_ = false;
    // While Create() builds the window: the keys are attached once, when it is complete.
    bool creating_ = false;
};

}  // namespace ms1::dui
