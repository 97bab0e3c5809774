// The desktop's message boxes: button texts, answers, posted boxes that hold up nothing, the
// self-closing timed message.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/timer.h>

#include <functional>
#include <string>
#include <vector>

#include "harness/gui_pump.h"
#include "platform/desktop_notices.h"

namespace nuvaro::testing {
namespace {

std::vector<GtkWindow*> OpenMessageDialogs() {
    std::vector<GtkWindow*> found;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w; w = w->next) {
        if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
            found.push_back(GTK_WINDOW(w->data));
        }
    }
    g_list_free(windows);
    return found;
}

GtkWindow* OpenMessageDialog() {
    auto open = OpenMessageDialogs();
    return open.empty() ? nullptr : open.back();
}

std::string MessageText(GtkWindow* dialog) {
    gchar* text = nullptr;
    g_object_get(dialog, "text", &text, nullptr);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

// Runs `probe` every 50 ms while a box is open.
class BoxProbe {
  public:
    explicit BoxProbe(std::function<void(GtkWindow*)> probe) : m_probe(std::move(probe)) {
        m_timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
            if (GtkWindow* dialog = OpenMessageDialog()) m_probe(dialog);
        });
        m_timer.Start(50);
    }

  private:
    std::function<void(GtkWindow*)> m_probe;
    wxTimer m_timer;
};

std::string ButtonLabel(GtkWindow* dialog, int response) {
    GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), response);
    return button ? gtk_button_get_label(GTK_BUTTON(button)) : "";
}

TEST(GtkNotices, YesNoBoxReadsInChineseAndReturnsTheAnswer) {
    DesktopNotices notices;
    std::string yes, no, title;
    BoxProbe probe([&](GtkWindow* dialog) {
        yes = ButtonLabel(dialog, GTK_RESPONSE_YES);
        no = ButtonLabel(dialog, GTK_RESPONSE_NO);
        title = gtk_window_get_title(dialog);
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_NO);
    });
    auto answer = notices.Box(Notices::Owner::None, "您真的要退出Nuvaro软件吗？", "询问",
                              Notices::Icon::Question, Notices::Buttons::YesNo);
    EXPECT_EQ(answer, Notices::Answer::No);
    EXPECT_EQ(yes, "是");
    EXPECT_EQ(no, "否");
    EXPECT_EQ(title, "询问");
}

TEST(GtkNotices, OkBoxReadsQueDing) {
    DesktopNotices notices;
    std::string ok;
    BoxProbe probe([&](GtkWindow* dialog) {
        ok = ButtonLabel(dialog, GTK_RESPONSE_OK);
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    });
    notices.ShowMessage("x");
    EXPECT_EQ(ok, "确定");
}

TEST(GtkNotices, PostedBoxesReturnAtOnceAndCloseInAnyOrder) {
    DesktopNotices notices;
    std::vector<std::string> closed;
    notices.PostErrorBox(Notices::Owner::None, "第一\r第二行", [&] { closed.push_back("a"); });
    notices.PostMessage("b", [&] { closed.push_back("b"); });
    ASSERT_TRUE(PumpUntil([] { return OpenMessageDialogs().size() == 2; }));
    GtkWindow* first = nullptr;
    for (GtkWindow* dialog : OpenMessageDialogs()) {
        if (MessageText(dialog) == "第一\n第二行") first = dialog;  // a lone CR breaks the line
    }
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::string(gtk_window_get_title(first)), "错误");
    EXPECT_EQ(ButtonLabel(first, GTK_RESPONSE_OK), "确定");
    gtk_dialog_response(GTK_DIALOG(first), GTK_RESPONSE_OK);  // the older one first
    EXPECT_EQ(closed, std::vector<std::string>{"a"});
    gtk_dialog_response(GTK_DIALOG(OpenMessageDialog()), GTK_RESPONSE_OK);
    EXPECT_EQ(closed, (std::vector<std::string>{"a", "b"}));
    Pump(50);
    EXPECT_TRUE(OpenMessageDialogs().empty());
}

TEST(GtkNotices, TimedMessageCountsDownInItsTitleAndClosesItself) {
    DesktopNotices notices;
    std::vector<std::string> titles;
    BoxProbe probe([&](GtkWindow* dialog) {
        std::string title = gtk_window_get_title(dialog);
        if (titles.empty() || titles.back() != title) titles.push_back(title);
    });
    bool closed = false;
    notices.PostTimedMessage("matched", 3, [&] { closed = true; });
    EXPECT_FALSE(closed);  // returns at once
    ASSERT_TRUE(PumpUntil([&] { return closed; }, 10000));
    ASSERT_FALSE(titles.empty());
    EXPECT_EQ(titles.front(), "(3)  Nuvaro");
    EXPECT_EQ(titles.back(), "(1)  Nuvaro");
    EXPECT_EQ(OpenMessageDialog(), nullptr);
}

}  // namespace
}  // namespace nuvaro::testing
