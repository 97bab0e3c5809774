#include "core/state_file.h"

#include "core/atomic_file.h"
#include "core/date_time.h"
#include "core/gbk.h"
#include "core/log_file.h"
#include "core/text_util.h"
#include "core/texts.h"

namespace nuvaro {
namespace {

// What one error-log line tells of the dropped pieces.
constexpr size_t kShownPieces = 8;
constexpr size_t kShownBytes = 120;

std::string_view LineAt(const std::string& content, size_t& start) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string_view line(content.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool IsSection(std::string_view line) {
    line = TrimControls(line);
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

bool IsReadable(std::string_view line) {
    std::string_view trimmed = TrimControls(line);
    if (trimmed.empty() || trimmed.front() == ';' || IsSection(line)) return true;
    return trimmed.front() != '[' && trimmed.find('=') != std::string_view::npos;
}

}  // namespace

StateFileReader::StateFileReader(std::string path, size_t maxBytes, size_t maxSections)
    : m_path(std::move(path)) {
    std::optional<std::string> content = ReadWholeFile(m_path);
    if (!content) return;
    if (content->size() > maxBytes) {
        Drop(ToGbk(text::kStateWholeFile + std::to_string(content->size())).bytes());
        return;
    }
    m_doc = IniDocument::Parse(Readable(*content, maxSections));
}

// The lines worth parsing: junk lines go, and so does everything after the last section
// allowed, so that a hostile file cannot make each look-up slow.
std::string StateFileReader::Readable(const std::string& content, size_t maxSections) {
    std::string kept;
    size_t sections = 0;
    for (size_t start = 0; start < content.size();) {
        std::string_view line = LineAt(content, start);
        if (!IsReadable(line)) {
            Drop(std::string(line));
            continue;
        }
        if (IsSection(line) && ++sections > maxSections) {
            Drop(ToGbk(text::kStateTooManySections + std::to_string(maxSections)).bytes());
            break;
        }
        kept.append(line).append("\r\n");
    }
    return kept;
}

void StateFileReader::Drop(const std::string& what) {
    ++m_droppedCount;
    if (m_dropped.size() < kShownPieces) {
        m_dropped.emplace_back(GbkPrefix(what, kShownBytes));
        if (m_dropped.back().size() < what.size()) m_dropped.back() += "...";
    }
}

int64_t StateFileReader::Number(const std::string& section, const char* key, int64_t low,
                                int64_t high, int64_t fallback) {
    const std::optional<GbkText> text = m_doc.ReadGbk(section, key);
    if (!text) return fallback;
    const std::optional<long long> value = ParseInteger(text->view());
    if (value && *value >= low && *value <= high) return *value;
    Drop("[" + section + "] " + key + "=" + text->bytes());
    return fallback;
}

// The pieces are written escaped by the log writer, so a dropped line keeps the log's shape.
void StateFileReader::Report() const {
    if (m_droppedCount == 0) return;
    GbkText message = ToGbk(m_path + text::kStateDropped + std::to_string(m_droppedCount) + ": ");
    for (size_t i = 0; i < m_dropped.size(); ++i) {
        message += GbkText::FromBytes((i ? " | " : "") + m_dropped[i]);
    }
    if (m_droppedCount > m_dropped.size()) message += ToGbk(" | ...");
    WriteLog(loglines::TickError(NowText(), "0", GbkText(), message), kErrorLog);
}

}  // namespace nuvaro
