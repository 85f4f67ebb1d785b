#include "stay_on_top.h"

#include <QGuiApplication>
#include <QString>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace pellora {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// The EWMH way to change the state of a mapped window: a client message to
// the root window, which the window manager acts on.
void sendNetWmStateAbove(xcb_connection_t* connection, xcb_window_t window, bool above) {
    constexpr uint32_t kRemove = 0;
    constexpr uint32_t kAdd = 1;
    constexpr uint32_t kSourceApplication = 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = internAtom(connection, "_NET_WM_STATE");
    message.data.data32[0] = above ? kAdd : kRemove;
    message.data.data32[1] = internAtom(connection, "_NET_WM_STATE_ABOVE");
    message.data.data32[2] = 0;
    message.data.data32[3] = kSourceApplication;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

// An X server that answers on $DISPLAY: Xwayland, which a desktop may also
// start only when the first X client connects.
bool xDisplayAnswers() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

}  // namespace

void preferPlatformThatKeepsAbove() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    const bool waylandSession =
        qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (waylandSession && xDisplayAnswers()) qputenv("QT_QPA_PLATFORM", "xcb");
}

bool canKeepAbove() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

QString keepAboveLimit() {
    // Rich text, so the tip wraps instead of running off a small screen.
    return QString::fromUtf8("<p>这个 Wayland 桌面不让程序自己置顶，勾选不起作用。"
                             "请用窗口菜单（Alt+空格）里的“总在最前”一类选项。</p>");
}

void keepAbove(QWidget* window, bool above) {
    window = window->window();
    // The interface exists on every Linux build; only the xcb platform has a connection.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection()) {
        sendNetWmStateAbove(x11->connection(), static_cast<xcb_window_t>(window->winId()), above);
        return;
    }
    // QWindow::setFlag changes the platform window in place; QWidget's
    // setWindowFlags would destroy and re-create it.
    if (QWindow* handle = window->windowHandle()) handle->setFlag(Qt::WindowStaysOnTopHint, above);
}

}  // namespace pellora
