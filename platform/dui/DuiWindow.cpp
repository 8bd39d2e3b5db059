#include "platform/dui/DuiWindow.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLayout>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/dui/ControlOps.h"
#include "platform/dui/KeyboardAccess.h"
#include "platform/dui/SkinTexts.h"

namespace ms1::dui {
namespace {

// The skin's area that moves a frameless window when dragged.
const QString kCaptionName = QStringLiteral("caption");

}  // namespace

DuiWindow::DuiWindow(std::shared_ptr<const SkinLoader> skins,
                     std::shared_ptr<const LanguageTexts> texts)
    : skins_(std::move(skins)),
      texts_(std::move(texts)),
      bridge_([this](const dui::TNotify& notify) { Deliver(notify); }) {
    hub_.SetHandler([this](const Message& message) { return HandleMessage(message); });
    timers_.SetHandler([this](int id) { OnTimer(id); });
}

DuiWindow::~DuiWindow() {
    delete root_.data();
}

bool DuiWindow::Create(QWidget* owner) {
    root_ = skins_->Load(GetSkinFile(), owner);
    if (root_ == nullptr) {
        return false;
    }
    if (owner != nullptr) {
        root_->setWindowFlag(Qt::Window, true);
    }
    if (root_->property("frameless").toBool()) {
        root_->setWindowFlag(Qt::FramelessWindowHint, true);
    }
    // Texts and tooltips the skin gives as language keys show in the user's language.
    ShowSkinTexts(root_, texts_.get());
    root_->setProperty(kSkinRootProperty, true);
    caption_ = FindControl(kCaptionName);
    if (caption_ != nullptr) {
        caption_->installEventFilter(this);
    }
    bridge_.Attach(root_);
    wheelGuard_.Attach(root_);
    creating_ = true;
    InitWindow();
    creating_ = false;
    KeyboardAccess::Attach(root_);
    // At a large desktop text scale a wrapped text takes more lines than the skin's height
    // leaves room for: the window grows to what its layout needs at its width.
    if (QLayout* layout = root_->layout(); layout != nullptr && layout->hasHeightForWidth()) {
        const int needed = layout->totalHeightForWidth(root_->width());
        if (needed > root_->height()) {
            root_->resize(root_->width(), needed);
        }
    }
    return true;
}

QWidget* DuiWindow::FindControl(const QString& name) const {
    if (root_ == nullptr || name.isEmpty()) {
        return nullptr;
    }
    if (root_->objectName() == name) {
        return root_;
    }
    return root_->findChild<QWidget*>(name);
}

QWidget* DuiWindow::LoadInto(QWidget* container, const QString& skinFile) {
    if (container == nullptr) {
        return nullptr;
    }
    QWidget* content = skins_->Load(skinFile, container);
    if (content == nullptr) {
        return nullptr;
    }
    if (container->layout() == nullptr) {
        auto* layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    content->setProperty(kSkinRootProperty, true);
    container->layout()->addWidget(content);
    ShowSkinTexts(content, texts_.get());
    bridge_.Attach(content);
    wheelGuard_.Attach(content);
    // A skin loaded while the window is being created is ordered with the rest of it at the
    // end of Create(): the layout walk and the Tab chain are done once, not once per skin.
    if (!creating_ || container->window() != root_)
        KeyboardAccess::Attach(container->window());
    return content;
}

void DuiWindow::AddVirtualWnd(const QString& name, NotifyHandler handler) {
    virtualWindows_[name] = std::move(handler);
}

void DuiWindow::RemoveVirtualWnd(const QString& name) {
    virtualWindows_.erase(name);
}

bool DuiWindow::HasVirtualWnd(const QString& name) const {
    return virtualWindows_.count(name) != 0;
}

void DuiWindow::SetControlTimer(QWidget* control, int id, int milliseconds) {
    if (control == nullptr) {
        return;
    }
    QTimer*& timer = controlTimers_[{control, id}];
    if (timer == nullptr) {
        timer = new QTimer(this);
        QPointer<QWidget> guarded(control);
        connect(timer, &QTimer::timeout, this, [this, guarded, id] {
            if (guarded != nullptr) {
                bridge_.Emit(guarded, "timer", id, 0);
            }
        });
    }
    timer->start(milliseconds);
}

void DuiWindow::KillControlTimer(QWidget* control, int id) {
    auto found = controlTimers_.find({control, id});
    if (found != controlTimers_.end()) {
        found->second->stop();
    }
}

void DuiWindow::SetText(QWidget* control, const QString& text) const {
    dui::SetText(control, text, texts_.get());
}

QString DuiWindow::LanguageText(const QString& key) const {
    return texts_ != nullptr ? texts_->Text(key) : key;
}

int DuiWindow::ShowModal() {
    auto* dialog = qobject_cast<QDialog*>(root_.data());
    if (dialog == nullptr) {
        return 0;
    }
    // Esc and the window's own close give QDialog::Rejected, which is 0 here too.
    return dialog->exec();
}

void DuiWindow::Close(int result) {
    if (auto* dialog = qobject_cast<QDialog*>(root_.data())) {
        dialog->done(result);
    } else if (root_ != nullptr) {
        root_->hide();
    }
}

void DuiWindow::CenterOnScreen() {
    if (root_ == nullptr) {
        return;
    }
    // Over the owner window when there is one (a dialog), else in the middle of the screen.
    QRect frame = root_->frameGeometry();
    QWidget* owner = root_->parentWidget() != nullptr ? root_->parentWidget()->window() : nullptr;
    if (owner != nullptr && owner->isVisible()) {
        frame.moveCenter(owner->frameGeometry().center());
    } else {
        QScreen* screen = root_->screen() ? root_->screen() : QGuiApplication::primaryScreen();
        if (screen == nullptr) {
            return;
        }
        frame.moveCenter(screen->availableGeometry().center());
    }
    root_->move(frame.topLeft());
}

void DuiWindow::RaiseNotify(QWidget* control, const QString& type, std::uintptr_t wParam,
                            std::intptr_t lParam) {
    if (control != nullptr) {
        bridge_.Emit(control, type, wParam, lParam);
    }
}

void DuiWindow::Notify(const dui::TNotify& notify) {
    auto found = virtualWindows_.find(notify.virtualWindow);
    if (!notify.virtualWindow.isEmpty() && found != virtualWindows_.end()) {
        found->second(notify);
    }
}

bool DuiWindow::HandleMessage(const Message&) {
    return false;
}

void DuiWindow::OnTimer(int) {}

void DuiWindow::Deliver(const dui::TNotify& notify) {
    Notify(notify);
}

bool DuiWindow::eventFilter(QObject* watched, QEvent* event) {
    // Every kind of event reaches the caption; only those of a mouse type are mouse events.
    if (root_ != nullptr && caption_ != nullptr && watched == caption_) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                const auto* mouse = static_cast<const QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton) {
                    dragging_ = true;
                    dragOffset_ = mouse->globalPosition().toPoint() - root_->pos();
                }
                break;
            }
            case QEvent::MouseMove:
                if (dragging_) {
                    const auto* mouse = static_cast<const QMouseEvent*>(event);
                    root_->move(mouse->globalPosition().toPoint() - dragOffset_);
                }
                break;
            case QEvent::MouseButtonRelease:
                dragging_ = false;
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ms1::dui
