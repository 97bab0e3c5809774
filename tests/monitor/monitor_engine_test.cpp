// The monitoring cycle's rules, with a fake browser and a fake clock: fast, no display.
#include <stdexcept>

#include "monitor/engine_fixture.h"

namespace nuvaro::testing {
namespace {

// --- Start and stop --------------------------------------------------------------------------

TEST_F(EngineTest, StartRefusesAMissingConditionAndTheDefaultPageABadTime) {
    FakeWindow& w = Open(0, "");
    engine->StartStop(0);
    EXPECT_EQ(LastText(), "您没有设定监控条件！");
    (*configs)[1].Regx = "x";
    for (const char* bad : {"abc", "0", "-5", "35792", ""}) {
        w.texts.refresh = bad;
        engine->StartStop(0);
        EXPECT_EQ(LastText(), "时间设置格式不对！") << bad;
        EXPECT_EQ(notices.shown.back().caption, "错误");
        EXPECT_TRUE(notices.shown.back().owned);
        EXPECT_FALSE(engine->IsMonitoring(0));
    }
    EXPECT_EQ(w.caption, "开始监控");
}

TEST_F(EngineTest, StartAndStopShowTheSavedSlotAndTheCaptionFollows) {
    FakeWindow& w = Open(0, "价格", "", "05");
    (*configs)[1].WindowName = "首页";
    (*configs)[1].url = "http://saved";
    engine->StartStop(0);
    EXPECT_EQ(w.caption, "停止监控");
    EXPECT_EQ(engine->Interval(0), 300000ms);
    EXPECT_EQ(LastText(), "首页:http://saved开始自动监控\r监控关键字为:[价格] 刷新时间:05 分钟");
    engine->StartStop(0);
    EXPECT_FALSE(engine->IsMonitoring(0));
    EXPECT_EQ(w.caption, "开始监控");
    EXPECT_EQ(LastText(), "首页:http://saved自动监控已停止！");
}

TEST_F(EngineTest, AnAddedWindowConvertsItsTimeOnStartAndOnStopAlike) {
    FakeWindow& w = Open(1, "x", "", "0");
    EXPECT_THROW(engine->StartStop(1), std::runtime_error);
    EXPECT_FALSE(engine->IsMonitoring(1));
    w.texts.refresh = " 05";
    engine->StartStop(1);
    EXPECT_EQ(engine->Interval(1), 300000ms);
    EXPECT_EQ(LastText(),
              "窗口1:http://shop.test/item开始自动监控\r监控关键字为:[x] 刷新时间:5 分钟");
    w.texts.refresh = "abc";
    try {
        engine->StartStop(1);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("'abc'"), std::string::npos);
    }
    EXPECT_TRUE(engine->IsMonitoring(1));  // refused: it keeps running
}

TEST_F(EngineTest, TheTimerTicksOneIntervalAfterTheStartAndKeepsItsBeat) {
    FakeWindow& w = Monitor(1, "有货", "有货");
    clock.Advance(59s);
    EXPECT_EQ(w.page.refreshes, 0);
    clock.Advance(2s);
    EXPECT_EQ(w.page.refreshes, 1);
    clock.Advance(60s * 3);
    EXPECT_EQ(w.page.refreshes, 4);
    engine->StartStop(1);
    clock.Advance(60s * 3);
    EXPECT_EQ(w.page.refreshes, 4);  // stopped
}

// --- Verdicts --------------------------------------------------------------------------------

TEST_F(EngineTest, ChangeRepeatNothingAndAReturnThatIsStillARepeat) {
    FakeWindow& w = Monitor(2, "价格(\\d+)", "<b>价格128</b>");
    (*configs)[3].RegGrp = "1";
    Tick(2);
    w.page.body = G("<b>价格128</b> 其它");
    Tick(2);
    w.page.body = G("<b>缺货</b>");
    Tick(2);
    w.page.body = G("<b>价格128</b>");
    Tick(2);
    w.page.body = G("<b>价格99</b>");
    Tick(2);
    EXPECT_EQ(InformLines(), (Lines{"[3][128]监控点信息发生变化，发出提醒[窗口2]",
                                    "[3][128]发现重复提醒信息，跳过[窗口2]",
                                    "[0][]在刚才的网页刷新中没有发现要监控的变化[窗口2]",
                                    "[3][128]发现重复提醒信息，跳过[窗口2]",
                                    "[3][99]监控点信息发生变化，发出提醒[窗口2]"}));
    EXPECT_EQ(dispatched, (Lines{"3:128", "3:99"}));
    EXPECT_EQ(previousTexts, (Lines{"", "128"}));  // old -> new
    EXPECT_EQ(engine->Status(2).previousFound.bytes(), "128");
    EXPECT_EQ((*configs)[3].LastMatch.bytes(), "99");
    EXPECT_TRUE(notices.shown.empty());  // ticks show nothing
    EXPECT_EQ(engine->Status(2).last, WindowStatus::Last::Change);
}

TEST_F(EngineTest, ZeroIsNothingOnTheDefaultPageAndAFindOnAddedWindows) {
    Monitor(0, "\\d", "count: 0");
    Monitor(1, "\\d", "count: 0");
    Tick(0);
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[0][]在刚才的网页刷新中没有发现要监控的变化[窗口0]",
                                    "[2][0]监控点信息发生变化，发出提醒[窗口1]"}));
}

