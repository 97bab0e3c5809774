#include "core/ini_file.h"

#include "core/atomic_file.h"
#include "core/text_util.h"

namespace nuvaro {
namespace {

constexpr std::string_view kMultiLineMark = "~ML~";

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The name of a section line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
    auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    // Blanks around the value go, as with GetPrivateProfileString (`OtherOpen= 1` is on);
    // enclosing quotation marks stay, as they may belong to a parameter string.
    return KeyLine{TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1))};
}

// The byte that "\" + `c` stands for in a multi-line value; 0 when that is no escape.
char Unescaped(char c) {
    switch (c) {
        case '\\':
            return '\\';
        case 'r':
            return '\r';
        case 'n':
            return '\n';
        case 's':
            return ' ';
        case 't':
            return '\t';
        default:
            return 0;
    }
}

}  // namespace

std::string EncodeIniValue(std::string_view value, bool always) {
    // Reading drops leading blanks before it looks for the mark, so " ~ML~x" is escaped too.
    bool needsEscape = always || value.find_first_of("\r\n") != std::string_view::npos ||
                       TrimBlanks(value).substr(0, kMultiLineMark.size()) == kMultiLineMark;
    if (!needsEscape) return std::string(value);
    std::string out(kMultiLineMark);
    for (char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    // A blank at the end would be dropped on reading; escaped, it is not the end any more.
    if (out.back() == ' ') out.replace(out.size() - 1, 1, "\\s");
    if (out.back() == '\t') out.replace(out.size() - 1, 1, "\\t");
    return out;
}

std::string DecodeIniValue(std::string_view stored) {
    if (stored.substr(0, kMultiLineMark.size()) != kMultiLineMark) return std::string(stored);
    stored.remove_prefix(kMultiLineMark.size());
    std::string out;
    out.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        char c = stored[i];
        if (c == '\\' && i + 1 < stored.size()) {
            if (char decoded = Unescaped(stored[i + 1])) {
                out += decoded;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

IniDocument IniDocument::Parse(std::string_view content) {
    IniDocument doc;
    while (!content.empty()) {
        auto nl = content.find('\n');
        std::string_view line = content.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        doc.m_lines.emplace_back(line);
        if (nl == std::string_view::npos) break;
        content.remove_prefix(nl + 1);
    }
    return doc;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view utf8) const {
    const GbkText gbk = ToGbk(utf8);
    const std::string_view section = TrimBlanks(gbk.view());
    for (size_t i = 0; i < m_lines.size(); ++i) {
        auto name = SectionName(m_lines[i]);
        if (!name || !EqualsIgnoreAsciiCase(*name, section)) continue;
        size_t end = i + 1;
        while (end < m_lines.size() && !SectionName(m_lines[end])) ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> IniDocument::FindKey(const Range& range, std::string_view utf8) const {
    const GbkText gbk = ToGbk(utf8);
    const std::string_view key = TrimBlanks(gbk.view());
    for (size_t i = range.header + 1; i < range.end; ++i) {
        auto parsed = ParseKeyLine(m_lines[i]);
        if (parsed && EqualsIgnoreAsciiCase(parsed->key, key)) return i;
    }
    return std::nullopt;
}

std::optional<GbkText> IniDocument::ReadGbk(std::string_view section, std::string_view key) const {
    auto range = FindSection(section);
    if (!range) return std::nullopt;
    auto index = FindKey(*range, key);
    if (!index) return std::nullopt;
    return GbkText::FromBytes(DecodeIniValue(ParseKeyLine(m_lines[*index])->value));
}

std::optional<std::string> IniDocument::Read(std::string_view section, std::string_view key) const {
    auto value = ReadGbk(section, key);
    if (!value) return std::nullopt;
    return ToUtf8(*value);
}

GbkText IniDocument::Kept(std::string_view section, std::string_view key,
                          std::string_view value) const {
    GbkText bytes = ToGbk(value);
    auto old = ReadGbk(section, key);
    if (old && *old != bytes && ToUtf8(*old) == value) return *old;
    return bytes;
}

void IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
    WriteGbk(section, key, Kept(section, key, value));
}

void IniDocument::WriteGbk(std::string_view section, std::string_view key, const GbkText& value) {
    Put(section, key, EncodeIniValue(value.view()));
}

void IniDocument::WriteExact(std::string_view section, std::string_view key,
                             std::string_view value) {
    WriteExactGbk(section, key, Kept(section, key, value));
}

void IniDocument::WriteExactGbk(std::string_view section, std::string_view key,
                                const GbkText& value) {
    Put(section, key, EncodeIniValue(value.view(), true));
}

void IniDocument::Put(std::string_view sectionUtf8, std::string_view keyUtf8,
                      const std::string& stored) {
    const GbkText section = ToGbk(sectionUtf8);
    const GbkText key = ToGbk(keyUtf8);
    std::string line = std::string(TrimBlanks(key.view())) + "=" + stored;
    auto range = FindSection(sectionUtf8);
    if (!range) {
        m_lines.push_back("[" + std::string(TrimBlanks(section.view())) + "]");
        m_lines.push_back(std::move(line));
        return;
    }
    if (auto index = FindKey(*range, keyUtf8)) {
        // The key keeps the spelling it has in the file.
        std::string existing(ParseKeyLine(m_lines[*index])->key);
        m_lines[*index] = existing + "=" + stored;
        return;
    }
    // Append after the section's last non-blank line, before any blank lines that end it.
    size_t at = range->end;
    while (at > range->header + 1 && TrimBlanks(m_lines[at - 1]).empty()) --at;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const auto& line : m_lines) {
        if (auto name = SectionName(line))
            names.push_back(ToUtf8(GbkText::FromBytes(std::string(*name))));
    }
    return names;
}

std::string IniDocument::Serialize() const {
    std::string out;
    size_t size = 0;
    for (const auto& line : m_lines) size += line.size() + 2;
    out.reserve(size);
    for (const auto& line : m_lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

void IniWriter::Section(std::string_view name) {
    m_text += "[";
    m_text += TrimBlanks(ToGbk(name).view());
    m_text += "]\r\n";
}

void IniWriter::Write(std::string_view key, std::string_view value) { WriteGbk(key, ToGbk(value)); }

void IniWriter::WriteGbk(std::string_view key, const GbkText& value) {
    m_text += TrimBlanks(ToGbk(key).view());
    m_text += "=" + EncodeIniValue(value.view()) + "\r\n";
}

void IniWriter::WriteExact(std::string_view key, std::string_view value) {
    WriteExactGbk(key, ToGbk(value));
}

void IniWriter::WriteExactGbk(std::string_view key, const GbkText& value) {
    m_text += TrimBlanks(ToGbk(key).view());
    m_text += "=" + EncodeIniValue(value.view(), true) + "\r\n";
}

IniFile::IniFile(std::string path, mode_t newFileMode)
    : m_path(std::move(path)), m_newFileMode(newFileMode) {}

IniDocument IniFile::Load() const {
    auto content = ReadWholeFile(m_path);
    return content ? IniDocument::Parse(*content) : IniDocument{};
}

std::string IniFile::ReadString(std::string_view section, std::string_view key) const {
    return Load().Read(section, key).value_or(std::string());
}

void IniFile::WriteString(std::string_view section, std::string_view key,
                          std::string_view value) const {
    Update([&](IniDocument& doc) { doc.Write(section, key, value); });
}

void IniFile::Update(const std::function<void(IniDocument&)>& change) const {
    auto edit = [&](const std::optional<std::string>& content) {
        IniDocument doc = content ? IniDocument::Parse(*content) : IniDocument{};
        change(doc);
        return doc.Serialize();
    };
    UpdateFileAtomically(m_path, edit, m_newFileMode);
}

int IniFile::SectionCount() const { return static_cast<int>(Load().SectionNames().size()); }

}  // namespace nuvaro
