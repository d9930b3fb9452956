#include "workflow/config_checks.h"

#include <string>
#include <vector>

#include "common/catalogues.h"
#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/table_file.h"
#include "model/config_image.h"
#include "model/transfer_function.h"

namespace r4860::workflow {

namespace fs = std::filesystem;

Status LoadNamedTable(model::ConfigRecord& rec, const fs::path& parFile, const files::Settings& settings) {
    const bool needsTable = rec.Czujnik.Lin == 2 && (rec.Czujnik.Typ == 15 || IsSignalInput(rec.Czujnik.Typ));
    if (!needsTable) return {};
    if (rec.File.empty())
        return makeError(Errc::BadArgument,
                         LangText("User defined sensor or conversion") + "! " + LangText("No data available") + ".");
    const fs::path name = fs::path(rec.File).filename();
    std::vector<fs::path> dirs{parFile.parent_path().empty() ? fs::path(".") : parFile.parent_path()};
    if (!settings.DataDir.empty()) dirs.emplace_back(settings.DataDir);
    const auto found = files::FindFileIn(dirs, name.string());
    if (!found) return makeError(Errc::BadArgument, LangText("Cannot open file") + ": " + rec.File);
    auto loaded = files::LoadTableFile(*found, rec);
    if (!loaded) return makeError(Errc::BadArgument, LangText("Cannot open file") + ": " + found->string());
    if (!loaded->outcome.ok)
        return makeError(Errc::BadArgument, found->string() + ": " + files::TableFailureText(loaded->outcome.message));
    files::SetTableRange(rec);
    rec.TableLoaded = true;
    return {};
}

Status CheckWritable(model::ConfigRecord& rec, long today) {
    const auto refused = [](const std::string& message) {
        return makeError(Errc::Refused, model::TranslateRuleMessage(message) + "!");
    };
    // A power series must sample monotonically before it can stand in for a table.
    if (rec.Czujnik.Lin == 8 && IsSignalInput(rec.Czujnik.Typ) && !rec.TableLoaded) {
        std::string message;
        if (!model::SampleSeries(rec, message)) return refused(message);
        rec.TableLoaded = true;
    }
    if (auto encodable = model::CheckEncodable(rec, today); !encodable) return refused(encodable.error().message);
    if (auto tf = model::ComputeTransferFunction(rec); !tf) return refused(tf.error().message);
    return {};
}

}  // namespace r4860::workflow
