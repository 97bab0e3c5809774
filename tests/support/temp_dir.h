#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "core/gbk_text.h"

namespace nuvaro::testing {

// A fresh folder that the program takes as its executable's folder while the object lives.
class TempExeDir {
  public:
    TempExeDir();
    ~TempExeDir();
    TempExeDir(const TempExeDir&) = delete;
    TempExeDir& operator=(const TempExeDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string File(std::string_view name) const { return m_path + "/" + std::string(name); }
    void Write(std::string_view name, std::string_view content) const;
    std::string Read(std::string_view name) const;
    bool Exists(std::string_view name) const;

  private:
    std::string m_path;
};

// UTF-8 -> GBK for test texts: the bytes, and the same as GbkText.
std::string G(std::string_view utf8);
GbkText GT(std::string_view utf8);
// Bytes taken as GBK as they are (ASCII, or G's bytes, or bytes that are not valid GBK).
inline GbkText GbkBytes(std::string bytes) { return GbkText::FromBytes(std::move(bytes)); }

}  // namespace nuvaro::testing

namespace nuvaro {

// Tests compare GBK texts with the bytes they expect, and print them as those bytes.
inline bool operator==(const GbkText& text, std::string_view bytes) { return text.view() == bytes; }
inline void PrintTo(const GbkText& text, std::ostream* out) { *out << '"' << text.bytes() << '"'; }

}  // namespace nuvaro
