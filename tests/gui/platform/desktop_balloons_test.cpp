// Desktop notifications over the session bus, against a notification server of the test's own
// (a bus name of its own, so tests running side by side never meet).
#include "platform/gtk/desktop_balloons.h"

#include <gio/gio.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "harness/gui_pump.h"

namespace nuvaro::testing {
namespace {

constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kIntrospection = R"(<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
      <arg type="u" direction="out"/>
    </method>
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
  </interface>
</node>)";

std::string BusName(const char* what) {
    return std::string("org.nuvaro.Test") + what + "P" + std::to_string(getpid());
}

// A notification server on a connection of its own: records what it is asked to show and can
// report a click on it.
class FakeNotificationServer {
  public:
    struct Notification {
        std::string app, title, body;
        std::vector<std::string> actions;
    };

    explicit FakeNotificationServer(const std::string& name) {
        gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        auto flags =
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        m_bus = g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, nullptr);
        g_free(address);
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
        static const GDBusInterfaceVTable vtable{
            &FakeNotificationServer::OnCall, nullptr, nullptr, {}};
        m_object = g_dbus_connection_register_object(m_bus, kPath, node->interfaces[0], &vtable,
                                                     this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        GVariant* reply = g_dbus_connection_call_sync(
            m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "RequestName", g_variant_new("(su)", name.c_str(), 4u), nullptr, G_DBUS_CALL_FLAGS_NONE,
            -1, nullptr, nullptr);
        if (reply) g_variant_unref(reply);
    }
    ~FakeNotificationServer() {
        g_dbus_connection_unregister_object(m_bus, m_object);
        g_dbus_connection_close_sync(m_bus, nullptr, nullptr);
        g_object_unref(m_bus);
    }

    void Click(guint32 id, const char* action = "default") {
        g_dbus_connection_emit_signal(m_bus, nullptr, kPath, kInterface, "ActionInvoked",
                                      g_variant_new("(us)", id, action), nullptr);
        g_dbus_connection_flush_sync(m_bus, nullptr, nullptr);
    }

    std::vector<Notification> shown;

  private:
    static void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                       const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                       gpointer data) {
        auto* self = static_cast<FakeNotificationServer*>(data);
        if (g_strcmp0(method, "GetCapabilities") == 0) {
            const gchar* caps[] = {"body", "body-markup", "actions", nullptr};
            g_dbus_method_invocation_return_value(invocation, g_variant_new("(^as)", caps));
            return;
        }
        const gchar *app, *icon, *title, *body;
        guint32 replaces;
        GVariantIter* actions;
        GVariant* hints;
        gint32 timeout;
        g_variant_get(parameters, "(&su&s&s&sas@a{sv}i)", &app, &replaces, &icon, &title, &body,
                      &actions, &hints, &timeout);
        Notification n{app, title, body, {}};
        const gchar* action;
        while (g_variant_iter_loop(actions, "&s", &action)) n.actions.push_back(action);
        g_variant_iter_free(actions);
        g_variant_unref(hints);
        self->shown.push_back(n);
        g_dbus_method_invocation_return_value(
            invocation, g_variant_new("(u)", static_cast<guint32>(self->shown.size())));
    }

    GDBusConnection* m_bus = nullptr;
    guint m_object = 0;
};

class DesktopBalloonsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) GTEST_SKIP() << "no session bus";
    }
};

TEST_F(DesktopBalloonsTest, ShowsTheTextAndAClickRunsItsCallbackOnce) {
    const std::string name = BusName("Server");
    FakeNotificationServer server(name);
    DesktopBalloons balloons(name);
    int clicked = 0;
    balloons.Show("通知发送失败", "窗口：<b>&\n原因：x", [&] { ++clicked; });
    balloons.Show("second", "without a click", nullptr);
    ASSERT_TRUE(PumpUntil([&] { return server.shown.size() == 2; }, 10000));
    EXPECT_EQ(server.shown[0].app, "Nuvaro");
    EXPECT_EQ(server.shown[0].title, "通知发送失败");
    EXPECT_EQ(server.shown[0].body, "窗口：&lt;b&gt;&amp;\n原因：x");  // the server reads markup
    EXPECT_EQ(server.shown[0].actions, (std::vector<std::string>{"default", "打开"}));
    EXPECT_TRUE(server.shown[1].actions.empty());
    Pump(200);  // the reply with the notification's id arrives

    server.Click(1, "other");
    server.Click(2);
    Pump(200);
    EXPECT_EQ(clicked, 0);
    server.Click(1);
    ASSERT_TRUE(PumpUntil([&] { return clicked == 1; }, 10000));
    server.Click(1);
    Pump(200);
    EXPECT_EQ(clicked, 1);
}

// Under Xvfb there is usually no notification server at all: nothing shows, nothing breaks.
TEST_F(DesktopBalloonsTest, WithoutAServerNothingIsShownAndNothingBreaks) {
    int clicked = 0;
    {
        DesktopBalloons balloons(BusName("Nobody"));
        for (int i = 0; i < 20; ++i) balloons.Show("t", "x", [&] { ++clicked; });
        Pump(300);
        balloons.Show("later", "y", nullptr);
    }
    Pump(300);  // the calls still in flight end after their owner
    EXPECT_EQ(clicked, 0);
}

}  // namespace
}  // namespace nuvaro::testing
