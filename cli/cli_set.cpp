#include "cli_set.h"

#include <algorithm>
#include <cstdio>

#include "cli_commands.h"
#include "cli_table.h"
#include "common/catalogues.h"
#include "common/date_text.h"
#include "common/number_text.h"
#include "config_summary.h"
#include "files/par_file.h"
#include "files/settings_file.h"
#include "model/config_compare.h"
#include "model/models.h"
#include "workflow/config_checks.h"
#include "workflow/user_data.h"
#include "workflow/conversion_rules.h"
#include "workflow/selection_command.h"
#include "workflow/table_window.h"

namespace r4860::cli {
namespace {

namespace fs = std::filesystem;
using model::ConfigRecord;
using workflow::Conversion;

Error bad(std::string why) {
    return makeError(Errc::BadArgument, std::move(why));
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<double> number(std::string_view text) {
    double v = 0.0;
    if (!TextToNum(text, v)) return std::nullopt;
    return v;
}

// "LO:HI"; a decimal comma is fine, the colon separates.
std::optional<Interval> interval(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto lo = number(text.substr(0, colon)), hi = number(text.substr(colon + 1));
    if (!lo || !hi) return std::nullopt;
    return Interval{*lo, *hi};
}

// "a,b,c": commas separate, so decimals take a point.
std::optional<std::vector<double>> numberList(std::string_view text) {
    std::vector<double> out;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        double v = 0.0;
        if (item.find(',') != std::string_view::npos || !TextToNum(item, v)) return std::nullopt;
        out.push_back(v);
        start = comma + 1;
    }
    return out;
}

// What --sensor names: the sensor code, the nominal resistance and the window that offers it.
struct SensorName {
    std::uint8_t typ = 0;
    std::uint8_t gain = 0;
};

std::optional<SensorName> sensorNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, std::uint8_t> kSignals[] = {
        {"ohm", 5},      {"resistance", 5}, {"mv", 16},   {"millivolt", 16}, {"ma", 17},
        {"current", 17}, {"v", 18},         {"volt", 18}, {"user", 15}};
    for (const auto& [n, typ] : kSignals)
        if (equalsIgnoringCase(name, n)) return SensorName{typ, 0};
    for (const std::string_view prefix : {"tc-", "type-"}) {
        if (name.size() != prefix.size() + 1 || !equalsIgnoringCase(name.substr(0, prefix.size()), prefix))
            continue;
        static constexpr std::string_view kLetters = "bcejknrst";
        const auto at = kLetters.find(static_cast<char>(name.back() | 0x20));
        if (at != std::string_view::npos) return SensorName{static_cast<std::uint8_t>(6 + at), 0};
    }
    // pt100, pt1000-392, ni500, cu100: the metal, the nominal resistance, platinum's alpha.
    static constexpr std::pair<std::string_view, std::uint8_t> kMetals[] = {{"pt", 1}, {"ni", 3}, {"cu", 4}};
    static constexpr std::pair<std::string_view, std::uint8_t> kOhms[] = {
        {"100", 0}, {"200", 1}, {"500", 2}, {"1000", 3}};
    for (const auto& [metal, typ] : kMetals)
        for (const auto& [ohms, gain] : kOhms) {
            const std::string base = std::string(metal) + std::string(ohms);
            if (equalsIgnoringCase(name, base)) return SensorName{typ, gain};
            if (typ == 1 && (equalsIgnoringCase(name, base + "-385"))) return SensorName{1, gain};
            if (typ == 1 && (equalsIgnoringCase(name, base + "-392"))) return SensorName{2, gain};
        }
    return std::nullopt;
}

std::optional<int> unitNamed(std::string_view name) {
    if (equalsIgnoringCase(name, "none")) return 0;
    if (name == "degC" || name == "C" || name == UnitName(8)) return 8;
    if (equalsIgnoringCase(name, "percent")) return 9;
    for (int code = 1; code <= 10; ++code)
        if (equalsIgnoringCase(name, UnitName(code))) return code;
    return std::nullopt;
}

struct OptionSpec {
    std::string_view name;
    bool takesValue;
};
constexpr OptionSpec kOptions[] = {
    {"--model", true},       {"--sensor", true},         {"--wires", true},  {"--input", true},
    {"--linearize", false},  {"--no-linearize", false},  {"--cj", true},     {"--cjc", false},
    {"--difference", false}, {"--linear", true},         {"--series", true}, {"--series-input", true},
    {"--table", true},       {"--no-conversion", false}, {"--unit", true},   {"--range", true}};

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

Error refusedBy(const std::vector<workflow::PanelMessage>& messages) {
    return bad(messages.front().text());
}

std::string kindName(int typ) {
    if (IsRtd(typ)) return "resistance thermometer input";
    if (IsThermocouple(typ)) return "thermocouple input";
    switch (typ) {
    case 5:
        return "resistance input";
    case 15:
        return "user sensor input";
    case 16:
        return "millivolt input";
    case 17:
        return "current input";
    default:
        return "volt input";
    }
}

// Which window offers the sensor on this model; the model has one (SelectionOffered).
Result<workflow::SelectionWindow> windowFor(int model, int typ) {
    using workflow::SelectionWindow;
    const bool family47 = model >= 47 && model <= 49;
    if ((IsTemperatureSensor(typ) || typ == 15) && family47) return SelectionWindow::TWybor;
    if ((typ == 5 || typ == 16) && family47) return SelectionWindow::TWyborRV;
    if (typ == 17 && model == 20) return SelectionWindow::TWyborI;
    if ((typ == 17 || typ == 18) && model == 39) return SelectionWindow::TWyborIV;
    return bad(model::ModelName(model) + " has no " + kindName(typ) +
               " (see --help for what each model takes)");
}

// The conversion the options ask for, or the one the window shows when they ask for none.
Result<Conversion> conversionAsked(const SensorSettings& s, Conversion shown) {
    const int asked = int{s.linear.has_value()} + int{s.series.has_value()} + int{s.table.has_value()} +
                      int{s.noConversion};
    if (asked > 1) return bad("--linear, --series, --table and --no-conversion exclude each other");
    if (s.linear) return Conversion::Linear;
    if (s.series) return Conversion::PowerSeries;
    if (s.table) return Conversion::Table;
    if (s.noConversion) return Conversion::None;
    if ((s.unit || s.seriesInput) && shown != Conversion::PowerSeries)
        return bad("--unit and --series-input go with --linear, --series or --table");
    return shown;
}

int unitOr(const SensorSettings& s, int otherwise) {
    return s.unit ? *unitNamed(*s.unit) : otherwise;
}

// TLinaF: the four limits through its edits, then its OK.
Status applyLinear(const SensorSettings& s, ConfigRecord& rec) {
    using workflow::Limit;
    workflow::ConversionWindow w = workflow::OpenConversionWindow(rec, workflow::ConversionKind::Linear);
    const auto& [in, out] = *s.linear;
    for (const auto& [which, v] : {std::pair{Limit::Min, in.low}, std::pair{Limit::Max, in.high}})
        if (auto r = workflow::InputLimitExit(w, rec, which, ShortestText(v)); r.focusBack())
            return refusedBy(r.messages);
    for (const auto& [which, v] : {std::pair{Limit::Min, out.low}, std::pair{Limit::Max, out.high}})
        if (auto r = workflow::ResultLimitExit(w, which, ShortestText(v)); r.focusBack())
            return refusedBy(r.messages);
    w.unit = unitOr(s, w.unit);
    if (const auto problem = workflow::LinearOk(w, rec)) return bad(problem->text);
    return {};
}

// TPowerF: the input interval and every coefficient through its edits, Check, then OK.
Status applySeries(const SensorSettings& s, ConfigRecord& rec) {
    using workflow::Limit;
    workflow::ConversionWindow w = workflow::OpenConversionWindow(rec, workflow::ConversionKind::PowerSeries);
    if (s.seriesInput)
        for (const auto& [which, v] :
             {std::pair{Limit::Min, s.seriesInput->low}, std::pair{Limit::Max, s.seriesInput->high}})
            if (auto r = workflow::InputLimitExit(w, rec, which, ShortestText(v)); r.focusBack())
                return refusedBy(r.messages);
    if (s.series)
        for (int k = 0; k <= 8; ++k) {
            const double c =
                k < static_cast<int>(s.series->size()) ? (*s.series)[static_cast<std::size_t>(k)] : 0.0;
            if (auto r = workflow::CoefficientExit(w, rec, k, ShortestText(c)); r.focusBack())
                return refusedBy(r.messages);
        }
    w.unit = unitOr(s, w.unit);
    if (const auto problem = workflow::PowerSeriesCheck(w, rec)) return bad(problem->text);
    workflow::PowerSeriesOk(w, rec);
    return {};
}

// TTablF: the file through the one table reader, then OK.
Status applyTable(const SensorSettings& s, ConfigRecord& rec, files::Settings& settings) {
    workflow::TableWindow w = workflow::OpenTableWindow(rec, settings);
    const auto view = workflow::TablLoadBClick(w, rec, settings, *s.table);
    if (!view) return bad(*s.table + ": " + view.error().message);
    if (view->warning) return bad(*s.table + ": " + oneLine(view->warning->message));
    w.unit = unitOr(s, w.unit);
    if (!workflow::TablOKBClick(w, rec, settings)) return bad(*s.table + ": no table loaded");
    return {};
}

// A conversion window opened for `input`, when the options ask for one.
Status applyConversion(const SensorSettings& s, Conversion c, std::uint8_t input, ConfigRecord& rec,
                       files::Settings& settings) {
    if (!s.linear && !s.series && !s.table && !s.seriesInput && !s.unit) return {};
    workflow::PrepareConversionWindow(rec, input);
    switch (c) {
    case Conversion::Linear:
        return applyLinear(s, rec);
    case Conversion::PowerSeries:
        return applySeries(s, rec);
    case Conversion::Table:
        return applyTable(s, rec, settings);
    case Conversion::None:
        break;
    }
    return {};
}

// TWybor: the RTD or the thermocouple tab as the options set them.
Status selectSensor(const SensorSettings& s, SensorName name, int model, ConfigRecord& rec,
                    files::Settings& settings, long today) {
    if (s.doubleInput) return bad("--input goes with a current input");
    const bool thermocouple = IsThermocouple(name.typ) || name.typ == 15;
    if (thermocouple ? s.wires.has_value() : (s.coldJunction || s.cjc || s.difference))
        return bad(thermocouple ? "--wires goes with a resistance thermometer or a resistance input"
                                : "--cj, --cjc and --difference go with a thermocouple");
    if (name.typ != 15 && (s.linear || s.series || s.table || s.noConversion || s.unit))
        return bad(
            "a resistance thermometer or thermocouple takes no conversion; --table goes with --sensor user");
    const workflow::SelectionOpening opening = workflow::OpenSelectionWindow(rec);
    const workflow::WyborView view = workflow::WyborInitial(rec, model);
    workflow::WyborChoice c = view.choice;
    c.thermocoupleTab = thermocouple;
    if (s.linearize) c.rtdLinearization = c.thLinearization = *s.linearize;
    if (!thermocouple) {
        c.rtd = name.typ, c.nominal = name.gain;
        if (s.wires) c.wires = static_cast<std::uint8_t>(*s.wires);
        if (c.wires == 4 && !view.w4Enabled)
            return bad(model::ModelName(model) + " takes 2- and 3-wire connections");
    } else {
        c.thermocouple = name.typ;
        if (int{s.cjc} + int{s.difference} + int{s.coldJunction.has_value()} > 1)
            return bad("--cjc, --cj and --difference exclude each other");
        if (s.cjc) workflow::CjcChecked(c);
        if (s.difference) workflow::TempDiffChecked(c);
        if (s.coldJunction) c.cjc = c.tempDiff = false;
    }
    if (workflow::WyborNeedsRoomT(c)) {
        if (!s.coldJunction && !(rec.Czujnik.Tryb == 6 && rec.Czujnik.Typ == name.typ))
            return bad("without compensation the cold-junction temperature is needed: --cj T");
        if (s.coldJunction) rec.Parametry.RoomT = *s.coldJunction;
    }
    if (name.typ == 15) {
        if (!s.table && !(rec.Czujnik.Typ == 15 && rec.TableLoaded))
            return bad("a user sensor needs --table FILE.dat");
        if (s.table) {
            workflow::PrepareConversionWindow(rec, 15);
            if (auto t = applyTable(s, rec, settings); !t) return t;
        }
    }
    workflow::WyborOk(rec, c, opening, today);
    return {};
}

// TWyborRV, TWyborI or TWyborIV: the tab, the wiring or input, and the conversion.
Status selectInput(const SensorSettings& s, SensorName name, workflow::SelectionWindow window, int model,
                   ConfigRecord& rec, files::Settings& settings, long today) {
    using workflow::SelectionWindow;
    if (s.linearize || s.coldJunction || s.cjc || s.difference)
        return bad(
            "--linearize, --cj, --cjc and --difference go with a thermocouple or resistance thermometer");
    if (s.wires && name.typ != 5)
        return bad("--wires goes with a resistance thermometer or a resistance input");
    if (s.doubleInput && name.typ != 17) return bad("--input goes with a current input");
    const workflow::SelectionOpening opening = workflow::OpenSelectionWindow(rec);
    if (window == SelectionWindow::TWyborRV) {
        const workflow::WyborRVView view = workflow::WyborRVInitial(rec, model);
        workflow::WyborRVChoice c = view.choice;
        c.resistanceTab = name.typ == 5;
        if (rec.Czujnik.Typ != name.typ) c.conversion = Conversion::None;
        if (s.wires) c.wires = static_cast<std::uint8_t>(*s.wires);
        if (c.resistanceTab && c.wires == 4 && !view.w4Enabled)
            return bad(model::ModelName(model) + " takes 2- and 3-wire connections");
        auto conv = conversionAsked(s, c.conversion);
        if (!conv) return conv.error();
        c.conversion = *conv;
        if (auto ok = applyConversion(s, c.conversion, name.typ, rec, settings); !ok) return ok;
        workflow::WyborRVOk(rec, c, opening, today);
        return {};
    }
    const bool sameSensor = rec.Czujnik.Typ == name.typ;
    workflow::WyborIVChoice c = workflow::WyborIVInitial(rec);
    if (window == SelectionWindow::TWyborI) {
        const workflow::WyborIChoice shown = workflow::WyborIInitial(rec);
        c.doubleInput = shown.doubleInput;
        c.conversion = shown.conversion;
    }
    c.currentTab = name.typ == 17;
    if (!sameSensor) c.conversion = Conversion::None;
    if (s.doubleInput) c.doubleInput = *s.doubleInput;
    auto conv = conversionAsked(s, c.conversion);
    if (!conv) return conv.error();
    if (window == SelectionWindow::TWyborI && *conv == Conversion::Table)
        return bad(model::ModelName(model) + " takes no table conversion (linear or power series)");
    c.conversion = *conv;
    if (auto ok = applyConversion(s, c.conversion, name.typ, rec, settings); !ok) return ok;
    if (window == SelectionWindow::TWyborI)
        workflow::WyborIOk(rec, {c.doubleInput, c.conversion}, opening, today);
    else
        workflow::WyborIVOk(rec, c, opening, today);
    return {};
}

// The values at 4 and 20 mA through the panel's range edits.
Status applyRange(const Interval& range, ConfigRecord& rec) {
    if (!(range.low < range.high)) return bad("--range LO:HI needs LO below HI");
    ConfigRecord trial = rec;
    trial.Parametry.MaxInput = range.high;  // the minimum is judged against the new span
    const auto lo = workflow::MinInputEExit(ShortestText(range.low), trial);
    if (lo.focusBack()) return refusedBy(lo.messages);
    trial.Parametry.MinInput = lo.value;
    const auto hi = workflow::MaxInputEExit(ShortestText(range.high), trial);
    if (hi.focusBack()) return refusedBy(hi.messages);
    rec.Parametry.MinInput = lo.value;
    rec.Parametry.MaxInput = hi.value;
    return {};
}

Status applySelection(const SensorSettings& s, ConfigRecord& rec, files::Settings& settings, long today) {
    if (s.model) {
        if (s.model->size() != 5 || !workflow::SelectionOffered(workflow::SelectionModelCode(*s.model)))
            return bad("--model " + *s.model + ": R4720, R4739, R4747, R4748 or R4749");
        rec.Device = *s.model;
    }
    if (rec.Device.empty()) return bad("the configuration names no transducer model: give --model");
    const int model = workflow::SelectionModelCode(rec.Device);
    if (!workflow::SelectionOffered(model)) return bad(rec.Device + " has no sensor selection; give --model");
    std::optional<SensorName> name = s.sensor ? sensorNamed(*s.sensor) : std::nullopt;
    if (!name && rec.Czujnik.Typ >= 1 && rec.Czujnik.Typ < 19)
        name = SensorName{rec.Czujnik.Typ, rec.Czujnik.Gain};
    if (!name) return bad("the configuration has no sensor yet: give --sensor");
    const auto window = windowFor(model, name->typ);
    if (!window) return window.error();
    if (*window == workflow::SelectionWindow::TWybor)
        return selectSensor(s, *name, model, rec, settings, today);
    return selectInput(s, *name, *window, model, rec, settings, today);
}

}  // namespace

