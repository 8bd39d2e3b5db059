#pragma once

#include <QString>

#include "platform/dui/DuiWindow.h"

namespace ms1 {

// A confirmation asks (OK and Cancel); a notice only tells (OK alone; its result is the same).
enum class MessageKind { Confirmation, Notice };

// The notices the program shows by language key: one profile left, the last left click, a
// name refused. Every other key is taken as a question, so that nothing is done unasked.
MessageKind KindOfMessage(const QString& messageKey);

// The program's modal warning and confirmation box (skin "msg.xml"): a title and a message,
// both language keys, and the buttons "btn_ok" and "btn_cancel".
class CMsgWnd : public dui::DuiWindow {
    Q_OBJECT
  public:
    CMsgWnd(std::shared_ptr<const dui::SkinLoader> skins,
            std::shared_ptr<const dui::LanguageTexts> texts, QString titleKey, QString messageKey,
            MessageKind kind = MessageKind::Confirmation);

  protected:
    QString GetSkinFile() const override { return QStringLiteral("msg.xml"); }
    void InitWindow() override;
    void Notify(const dui::TNotify& notify) override;

  private:
    QString titleKey_;
    QString messageKey_;
    MessageKind kind_;
    QWidget* okButton_ = nullptr;
    QWidget* cancelButton_ = nullptr;
};

// Shows the box over the owner window and returns 1 when OK was pressed, 0 for Cancel and for
// any other way of closing it (Esc, the window manager), and also when "msg.xml" is missing.
// A notice has no Cancel button.
int ShowMessageBox(const dui::DuiWindow& owner, const QString& titleKey, const QString& messageKey,
                   MessageKind kind = MessageKind::Confirmation);

}  // namespace ms1