TEST_F(EngineTest, AManualTestAlwaysNotifiesAndLeavesTheMatchForTheNextTick) {
    FakeWindow& w = Open(1, "到货", "到货");
    Test(1);  // stopped windows test too
    ASSERT_EQ(notices.shown.size(), 1u);
    EXPECT_EQ(notices.shown[0].text,
              "您设定的监控条件在当前页面匹配成功,系统将依据您选择的通知方式，发出提醒消息。");
    EXPECT_EQ(notices.shown[0].seconds, 5);
    Test(1);  // the same text again: notified again
    engine->StartStop(1);
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][到货]监控点信息发生变化，发出提醒[窗口1]",
                                    "[2][到货]监控点信息发生变化，发出提醒[窗口1]",
                                    "[2][到货]发现重复提醒信息，跳过[窗口1]"}));
    EXPECT_EQ(dispatched.size(), 2u);
    // A test forgets the last notice to notify again, but still tells it as the previous one.
    EXPECT_EQ(previousTexts, (Lines{"", "到货"}));

    w.page.body = G("缺货");
    Test(1);
    EXPECT_EQ(LastText(), "您设定的关键字或正则表达式在网页中中匹配不成功");
    EXPECT_EQ(InformLines().size(), 3u);  // a test that finds nothing logs nothing
    EXPECT_EQ((*configs)[2].LastMatch.bytes(), "");
}

TEST_F(EngineTest, TheDefaultPageTestWaitsThreeSecondsAndHasItsOwnTexts) {
    FakeWindow& w = Open(0, "到货", "到货");
    w.page.location.clear();
    Test(0);
    EXPECT_EQ(LastText(), "请先打开网页，然后再监控测试");
    EXPECT_EQ(w.page.refreshes, 0);
    w.page.location = "http://shop.test/item";
    engine->Run(0, TickKind::Test);
    clock.Advance(2900ms);
    EXPECT_EQ(w.page.reads, 0);
    clock.Advance(200ms);
    EXPECT_EQ(w.page.reads, 1);
    clock.Advance(1s);
    EXPECT_EQ(LastText(),
              "您设定的监控条件在当前页面匹配成功，系统将依据您选择的通知方式，发出提醒消息.");
    w.page.body = G("无");
    Test(0);
    EXPECT_EQ(LastText(), "您设定的关键字或正则表达式在网页中匹配不成功");
}

TEST_F(EngineTest, ATestChangeIsDispatchedOnlyOnceItsTimedMessageHasClosed) {
    Open(1, "到货", "到货");
    notices.holdPosted = true;
    Test(1);
    EXPECT_TRUE(dispatched.empty());
    EXPECT_TRUE(engine->TickInProgress(1));
    notices.CloseHeld();
    EXPECT_EQ(dispatched, Lines{"2:到货"});
    EXPECT_FALSE(engine->TickInProgress(1));
}

// --- Reloading -------------------------------------------------------------------------------

