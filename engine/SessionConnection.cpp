#include "engine/SessionConnection.h"

namespace ms1 {
namespace {

using Stage = BleGattLink::StartUpStage;

Stage BleStage(DeviceSession& session) {
    const BleGattLink* ble = session.ble();
    return ble != nullptr ? ble->startUpStage() : Stage::kNoMouse;
}

}  // namespace

bool MayConnect(DeviceSession& session) {
    const BleGattLink* ble = session.ble();
    const Stage stage = BleStage(session);
    return session.link().ReceiverPluggedIn() || stage == Stage::kPending ||
           (stage == Stage::kNoWritableLink && ble != nullptr && ble->platformAnswered());
}

Connection ConnectionOf(DeviceSession& session) {
    if (session.flags().AnyLinkUp())
        return Connection::kConnected;
    if (session.link().ReceiverPluggedIn())
        return Connection::kSilentMouse;
    if (BleStage(session) == Stage::kNoWritableLink) {
        return session.ble()->platformAnswered() ? Connection::kBleNotConnected
                                                 : Connection::kNoBleLink;
    }
    return session.link().State().deniedPath.empty() ? Connection::kNoReceiver
                                                     : Connection::kNoAccess;
}

}  // namespace ms1
