#include "core/gbk_codec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "core/gbk.h"

namespace nuvaro::codec {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; on an unconvertible or invalid sequence appends '?' and skips
    // skipLength(rest) bytes.
    template <typename SkipFn>
    std::string Run(std::string_view in, SkipFn skipLength) {
        std::string out;
        out.reserve(in.size() + in.size() / 2 + 16);
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[16384];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (rc != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            // EILSEQ (invalid or unconvertible) or EINVAL (cut short at the end).
            out.push_back('?');
            size_t skip = errno == EINVAL ? srcLeft : skipLength(std::string_view(src, srcLeft));
            src += skip;
            srcLeft -= skip;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

  private:
    iconv_t m_cd;
};

size_t Utf8SequenceLength(std::string_view rest) { return Utf8CharLength(rest, 0); }

size_t OneByte(std::string_view) { return 1; }

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
    thread_local Converter converter("GBK", "UTF-8");
    return converter.Run(utf8, Utf8SequenceLength);
}

std::string GbkToUtf8(std::string_view gbk) {
    thread_local Converter converter("UTF-8", "GBK");
    return converter.Run(gbk, OneByte);
}

}  // namespace nuvaro::codec
