#include "notify/mail_providers.h"

#include "core/text_util.h"

namespace nuvaro {
namespace {

constexpr const char* kCodeNote =
    "密码处填写授权码：在网页邮箱的“设置”中开启 SMTP 服务后生成，不是登录密码。";

}  // namespace

const std::vector<MailProvider>& MailProviders() {
    static const std::vector<MailProvider> kProviders = {
        {"QQ邮箱", "smtp.qq.com", "465", kMailSecuritySsl,
         "密码处填写授权码：QQ邮箱网页版“设置 → 账号”中开启 SMTP 服务后生成，不是 QQ 密码。"},
        {"163邮箱", "smtp.163.com", "465", kMailSecuritySsl, kCodeNote},
        {"126邮箱", "smtp.126.com", "465", kMailSecuritySsl, kCodeNote},
        {"新浪邮箱", "smtp.sina.com", "465", kMailSecuritySsl, kCodeNote},
        {"腾讯企业邮", "smtp.exmail.qq.com", "465", kMailSecuritySsl,
         "密码处填写邮箱密码；开启了安全登录时填写“客户端专用密码”。"},
        {"阿里企业邮", "smtp.qiye.aliyun.com", "465", kMailSecuritySsl,
         "密码处填写邮箱密码；开启了三方客户端安全密码时填写该密码。"},
        {"Gmail", "smtp.gmail.com", "587", kMailSecurityStartTls,
         "密码处填写应用专用密码：在 Google 帐号中开启两步验证后生成。"},
        {"Outlook", "smtp-mail.outlook.com", "587", kMailSecurityStartTls,
         "密码处填写帐号密码；开启了两步验证时填写应用密码。"},
        {"自定义", "", "", kMailSecurityAuto, "填写邮件服务商提供的 SMTP 地址、端口和加密方式。"},
    };
    return kProviders;
}

size_t ProviderOfServer(std::string_view server) {
    std::string_view host = TrimControls(server);
    for (std::string_view scheme : {"smtp://", "smtps://"}) {
        if (host.size() > scheme.size() &&
            EqualsIgnoreAsciiCase(host.substr(0, scheme.size()), scheme)) {
            host.remove_prefix(scheme.size());
        }
    }
    while (!host.empty() && host.back() == '/') host.remove_suffix(1);
    const auto& providers = MailProviders();
    for (size_t i = 0; i + 1 < providers.size(); ++i) {
        if (EqualsIgnoreAsciiCase(host, providers[i].server)) return i;
    }
    return providers.size() - 1;
}

std::optional<std::string> ParseMailSecurity(std::string_view text) {
    const std::string_view value = TrimControls(text);
    for (const char* known : {kMailSecurityAuto, kMailSecuritySsl, kMailSecurityStartTls}) {
        if (EqualsIgnoreAsciiCase(value, known)) return std::string(known);
    }
    return std::nullopt;
}

}  // namespace nuvaro
