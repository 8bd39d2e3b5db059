#include "sim/VirtualMouse.h"

#include <algorithm>

namespace ms1::sim {
namespace {

constexpr std::uint8_t kReportId = 0x11;
constexpr std::uint8_t kStatusMark = 0x11;
constexpr std::uint8_t kTypeStage = 0x18;
constexpr std::uint8_t kTypeRate = 0x28;
constexpr std::uint8_t kTypeBattery = 0x48;
constexpr std::uint8_t kTypeAck = 0x58;
constexpr std::uint8_t kTypeBatteryStep = 0x68;
constexpr std::uint8_t kTypeLighting = 0x78;
constexpr std::uint8_t kTypeProfile = 0x88;

constexpr std::size_t kConfigLength = 60;
constexpr std::size_t kPacketLength = 64;
constexpr std::size_t kPacketData = 60;
// Returned while a macro page is still incomplete: nothing to acknowledge yet.
constexpr std::uint8_t kNoAckYet = 0xFF;

// The mouse's own reading of the 16-bit additive checksum: bytes [first, last], stored high
// byte first at `at`.
bool ChecksumMatches(const std::uint8_t* bytes, std::size_t first, std::size_t last,
                     std::size_t at) {
    unsigned sum = 0;
    for (std::size_t i = first; i <= last; ++i) {
        sum += bytes[i];
    }
    const unsigned stored = (static_cast<unsigned>(bytes[at]) << 8) | bytes[at + 1];
    return (sum & 0xFFFF) == stored;
}

}  // namespace

VirtualMouse::VirtualMouse(const SimClock& clock)
    : clock_(clock), nextHeartbeatMs_(clock.NowMs() + kHeartbeatMs) {}

void VirtualMouse::Pump() {
    const std::int64_t now = clock_.NowMs();
    std::stable_sort(late_.begin(), late_.end(),
                     [](const Pending& a, const Pending& b) { return a.dueMs < b.dueMs; });
    auto due = late_.begin();
    while (due != late_.end() && due->dueMs <= now) {
        ready_.push_back(due->report);
        ++due;
    }
    late_.erase(late_.begin(), due);
    if (now >= nextHeartbeatMs_) {
        // One heartbeat however long the gap was: the mouse does not replay missed ones.
        if (!asleep_) {
            Send(kTypeBattery, batteryState_, batteryLevel_);
        }
        nextHeartbeatMs_ = now + kHeartbeatMs;
    }
}

void VirtualMouse::Send(std::uint8_t type, std::uint8_t v0, std::uint8_t v1) {
    ready_.push_back(InputReport{kReportId, kStatusMark, type, v0, v1});
}

void VirtualMouse::QueueRaw(const InputReport& report) {
    ready_.push_back(report);
}

bool VirtualMouse::TakeInputReport(InputReport& report) {
    Pump();
    if (ready_.empty()) {
        return false;
    }
    report = ready_.front();
    ready_.pop_front();
    return true;
}

std::int64_t VirtualMouse::NextDueMs() const {
    std::int64_t due = asleep_ ? INT64_MAX : nextHeartbeatMs_;
    for (const Pending& pending : late_)
        due = std::min(due, pending.dueMs);
    return due;
}

void VirtualMouse::PowerUp() {
    if (!asleep_) {
        Send(kTypeBattery, batteryState_, batteryLevel_);
    }
    nextHeartbeatMs_ = clock_.NowMs() + kHeartbeatMs;
}

void VirtualMouse::AnnounceSettings() {
    if (asleep_) {
        return;
    }
    Send(kTypeStage, settings_.activeStage, 0);
    // A mouse that was never told a rate runs at its default of 1000 reports per second.
    Send(kTypeRate, settings_.rateCode != 0 ? settings_.rateCode : 1, 0);
}

void VirtualMouse::DropPending() {
    ready_.clear();
    late_.clear();
    nextPacket_ = 0;
}

void VirtualMouse::SetAsleep(bool asleep) {
    if (asleep_ == asleep) {
        return;
    }
    asleep_ = asleep;
    if (!asleep_) {
        PowerUp();
    }
}

void VirtualMouse::SelectStage(std::uint8_t stage) {
    SetAsleep(false);
    settings_.activeStage = stage;
    Send(kTypeStage, stage, 0);
}

void VirtualMouse::PressDpiButton() {
    constexpr std::uint8_t kOwnStages = 0x3F;
    const std::uint8_t enabled =
        settings_.stageEnableMask != 0 ? settings_.stageEnableMask : kOwnStages;
    std::uint8_t stage = settings_.activeStage;
    for (int tried = 0; tried < 8; ++tried) {
        stage = static_cast<std::uint8_t>(stage % 8 + 1);
        if (enabled & (1u << (stage - 1)))
            break;
    }
    SelectStage(stage);
}

void VirtualMouse::SetRateCode(std::uint8_t code) {
    SetAsleep(false);
    settings_.rateCode = code;
    Send(kTypeRate, code, 0);
}

void VirtualMouse::SetLightingMode(std::uint8_t mode) {
    SetAsleep(false);
    settings_.lightMode = mode;
    Send(kTypeLighting, static_cast<std::uint8_t>(mode << 4), 0);
}

void VirtualMouse::SetBattery(std::uint8_t state, std::uint8_t level) {
    SetAsleep(false);
    batteryState_ = state;
    batteryLevel_ = level;
    Send(kTypeBattery, state, level);
}

void VirtualMouse::SetBatteryStep(std::uint8_t step) {
    SetAsleep(false);
    Send(kTypeBatteryStep, step, 0);
}

void VirtualMouse::SwitchProfile(std::uint8_t profile) {
    SetAsleep(false);
    Send(kTypeProfile, profile, 0);
}

void VirtualMouse::Acknowledge(std::uint8_t status) {
    switch (ackMode_) {
        case AckMode::kNever:
            return;
        case AckMode::kLate:
            late_.push_back({clock_.NowMs() + kLateAckMs,
                             InputReport{kReportId, kStatusMark, kTypeAck, status, 0}});
            return;
        case AckMode::kNormal:
        case AckMode::kRefuse:
            Send(kTypeAck, status, 0);
            return;
    }
}

void VirtualMouse::ReceiveFeatureReport(const std::uint8_t* data, std::size_t length) {
    Pump();
    if (asleep_) {
        return;  // the receiver took it, but the mouse never hears it
    }
    const std::uint8_t status = CheckAndApply(data, length);
    if (status == kNoAckYet) {
        return;
    }
    if (status == kAckOk) {
        ++accepted_;
    } else {
        ++refused_;
    }
    Acknowledge(status);
}

std::uint8_t VirtualMouse::ReceiveGattWrite(const std::uint8_t* data, std::size_t length) {
    Pump();
    std::uint8_t status = kAckOk;
    if (asleep_ || ackMode_ == AckMode::kRefuse) {
        status = kAckBusy;
    } else if (data == nullptr || length < 4) {
        status = kAckBadLength;
    } else if (data[0] == 0x16) {
        status = kAckBadValue;
    } else if (data[0] == 0x19) {
        if (length != kMacroPageBytes || data[1] != kMacroPageBytes) {
            status = kAckBadLength;
        } else {
            StoredMacroPage whole{};
            std::copy(data, data + kMacroPageBytes, whole.begin());
            status = StoreMacroPage(whole);
        }
    } else {
        status = CheckAndApply(data, length);
    }
    if (status == kAckOk) {
        ++accepted_;
    } else {
        ++refused_;
    }
    return status;
}

std::uint8_t VirtualMouse::CheckAndApply(const std::uint8_t* data, std::size_t length) {
    if (ackMode_ == AckMode::kRefuse) {
        return kAckBusy;
    }
    if (length < 4) {
        return kAckBadLength;
    }
    switch (data[0]) {
        case 0x14:
        case 0x15:
        case 0x16:
        case 0x18:
        case 0x1C:
            if (length != kConfigLength || data[1] != kConfigLength) {
                return kAckBadLength;
            }
            if (data[2] != 0x01) {
                return kAckBadValue;
            }
            return ApplyConfigReport(data);
        case 0x19:
            if (length != kPacketLength) {
                nextPacket_ = 0;
                return kAckBadLength;
            }
            return TakeMacroPacket(data);
        default:
            return kAckBadValue;
    }
}

std::uint8_t VirtualMouse::ApplyConfigReport(const std::uint8_t* r) {
    MouseSettings& s = settings_;
    switch (r[0]) {
        case 0x14: {
            if (!ChecksumMatches(r, 3, 49, 50)) {
                return kAckBadChecksum;
            }
            if (r[6] != r[7] || r[24] < 1 || r[24] > 8 || r[49] != 0x01) {
                return kAckBadValue;
            }
            s.angleSnapRipple = r[3];
            s.moveCloseLight = r[4];
            s.stageEnableMask = r[5];
            s.highRangeMask = r[6];
            std::copy(r + 8, r + 16, s.stageCode.begin());
            std::copy(r + 16, r + 24, s.extensionFlag.begin());
            s.activeStage = r[24];
            for (int i = 0; i < 8; ++i) {
                std::copy(r + 25 + 3 * i, r + 28 + 3 * i, s.stageColor[i].begin());
            }
            return kAckOk;
        }
        case 0x15:
            if (!ChecksumMatches(r, 3, 10, 11)) {
                return kAckBadChecksum;
            }
            s.lightMode = static_cast<std::uint8_t>(r[3] >> 4);
            s.lightByte4 = r[4];
            s.lightByte5 = r[5];
            s.breathSpeed = static_cast<std::uint8_t>(9 - (r[4] & 0x0F));
            s.brightness = static_cast<std::uint8_t>(r[5] & 0x0F);
            s.sleepTimer = static_cast<std::uint8_t>((r[4] & 0xF0) | (r[5] >> 4));
            std::copy(r + 6, r + 9, s.lightColor.begin());
            s.lightOffTimer = r[9];
            s.keyDebounce = r[10];
            return kAckOk;
        case 0x16: {
            const std::uint8_t code = r[3];
            if ((code != 1 && code != 2 && code != 4 && code != 8) ||
                r[4] != static_cast<std::uint8_t>(~code)) {
                return kAckBadValue;
            }
            s.rateCode = code;
            return kAckOk;
        }
        case 0x18:
            if (!ChecksumMatches(r, 3, 50, 51)) {
                return kAckBadChecksum;
            }
            for (int k = 0; k < 16; ++k) {
                std::copy(r + 3 + 3 * k, r + 6 + 3 * k, s.buttons[k].begin());
            }
            return kAckOk;
        default:  // 0x1C, the preamble of a full apply
            ++s.preambles;
            return kAckOk;
    }
}

std::uint8_t VirtualMouse::TakeMacroPacket(const std::uint8_t* p) {
    const std::uint8_t page = p[2];
    const int index = p[3];
    // The last packet carries 8 data bytes; the receiver's sender marks it with 4 + 8.
    const bool lengthOk = index < 2 ? p[1] == 0x40 : (p[1] == 0x0C || p[1] == 0x40);
    if (index > 2 || !lengthOk) {
        nextPacket_ = 0;
        return index > 2 ? kAckBadSequence : kAckBadLength;
    }
    if (index == 0) {
        assemblyPage_ = page;
        nextPacket_ = 0;
        assembly_.fill(0);
    }
    if (index != nextPacket_ || page != assemblyPage_) {
        nextPacket_ = 0;
        return kAckBadSequence;
    }
    const std::size_t offset = kPacketData * static_cast<std::size_t>(index);
    const std::size_t count = std::min(kPacketData, assembly_.size() - offset);
    std::copy(p + 4, p + 4 + count, assembly_.begin() + static_cast<std::ptrdiff_t>(offset));
    if (++nextPacket_ < 3) {
        return kNoAckYet;
    }
    nextPacket_ = 0;

    StoredMacroPage whole{};
    whole[0] = 0x19;
    whole[1] = 0x83;
    whole[2] = page;
    std::copy(assembly_.begin(), assembly_.end(), whole.begin() + 3);
    return StoreMacroPage(whole);
}

std::uint8_t VirtualMouse::StoreMacroPage(const StoredMacroPage& whole) {
    if (!ChecksumMatches(whole.data(), 3, 128, 129)) {
        return kAckBadChecksum;
    }
    if (whole[8] > 60) {
        return kAckBadValue;  // more 2-byte units than the page holds
    }
    settings_.macroPages[whole[2]] = whole;
    return kAckOk;
}

}  // namespace ms1::sim