bool SensorSettings::empty() const {
    return !model && !sensor && !wires && !doubleInput && !linearize && !coldJunction && !cjc &&
           !difference && !linear && !series && !seriesInput && !table && !noConversion && !unit && !range;
}

bool IsSensorSetting(std::string_view option, bool& takesValue) {
    for (const auto& o : kOptions)
        if (o.name == option) {
            takesValue = o.takesValue;
            return true;
        }
    return false;
}

Status AddSensorSetting(SensorSettings& s, std::string_view option, std::string_view value) {
    const auto need = [&](bool ok, const char* what) -> Status {
        if (ok) return {};
        return bad(std::string(option) + " " + std::string(value) + ": " + what);
    };
    if (option == "--model") {
        s.model = std::string(value);
    } else if (option == "--sensor") {
        s.sensor = std::string(value);
        return need(sensorNamed(value).has_value(), "not a sensor (see --help)");
    } else if (option == "--wires") {
        const auto w = number(value);
        s.wires = w && (*w == 2 || *w == 3 || *w == 4) ? static_cast<int>(*w) : 0;
        return need(*s.wires != 0, "2, 3 or 4");
    } else if (option == "--input") {
        s.doubleInput = value == "double";
        return need(value == "double" || value == "single", "single or double");
    } else if (option == "--linearize" || option == "--no-linearize") {
        s.linearize = option == "--linearize";
    } else if (option == "--cj") {
        s.coldJunction = number(value);
        return need(s.coldJunction && *s.coldJunction >= -20.0 && *s.coldJunction <= 60.0,
                    "a cold-junction temperature from -20 to 60 degC");
    } else if (option == "--cjc" || option == "--difference") {
        (option == "--cjc" ? s.cjc : s.difference) = true;
    } else if (option == "--linear") {
        const auto eq = value.find('=');
        const auto in = interval(value.substr(0, eq));
        const auto out = eq == std::string_view::npos ? std::nullopt : interval(value.substr(eq + 1));
        if (in && out) s.linear = std::pair(*in, *out);
        return need(in && out, "IN1:IN2=OUT1:OUT2, e.g. 4:20=0:100");
    } else if (option == "--series") {
        s.series = numberList(value);
        return need(s.series && s.series->size() <= 9, "up to nine coefficients c0,c1,...,c8");
    } else if (option == "--series-input" || option == "--range") {
        (option == "--range" ? s.range : s.seriesInput) = interval(value);
        return need(interval(value).has_value(), "LO:HI");
    } else if (option == "--table") {
        s.table = std::string(value);
    } else if (option == "--no-conversion") {
        s.noConversion = true;
    } else if (option == "--unit") {
        s.unit = std::string(value);
        return need(unitNamed(value).has_value(), "V, mV, A, mA, Ohm, kOhm, K, degC, %, kg or none");
    } else {
        return bad("unknown option " + std::string(option));
    }
    return {};
}

