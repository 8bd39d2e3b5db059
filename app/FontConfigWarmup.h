#pragma once

#include <thread>

namespace ms1 {

// Fontconfig reads its configuration and the font caches the first time a window asks for a
// font, which the first skin does on the window thread. Begun on a thread of its own before
// Qt connects to the display, that work runs beside Qt's own start-up; Qt's later call finds
// it done (fontconfig is thread-safe). Joined when the object goes.
class FontConfigWarmup {
  public:
    FontConfigWarmup();
    ~FontConfigWarmup();
    FontConfigWarmup(const FontConfigWarmup&) = delete;
    FontConfigWarmup& operator=(const FontConfigWarmup&) = delete;

  private:
    std::thread thread_;
};

}  // namespace ms1
