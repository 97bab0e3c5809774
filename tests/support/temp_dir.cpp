#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "core/exe_dir.h"
#include "core/gbk.h"
#include "core/write_queue.h"

namespace nuvaro::testing {

TempExeDir::TempExeDir() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        std::string name = "nuvaro-test-";
        for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        std::error_code ec;
        if (std::filesystem::create_directory(base / name, ec)) {
            m_path = (base / name).generic_string();
        }
    }
    if (m_path.empty()) throw std::runtime_error("cannot create a temporary folder");
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    SetExeDirForTesting(m_path);
}

TempExeDir::~TempExeDir() {
    SetExeDirForTesting("");
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void TempExeDir::Write(std::string_view name, std::string_view content) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// What the program handed to its writer is on disk before a test looks.
std::string TempExeDir::Read(std::string_view name) const {
    write_queue::Flush();
    std::ifstream in(File(name), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempExeDir::Exists(std::string_view name) const {
    write_queue::Flush();
    return std::filesystem::exists(File(name));
}

std::string G(std::string_view utf8) { return ToGbk(utf8).bytes(); }

GbkText GT(std::string_view utf8) { return ToGbk(utf8); }

}  // namespace nuvaro::testing
