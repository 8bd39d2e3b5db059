#include "transport/PairKey.h"

#include "transport/HidrawInterface.h"

namespace ms1 {

std::string ExtractPairKey(std::string_view path) {
    int field = 0;
    std::size_t pos = 0;
    while (pos < path.size()) {
        while (pos < path.size() && path[pos] == '&') {
            ++pos;
        }
        if (pos == path.size()) {
            break;
        }
        std::size_t end = path.find('&', pos);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (++field == 5) {
            return std::string(path.substr(pos, end - pos));
        }
        pos = end;
    }
    return {};
}

std::string PairKeyForPath(const std::string& path) {
    if (path.find('&') != std::string::npos) {
        return ExtractPairKey(path);
    }
    std::string usbInterface = UsbInterfaceOfHidraw(path);
    return usbInterface.empty() ? path : usbInterface;
}

}  // namespace ms1
