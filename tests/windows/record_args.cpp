// A local program for the notice tests: appends the command line it was started with, and the
// arguments the C runtime splits it into, to args.txt beside itself (UTF-8), then "end".

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, n);
    folder.resize(folder.find_last_of(L'\\') + 1);
    FILE* out = _wfopen((folder + L"args.txt").c_str(), L"ab");
    if (!out) return 1;
    std::fprintf(out, "line=%s\n", Utf8(GetCommandLineW()).c_str());
    for (int i = 1; i < argc; ++i) std::fprintf(out, "[%s]\n", Utf8(argv[i]).c_str());
    std::fprintf(out, "end\n");
    std::fclose(out);
    return 0;
}
