#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace nuvaro {

// Bytes of text in GBK (code page 936): what the settings files, the logs and the plug-in
// records hold and what the matcher works on. Every other text of the program is UTF-8
// std::string; the two never convert into each other implicitly.
class GbkText {
  public:
    GbkText() = default;
    static GbkText FromBytes(std::string bytes) {
        GbkText text;
        text.m_bytes = std::move(bytes);
        return text;
    }

    const std::string& bytes() const { return m_bytes; }
    // Hands the bytes over without a copy; the text is left empty.
    std::string TakeBytes() && { return std::move(m_bytes); }
    std::string_view view() const { return m_bytes; }
    size_t size() const { return m_bytes.size(); }
    bool empty() const { return m_bytes.empty(); }
    void clear() { m_bytes.clear(); }

    GbkText& operator+=(const GbkText& more) {
        m_bytes += more.m_bytes;
        return *this;
    }
    friend GbkText operator+(GbkText left, const GbkText& right) { return left += right; }
    friend bool operator==(const GbkText& a, const GbkText& b) = default;

  private:
    std::string m_bytes;
};

// UTF-8 -> GBK. A character GBK cannot hold, and a byte that is not valid UTF-8, becomes '?'.
GbkText ToGbk(std::string_view utf8);

// GBK -> UTF-8, leniently: a byte that does not decode becomes '?', the rest of the text survives.
std::string ToUtf8(const GbkText& gbk);

// UTF-8 text as GBK keeps it: a character GBK cannot hold becomes '?'.
inline std::string GbkSafe(std::string_view utf8) { return ToUtf8(ToGbk(utf8)); }

}  // namespace nuvaro
