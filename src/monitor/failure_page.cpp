#include "monitor/failure_page.h"

#include "core/text_cut.h"

namespace nuvaro {
namespace {

constexpr size_t kShownChars = 600;

std::string Escaped(std::string_view utf8) {
    std::string out;
    for (char c : CutUtf8Text(utf8, kShownChars)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

std::string LoadFailurePage(std::string_view reason, std::string_view address,
                            std::string_view when) {
    return "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
           "<title>无法打开网页</title><style>"
           "body{font-family:sans-serif;font-size:14px;color:#333;background:#fff;margin:24px}"
           "h1{font-size:18px;color:#b22;margin:0 0 12px}"
           "td{padding:3px 12px 3px 0;vertical-align:top}td.k{color:#777;white-space:nowrap}"
           "td.v{word-break:break-all}p{color:#555}"
           "</style></head><body><h1>无法打开网页</h1><table>"
           "<tr><td class=\"k\">原因：</td><td class=\"v\" id=\"reason\">" +
           Escaped(reason) +
           "</td></tr><tr><td class=\"k\">网址：</td><td class=\"v\" id=\"address\">" +
           Escaped(address) + "</td></tr><tr><td class=\"k\">时间：</td><td id=\"time\">" +
           Escaped(when) +
           "</td></tr></table><p>请检查网址和网络连接。监控中的窗口会在下次刷新时再试。</p>"
           "</body></html>";
}

}  // namespace nuvaro