Status ApplySensorSettings(const SensorSettings& s, ConfigRecord& rec, files::Settings& settings,
                           long today) {
    workflow::SelectionStart start = workflow::StartSelection(rec);
    const auto refuse = [&](const Error& e) -> Status {
        workflow::CancelSelection(rec, start.snapshot);
        return e;
    };
    if (auto chosen = applySelection(s, rec, settings, today); !chosen) return refuse(chosen.error());
    workflow::PanelState panel;
    workflow::WorkflowState state;
    (void)workflow::FinishSelectionOk(rec, panel, state, today);
    if (s.range)
        if (auto ranged = applyRange(*s.range, rec); !ranged) return refuse(ranged.error());
    if (auto writable = workflow::CheckWritable(rec, today); !writable)
        return refuse(bad(writable.error().message));
    return {};
}

namespace {

int setFailed(const std::string& why) {
    std::fprintf(stderr, "r4860-cli: set: %s\n", why.c_str());
    return kExitUsage;
}

// Reads FILE.par when it exists (and the table it names, unless the options replace it);
// a new file starts from the empty configuration.
int loadOrStart(const fs::path& file, const SensorSettings& s, ConfigRecord& rec, files::Settings& settings) {
    model::SetInitialState(rec);
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        model::SetEmptyRecord(rec);
        return kExitOk;
    }
    ConfigRecord asRead;
    if (auto read = files::ReadParFile(rec, file, settings, &asRead); !read)
        return setFailed(file.string() + ": not a parameter file (" + read.error().message + ")");
    for (const auto& r : model::ListRepairs(asRead, rec))
        std::fprintf(stderr, "r4860-cli: set: %s %s -> %s, %s\n", r.field.c_str(), r.fileValue.c_str(),
                     r.writtenValue.c_str(), r.why.c_str());
    const bool otherSensor = s.sensor && sensorNamed(*s.sensor)->typ != rec.Czujnik.Typ;
    const bool replaced = otherSensor || s.table || s.linear || s.series || s.noConversion;
    if (replaced) return kExitOk;
    const auto plan = workflow::PlanUserData(rec, false, workflow::TableSearchDirs(file, settings));
    if (const auto loaded = workflow::LoadUserData(rec, plan); !loaded.ok)
        return setFailed((plan.table.empty() ? file : plan.table).string() + ": " + loaded.message);
    return kExitOk;
}

