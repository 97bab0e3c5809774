#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ini_file.h"

namespace nuvaro {

// A state file of the program (outbox.inf, runstate.inf) read as hostile input: anyone may have
// edited or damaged it. What cannot be read is dropped and said once in the error log.
class StateFileReader {
  public:
    // Reads `path`: a file larger than `maxBytes` is dropped whole; a line that is neither blank,
    // a "[section]" nor a "key=value" line is dropped, and so are the sections after the first
    // `maxSections`.
    StateFileReader(std::string path, size_t maxBytes, size_t maxSections);
    const IniDocument& Document() const { return m_doc; }

    // Notes a dropped piece (a section, a value) in a few words; kept bounded.
    void Drop(const std::string& what);
    // A number of the file between `low` and `high`; `fallback` when it is missing. A value
    // outside the range or not a number is noted as dropped and gives `fallback`.
    int64_t Number(const std::string& section, const char* key, int64_t low, int64_t high,
                   int64_t fallback);

    // One line in the error log naming the file and what was dropped, when anything was.
    void Report() const;

  private:
    std::string Readable(const std::string& content, size_t maxSections);

    std::string m_path;
    IniDocument m_doc;
    std::vector<std::string> m_dropped;
    size_t m_droppedCount = 0;
};

}  // namespace nuvaro
