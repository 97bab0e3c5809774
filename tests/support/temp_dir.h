#pragma once

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

}  // namespace nuvaro::testing
