#include "common/catalogues.h"

namespace r4860 {

std::string_view SensorDisplayName(int typ, int gain) noexcept {
    if (IsRtd(typ) && gain >= 0 && gain <= 3) return RtdNames[static_cast<std::size_t>(gain * 4 + typ)];
    if (typ < 1 || typ > kSensorCodeCount) return {};
    return SensorNames[static_cast<std::size_t>(typ)];
}

std::string_view ModeKey(int tryb) noexcept {
    if (tryb < 1 || tryb > static_cast<int>(ModeNames.size())) return {};
    return ModeNames[static_cast<std::size_t>(tryb - 1)];
}

std::string_view UnitName(int jednostki) noexcept {
    if (jednostki < 0 || jednostki >= static_cast<int>(UnitNames.size())) return UnitNames[0];
    return UnitNames[static_cast<std::size_t>(jednostki)];
}

}  // namespace r4860