TEST_F(EngineTest, TheDefaultPageGoesBackToItsAddressAddedWindowsRefreshWhereTheyAre) {
    FakeWindow& home = Monitor(0, "x", "x");
    FakeWindow& added = Monitor(1, "x", "x");
    home.page.location = added.page.location = "http://away.test/";
    Tick(0);
    Tick(1);
    EXPECT_EQ(home.page.navigations, 1);
    EXPECT_EQ(home.page.location, "http://shop.test/item");
    EXPECT_EQ(added.page.refreshes, 1);
    EXPECT_EQ(added.page.location, "http://away.test/");
    Tick(0);  // back at its address: refreshed
    EXPECT_EQ(home.page.refreshes, 1);
}

TEST_F(EngineTest, TheDefaultPageWithAnEmptyBoxTellsAndStillReadsItsDocument) {
    FakeWindow& w = Monitor(0, "here", "still here");
    w.texts.url = w.texts.urlUtf8 = "";
    Tick(0);
    EXPECT_EQ(notices.shown.at(0).text, "网址为空或系统繁忙");
    EXPECT_EQ(InformLines(), Lines{"[0][here]监控点信息发生变化，发出提醒[窗口0]"});
}

TEST_F(EngineTest, ABrowserThatNeverOpenedAPageIsAnErrorAfterThePauseNotAfterTheLoadTimeOut) {
    FakeWindow& w = Monitor(0, "x", "x");
    w.page.location.clear();
    w.texts.url = w.texts.urlUtf8 = "";
    engine->Run(0, TickKind::Timer);
    clock.Advance(1100ms);
    EXPECT_FALSE(engine->TickInProgress(0));
    EXPECT_EQ(LastText(), "浏览器中还没有打开网页");
    EXPECT_EQ(ErrorLines(), Lines{"[1][窗口0]浏览器中还没有打开网页"});
    EXPECT_EQ(InformLines(), Lines{});
}

TEST_F(EngineTest, AnAddedWindowWithoutItsPageAsksForItAndLogsTheFailure) {
    FakeWindow& w = Monitor(1, "x");
    w.page.location.clear();
    Tick(1);
    EXPECT_EQ(LastText(), "请先打开网页N，然后再监控测试");
    EXPECT_EQ(notices.shown.back().caption, "Nuvaro - 窗口1");
    EXPECT_EQ(ErrorLines(), Lines{"[2][窗口1]请先打开网页N，然后再监控测试"});
    EXPECT_EQ(InformLines(), Lines{});
}

TEST_F(EngineTest, APageStillLoadingAtTheTimeOutIsReadAsItStands) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    w.page.neverFinish = true;
    engine->SetTimeouts({.load = 5s, .read = 5s});
    engine->Run(1, TickKind::Timer);
    clock.Advance(4900ms);
    EXPECT_EQ(w.page.reads, 0);
    clock.Advance(200ms);
    EXPECT_EQ(w.page.reads, 1);
    clock.Advance(1s);
    EXPECT_EQ(InformLines(), Lines{"[2][到货]监控点信息发生变化，发出提醒[窗口1]"});
}

// --- Reading the page as it stands on screen ------------------------------------------------

TEST_F(EngineTest, APriceThePageFetchesAfterItsLoadIsReadOnceItHasCome) {
    FakeWindow& w = Monitor(1, "价格(\\d+)", "价格加载中");
    (*configs)[2].RegGrp = "1";
    engine->Run(1, TickKind::Timer);
    clock.Advance(200ms);
    w.page.AnswerAfterLoad(3s, G("价格4999"));  // the answer takes three seconds
    for (int i = 0; i < 200 && engine->TickInProgress(1); ++i) clock.Advance(100ms);
    EXPECT_EQ(InformLines(), Lines{"[2][4999]监控点信息发生变化，发出提醒[窗口1]"});
}

TEST_F(EngineTest, APageThatNeverSettlesIsReadAtTheBoundAndTheTickEnds) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    w.page.changesForever = true;
    engine->Run(1, TickKind::Timer);
    clock.Advance(15s);
    EXPECT_EQ(w.page.reads, 0);  // load (0.3 s) + pause + 15 s of unrest are not over yet
    clock.Advance(2s);
    EXPECT_EQ(w.page.reads, 1);
    clock.Advance(1s);
    EXPECT_FALSE(engine->TickInProgress(1));
    EXPECT_EQ(InformLines().size(), 1u);
}