int runSet(const std::vector<std::string>& args) {
    SensorSettings s;
    std::optional<fs::path> file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool takesValue = false;
        if (IsSensorSetting(args[i], takesValue)) {
            if (takesValue && i + 1 >= args.size()) return setFailed(args[i] + " needs a value");
            if (auto added = AddSensorSetting(s, args[i], takesValue ? args[i + 1] : std::string()); !added)
                return setFailed(added.error().message);
            i += takesValue ? 1 : 0;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return setFailed("unknown option " + args[i] + " (r4860-cli --help lists them)");
        } else if (file) {
            return setFailed("one parameter file at a time");
        } else {
            file = args[i];
        }
    }
    if (!file || file->empty()) return setFailed("which parameter file? r4860-cli set FILE.par OPTIONS");
    files::Settings settings;
    files::LoadSettings(settings, files::DesktopRect{});
    ConfigRecord rec;
    if (const int rc = loadOrStart(*file, s, rec, settings); rc != kExitOk) return rc;
    if (auto applied = ApplySensorSettings(s, rec, settings, TodayDays()); !applied)
        return setFailed(applied.error().message);
    if (rec.TableLoaded && !rec.File.empty() &&
        fs::absolute(fs::path(rec.File)).parent_path() != fs::absolute(*file).parent_path())
        std::fprintf(stderr, "r4860-cli: set: %s names its table by file name only: keep %s beside it\n",
                     file->string().c_str(), fs::path(rec.File).filename().string().c_str());
    if (auto written = files::WriteParFile(rec, *file, settings); !written)
        return setFailed(written.error().message);
    std::fputs(ConfigSummary(rec).c_str(), stdout);
    return kExitOk;
}

}  // namespace

