#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/gbk_text.h"

namespace nuvaro {

// A profile (INI) text kept line by line, read and written the way the Windows profile
// functions do: "[section]" lines, "key=value" lines, names compared without regard to ASCII
// case, the first of duplicate names wins, a new key is appended to its section and a new
// section to the end, every other line is kept as it was. The file holds GBK: names and values
// are UTF-8 here and converted at each read and write (the ...Gbk functions take and give the
// bytes themselves, written byte for byte); a value written that reads back as the text it
// replaces keeps its bytes, so bytes GBK cannot decode survive a rewrite. Reading drops the
// blanks (spaces, tabs) around names and values, but unlike Windows keeps enclosing quotation
// marks.
//
// A value with a line break cannot be one line of the file. It is stored as the mark "~ML~"
// followed by the value with "\" written "\\", CR written "\r" and LF written "\n", and a
// space or tab at its very end written "\s" or "\t" so that reading does not drop it. Any other
// value is stored byte for byte; one that itself begins with the mark, after any blanks, is
// escaped the same way.
class IniDocument {
  public:
    static IniDocument Parse(std::string_view content);

    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::optional<GbkText> ReadGbk(std::string_view section, std::string_view key) const;
    void Write(std::string_view section, std::string_view key, std::string_view value);
    void WriteGbk(std::string_view section, std::string_view key, const GbkText& value);
    // Stores the value in the escaped form whatever it holds, so that it reads back byte for
    // byte, blanks at both ends included (for texts of a page rather than typed settings).
    void WriteExact(std::string_view section, std::string_view key, std::string_view value);
    void WriteExactGbk(std::string_view section, std::string_view key, const GbkText& value);
    std::vector<std::string> SectionNames() const;
    // Lines joined with CR LF, the last one ended too.
    std::string Serialize() const;

  private:
    struct Range {
        size_t header;  // index of the section line
        size_t end;     // one past its last line
    };
    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<size_t> FindKey(const Range& range, std::string_view key) const;
    // The bytes to write for `value`: those of the value there when they read as `value`.
    GbkText Kept(std::string_view section, std::string_view key, std::string_view value) const;
    void Put(std::string_view section, std::string_view key, const std::string& stored);

    std::vector<std::string> m_lines;
};

// A new profile text written whole, section after section, as IniDocument writes its lines
// (for a file kept in memory and replaced at each change: no key is looked up on the way).
class IniWriter {
  public:
    void Section(std::string_view name);
    void Write(std::string_view key, std::string_view value);
    void WriteGbk(std::string_view key, const GbkText& value);
    void WriteExact(std::string_view key, std::string_view value);  // see IniDocument
    void WriteExactGbk(std::string_view key, const GbkText& value);
    const std::string& Text() const { return m_text; }

  private:
    std::string m_text;
};

// The stored form of a value's bytes. `always`: the escaped form even where the value would
// stand as it is.
std::string EncodeIniValue(std::string_view value, bool always = false);
std::string DecodeIniValue(std::string_view stored);

// One profile file on disk. Every read goes to the file, so several objects over one file
// always see the last write; every write replaces the file atomically, read, change and
// replace holding the file's lock against other writers.
class IniFile {
  public:
    explicit IniFile(std::string path, mode_t newFileMode = 0600);

    const std::string& FileName() const { return m_path; }
    // The file as it is now; empty when it is missing or unreadable.
    IniDocument Load() const;
    // Missing file, section or key -> empty text.
    std::string ReadString(std::string_view section, std::string_view key) const;
    // Throws FileWriteError("Unable to write to <path>") when the system refuses the write.
    void WriteString(std::string_view section, std::string_view key, std::string_view value) const;
    // Applies `change` to the file as it is now and writes the result in one replacement.
    // Throws FileWriteError.
    void Update(const std::function<void(IniDocument&)>& change) const;
    int SectionCount() const;

  private:
    std::string m_path;
    mode_t m_newFileMode;
};

}  // namespace nuvaro
