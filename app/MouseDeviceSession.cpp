#include "app/MouseDeviceSession.h"

#include "engine/DeviceBackend.h"
#include "engine/DeviceSession.h"
#include "engine/SessionConnection.h"
#include "engine/StatusRecorder.h"
#include "platform/DebugLog.h"
#include "storage/DataFolders.h"

namespace ms1 {

std::unique_ptr<MouseDeviceSession> MouseDeviceSession::Create(
    const std::optional<std::string>& scenario) {
    std::unique_ptr<MouseDeviceSession> session(new MouseDeviceSession());
    session->backend_ =
        scenario ? DeviceBackend::Simulated(*scenario) : DeviceBackend::Real(GetProgramFolder());
    if (!session->backend_)
        return nullptr;
    if (!session->backend_->noWiredLinkReason().empty())
        qCWarning(lcMs1) << "no wired link:" << session->backend_->noWiredLinkReason().c_str();
    return session;
}

MouseDeviceSession::~MouseDeviceSession() {
    Stop();
}

void MouseDeviceSession::Start(const PageDeviceContext& context) {
    recorder_ = std::make_unique<StatusRecorder>(&context.status);
    // The vendor library's monitor posts 1539 and 1540 to the main window, which hands them
    // back to the page and so to HandleMessage.
    session_ = &backend_->Open({context.profiles, *recorder_, context.applyView, context.window});
    backend_->FollowDeviceEvents();
    backend_->Start();
}

sim::VirtualHidBus* MouseDeviceSession::VirtualBus() const {
    return backend_ ? backend_->virtualBus() : nullptr;
}

void MouseDeviceSession::Stop() {
    if (backend_)
        backend_->Stop();
}

void MouseDeviceSession::RequestApply() {
    if (session_)
        session_->RequestApply();
}

void MouseDeviceSession::RequestApplyInstead() {
    if (session_)
        session_->RequestApplyInstead();
}

void MouseDeviceSession::RequestApplyDelayed(int milliseconds) {
    if (session_)
        session_->RequestApplyDelayed(milliseconds);
}

bool MouseDeviceSession::AnyConnected() const {
    return session_ && session_->flags().anyConnected.load();
}

std::string MouseDeviceSession::AccessProblem() const {
    return session_ ? session_->link().State().deniedPath : std::string();
}

bool MouseDeviceSession::ReceiverPluggedIn() const {
    return session_ && session_->link().ReceiverPluggedIn();
}

bool MouseDeviceSession::ReceiverPresent() const {
    if (!session_)
        return false;
    return ReceiverPluggedIn() || MayConnect(*session_);
}

bool MouseDeviceSession::HandleMessage(const Message& message) {
    return session_ && session_->HandleMessage(message);
}

void MouseDeviceSession::RefreshLinkSections() {
    if (session_)
        session_->status().RefreshLinkSections();
}

void MouseDeviceSession::SetWindowShown(bool shown) {
    if (session_)
        session_->SetWindowShown(shown);
}

}  // namespace ms1
