// The menu bar as the user sees it: the pixels where its first item lies, taken from the screen,
// against the probe's own renderings of the item's text in the menu font with the Chinese
// character set and in one without Chinese characters (where a CJK character is an empty box).
#include "menu_look.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace menu_look {
namespace {

// Dark pixels of a width x height area, row by row.
using Ink = std::vector<bool>;

struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    unsigned* pixels = nullptr;
    int width = 0, height = 0;

    Canvas(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<unsigned*>(bits);
        old = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    Ink Dark() const {
        GdiFlush();
        Ink ink(static_cast<size_t>(width * height));
        for (size_t i = 0; i < ink.size(); ++i) {
            unsigned p = pixels[i];
            unsigned light = ((p >> 16) & 255) * 3 + ((p >> 8) & 255) * 6 + (p & 255);
            ink[i] = light < 128 * 10;
        }
        return ink;
    }
};

// `text` drawn left-aligned and centred in the height, black on white.
Ink Rendering(const std::wstring& text, LOGFONTW font, int width, int height) {
    Canvas canvas(width, height);
    RECT all{0, 0, width, height};
    FillRect(canvas.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT handle = CreateFontIndirectW(&font);
    HGDIOBJ old = SelectObject(canvas.dc, handle);
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(0, 0, 0));
    DrawTextW(canvas.dc, text.c_str(), -1, &all, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(canvas.dc, old);
    DeleteObject(handle);
    return canvas.Dark();
}

int TextWidth(const std::wstring& text, LOGFONTW font) {
    Canvas canvas(1, 1);
    HFONT handle = CreateFontIndirectW(&font);
    HGDIOBJ old = SelectObject(canvas.dc, handle);
    RECT size{0, 0, 0, 0};
    DrawTextW(canvas.dc, text.c_str(), -1, &size, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(canvas.dc, old);
    DeleteObject(handle);
    return size.right;
}

// Overlap over union of the dark pixels of `shown` and of `drawn` moved right by the item's
// margin (up to 16 pixels) and a few pixels up or down, at the best such shift.
double Likeness(const Ink& shown, const Ink& drawn, int width, int height) {
    double best = 0;
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = 0; dx <= 16; ++dx) {
            int both = 0, either = 0;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    int sx = x - dx, sy = y + dy;
                    bool inA = shown[static_cast<size_t>(y * width + x)];
                    bool inB = sx >= 0 && sy >= 0 && sx < width && sy < height &&
                               drawn[static_cast<size_t>(sy * width + sx)];
                    both += inA && inB;
                    either += inA || inB;
                }
            }
            if (either > 0) best = std::max(best, static_cast<double>(both) / either);
        }
    }
    return best;
}

// The strip above the client area where the menu bar lies, from its left end: menus belong to
// their process under Wine, so the probe cannot ask for the item's own rectangle.
RECT MenuStrip(HWND window, int width) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    int height = std::min<int>(origin.y - outer.top, GetSystemMetrics(SM_CYMENU));
    return {origin.x, origin.y - height, origin.x + width, origin.y};
}

}  // namespace

int Report(const std::vector<HWND>& windows, const std::wstring& text) {
    if (windows.empty()) return 1;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW chinese = metrics.lfMenuFont, latin = metrics.lfMenuFont;
    chinese.lfCharSet = GB2312_CHARSET;
    latin.lfCharSet = ANSI_CHARSET;
    wcscpy(latin.lfFaceName, L"Tahoma");

    SetForegroundWindow(windows[0]);
    Sleep(500);
    const RECT strip = MenuStrip(windows[0], TextWidth(text, chinese) + 16);
    const int width = strip.right - strip.left, height = strip.bottom - strip.top;
    if (width <= 0 || height <= 4) return 1;
    Canvas shown(width, height);
    HDC screen = GetDC(nullptr);
    BitBlt(shown.dc, 0, 0, width, height, screen, strip.left, strip.top, SRCCOPY);
    ReleaseDC(nullptr, screen);

    const Ink ink = shown.Dark();
    const double asChinese = Likeness(ink, Rendering(text, chinese, width, height), width, height);
    const double asBoxes = Likeness(ink, Rendering(text, latin, width, height), width, height);
    const bool looksChinese = asChinese >= 0.5 && asChinese > asBoxes;
    std::printf("menu=%s chinese=%.2f boxes=%.2f strip=%ld,%ld,%d,%d\n",
                looksChinese ? "chinese" : "boxes", asChinese, asBoxes, strip.left, strip.top,
                width, height);
    return 0;
}

}  // namespace menu_look
