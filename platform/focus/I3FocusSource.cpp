#include "platform/focus/I3FocusSource.h"

#include "platform/focus/I3Messages.h"

namespace ms1 {

I3FocusSource::I3FocusSource(std::string socketPath) : path_(std::move(socketPath)) {}

I3FocusSource::~I3FocusSource() {
    if (socket_)
        socket_->disconnect(this);
}

std::string I3FocusSource::UnavailableReason() const {
    return lost_ ? "app_profiles_no_i3_text" : std::string();
}

bool I3FocusSource::Connect() {
    if (socket_)
        return !lost_;
    // A local socket connects at once or not at all; the writes below are kept until the
    // socket can take them.
    socket_ = LocalConnection::ConnectTo(QString::fromStdString(path_));
    if (!socket_) {
        lost_ = true;
        return false;
    }
    connect(socket_.get(), &LocalConnection::ReadyRead, this, &I3FocusSource::OnReadable);
    connect(socket_.get(), &LocalConnection::Closed, this, &I3FocusSource::Lost);
    return true;
}

void I3FocusSource::Send(std::uint32_t type, const QByteArray& payload) {
    socket_->Write(i3::EncodeMessage(type, payload));
}

bool I3FocusSource::Start(FocusListener listener) {
    if (!Connect())
        return false;
    listener_ = std::move(listener);
    Send(i3::kSubscribe, QByteArrayLiteral("[\"window\"]"));
    awaited_.push_back({Awaited::kSubscribe, nullptr});
    // What has the focus now: the tree says, once the subscription stands.
    Send(i3::kGetTree, {});
    awaited_.push_back({Awaited::kFocusNow, nullptr});
    return true;
}

void I3FocusSource::ListOpen(ListListener done) {
    if (!Connect()) {
        done({});
        return;
    }
    Send(i3::kGetTree, {});
    awaited_.push_back({Awaited::kList, std::move(done)});
}

void I3FocusSource::OnReadable() {
    buffer_.append(socket_->ReadAll());
    i3::IpcMessage message;
    for (;;) {
        const i3::Take take = i3::TakeMessage(buffer_, message);
        if (take == i3::Take::kNeedMore)
            return;
        if (take == i3::Take::kBroken) {
            socket_->Abort();  // says Closed: lost
            return;
        }
        if (message.type & i3::kEventFlag) {
            if (message.type != i3::kWindowEvent)
                continue;
            if (auto appId = i3::FocusedAppIdOfEvent(message.payload))
                Report(*appId);
            continue;
        }
        if (awaited_.empty())
            continue;
        Awaited awaited = std::move(awaited_.front());
        awaited_.pop_front();
        if (awaited.kind == Awaited::kSubscribe)
            continue;
        i3::TreeWindows windows = i3::WindowsOfTree(message.payload);
        if (awaited.kind == Awaited::kFocusNow) {
            // An event may have told of a later focus already.
            if (!reported_)
                Report(windows.focused);
        } else if (awaited.done) {
            awaited.done(std::move(windows.appIds));
        }
    }
}

void I3FocusSource::Report(const std::string& appId) {
    if (reported_ && appId == last_)
        return;
    reported_ = true;
    last_ = appId;
    if (listener_)
        listener_(appId);
}

void I3FocusSource::Lost() {
    lost_ = true;
    std::deque<Awaited> left;
    left.swap(awaited_);
    for (Awaited& awaited : left) {
        if (awaited.done)
            awaited.done({});
    }
}

}  // namespace ms1
