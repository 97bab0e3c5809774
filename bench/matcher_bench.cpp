// Keyword matcher against std::regex and memmem over realistic GBK page markup.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "core/exe_dir.h"
#include "core/gbk.h"
#include "monitor/matcher.h"

namespace {

std::string Gbk(std::string_view utf8) { return nuvaro::ToGbk(utf8).bytes(); }

const std::string kAbsent = Gbk("缺货通知");
const std::string kNearEnd = Gbk("到货提醒");
const std::string kGroupExpr = Gbk("价格(\\d+)");

// Product-list markup in GBK: Chinese text, attributes, numbers; the searched words occur
// only where placed.
std::string MakePage(size_t bytes, bool withTargetsNearEnd) {
    static const char* rows[] = {
        "<div class=\"item\" data-id=\"%d\"><a href=\"/p/%d.html\">新款笔记本电脑 第%d代</a>"
        "<span class=\"price\">售价：￥%d.00</span></div>\r\n",
        "<li><em>限时优惠</em> 商品编号%d，库存充足，预计%d小时内发货 <i>%d</i></li>\r\n",
        "<p>用户评价：质量很好，物流很快，包装完好，推荐购买！第%d条 点赞%d 回复%d</p>\r\n",
    };
    std::string page;
    page.reserve(bytes + 256);
    char buffer[512];
    for (int i = 0; page.size() < bytes; ++i) {
        std::snprintf(buffer, sizeof buffer, rows[i % 3], i, i * 7 % 1000, i % 97, i * 13 % 9999);
        page += Gbk(buffer);
    }
    page.resize(bytes);
    if (withTargetsNearEnd) {
        std::string tail = Gbk("<b>") + kNearEnd + Gbk("：价格128元</b>");
        page.replace(bytes - tail.size() - 100, tail.size(), tail);
    }
    return page;
}

const std::string& Page(int64_t bytes) {
    static std::map<int64_t, std::string> pages;
    auto it = pages.find(bytes);
    if (it == pages.end())
        it = pages.emplace(bytes, MakePage(static_cast<size_t>(bytes), true)).first;
    return it->second;
}

struct TempLogFolder {
    TempLogFolder() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "nuvaro-bench-XXXXXX").string();
        path = mkdtemp(tmpl.data());
        nuvaro::SetExeDirForTesting(path);
    }
    ~TempLogFolder() {
        nuvaro::SetExeDirForTesting("");
        std::filesystem::remove_all(path);
    }
    std::string path;
};

void RunMatchKeyword(benchmark::State& state, const std::string& expr, int group) {
    TempLogFolder folder;
    const auto page = nuvaro::GbkText::FromBytes(Page(state.range(0)));
    const auto expression = nuvaro::GbkText::FromBytes(expr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(nuvaro::MatchKeyword(page, expression, group, "1", "w"));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void RunStdRegex(benchmark::State& state, const std::string& expr) {
    const std::string& page = Page(state.range(0));
    std::regex re(expr);
    for (auto _ : state) {
        std::smatch m;
        benchmark::DoNotOptimize(std::regex_search(page, m, re));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void RunMemmem(benchmark::State& state, const std::string& needle) {
    const std::string& page = Page(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem(page.data(), page.size(), needle.data(), needle.size()));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_MatchKeyword_Absent(benchmark::State& s) { RunMatchKeyword(s, kAbsent, 0); }
void BM_MatchKeyword_NearEnd(benchmark::State& s) { RunMatchKeyword(s, kNearEnd, 0); }
void BM_MatchKeyword_Group(benchmark::State& s) { RunMatchKeyword(s, kGroupExpr, 1); }
void BM_StdRegex_Absent(benchmark::State& s) { RunStdRegex(s, kAbsent); }
void BM_StdRegex_NearEnd(benchmark::State& s) { RunStdRegex(s, kNearEnd); }
void BM_StdRegex_Group(benchmark::State& s) { RunStdRegex(s, kGroupExpr); }
void BM_Memmem_Absent(benchmark::State& s) { RunMemmem(s, kAbsent); }
void BM_Memmem_NearEnd(benchmark::State& s) { RunMemmem(s, kNearEnd); }

}  // namespace

// Names carry the size as /100KB, /1MB, /10MB.
#define NUVARO_BENCH(fn)                                                              \
    BENCHMARK(fn)->Name(#fn "/100KB")->Arg(100 << 10)->Unit(benchmark::kMillisecond); \
    BENCHMARK(fn)->Name(#fn "/1MB")->Arg(1 << 20)->Unit(benchmark::kMillisecond);     \
    BENCHMARK(fn)->Name(#fn "/10MB")->Arg(10 << 20)->Unit(benchmark::kMillisecond)

NUVARO_BENCH(BM_MatchKeyword_Absent);
NUVARO_BENCH(BM_MatchKeyword_NearEnd);
NUVARO_BENCH(BM_MatchKeyword_Group);
NUVARO_BENCH(BM_StdRegex_Absent);
NUVARO_BENCH(BM_StdRegex_NearEnd);
NUVARO_BENCH(BM_StdRegex_Group);
NUVARO_BENCH(BM_Memmem_Absent);
NUVARO_BENCH(BM_Memmem_NearEnd);