// --- A page's web process ending ---------------------------------------------------------------

TEST_F(EngineTest, AnEndedWebProcessIsToldOnceByTheNextTickWhichStillReachesItsVerdict) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    w.page.crash = "网页进程意外终止，网页已重新打开";
    Tick(1);
    EXPECT_EQ(ErrorLines(), Lines{"[2][窗口1]网页进程意外终止，网页已重新打开"});
    EXPECT_EQ(notices.shown.at(0).text, "网页进程意外终止，网页已重新打开");
    Tick(1);
    EXPECT_EQ(InformLines(), (Lines{"[2][到货]监控点信息发生变化，发出提醒[窗口1]",
                                    "[2][到货]发现重复提醒信息，跳过[窗口1]"}));
    EXPECT_EQ(ErrorLines().size(), 1u);
}

// The source viewer reads without reloading; what it reads does not take the tick's news.
TEST_F(EngineTest, ACrashIsKeptForTheTickWhoeverReadThePageFirst) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    w.page.crash = "网页进程意外终止，网页已重新打开";
    bool read = false;
    PageReader viewer(w.page, clock, engine->Timeouts());
    viewer.Start(PageReader::Reload::None, {}, 0ms, [&](const PageReader::Result& r) {
        read = r.status == PageReader::Result::Status::Read;
    });
    clock.Advance(100ms);
    ASSERT_TRUE(read);
    Tick(1);
    EXPECT_EQ(ErrorLines(), Lines{"[2][窗口1]网页进程意外终止，网页已重新打开"});
}

TEST_F(EngineTest, APageOpenedAgainUnderTheReadIsReadOnceItHasLoadedAgain) {
    FakeWindow& w = Monitor(1, "价格(\\d+)", "");
    (*configs)[2].RegGrp = "1";
    w.page.reopenOnRead = true;
    w.page.bodyAfterReopen = G("价格4999");
    Tick(1);
    EXPECT_EQ(InformLines(), Lines{"[2][4999]监控点信息发生变化，发出提醒[窗口1]"});
    EXPECT_EQ(ErrorLines(), Lines{});
    EXPECT_EQ(w.page.reads, 2);
}

// How a scripted load ends.
LoadOutcome Ended(bool failed, const std::string& error = {}) {
    LoadOutcome o;
    o.failed = failed;
    o.error = error;
    return o;
}

struct RunawayCase {
    const char* name;
    std::function<void(FakePage&)> arrange;
};

class RunawayPages : public EngineTest, public ::testing::WithParamInterface<RunawayCase> {};

TEST_P(RunawayPages, EndTheTickWithTheirOwnError) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    GetParam().arrange(w.page);
    Tick(1);
    EXPECT_EQ(ErrorLines(),
              Lines{"[2][窗口1]网页脚本无响应：网页中有脚本一直在运行，已结束它的网页进程"});
    EXPECT_EQ(InformLines(), Lines{});
}

INSTANTIATE_TEST_SUITE_P(Cases, RunawayPages,
                         ::testing::Values(RunawayCase{"DuringTheReload",
                                                       [](FakePage& p) {
                                                           LoadOutcome ranAway = Ended(true);
                                                           ranAway.ranAway = true;
                                                           p.scripted.push_back({ranAway});
                                                       }},
                                           RunawayCase{"DuringTheRead",
                                                       [](FakePage& p) { p.readRanAway = true; }}),
                         [](const auto& info) { return std::string(info.param.name); });

// The load asked for may be cut short by a newer one (which then tells), and a failed load may
// be followed by the engine's error page (which does not hide the failure).
TEST_F(EngineTest, TheFirstLoadNotCutShortTellsHowTheReloadCameOut) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    LoadOutcome cutShort = Ended(false);
    cutShort.superseded = true;
    w.page.scripted.push_back({cutShort, true});
    Tick(1);
    EXPECT_EQ(InformLines(), Lines{"[2][到货]监控点信息发生变化，发出提醒[窗口1]"});
    w.page.scripted.push_back({Ended(true, "Could not connect"), true});
    Tick(1);
    EXPECT_EQ(ErrorLines(), Lines{"[2][窗口1]网页加载失败：无法打开网页（Could not connect）"});
}

