#include "platform/gtk/desktop_balloons.h"

#include <gio/gio.h>

#include <deque>
#include <map>

namespace nuvaro {
namespace {

constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr int kCallTimeoutMs = 10000;
constexpr size_t kMaxPending = 16;    // waiting for the bus
constexpr size_t kMaxClickable = 64;  // shown, their clicks still awaited

struct Pending {
    std::string title, text;
    std::function<void()> onClick;
};

}  // namespace

struct DesktopBalloons::State {
    std::string service;
    GCancellable* cancellable = g_cancellable_new();
    GDBusConnection* bus = nullptr;
    guint subscription = 0;
    bool connecting = false;
    bool ready = false;   // the server's capabilities are known (or it did not answer)
    bool noBus = false;   // no session bus: nothing will ever be shown
    bool markup = false;  // the server reads the body as markup
    std::deque<Pending> pending;
    std::map<guint32, std::function<void()>> clicks;  // notification id -> click

    ~State() {
        g_cancellable_cancel(cancellable);
        if (bus && subscription) g_dbus_connection_signal_unsubscribe(bus, subscription);
        if (bus) g_object_unref(bus);
        g_object_unref(cancellable);
    }
};

namespace {

using Weak = std::weak_ptr<DesktopBalloons::State>;

struct CallData {
    Weak state;
    std::function<void()> onClick;
};

void Notify(const std::shared_ptr<DesktopBalloons::State>& s, Pending p);

void OnNotified(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<CallData> call(static_cast<CallData*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (!reply) {
        g_error_free(error);  // no server: nothing was shown
        return;
    }
    guint32 id = 0;
    g_variant_get(reply, "(u)", &id);
    g_variant_unref(reply);
    auto state = call->state.lock();
    if (!state || !call->onClick) return;
    if (state->clicks.size() >= kMaxClickable) state->clicks.erase(state->clicks.begin());
    state->clicks[id] = std::move(call->onClick);
}

void OnSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* signal,
              GVariant* parameters, gpointer data) {
    auto state = static_cast<Weak*>(data)->lock();
    if (!state) return;
    guint32 id = 0;
    if (g_strcmp0(signal, "ActionInvoked") == 0) {
        const gchar* action = nullptr;
        g_variant_get(parameters, "(u&s)", &id, &action);
        auto it = state->clicks.find(id);
        if (it == state->clicks.end() || g_strcmp0(action, "default") != 0) return;
        auto onClick = std::move(it->second);
        state->clicks.erase(it);
        onClick();
    } else if (g_strcmp0(signal, "NotificationClosed") == 0) {
        guint32 reason = 0;
        g_variant_get(parameters, "(uu)", &id, &reason);
        state->clicks.erase(id);
    }
}

void Flush(const std::shared_ptr<DesktopBalloons::State>& s) {
    s->ready = true;
    auto pending = std::move(s->pending);
    s->pending.clear();
    for (auto& p : pending) Notify(s, std::move(p));
}

void OnCapabilities(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Weak> weak(static_cast<Weak*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    auto state = weak->lock();
    if (reply) {
        GVariantIter* caps = nullptr;
        const gchar* cap = nullptr;
        g_variant_get(reply, "(as)", &caps);
        while (g_variant_iter_loop(caps, "&s", &cap)) {
            if (state && g_strcmp0(cap, "body-markup") == 0) state->markup = true;
        }
        g_variant_iter_free(caps);
        g_variant_unref(reply);
    } else {
        g_error_free(error);
    }
    if (state) Flush(state);
}

void OnBus(GObject*, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Weak> weak(static_cast<Weak*>(data));
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_finish(result, &error);
    auto state = weak->lock();
    if (!bus) {
        g_error_free(error);
        if (state) {
            state->noBus = true;
            state->pending.clear();
        }
        return;
    }
    if (!state) {
        g_object_unref(bus);
        return;
    }
    state->bus = bus;
    state->subscription = g_dbus_connection_signal_subscribe(
        bus, nullptr, kInterface, nullptr, kPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, OnSignal,
        new Weak(state), [](gpointer p) { delete static_cast<Weak*>(p); });
    g_dbus_connection_call(bus, state->service.c_str(), kPath, kInterface, "GetCapabilities",
                           nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs,
                           state->cancellable, OnCapabilities, new Weak(state));
}

std::string BodyText(const DesktopBalloons::State& s, const std::string& text) {
    if (!s.markup) return text;
    gchar* escaped = g_markup_escape_text(text.c_str(), -1);
    std::string out = escaped;
    g_free(escaped);
    return out;
}

void Notify(const std::shared_ptr<DesktopBalloons::State>& s, Pending p) {
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    if (p.onClick) {
        g_variant_builder_add(&actions, "s", "default");
        g_variant_builder_add(&actions, "s", "打开");
    }
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(1));
    std::string body = BodyText(*s, p.text);
    GVariant* args = g_variant_new("(susssasa{sv}i)", "Nuvaro", 0u, "dialog-warning",
                                   p.title.c_str(), body.c_str(), &actions, &hints, -1);
    g_dbus_connection_call(s->bus, s->service.c_str(), kPath, kInterface, "Notify", args,
                           G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs,
                           s->cancellable, OnNotified, new CallData{s, std::move(p.onClick)});
}

}  // namespace

DesktopBalloons::DesktopBalloons(std::string service) : m_state(std::make_shared<State>()) {
    m_state->service = std::move(service);
}

DesktopBalloons::~DesktopBalloons() = default;

void DesktopBalloons::Show(const std::string& title, const std::string& text,
                           std::function<void()> onClick) {
    State& s = *m_state;
    if (s.noBus) return;
    Pending p{title, text, std::move(onClick)};
    if (s.ready) return Notify(m_state, std::move(p));
    if (s.pending.size() >= kMaxPending) s.pending.pop_front();
    s.pending.push_back(std::move(p));
    if (s.connecting) return;
    s.connecting = true;
    g_bus_get(G_BUS_TYPE_SESSION, s.cancellable, OnBus, new Weak(m_state));
}

}  // namespace nuvaro
