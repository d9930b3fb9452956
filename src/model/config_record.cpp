#include "model/config_record.h"

namespace r4860::model {
namespace {

bool outside(double v, double lo, double hi) { return !(v >= lo && v <= hi); }

}  // namespace

void SetInitialState(ConfigRecord& rec) { rec = ConfigRecord{}; }

void SetEmptyRecord(ConfigRecord& rec) {
    rec.Device.clear();
    rec.Czujnik.Typ = 20;
    rec.Czujnik.Tryb = 1;
    rec.Czujnik.Lin = 2;
    rec.Czujnik.Gain = 0;
    rec.Parametry.Jednostki = 10;
    rec.Parametry.Burnout = 0;
    rec.Parametry.Siec = 50;
    rec.Parametry.MinInput = 0.0;
    rec.Parametry.MaxInput = 0.0;
    rec.Parametry.FiltrLimit = 0;
    rec.Parametry.FiltrZakres = 0;
    rec.Parametry.FiltrCzas = 0;
    rec.Informacje.serial.clear();
    rec.Informacje.data.clear();
    rec.Informacje.kod.clear();
    rec.Informacje.ogolne.clear();
    rec.TableLoaded = false;
}

void AdjustRtdRange(ConfigRecord& rec) {
    const int typ = rec.Czujnik.Typ;
    if (typ != 1 && typ != 2) return;
    rec.LiveRanges[static_cast<std::size_t>(typ)].high =
        rec.Czujnik.Gain == 3 ? FactoryRanges[21].high : FactoryRanges[static_cast<std::size_t>(typ)].high;
}

std::uint8_t DerivedTableInputType(int typ) noexcept {
    switch (typ) {
    case 5: case 15: case 16: case 17: case 18: case 19:
        return static_cast<std::uint8_t>(typ);
    default:
        return 0;
    }
}

bool RangeInConversionUnits(const ConfigRecord& rec) noexcept {
    return IsSignalInput(rec.Czujnik.Typ) && rec.Czujnik.Lin >= 2;
}

UserData UserDataOf(const ConfigRecord& rec) noexcept {
    if (rec.Czujnik.Typ == 15) return UserData::TableFile;
    if (!IsSignalInput(rec.Czujnik.Typ)) return UserData::None;
    if (rec.Czujnik.Lin == 2) return UserData::TableFile;
    return rec.Czujnik.Lin == 8 ? UserData::PowerSeries : UserData::None;
}

void NormalizeConfig(ConfigRecord& rec) {
    auto& cz = rec.Czujnik;
    auto& p = rec.Parametry;

    // R1: codes.
    if (cz.Typ < 1 || cz.Typ > 20) cz.Typ = 20;
    if (cz.Tryb < 1 || cz.Tryb > 11) cz.Tryb = 0;
    if (cz.Lin != 1 && cz.Lin != 2 && cz.Lin != 4 && cz.Lin != 8) cz.Lin = 0;
    // The nominal resistance exists only for resistance thermometers, and selects one of four names.
    if (cz.Gain > 3 || !IsRtd(cz.Typ)) cz.Gain = 0;

    // R3: input range, unless it is in conversion units or follows a user table.
    if (cz.Typ != 15 && !RangeInConversionUnits(rec)) {
        const double lo = SensorRangeLow(rec, cz.Typ), hi = SensorRangeHigh(rec, cz.Typ);
        if (outside(p.MinInput, lo, hi)) p.MinInput = lo;
        if (outside(p.MaxInput, lo, hi)) p.MaxInput = hi;
        if (!(p.MinInput < p.MaxInput)) {
            p.MinInput = lo;
            p.MaxInput = hi;
        }
    }

    // R4: the cold-junction temperature has one admissible range, the one its dialog accepts.
    if (outside(p.RoomT, -20.0001, 60.0001)) p.RoomT = 25.0;

    // R5: corrections up to +-2 % of span; +-2.00 itself is what the corrections window stores at its limit.
    if (outside(p.ZeroReg, -2.000001, 2.000001)) p.ZeroReg = 0.0;
    if (outside(p.GainReg, -2.000001, 2.000001)) p.GainReg = 0.0;

    // R6: filter.
    if (p.FiltrZakres < 0 || p.FiltrZakres > 250) p.FiltrZakres = 0;
    if (p.FiltrCzas < 0 || p.FiltrCzas > 400) p.FiltrCzas = 0;
    if (p.FiltrLimit < 0 || p.FiltrLimit > 100) p.FiltrLimit = 0;

    // R7: unit, burnout, mains. Unit 10 ("kg") is offered by the conversion dialogs and kept.
    if (p.Jednostki < 0 || p.Jednostki > 10) p.Jednostki = 0;
    if (p.Burnout < 0 || p.Burnout >= 3) p.Burnout = 0;
    if (p.Siec != 50 && p.Siec != 60) p.Siec = 50;

    // Not stored anywhere, but the encoder needs it for a linear conversion: derive it from the sensor.
    rec.TableInputType = DerivedTableInputType(cz.Typ);
}

double SensorRangeLow(const ConfigRecord& rec, int code) noexcept {
    if (code < 1 || code > 20) return 0.0;
    return rec.LiveRanges[static_cast<std::size_t>(code)].low * 0.1;
}

double SensorRangeHigh(const ConfigRecord& rec, int code) noexcept {
    if (code < 1 || code > 20) return 0.0;
    return rec.LiveRanges[static_cast<std::size_t>(code)].high * 0.1;
}

}  // namespace r4860::model
