#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "core/gbk_text.h"
#include "core/ini_file.h"

namespace nuvaro {

class PageSource;  // the window's embedded browser; never owned here

// The settings of one monitoring window (slot 1..30, section "1".."30" of Config.inf) and the
// run-time copies of its controls. Every text is UTF-8 (Config.inf holds GBK), but for the last
// notified found text, which is kept byte for byte.
class TConfig {
  public:
    // Loads the slot's section at once; the file need not exist.
    TConfig(int index, std::string fileName);

    // Persisted fields
    std::string User;
    std::string url;
    std::string RefreshTime;
    std::string Regx;
    std::string RegGrp;
    std::string FromMail;
    std::string ToMail;
    std::string FromName;
    std::string Subject;
    std::string Charset;
    std::string Body;
    std::string SmsBody;
    std::string Mobile;
    std::string Contry;
    std::string SmsOpen;
    std::string EmailOpen;
    std::string OtherOpen;
    std::string OtherProgram;
    std::string OtherStr;
    // Push channels; kept beside the 20 keys, outside the window record ("" when never set).
    std::string PushOpen;
    const int Index;
    const std::string FileName;
    std::string WindowName;
    // What the condition reads and judges; all empty: the body markup, a text that differs
    std::string NumRule;   // "below", "above", "drop", "rise" or empty
    std::string NumValue;  // a number; for "drop" and "rise" also a percentage ("10%")
    std::string TextMode;  // "markup" (or empty) or "text": the visible text
    std::string Selector;  // a CSS selector: only the elements it selects are read
    std::string Ignore;    // a regular expression: its matches are removed before matching
    // Run-time fields, never stored
    std::string CurUrl;
    std::string CurRefreshTime;
    std::string CurSmsOpen;
    std::string CurEmailOpen;
    std::string CurOtherOpen;
    std::string CurPushOpen;
    std::string CurWindowName;
    PageSource* Browser = nullptr;
    std::unique_ptr<IniFile> Ini;
    GbkText LastMatch;

    // Reads the 20 keys, the condition's further keys and PushOpen of the slot's section.
    void LoadAll();
    // Writes the 20 keys in key order, then "all" (and PushOpen once set), in one replacement of
    // the file: a crash or a refused write (FileWriteError) leaves the slot as it was.
    void SaveAll();
    void SaveAndReload();
    std::string ReadKey(std::string_view key) const;
    void WriteKey(std::string_view key, std::string_view value);
    // Sections of the file, whatever their names (0 when it is missing or empty).
    int SectionCount() const;

    // The 19 texts of the window record, each followed by "|" (RegGrp is not part of it), as
    // the plug-ins take it.
    GbkText WindowRecord() const;
    std::string Section() const { return std::to_string(Index); }

    struct Key {
        const char* name;
        std::string TConfig::*field;
    };
    // Key order of LoadAll and SaveAll.
    static const std::array<Key, 20> kKeys;
    // The condition's further keys, read after them; written only when set or already there,
    // so a slot that does not use them keeps the section it always had.
    static const std::array<Key, 5> kConditionKeys;

  private:
    std::string RecordText() const;
};

// Writes one key straight into Config.inf in the executable's folder; touches no slot.
void WriteConfigKey(std::string_view section, std::string_view key, std::string_view value);

// "1" switches a channel on; any other text means off.
inline bool IsOn(std::string_view flag) { return flag == "1"; }
inline const char* FlagText(bool on) { return on ? "1" : "0"; }

}  // namespace nuvaro