TEST_F(EngineTest, AReadThatTimesOutFreesTheStuckProcess) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    w.page.neverAnswer = true;
    Tick(1);
    EXPECT_EQ(w.page.unsticks, 1);
}

// --- Errors ----------------------------------------------------------------------------------

struct ErrorCase {
    const char* name;
    std::function<void(FakeWindow&, std::string& dispatchError)> arrange;
    const char* message;
};

class EngineErrors : public EngineTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(EngineErrors, EndTheTickInTheErrorBoxAndTheLogWhileTheTimerGoesOn) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    GetParam().arrange(w, dispatchError);
    Tick(1);
    ASSERT_EQ(notices.shown.size(), 1u);
    EXPECT_EQ(notices.shown[0].caption, "Nuvaro - 窗口1");  // whose box it is
    EXPECT_EQ(notices.shown[0].icon, Notices::Icon::Error);
    EXPECT_TRUE(notices.shown[0].owned);
    EXPECT_EQ(notices.shown[0].text, GetParam().message);
    EXPECT_EQ(ErrorLines(), Lines{std::string("[2][窗口1]") + GetParam().message});
    EXPECT_EQ(InformLines(), Lines{});
    EXPECT_EQ((*configs)[2].LastMatch.bytes(), "");
    EXPECT_EQ(engine->Status(1).failuresInRow, 1);
    EXPECT_FALSE(engine->TickInProgress(1));
    clock.Advance(60s);
    EXPECT_EQ(w.page.refreshes, 2);  // the timer goes on
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineErrors,
    ::testing::Values(
        ErrorCase{"LoadFailed",
                  [](FakeWindow& w, std::string&) {
                      w.page.loadError = "Could not connect: Connection refused";
                  },
                  "网页加载失败：服务器拒绝了连接请求（Could not connect: Connection refused）"},
        ErrorCase{"HttpStatus", [](FakeWindow& w, std::string&) { w.page.loadError = "HTTP 500"; },
                  "网页加载失败：服务器内部错误（HTTP 500 Internal Server Error）"},
        ErrorCase{
            "NoAnswer",
            [](FakeWindow& w, std::string&) { w.page.neverFinish = w.page.serverSilent = true; },
            "网页加载失败：连接超时，服务器 30 秒内没有响应"},
        ErrorCase{"ReadTimedOut", [](FakeWindow& w, std::string&) { w.page.neverAnswer = true; },
                  "读取网页内容超时：网页没有响应（可能有脚本一直在运行）"},
        ErrorCase{"NoBody", [](FakeWindow& w, std::string&) { w.page.hasBody = false; },
                  "当前网页没有正文（body），无法读取网页内容"},
        ErrorCase{"ReadFailed",
                  [](FakeWindow& w, std::string&) { w.page.readError = "script failed"; },
                  "script failed"},
        ErrorCase{"DispatchFailed",
                  [](FakeWindow&, std::string& error) { error = "无法加载插件：/x/smsdll.so"; },
                  "无法加载插件：/x/smsdll.so"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, AnExpressionThatDoesNotCompileIsReportedWithTheEnginesText) {
    Monitor(1, "+86", "+86");
    Tick(1);
    EXPECT_NE(LastText().find("quantifier"), std::string::npos) << LastText();
    EXPECT_EQ(ErrorLines().size(), 1u);
    EXPECT_FALSE(dir.Exists("Log/log.txt"));
}

TEST_F(EngineTest, AFailedDispatchLeavesTheChangeForTheNextTick) {
    Monitor(1, "到货", "到货");
    dispatchError = "无法加载插件：smsdll.so";
    Tick(1);
    dispatchError.clear();
    Tick(1);
    EXPECT_EQ(dispatched, Lines{"2:到货"});
    EXPECT_EQ(InformLines(), Lines{"[2][到货]监控点信息发生变化，发出提醒[窗口1]"});
}

// --- Unattended --------------------------------------------------------------------------------

TEST_F(EngineTest, OneErrorBoxPerWindowWhileItIsOpenAndTicksGoOnMeanwhile) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    w.page.loadError = "HTTP 500";
    notices.holdPosted = true;
    for (int i = 0; i < 3; ++i) Tick(1);
    EXPECT_EQ(notices.HeldCount(), 1u);  // later errors go to the log only
    EXPECT_EQ(ErrorLines().size(), 3u);
    EXPECT_EQ(w.page.refreshes, 3);  // no tick skipped while the box is open
    EXPECT_EQ(engine->Status(1).failuresInRow, 3);

    w.page.loadError.clear();
    Tick(1);  // works again with the box still open
    EXPECT_EQ(InformLines(), Lines{"[2][到货]监控点信息发生变化，发出提醒[窗口1]"});
    EXPECT_EQ(engine->Status(1).failuresInRow, 0);

    notices.CloseHeld();
    w.page.loadError = "HTTP 500";
    Tick(1);
    EXPECT_EQ(notices.HeldCount(), 1u);  // closed: the next error shows again
}

