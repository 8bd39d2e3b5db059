#pragma once

#include "ports/LinkPorts.h"
#include "transport/UsbHidLink.h"

namespace ms1 {

// The 2.4 GHz way of a report: a feature report on the link's current receiver.
class ReceiverReportPort final : public WirelessReportPort {
  public:
    explicit ReceiverReportPort(UsbHidLink& link) : link_(link) {}
    Result SendFeatureReport(const std::uint8_t* data, std::size_t length) override {
        return link_.SendFeatureReport(data, length);
    }

  private:
    UsbHidLink& link_;
};

}  // namespace ms1
