#pragma once

// The user-visible texts of the sender and recipient dialogs' setup aids (providers, the test
// mail, placeholders, the preview), as UTF-8 literals (texts.h holds the others).
namespace nuvaro::text {

// Sender dialog
inline constexpr const char* kMailProviderLabel = "邮箱服务商：";
inline constexpr const char* kMailSecurityLabel = "加密方式：";
inline constexpr const char* kMailSecurityAutoChoice = "自动（按端口）";
inline constexpr const char* kMailAccountAdvice =
    "帐户名填写完整的邮件地址；测试邮件发给这个地址。";
inline constexpr const char* kMailTestText =
    "Nuvaro 测试邮件：收到这封邮件说明发件帐户设置正确，监控提醒可以通过邮件发出。";
inline constexpr const char* kMailTestSending = "正在发送测试邮件……";
inline constexpr const char* kMailTestSent = "测试邮件已发出：";
inline constexpr const char* kMailTestFailed = "测试邮件发送失败：";
inline constexpr const char* kMailTestNoServer = "请先填写 SMTP 地址";
inline constexpr const char* kMailSaveWithoutServer =
    "没有填写 SMTP 地址，邮件通知将无法发出。\n仍要保存吗？";

// Recipient dialog
inline constexpr const char* kPlaceholdersLabel = "占位符（双击插入）：";
inline constexpr const char* kPlaceholderFound = "{found} 找到的内容";
inline constexpr const char* kPlaceholderPrevious = "{previous} 上次的内容";
inline constexpr const char* kPlaceholderName = "{name} 窗口名称";
inline constexpr const char* kPlaceholderValue = "{value} 读到的数值";
inline constexpr const char* kPlaceholderUrl = "{url} 网页地址";
inline constexpr const char* kPlaceholderTime = "{time} 日期时间";
inline constexpr const char* kPlaceholderSlot = "{slot} 窗口编号";
// The notification text of a window that has none yet.
inline constexpr const char* kDefaultNoticeText = "{name}：{found}（上次：{previous}）";
inline constexpr const char* kPreviewLabel = "预览：";
// What the preview shows for facts that only a notice knows.
inline constexpr const char* kPreviewFound = "〔找到的内容〕";
inline constexpr const char* kPreviewValue = "〔数值〕";

}  // namespace nuvaro::text
