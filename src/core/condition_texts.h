#pragma once

// The texts of the conditions about values, what a condition reads and the parts it ignores, as
// UTF-8 (see texts.h).
namespace nuvaro::text {

// Verdicts and their log lines
inline constexpr const char* kNoNumber = "找不到数字";
inline constexpr const char* kNoElement = "找不到元素";
inline constexpr const char* kLogNotDue = "数值未达到提醒条件，跳过";
inline constexpr const char* kBadSelector = "元素选择器无效：";

// The condition dialog's fields
inline constexpr const char* kRuleLabel = "规则";
inline constexpr const char* kRuleAny = "不限";
inline constexpr const char* kRuleBelow = "低于";
inline constexpr const char* kRuleAbove = "高于";
inline constexpr const char* kRuleDrop = "下降";
inline constexpr const char* kRuleRise = "上升";
inline constexpr const char* kValueLabel = "数值";
inline constexpr const char* kReadLabel = "读取";
inline constexpr const char* kReadMarkup = "网页源码";
inline constexpr const char* kReadText = "可见文字";
inline constexpr const char* kSelectorLabel = "元素";
inline constexpr const char* kIgnoreLabel = "忽略";
inline constexpr const char* kTryButton = "试一试";
inline constexpr const char* kTryCaption = "试一试";

// Refusals when the condition is saved: the field, then the reason
inline constexpr const char* kFieldRefused = "“%s”有错误，没有保存：";
inline constexpr const char* kRuleUnknown = "规则只能是低于、高于、下降、上升或不限";
inline constexpr const char* kValueMissing = "请填写数值";
inline constexpr const char* kValueNotNumber = "不是一个数字";
inline constexpr const char* kValueNotPositive = "下降和上升的幅度须大于 0";
inline constexpr const char* kValueNoPercent = "低于和高于不能用百分比";
inline constexpr const char* kTextModeUnknown = "读取方式只能是 markup 或 text";

// What "试一试" shows
inline constexpr const char* kTryRead = "读到的内容：";
inline constexpr const char* kTryFound = "找到的内容：";
inline constexpr const char* kTryNumber = "数值：";
inline constexpr const char* kTryVerdict = "结论：";
inline constexpr const char* kTryNothing = "（无）";
inline constexpr const char* kTryWouldNotify = "会发出提醒";
inline constexpr const char* kTryNothingFound = "没有找到，不会提醒";
inline constexpr const char* kTryNotDue = "数值未达到提醒条件，不会提醒";
inline constexpr const char* kTryStartingPoint = "以此数值为起点计算升降，这一次不会提醒";
inline constexpr const char* kTryNoSend = "（试一试不发送任何提醒）";
inline constexpr const char* kTryTimedOut = "网页没有及时回应，请稍后再试";

}  // namespace nuvaro::text