TEST_F(EngineTest, BoxesLeftOpenByOtherWindowsHoldUpNoTick) {
    Open(2, "无此词", "到货");
    FakeWindow& a = Monitor(1, "到货", "到货");
    notices.holdPosted = true;
    Test(2);  // its no-match box stays open
    a.page.body = G("到货了");
    Tick(1);
    ASSERT_EQ(notices.HeldCount(), 1u);
    EXPECT_EQ(dispatched, Lines{"2:到货"});
    EXPECT_EQ(InformLines().size(), 1u);
}

TEST_F(EngineTest, ATickIsSkippedOnlyWhileTheSameWindowWorks) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    engine->Run(1, TickKind::Timer);
    engine->Run(1, TickKind::Timer);  // still working: skipped
    clock.Advance(40s);
    EXPECT_EQ(w.page.refreshes, 1);
    EXPECT_EQ(InformLines().size(), 1u);
}

TEST_F(EngineTest, AManualTestDuringATickRunsOnceTheTickHasEnded) {
    FakeWindow& w = Monitor(1, "到货", "到货");
    engine->Run(1, TickKind::Timer);
    clock.Advance(500ms);
    engine->Run(1, TickKind::Test);
    clock.Advance(40s);
    EXPECT_EQ(w.page.refreshes, 2);
    EXPECT_EQ(InformLines(), (Lines{"[2][到货]监控点信息发生变化，发出提醒[窗口1]",
                                    "[2][到货]监控点信息发生变化，发出提醒[窗口1]"}));
}

TEST_F(EngineTest, AWindowClosedOrStoppedMidTickEndsItQuietly) {
    FakeWindow& closing = Monitor(1, "到货", "到货");
    FakeWindow& stopping = Monitor(2, "到货", "到货");
    closing.page.loadError = "HTTP 500";
    engine->Run(1, TickKind::Timer);
    engine->Run(2, TickKind::Timer);
    clock.Advance(500ms);
    engine->Detach(1);
    engine->StartStop(2);
    notices.shown.clear();
    clock.Advance(40s);
    EXPECT_EQ(InformLines(), Lines{});
    EXPECT_EQ(ErrorLines(), Lines{});
    EXPECT_TRUE(notices.shown.empty());
    engine->Run(1, TickKind::Timer);  // a closed window does nothing
    EXPECT_EQ(stopping.page.reads, 1);
}

TEST_F(EngineTest, LoadsOfOneSiteTakeTurnsAndEveryTickEnds) {
    engine->SetSiteSettings({2, 2s});
    for (int n = 1; n <= 10; ++n) Monitor(n, "到货", "到货").page.loadTime = 3s;
    FakeWindow& elsewhere = Monitor(11, "到货", "到货");
    elsewhere.page.location = "https://other.test/";
    for (int n = 1; n <= 11; ++n) engine->Run(n, TickKind::Timer);
    EXPECT_EQ(elsewhere.page.refreshes, 1);  // another site waits for nobody
    int most = 0;
    for (int step = 0; step < 400; ++step) {
        int loading = 0;
        for (int n = 1; n <= 10; ++n) loading += windows[n]->page.IsLoading() ? 1 : 0;
        most = std::max(most, loading);
        if (step == 10) {  // 1 s: only the first has started
            for (int n = 2; n <= 10; ++n) EXPECT_EQ(windows[n]->page.refreshes, 0) << n;
        }
        clock.Advance(100ms);
    }
    EXPECT_EQ(most, 2);
    EXPECT_EQ(InformLines().size(), 11u);
    for (int n = 1; n <= 11; ++n) EXPECT_FALSE(engine->TickInProgress(n));
}

