#include "app/FontConfigWarmup.h"

#include <fontconfig/fontconfig.h>

namespace ms1 {

FontConfigWarmup::FontConfigWarmup() : thread_([] { FcInit(); }) {}

FontConfigWarmup::~FontConfigWarmup() {
    thread_.join();
}

}  // namespace ms1
