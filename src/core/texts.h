#pragma once

// Every user-visible text of the program, as UTF-8, exactly as the program shows or writes it.
// Convert with ToGbk() where GBK is needed (stored texts, log lines, records).
namespace nuvaro::text {

// Application
inline constexpr const char* kAppTitle = "Nuvaro";
inline constexpr const char* kMainCaption = "Nuvaro Nuvaro万能网页监控助手";
inline constexpr const char* kAlreadyRunning = "本软件已启动。";
inline constexpr const char* kFolderInUse =
    "本文件夹中的本软件已在运行（可能在另一会话中），本次启动未做任何改动。";
inline constexpr const char* kCaptionNotice = "提示";
inline constexpr const char* kCaptionQuestion = "询问";
inline constexpr const char* kCaptionError = "错误";
inline constexpr const char* kOk = "确定";
inline constexpr const char* kCancel = "取消";
inline constexpr const char* kYes = "是";
inline constexpr const char* kNo = "否";

// Main menu, tab menu, tray menu
inline constexpr const char* kMenuSystem = "系统设置(&O)";
inline constexpr const char* kMenuMailAccount = "邮件发送帐户设置";
inline constexpr const char* kMenuExit = "退  出";
inline constexpr const char* kMenuHelp = "帮助(&H)";
inline constexpr const char* kMenuHelpItem = "帮助...";
inline constexpr const char* kMenuAbout = "关于...";
inline constexpr const char* kMenuWindows = "窗口(&W)";
inline constexpr const char* kMenuNewWindow = "新建窗口(&N)";
inline constexpr const char* kMenuCloseWindow = "关闭当前窗口(&C)";
inline constexpr const char* kMenuStartAll = "全部开始监控";
inline constexpr const char* kMenuStopAll = "全部停止监控";
inline constexpr const char* kBalloonInTrayTitle = "Nuvaro 仍在运行";
inline constexpr const char* kBalloonInTray =
    "窗口已隐藏到通知区域，Nuvaro 在那里继续监控网页。\n"
    "双击通知区域的 Nuvaro 图标可重新打开窗口；右键单击图标，选择“退出程序”可结束监控。";
inline constexpr const char* kTrayShow = "显示窗口(&S)";
inline constexpr const char* kTrayExit = "退出程序(&E)";
inline constexpr const char* kAskExit = "您真的要退出Nuvaro软件吗？";
inline constexpr const char* kAboutCaption = "关于Nuvaro";
inline constexpr const char* kAboutText =
    "Nuvaro万能网页监控助手\n版本 "
    "%s\n\n替您监视网页，发现您关心的内容时，\n以短信、邮件或启动本地程序的方式提醒您。";

// Monitoring window
inline constexpr const char* kDefaultPage = "默认页面";
inline constexpr const char* kWatchedPage = "监视页面";
inline constexpr const char* kWindowNameLabel = "窗口名：";
inline constexpr const char* kNewWindowName = "新窗口";
inline constexpr const char* kAddressLabel = "网址：";
inline constexpr const char* kOpenPage = "打开网页";
inline constexpr const char* kSetCondition = "设定网页监控条件";
inline constexpr const char* kSetRecipients = "设定短信和邮件接收方";
inline constexpr const char* kStartAtLogon = "开机时启动";
inline constexpr const char* kChannelsLabel = "通知方式选择：";
inline constexpr const char* kSmsCheck = "短信：";
inline constexpr const char* kEmailCheck = "邮件：";
inline constexpr const char* kOtherCheck = "其它：";
inline constexpr const char* kRefreshLabel = "刷新时间：";
inline constexpr const char* kMinutes = "分钟";
inline constexpr const char* kSaveSettings = "保存设置";
inline constexpr const char* kViewSource = "查网页看源码";
inline constexpr const char* kRefreshPage = "刷新网页";
inline constexpr const char* kViewLog = "查看监控日志";
inline constexpr const char* kStartMonitoring = "开始监控";
inline constexpr const char* kStopMonitoring = "停止监控";

// Window commands
inline constexpr const char* kSiteNameEmpty = "网站名为空";
inline constexpr const char* kAddressEmpty = "网址不能为空";
inline constexpr const char* kWindowNameEmpty = "窗口名不能为空";
inline constexpr const char* kSavedPrefix = "当前窗口:";
inline constexpr const char* kSavedSuffix = " 设置已保存成功！";
inline constexpr const char* kOpenedHelpPage = "您没有输入网址，软件为您打开来Nuvaro帮助页";
inline constexpr const char* kTooManyWindows = "最多只能打开30个监控窗口。";
inline constexpr const char* kHelpCannotOpen =
    "无法打开帮助页：没有找到可以打开它的浏览器。\n请用浏览器打开这个文件：\n%s";
inline constexpr const char* kHelpMissing = "找不到帮助页：\n%s";

// Monitoring cycle
inline constexpr const char* kNoCondition = "您没有设定监控条件！";
inline constexpr const char* kBadRefreshTime = "时间设置格式不对！";
inline constexpr const char* kStartedMiddle = "开始自动监控";
inline constexpr const char* kStartedKeyword = "监控关键字为:[";
inline constexpr const char* kStartedRefresh = "] 刷新时间:";
inline constexpr const char* kStartedMinutes = " 分钟";
inline constexpr const char* kStopped = "自动监控已停止！";
inline constexpr const char* kAllStarted = "已开始监控：";
inline constexpr const char* kAllAlreadyRunning = "原已在监控：";
inline constexpr const char* kAllNotStarted = "未能开始监控：";
inline constexpr const char* kAllStopped = "已停止监控：";
inline constexpr const char* kAllNone = "（无）";
inline constexpr const char* kAddressEmptyOrBusy = "网址为空或系统繁忙";
inline constexpr const char* kOpenPageFirstDefault = "请先打开网页，然后再监控测试";
inline constexpr const char* kOpenPageFirstAdded = "请先打开网页N，然后再监控测试";
inline constexpr const char* kTestNoMatchDefault = "您设定的关键字或正则表达式在网页中匹配不成功";
inline constexpr const char* kTestNoMatchAdded = "您设定的关键字或正则表达式在网页中中匹配不成功";
inline constexpr const char* kTestMatchDefault =
    "您设定的监控条件在当前页面匹配成功，系统将依据您选择的通知方式，发出提醒消息.";
inline constexpr const char* kLoadFailed = "网页加载失败：";
inline constexpr const char* kReadTimedOut =
    "读取网页内容超时：网页没有响应（可能有脚本一直在运行）";
inline constexpr const char* kWebProcessEnded = "网页进程意外终止，网页已重新打开";
inline constexpr const char* kScriptUnresponsive =
    "网页脚本无响应：网页中有脚本一直在运行，已结束它的网页进程";
inline constexpr const char* kNoBody = "当前网页没有正文（body），无法读取网页内容";
inline constexpr const char* kBadRefreshMinutes =
    "'%s' 不是有效的刷新时间，请输入1到35791之间的整数（分钟）";
inline constexpr const char* kBoxCaptionPrefix = "Nuvaro - ";

// Why a page could not be loaded, as the boxes, Log/errorlog.txt and the tab tooltips say it;
// the engine's own text follows in brackets.
inline constexpr const char* kWhyRefused = "服务器拒绝了连接请求";
inline constexpr const char* kWhyUnknownHost = "找不到服务器（域名无法解析）";
inline constexpr const char* kWhyTimedOut = "连接超时，服务器没有响应";
inline constexpr const char* kWhyNoAnswer = "连接超时，服务器 %d 秒内没有响应";
inline constexpr const char* kWhyCertificate = "网站的安全证书不受信任，连接已中止";
inline constexpr const char* kWhyReset = "连接被服务器意外中断";
inline constexpr const char* kWhyUnreachable = "网络不可达，请检查网络连接";
inline constexpr const char* kWhyBadAddress = "网址无效或不受支持";
inline constexpr const char* kWhyNoFile = "文件不存在";
inline constexpr const char* kWhyOther = "无法打开网页";
inline constexpr const char* kWhyHttp4xx = "服务器拒绝了请求";
inline constexpr const char* kWhyHttp5xx = "服务器出错";
struct HttpStatusText {
    int status;
    const char* chinese;
    const char* english;
};
inline constexpr HttpStatusText kHttpStatuses[] = {
    {400, "请求有误", "Bad Request"},
    {401, "需要登录验证", "Unauthorized"},
    {403, "服务器拒绝访问", "Forbidden"},
    {404, "网页不存在", "Not Found"},
    {405, "服务器不接受这种请求", "Method Not Allowed"},
    {407, "需要代理服务器验证", "Proxy Authentication Required"},
    {408, "请求超时", "Request Timeout"},
    {410, "网页已被删除", "Gone"},
    {429, "请求过于频繁，服务器暂时拒绝", "Too Many Requests"},
    {451, "因法律原因无法访问", "Unavailable For Legal Reasons"},
    {500, "服务器内部错误", "Internal Server Error"},
    {501, "服务器不支持这种请求", "Not Implemented"},
    {502, "网关错误，上游服务器没有正确响应", "Bad Gateway"},
    {503, "服务暂时不可用", "Service Unavailable"},
    {504, "网关超时，上游服务器没有及时响应", "Gateway Timeout"},
};
inline constexpr const char* kTestMatchAdded =
    "您设定的监控条件在当前页面匹配成功,系统将依据您选择的通知方式，发出提醒消息。";

// Logs
inline constexpr const char* kKeywordOk = "KeywordOk";
inline constexpr const char* kLogNothingFound = "在刚才的网页刷新中没有发现要监控的变化";
inline constexpr const char* kLogRepeat = "发现重复提醒信息，跳过";
inline constexpr const char* kLogChange = "监控点信息发生变化，发出提醒";
inline constexpr const char* kLogLinesLost = "日志写入失败，丢失 %d 行：%s";
// The end of a text cut short: how many characters it had (printf, %zu).
inline constexpr const char* kCutMark = "…（共 %zu 字）";
// The middle of an over-long line that older versions wrote, left out (printf, %llu).
inline constexpr const char* kLogLongLineMark = "……（略去 %llu 字节）……";

// Window status
inline constexpr const char* kTipMonitoring = "状态：正在监控";
inline constexpr const char* kTipStopped = "状态：已停止";
inline constexpr const char* kTipWorking = "（正在检查网页）";
inline constexpr const char* kTipLastCheck = "上次检查：";
inline constexpr const char* kTipNotYet = "尚未检查";
inline constexpr const char* kTipNextCheck = "下次检查：";
inline constexpr const char* kTipLastError = "上次错误：";
inline constexpr const char* kTipFailuresInRow = "（已连续失败 %d 次）";

// Log viewer
inline constexpr const char* kLogViewerCaption = "监控日志";
inline constexpr const char* kLogViewerWindow = "窗口：";
inline constexpr const char* kLogViewerAllWindows = "全部窗口";
inline constexpr const char* kLogViewerSearch = "查找：";
inline constexpr const char* kLogViewerOpenRaw = "用默认程序打开";
inline constexpr const char* kLogViewerTime = "时间";
inline constexpr const char* kLogViewerWindowColumn = "窗口";
inline constexpr const char* kLogViewerEvent = "事件";
inline constexpr const char* kLogViewerPrevious = "变化前";
inline constexpr const char* kLogViewerText = "发现的内容或消息";
inline constexpr const char* kLogViewerLoading = "正在读取日志……";
inline constexpr const char* kLogViewerCount = "显示 %1 条，共 %2 条";
inline constexpr const char* kLogViewerPartial = "（日志较长，只读入了最近的部分）";
inline constexpr const char* kLogViewerOlder = "读取更早的记录";
inline constexpr const char* kEventNothingFound = "没有发现变化";
inline constexpr const char* kEventRepeat = "重复，跳过";
inline constexpr const char* kEventChange = "发现变化，已提醒";
inline constexpr const char* kEventError = "错误";
inline constexpr const char* kEventDeliveryOk = "发送成功";
inline constexpr const char* kEventDeliveryFailed = "发送失败";

// Dialogs
inline constexpr const char* kCurrentWindow = "当前窗口：";
inline constexpr const char* kConditionCaption = "设定搜索条件";
inline constexpr const char* kConditionGroup = "输入要监控的关键字（支持正则表达式）";
inline constexpr const char* kConditionAdvice =
    "系统将根据您设定的监控条件对网页中的所有文字内容进行搜索与监控";
inline constexpr const char* kMailSubject = "Nuvaro提醒邮件";
inline constexpr const char* kRecipientsCaption = "设定短信和邮件接受方";
inline constexpr const char* kMessageGroup = "短信与邮件设定";
inline constexpr const char* kMobileLabel = "被通知手机号码：";
inline constexpr const char* kMobileAdvice = "（多个手机号码逗号分隔）";
inline constexpr const char* kDomestic = "海内";
inline constexpr const char* kOverseas = "海外";
inline constexpr const char* kSmsTest = "发送测试短信";
inline constexpr const char* kAddressToNotify = "被通知邮件地址：";
inline constexpr const char* kEmailTest = "发送测试邮件";
inline constexpr const char* kBodyLabel = "通知正文设定：";
inline constexpr const char* kBodyAdvice = "（当满足监控条件时,可发送短信通知或邮件通知）";
inline constexpr const char* kBodyLengthAdvice = "注：通知提醒消息正文不超过50个字";
inline constexpr const char* kOtherGroup = "其它通知方式设定";
inline constexpr const char* kLocalProgramLabel = "本地程序：";
inline constexpr const char* kBrowse = "浏览";
inline constexpr const char* kParametersLabel = "参数传递：";
inline constexpr const char* kTest = "测试";
inline constexpr const char* kSenderCaption = "邮件发件人设置";
inline constexpr const char* kSenderGroup = "发送帐户设置";
inline constexpr const char* kSmtpLabel = "SMTP 地址：";
inline constexpr const char* kPortLabel = "端口：";
inline constexpr const char* kAccountLabel = "帐户名：";
inline constexpr const char* kPasswordLabel = "密码：";
inline constexpr const char* kOtherAdvice = "注：可选择启动本地程序作为通知方式";
inline constexpr const char* kRecipientsSaved = " 接受短信和邮箱帐号设置已保存！";
inline constexpr const char* kOtherSaved = " 其它通知方式设定已保存！";
inline constexpr const char* kConditionSaved = " 搜索条件设置已保存！";
inline constexpr const char* kExpressionRefused = "正则表达式有错误，没有保存：";
inline constexpr const char* kExpressionAtChar = "出错位置：第 %d 个字符";
inline constexpr const char* kExpressionAtLine = "出错位置：第 %d 行第 %d 个字符";
inline constexpr const char* kExpressionLiteralHint = "要查找这些符号本身，请在符号前加“\\”。";
inline constexpr const char* kRegexEndBackslash = "表达式以“\\”结尾";
inline constexpr const char* kRegexBadEscape = "“\\”后面的字符无法识别";
inline constexpr const char* kRegexMissingBracket = "缺少右方括号“]”";
inline constexpr const char* kRegexMissingParen = "缺少右括号“)”";
inline constexpr const char* kRegexUnmatchedParen = "多了一个右括号“)”";
inline constexpr const char* kRegexNothingToRepeat = "“*”“+”“?”或“{}”前面没有可以重复的内容";
inline constexpr const char* kRegexQuantifierOrder = "“{}”中的两个数字顺序颠倒";
inline constexpr const char* kRegexQuantifierTooBig = "“{}”中的数字太大";
inline constexpr const char* kRegexRangeOrder = "方括号中的范围顺序颠倒（例如 z-a）";
inline constexpr const char* kRegexBadGroup = "“(?”后面的写法无法识别";
inline constexpr const char* kRegexBadReference = "引用了不存在的分组";
inline constexpr const char* kRegexLookbehind = "后行断言“(?<=”“(?<!”的长度必须固定";
inline constexpr const char* kRegexTooLarge = "表达式太长或嵌套太深";
inline constexpr const char* kRegexOther = "表达式的写法无法识别";
inline constexpr const char* kSourceCaptionSuffix = " - 源代码";
inline constexpr const char* kSourceErrorDefault = "无法获取源代码, 错误可能是因为：";
inline constexpr const char* kSourceErrorAdded = "无法获取源代码N, 错误可能是因为：";
inline constexpr const char* kNoDocument = "浏览器中还没有打开网页";
// The desktop has no page engine (Windows without Internet Explorer 11): told once at start.
inline constexpr const char* kNoPageEngine =
    "本机没有可用的网页引擎（Internet Explorer 11），网页无法打开和监控。\n"
    "其他功能照常可用：设置、日志、短信和邮件通知。";
// The reason of every page load then.
inline constexpr const char* kNoPageEngineReason = "本机没有可用的网页引擎";

// SMS gateway dialog (sms.inf)
inline constexpr const char* kMenuSmsGateway = "短信网关设置";
inline constexpr const char* kSmsGatewayCaption = "短信网关设置";
inline constexpr const char* kSmsGatewayGroup = "HTTP 短信网关";
inline constexpr const char* kSmsGatewayUrl = "网关地址：";
inline constexpr const char* kSmsMethod = "请求方式：";
inline constexpr const char* kSmsMethodAuto = "自动（有正文时用 POST）";
inline constexpr const char* kSmsBody = "请求正文：";
inline constexpr const char* kSmsContentType = "正文类型：";
inline constexpr const char* kSmsCharset = "文字编码：";
inline constexpr const char* kSmsHeader = "附加请求头：";
inline constexpr const char* kSmsAccount = "帐号：";
inline constexpr const char* kSmsToken = "密钥：";
inline constexpr const char* kSmsSuccess = "成功标记：";
inline constexpr const char* kSmsTimeout = "超时（秒）：";
inline constexpr const char* kSmsConnectTimeout = "连接超时（秒）：";
inline constexpr const char* kSmsCaFile = "证书文件：";
inline constexpr const char* kSmsPlaceholders =
    "占位符：{number} 国际号码（如 +8613800138000）  {intl} 同上，不带“+”\n"
    "{mobile} 手机号码  {code} 国家代码  {text} 通知正文  {account} 帐号  {token} 密钥\n"
    "地址中的占位符按网址编码；正文类型含 json 时，正文中的占位符按 JSON 转义。";
inline constexpr const char* kSmsMethodHint = "自动";
inline constexpr const char* kSmsTestGroup = "发送测试短信";
inline constexpr const char* kSmsTestNumber = "手机号码：";
inline constexpr const char* kSmsTestCode = "国家代码：";
inline constexpr const char* kSmsTestSend = "发送测试短信";
inline constexpr const char* kSmsTestText = "Nuvaro 短信网关测试：收到这条短信说明网关设置正确。";
inline constexpr const char* kSmsTestSending = "正在发送测试短信……";
inline constexpr const char* kSmsTestSent = "测试短信已发出：";
inline constexpr const char* kSmsTestFailed = "测试短信发送失败：";
inline constexpr const char* kSmsTestNoNumber = "请填写接收测试短信的手机号码";
inline constexpr const char* kSmsSettingsWrong = "短信网关设置有误，请修改后再试：";
inline constexpr const char* kSmsSaved = "短信网关设置已保存！";
inline constexpr const char* kSmsNeedGateway = "请填写网关地址";
inline constexpr const char* kSmsBadGateway =
    "网关地址必须以 http:// 或 https:// 开头，且不能含空格";
inline constexpr const char* kSmsBadMethod = "请求方式只能是 GET 或 POST";
inline constexpr const char* kSmsBodyWithGet =
    "GET 请求不发送正文：请把请求方式改为 POST，或清空请求正文";
inline constexpr const char* kSmsBadHeader =
    "附加请求头应写成“名称: 值”，例如 Authorization: Bearer {token}";
inline constexpr const char* kSmsBadCharset = "文字编码只能是 UTF-8 或 GBK";
inline constexpr const char* kSmsBadSeconds = "%s应为 1 到 600 之间的整数";
inline constexpr const char* kSmsNoNumberPlaceholder =
    "网关地址、请求正文和附加请求头中都没有手机号码占位符（{number}、{intl} 或 {mobile}）";
inline constexpr const char* kSmsNoTextPlaceholder =
    "网关地址、请求正文和附加请求头中都没有通知正文占位符 {text}";
inline constexpr const char* kSmsNoCaFile = "找不到证书文件：";

// Banners
inline constexpr const char* kBanner1 = "广告一";
inline constexpr const char* kBanner2 = "广告二";
inline constexpr const char* kBanner3 = "广告三";
inline constexpr const char* kCannotOpen = "无法打开：";

// Notification plug-ins and the delivery log (Log/sendlog.txt)
inline constexpr const char* kPluginCannotLoad = "无法加载插件：";
inline constexpr const char* kPluginNoFunction = "插件缺少函数：";
inline constexpr const char* kSendOk = "OK";
inline constexpr const char* kSendFailed = "FAILED";
inline constexpr const char* kSendTestSlot = "test";
inline constexpr const char* kSendUnknownSlot = "?";
inline constexpr const char* kSendNoRecipient = "没有收件人地址";
inline constexpr const char* kSendNoMobile = "没有手机号码";
inline constexpr const char* kSendNoSmtp = "email.inf 中没有设定 SMTP 地址";
inline constexpr const char* kSendNoGateway =
    "还没有设定短信网关：请在“系统设置”菜单的“短信网关设置”中填写网关地址";
inline constexpr const char* kSendReplyMismatch = "网关回复中没有约定的成功标记 (Success)";
inline constexpr const char* kSendShutDown = "程序正在退出，通知未发送";
inline constexpr const char* kSendInternalError = "发送时出现内部错误";
inline constexpr const char* kSendQueueFull = "待发送的通知太多，这条通知未发送";
inline constexpr const char* kSendBadSmtp = "email.inf 中的 SMTP 地址无效：";
inline constexpr const char* kSendNoProgram = "无法启动本地程序";
inline constexpr const char* kSendBadRecipient = "收件人含有控制字符，不予发送：";

// Failed notices on the desktop
inline constexpr const char* kNoticeFailedTitle = "通知发送失败";
inline constexpr const char* kNoticeFailedWindow = "窗口：";
inline constexpr const char* kNoticeFailedChannel = "方式：";
inline constexpr const char* kNoticeFailedReason = "原因：";
inline constexpr const char* kChannelSms = "短信";
inline constexpr const char* kChannelMail = "邮件";
inline constexpr const char* kChannelProgram = "本地程序";
inline constexpr const char* kTrayMonitoring = "正在监控：%d 个窗口";
inline constexpr const char* kTrayFailing = "上次检查失败：%d 个窗口";
inline constexpr const char* kTrayFailedCount = "通知发送失败：%d 条";
inline constexpr const char* kTrayFailingNames = "上次检查失败：%s";
inline constexpr const char* kTrayUnseenNames = "有未查看的变化：%s";
inline constexpr const char* kTrayMoreNames = " 等 %d 个";
inline constexpr const char* kNameSeparator = "、";
inline constexpr const char* kBalloonArrow = " → ";
inline constexpr const char* kBalloonChange = "发现变化：";
inline constexpr const char* kBalloonFailingTitle = "网页连续监控失败";

// Watching across restarts: monitoring resumed at start, notices kept in the outbox
inline constexpr const char* kMenuResume = "启动时恢复监控";
inline constexpr const char* kResumeFailed = "启动时未能恢复监控：";
inline constexpr const char* kSendInterrupted = "发送途中程序已结束，不知是否已送达，将再次发送";
inline constexpr const char* kStateDropped = " 中有无法读取的内容，已丢弃 ";
inline constexpr const char* kStateWholeFile = "文件过大，整个丢弃，字节数：";
inline constexpr const char* kStateTooManySections = "超出的条目，上限：";
inline constexpr const char* kEndRequested = "收到系统的结束请求，程序退出：";
inline constexpr const char* kTrayWaitingCount = "等待发送的通知：%d 条";

}  // namespace nuvaro::text
