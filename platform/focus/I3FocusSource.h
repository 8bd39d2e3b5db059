#pragma once

#include <QByteArray>
#include <QObject>
#include <deque>
#include <memory>
#include <string>

#include "platform/LocalConnection.h"
#include "ports/FocusSource.h"

namespace ms1 {

// The focus as i3 and sway tell it over their IPC socket: the source subscribes to window
// events and reports the container of each "focus" change; the windows open now come from a
// GET_TREE request on the same socket, whose reply arrives between the events. The socket is
// read when it has data, on the window thread.
class I3FocusSource final : public QObject, public FocusSource {
    Q_OBJECT

  public:
    explicit I3FocusSource(std::string socketPath);
    ~I3FocusSource() override;

    std::string Kind() const override { return "i3"; }
    std::string UnavailableReason() const override;
    bool Start(FocusListener listener) override;
    void ListOpen(ListListener done) override;

  private:
    bool Connect();
    void Send(std::uint32_t type, const QByteArray& payload);
    void OnReadable();
    void Report(const std::string& appId);
    // The socket closed or spoke something else: the replies still awaited hear nothing.
    void Lost();

    // What a reply of ours goes to, in the order the requests went.
    struct Awaited {
        enum Kind { kSubscribe, kFocusNow, kList } kind;
        ListListener done;
    };

    std::string path_;
    std::unique_ptr<LocalConnection> socket_;
    QByteArray buffer_;
    std::deque<Awaited> awaited_;
    FocusListener listener_;
    std::string last_;
    bool reported_ = false;
    bool lost_ = false;
};

}  // namespace ms1
