#pragma once

#include <string>

#include "transport/HidApi.h"

namespace ms1 {

// One opened collection of the receiver, or (as the current receiver) one paired receiver.
struct HidCollectionSlot {
    HidHandle* featureHandle = nullptr;
    HidHandle* inputHandle = nullptr;
    std::string path;
    int index = 0;  // position in its table when it was filled
    std::string pairKey;

    bool empty() const {
        return featureHandle == nullptr && inputHandle == nullptr && path.empty();
    }
};

}  // namespace ms1