std::optional<int> RunOfflineCommand(const std::vector<std::string>& args) {
    if (args.empty()) return std::nullopt;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args.front() == "set") return runSet(rest);
    if (args.front() == "table") return RunTableCommand(rest);
    return std::nullopt;
}

std::string SetUsageText() {
    return R"(  set FILE.par [SETTINGS]
      Choose the sensor, connection, conversion and range of a parameter file
      (created when it does not exist; then --model is needed) by the rules of
      the selection windows; a refused choice leaves the file alone (exit 2).
  write FILE.par [...] [SETTINGS]
      The same settings applied before the write; the file is not changed.
  table --cvd R0[,A,B[,C]] --range LO:HI [--step S]
      A table for a resistance input with a table conversion, from the
      Callendar-Van Dusen coefficients of a certificate (IEC 60751's A, B, C
      when only R0 is given), on standard output: ... > FILE.dat

Settings:
  --model R4720|R4739|R4747|R4748|R4749   the transducer model
  --sensor NAME     pt100 pt200 pt500 pt1000 (alpha 0.00385; -392 for 0.00392),
                    ni100.., cu100..; tc-b tc-c tc-e tc-j tc-k tc-n tc-r tc-s tc-t;
                    user (a thermocouple-like sensor by its table);
                    ohm, mv (R4747-49), ma (R4720, R4739), v (R4739)
  --wires 2|3|4     connection (4-wire on R4748 and R4749)
  --input single|double          current input
  --linearize | --no-linearize   by the sensor's characteristic (default) or not
  --cjc | --cj T | --difference  thermocouple: internal cold-junction
                    compensation, the junction at T degC, or a difference
  --linear IN1:IN2=OUT1:OUT2     linear conversion, e.g. 4:20=0:100
  --series C0,C1,...,C8 [--series-input LO:HI]   power series over the input
  --table FILE.dat  table conversion (or the table of --sensor user)
  --no-conversion   the signal itself
  --unit U          unit of a conversion: V mV A mA Ohm kOhm K degC % kg none
  --range LO:HI     the values at 4 and 20 mA
)";
}

}  // namespace r4860::cli
