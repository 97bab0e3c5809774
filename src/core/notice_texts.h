#pragma once

// The user-visible texts of health notices, push channels and the daily report, as UTF-8
// literals (texts.h holds the others).
namespace nuvaro::text {

// Health notices
inline constexpr const char* kHealthFailingTitle = "监控异常";
inline constexpr const char* kHealthRecoveredTitle = "监控恢复";
inline constexpr const char* kHealthReminder = "（仍未恢复）";
inline constexpr const char* kHealthWindow = "窗口：";
inline constexpr const char* kHealthPage = "网页：";
inline constexpr const char* kHealthReason = "原因：";
inline constexpr const char* kHealthSince = "开始时间：";
inline constexpr const char* kHealthFailedTicks = "连续失败次数：";
inline constexpr const char* kHealthLasted = "持续时间：";
inline constexpr const char* kHealthRecoveredAt = "恢复时间：";
inline constexpr const char* kHealthLoadFailed = "网页无法读取";
inline constexpr const char* kHealthNotEvaluated = "条件无法判断";
inline constexpr const char* kHealthLostMatch = "之前能找到的内容找不到了，网页结构可能已改变";
inline constexpr const char* kDurationDays = "天";
inline constexpr const char* kDurationHours = "小时";
inline constexpr const char* kDurationMinutes = "分钟";
inline constexpr const char* kHealthCaption = "监控异常通知设置";
inline constexpr const char* kHealthEnabled = "窗口连续监控失败时发出通知";
inline constexpr const char* kHealthFailTicks = "连续失败次数：";
inline constexpr const char* kHealthFailMinutes = "且持续分钟数：";
inline constexpr const char* kHealthRemindHours = "每隔几小时提醒一次：";
inline constexpr const char* kHealthRecovery = "恢复时发出通知";
inline constexpr const char* kHealthProgram = "也通知本地程序";
inline constexpr const char* kHealthLostMatchOption = "之前能找到的内容找不到时也算失败";
inline constexpr const char* kMenuHealth = "监控异常通知...";

// The bounded outbox
inline constexpr const char* kFoldedPrefix = "期间共有 %d 次变化，最新：";

// Push channels
inline constexpr const char* kMenuPush = "推送设置...";
inline constexpr const char* kPushCaption = "推送设置";
inline constexpr const char* kPushUnknownKind = "push.inf [%s]：未知的推送类型 Kind=%s";
inline constexpr const char* kPushNoUrl = "push.inf [%s]：没有填写推送地址 Url";
inline constexpr const char* kPushBadUrl = "push.inf [%s]：推送地址必须以 http:// 或 https:// 开头";
inline constexpr const char* kPushBadSecret =
    "push.inf [%s]：Secret 只能包含字母、数字和常见符号，不能有空格或控制字符";
inline constexpr const char* kPushNoSecret = "push.inf [%s]：此类型需要填写 Secret（令牌）";
inline constexpr const char* kPushNoTopic =
    "push.inf [%s]：ntfy 的地址要带上主题，例如 https://ntfy.sh/mytopic";
inline constexpr const char* kPushNotJson = "推送服务的回答不是 JSON";
inline constexpr const char* kPushServiceError = "推送服务返回错误";
inline constexpr const char* kPushTooFast = "每分钟最多发送 20 条，稍后再发";
inline constexpr const char* kPushTestTitle = "Nuvaro 测试消息";
inline constexpr const char* kPushTestBody = "这是一条测试消息，收到说明推送设置正确。";
inline constexpr const char* kPushListKind = "类型";
inline constexpr const char* kPushListUrl = "地址";
inline constexpr const char* kPushListEnabled = "启用";
inline constexpr const char* kPushAdd = "添加";
inline constexpr const char* kPushEdit = "修改";
inline constexpr const char* kPushRemove = "删除";
inline constexpr const char* kPushTest = "测试";
inline constexpr const char* kPushKindLabel = "类型：";
inline constexpr const char* kPushUrlLabel = "地址：";
inline constexpr const char* kPushSecretLabel = "密钥/令牌：";
inline constexpr const char* kPushTitleLabel = "标题：";
inline constexpr const char* kPushEnabledLabel = "启用";
inline constexpr const char* kPushTestSent = "测试消息已发出。";
inline constexpr const char* kPushTestFailed = "测试消息发送失败。";
inline constexpr const char* kPushSending = "正在发送测试消息...";
inline constexpr const char* kPushAnswer = "服务回答：";
inline constexpr const char* kPushOpen = "推送";
inline constexpr const char* kNoticeChange = "change";
inline constexpr const char* kChannelPush = "推送";

// The daily report
inline constexpr const char* kReportTitle = "Nuvaro 运行日报";
inline constexpr const char* kMenuReport = "每日运行报告";
inline constexpr const char* kReportStarted = "程序启动时间：";
inline constexpr const char* kReportWindow = "窗口 %s：%s";
inline constexpr const char* kReportMonitoring = "监控中";
inline constexpr const char* kReportStopped = "未监控";
inline constexpr const char* kReportFailing = "监控异常";
inline constexpr const char* kReportCounts = "  检查 %d 次，失败 %d 次，已发通知 %d 条，待发 %d 条";
inline constexpr const char* kReportLastFound = "  最近找到：";
inline constexpr const char* kReportNoWindows = "没有监控窗口";

}  // namespace nuvaro::text
