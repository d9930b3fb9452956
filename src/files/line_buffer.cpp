#include "files/line_buffer.h"

#include "common/text_encoding.h"
#include "files/atomic_file.h"

namespace r4860::files {

namespace {

char asciiLower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::optional<std::string_view> LookupKey(const std::vector<std::string>& lines, std::string_view key) {
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (equalsIgnoringCase(std::string_view(line).substr(0, eq), key))
            return std::string_view(line).substr(eq + 1);
    }
    return std::nullopt;
}

LineBuffer LineBuffer::FromBytes(std::string_view bytes) {
    LineBuffer buffer;
    buffer.m_lines = SplitLines(DecodeFileText(bytes));
    return buffer;
}

Result<LineBuffer> LineBuffer::Load(const std::filesystem::path& file) {
    auto bytes = ReadWholeFile(file);
    if (!bytes) return bytes.error();
    return FromBytes(*bytes);
}

std::string LineBuffer::text() const {
    std::string out;
    for (const std::string& line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

Status LineBuffer::save(const std::filesystem::path& file) const { return WriteFileAtomically(file, text()); }

}  // namespace r4860::files
