#pragma once

#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace nuvaro::testing {

// Sets (or, given nullptr, removes) environment variables for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(std::initializer_list<std::pair<const char*, const char*>> vars) {
        for (auto [name, value] : vars) {
            const char* old = std::getenv(name);
            m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            value ? setenv(name, value, 1) : unsetenv(name);
        }
    }
    ~ScopedEnv() {
        for (const auto& [name, old] : m_saved) {
            old ? setenv(name.c_str(), old->c_str(), 1) : unsetenv(name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace nuvaro::testing
