#include "config/tconfig.h"

#include "core/exe_dir.h"

namespace nuvaro {
namespace {

constexpr const char* kPushOpenKey = "PushOpen";

}  // namespace

const std::array<TConfig::Key, 20> TConfig::kKeys = {{
    {"User", &TConfig::User},
    {"url", &TConfig::url},
    {"RefreshTime", &TConfig::RefreshTime},
    {"Regx", &TConfig::Regx},
    {"FromMail", &TConfig::FromMail},
    {"ToMail", &TConfig::ToMail},
    {"FromName", &TConfig::FromName},
    {"Subject", &TConfig::Subject},
    {"Charset", &TConfig::Charset},
    {"Body", &TConfig::Body},
    {"SmsBody", &TConfig::SmsBody},
    {"Mobile", &TConfig::Mobile},
    {"Contry", &TConfig::Contry},
    {"SmsOpen", &TConfig::SmsOpen},
    {"EmailOpen", &TConfig::EmailOpen},
    {"OtherOpen", &TConfig::OtherOpen},
    {"OtherProgram", &TConfig::OtherProgram},
    {"OtherStr", &TConfig::OtherStr},
    {"WindowName", &TConfig::WindowName},
    {"RegGrp", &TConfig::RegGrp},
}};

const std::array<TConfig::Key, 5> TConfig::kConditionKeys = {{
    {"NumRule", &TConfig::NumRule},
    {"NumValue", &TConfig::NumValue},
    {"TextMode", &TConfig::TextMode},
    {"Selector", &TConfig::Selector},
    {"Ignore", &TConfig::Ignore},
}};

TConfig::TConfig(int index, std::string fileName)
    : Index(index), FileName(std::move(fileName)), Ini(std::make_unique<IniFile>(FileName)) {
    LoadAll();
}

void TConfig::LoadAll() {
    IniDocument doc = Ini->Load();
    const std::string section = Section();
    for (const auto& key : kKeys) this->*key.field = doc.Read(section, key.name).value_or("");
    for (const auto& key : kConditionKeys)
        this->*key.field = doc.Read(section, key.name).value_or("");
    PushOpen = doc.Read(section, kPushOpenKey).value_or("");
}

void TConfig::SaveAll() {
    const std::string section = Section();
    Ini->Update([&](IniDocument& doc) {
        for (const auto& key : kKeys) doc.Write(section, key.name, this->*key.field);
        for (const auto& key : kConditionKeys) {
            const std::string& value = this->*key.field;
            if (!value.empty() || doc.Read(section, key.name)) doc.Write(section, key.name, value);
        }
        doc.Write(section, "all", RecordText());
        // A file that never had push channels stays as it was.
        if (!PushOpen.empty() || doc.Read(section, kPushOpenKey)) {
            doc.Write(section, kPushOpenKey, PushOpen);
        }
    });
}

void TConfig::SaveAndReload() {
    SaveAll();
    LoadAll();
}

std::string TConfig::ReadKey(std::string_view key) const { return Ini->ReadString(Section(), key); }

void TConfig::WriteKey(std::string_view key, std::string_view value) {
    Ini->WriteString(Section(), key, value);
}

GbkText TConfig::WindowRecord() const { return ToGbk(RecordText()); }

int TConfig::SectionCount() const { return Ini->SectionCount(); }

std::string TConfig::RecordText() const {
    const std::string* fields[] = {&User,      &url,          &RefreshTime, &Regx,      &FromMail,
                                   &ToMail,    &FromName,     &Subject,     &Charset,   &Body,
                                   &SmsBody,   &Mobile,       &Contry,      &SmsOpen,   &EmailOpen,
                                   &OtherOpen, &OtherProgram, &OtherStr,    &WindowName};
    std::string record;
    for (const std::string* field : fields) {
        record += *field;
        record += '|';
    }
    return record;
}

void WriteConfigKey(std::string_view section, std::string_view key, std::string_view value) {
    IniFile(ExeDirFile("Config.inf")).WriteString(section, key, value);
}

}  // namespace nuvaro
