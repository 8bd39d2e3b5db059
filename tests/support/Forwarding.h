#pragma once

// ms1ctl's side of a request to the running program, as the tests make it: the client
// blocks, so it runs on a thread of its own while this thread, the program's window thread,
// runs the event loop.
#include <QJsonObject>
#include <QString>
#include <QTest>
#include <chrono>
#include <future>
#include <string>

#include <gtest/gtest.h>

#include "platform/InstanceRequests.h"
#include "platform/SingleInstance.h"

namespace ms1::test {

struct Forwarded {
    ForwardOutcome outcome;
    std::string out;
    std::string err;
};

inline Forwarded Forward(const QString& instanceName, const QJsonObject& request,
                         std::chrono::milliseconds patience) {
    auto result = std::async(std::launch::async, [&] {
        Forwarded forwarded;
        forwarded.outcome = ForwardRequest(SingleInstance::SocketPath(instanceName), request,
                                           patience, [&](bool toErr, const std::string& text) {
                                               (toErr ? forwarded.err : forwarded.out) += text;
                                           });
        return forwarded;
    });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        20000));
    return result.get();
}

}  // namespace ms1::test
