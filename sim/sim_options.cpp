#include "sim/sim_options.h"

#include <charconv>
#include <cmath>

#include "common/date_text.h"

namespace r4860::sim {
namespace {

template <class T>
bool parseNumber(const std::string& text, T& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
}

Error bad(const std::string& option, const std::string& why) {
    return makeError(Errc::BadArgument, option + ": " + why);
}

}  // namespace

Result<SimOptions> ParseSimOptions(const std::vector<std::string>& args) {
    SimOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
        if (a == "--help" || a == "-h") { o.help = true; continue; }
        if (a == "--verbose" || a == "-v") { o.verbose = true; continue; }
        if (a == "--no-link") { o.noLink = true; continue; }
        if (a == "--silent") { o.loop.silent = true; continue; }
        if (a == "--check-sums") { o.checkSums = true; continue; }
        if (a == "--no-check-sums") { o.checkSums = false; continue; }
        if (a == "--daemon") { o.daemon = true; continue; }
        if (a == "--strict") { o.loop.strict = true; continue; }
        if (a == "--realtime") { o.loop.realtime = true; continue; }
        const std::string* v = value();
        if (v == nullptr) return bad(a, a.starts_with("--") ? "needs a value" : "unknown option");
        if (a == "--link") { o.loop.link = *v; continue; }
        if (a == "--control") { o.loop.control = *v; continue; }
        if (a == "--log") { o.loop.log = *v; continue; }
        if (a == "--memory") { o.loop.memoryFile = *v; continue; }
        if (a == "--code-version") { o.factory.codeVersion = *v; continue; }
        if (a == "--id-tag") {
            if (v->size() > 15) return bad(a, "at most 15 characters");
            o.factory.idTag = *v;
            continue;
        }
        if (a == "--cal-date") {
            const auto days = ParseDateText(*v);
            if (!days || *days < 0 || *days > 0xFFFF) return bad(a, "a date dd.mm.yyyy");
            o.factory.calDateDays = *days;
            continue;
        }
        if (a == "--model") {
            if (!parseNumber(*v, o.factory.modelCode) || o.factory.modelCode < 0 || o.factory.modelCode > 65535 - 4700)
                return bad(a, "a model code such as 47");
            continue;
        }
        if (a == "--serial") {
            if (!parseNumber(*v, o.factory.serial) || o.factory.serial < 0 || o.factory.serial > 0xFFFFFF)
                return bad(a, "a serial number 0..16777215");
            continue;
        }
        if (a == "--signal") {
            double x = 0;
            if (!parseNumber(*v, x) || !std::isfinite(x)) return bad(a, "a number in the signal unit");
            o.signal = x;
            continue;
        }
        if (a == "--period-ms" || a == "--gap-ms" || a == "--min-gap-ms") {
            double ms = 0;
            if (!parseNumber(*v, ms) || ms < 1 || ms > 10000) return bad(a, "milliseconds 1..10000");
            (a == "--period-ms" ? o.loop.timing.periodUs : o.loop.timing.minGapUs) = std::llround(ms * 1000);
            continue;
        }
        if (a == "--seed") {
            if (!parseNumber(*v, o.loop.seed)) return bad(a, "an unsigned number");
            continue;
        }
        return bad(a, "unknown option");
    }
    return o;
}

Result<CtlOptions> ParseCtlOptions(const std::vector<std::string>& args) {
    CtlOptions o;
    std::size_t i = 0;
    if (i < args.size() && args[i] == "--control") {
        if (i + 1 >= args.size()) return bad("--control", "needs a value");
        o.control = args[i + 1];
        i += 2;
    }
    for (; i < args.size(); ++i) o.line += (o.line.empty() ? "" : " ") + args[i];
    if (o.line.empty()) return bad("ctl", "needs a control line, such as 'stats' or 'help'");
    return o;
}

std::filesystem::path DefaultControlPath(const std::filesystem::path& link) { return link.string() + ".ctl"; }

std::string SimUsage() {
    return "usage: r4860-sim [options]\n"
           "       r4860-sim ctl [--control PATH] LINE...\n"
           "The R4860 transducer on a pseudo-terminal: frames at 4800-baud pacing, commands in the gaps.\n"
           "'ctl' sends one control line to a running emulator and prints its reply (exit code 1 on 'error').\n"
           "  --link PATH         symbolic link to the pty slave (default: ports/COM99 in the ports folder);\n"
           "                      a second emulator for the same link refuses with exit code 2\n"
           "  --no-link           make no link; use the slave path printed on stdout\n"
           "  --control PATH      Unix socket for control lines (send 'help' for the list;\n"
           "                      default: the link's path with .ctl added, such as ports/COM99.ctl)\n"
           "  --daemon            run in the background; return once the link and socket are ready,\n"
           "                      printing the emulator's process id\n"
           "  --log PATH          tab-separated log of every frame received and sent\n"
           "  --memory FILE       load the memory from FILE (2048 or 2052 bytes) and save it there at exit\n"
           "  --model CODE        factory model code (default 47: model number 4747)\n"
           "  --serial N          factory serial number (default 1234)\n"
           "  --cal-date D        factory calibration date dd.mm.yyyy (default 01.02.2026)\n"
           "  --code-version TXT  the four characters at 0x8000 (default V2.1)\n"
           "  --id-tag TXT        factory ID tag (default TT-101)\n"
           "  --signal X          fixed input signal (ohm, mV, mA or V) instead of a slow sweep\n"
           "  --silent            start without sending (control 'silence off' starts it)\n"
           "  --no-check-sums     never report wrong checksums in memory as an EEPROM error\n"
           "                      (by default they are, except while a write is under way)\n"
           "  --period-ms N       frame period (default 60)\n"
           "  --gap-ms N          listening gap after any frame (default 20; --min-gap-ms is the same)\n"
           "  --strict            take a command only when its START comes within that gap, immediate\n"
           "                      ones too (control 'strict on|off')\n"
           "  --realtime          pace the line at real-time priority where allowed\n"
           "  --seed N            seed of the fault dice (default 4800)\n"
           "  --verbose           developer trace on stderr\n"
           "  --help              this text\n"
           "  --version           the version of the emulator and of its build\n";
}

}  // namespace r4860::sim
