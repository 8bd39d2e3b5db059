#pragma once

namespace ms1 {

// What the USB HID link changes on the mouse page when the receiver goes away. Called on the
// window thread only.
class LinkView {
  public:
    virtual ~LinkView() = default;
    // Hides the 2.4 GHz indicator.
    virtual void HideWirelessIndicator() = 0;
    virtual void RefreshLinkSections() = 0;
};

}  // namespace ms1
