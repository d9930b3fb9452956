// PDF output for the report command, present when r4860-cli is built with the Qt windows
// (R4860_GUI=ON): the same drawing as the window's, on Qt's offscreen platform, so no display is needed.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/result.h"

namespace r4860::cli {

class ReportPdfOutput {
public:
    virtual ~ReportPdfOutput() = default;
    // Writes the report's lines as a PDF at `file`, replacing an existing one only atomically.
    [[nodiscard]] virtual Status write(const std::vector<std::string>& lines, const std::filesystem::path& file) = 0;
};

// Starts what drawing needs, once per run; nothing when this build has no PDF output.
[[nodiscard]] std::unique_ptr<ReportPdfOutput> OpenReportPdfOutput();

}  // namespace r4860::cli
