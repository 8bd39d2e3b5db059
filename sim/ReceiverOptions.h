#pragma once

#include <string>

#include "sim/VirtualMouse.h"

namespace ms1::sim {

// How one virtual receiver (and the mouse behind it) is built.
struct ReceiverOptions {
    // Device instance field shared by the receiver's vendor collections (the fifth '&' field
    // of their paths); two receivers need different ones.
    std::string instanceKey = "7a3c91e0";
    // Vendor collections beyond the first input and the first feature collection.
    int extraInputCollections = 0;
    int extraFeatureCollections = 0;
    // The receiver's first input report does not carry the status mark in byte 1.
    bool firstReportNotStatus = false;
    AckMode ackMode = AckMode::kNormal;
    bool asleep = false;
    // Its nodes belong to someone else: every open fails with EACCES.
    bool openDenied = false;
};

}  // namespace ms1::sim