// The site answers 429 with Retry-After: the window's run ends as a wait (neither good nor
// failed, in the log with its time), and the next window of that site waits until then.
TEST_F(EngineTest, ASiteThatAsksToWaitHoldsItsWindowsUntilThen) {
    FakeWindow& first = Monitor(1, "到货", "到货");
    FakeWindow& second = Monitor(2, "到货", "到货");
    LoadOutcome busy;
    busy.failed = true;
    busy.error = "HTTP 429";
    busy.httpStatus = 429;
    busy.retryAfter = "120";
    first.page.scripted.push_back({busy});
    Tick(1);
    WindowStatus status = engine->Status(1);
    EXPECT_EQ(status.last, WindowStatus::Last::Waiting);
    EXPECT_EQ(status.failuresInRow, 0);
    ASSERT_TRUE(status.waitUntil);
    EXPECT_EQ(ErrorLines(), Lines{});
    ASSERT_EQ(InformLines().size(), 1u);
    EXPECT_NE(InformLines()[0].find("[2][shop.test:80]网站要求等待，至 "), std::string::npos);
    EXPECT_NE(InformLines()[0].find("[窗口1]"), std::string::npos);

    Test(1);  // the user at the desk is told at once, nothing is loaded
    EXPECT_EQ(first.page.refreshes, 1);
    EXPECT_NE(LastText().find("网站要求等待，至 "), std::string::npos);

    engine->Run(2, TickKind::Timer);
    clock.Advance(50s);
    EXPECT_EQ(second.page.refreshes, 0);
    EXPECT_TRUE(engine->TickInProgress(2));
    EXPECT_TRUE(engine->Status(2).waitUntil);
    EXPECT_EQ(InformLines().size(), 2u);  // window 2 waits: said once

    clock.Advance(70s);
    for (int i = 0; i < 40 && engine->TickInProgress(2); ++i) clock.Advance(100ms);
    EXPECT_EQ(second.page.refreshes, 1);
    EXPECT_EQ(engine->Status(2).last, WindowStatus::Last::Change);
    EXPECT_FALSE(engine->Status(2).waitUntil);
}

TEST_F(EngineTest, AStoppedWindowWaitingForItsSiteEndsItsTickQuietly) {
    engine->SetSiteSettings({1, 2s});
    FakeWindow& first = Monitor(1, "到货", "到货");
    first.page.loadTime = 5s;
    FakeWindow& second = Monitor(2, "到货", "到货");
    engine->Run(1, TickKind::Timer);
    engine->Run(2, TickKind::Timer);
    EXPECT_TRUE(engine->TickInProgress(2));
    engine->StartStop(2);
    EXPECT_FALSE(engine->TickInProgress(2));
    clock.Advance(20s);
    EXPECT_EQ(second.page.refreshes, 0);
    EXPECT_EQ(InformLines().size(), 1u);
}

// Windows started together tick apart, each at its own offset, and keep their beat.
TEST_F(EngineTest, WindowsStartedTogetherTickSpreadOverTheSpread) {
    engine->SetTickSpread(8s);
    for (int n = 1; n <= 5; ++n) Monitor(n, "到货", "到货");
    clock.Advance(60s);
    int ticked = 0;
    for (int n = 1; n <= 5; ++n) ticked += windows[n]->page.refreshes;
    EXPECT_LT(ticked, 5);
    clock.Advance(8s);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(windows[n]->page.refreshes, 1) << n;
    clock.Advance(60s);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(windows[n]->page.refreshes, 2) << n;
}

}  // namespace
}  // namespace nuvaro::testing
