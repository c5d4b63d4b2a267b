#include "x11_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "GlProc.h"
#include "x11_image.h"

namespace {

constexpr int ownWidth = 1280;
constexpr int ownHeight = 720;
constexpr long watchedEvents = StructureNotifyMask | VisibilityChangeMask;

int xErrors;

int noteXError(Display*, XErrorEvent*) {
    ++xErrors;
    return 0;
}

std::string windowName(unsigned long id) {
    char name[32];
    std::snprintf(name, sizeof name, "0x%lx", id);
    return name;
}

// --root: the daemon names its window in the environment; without one, the root window.
bool rootTarget(Display* display, Window& window, std::string& origin, std::string& error) {
    const char* named = std::getenv("XSCREENSAVER_WINDOW");
    if (!named || !*named) {
        window = DefaultRootWindow(display);
        origin = "the root window";
        return true;
    }
    unsigned long id = 0;
    if (!parseXId(named, id)) {
        error = std::string("XSCREENSAVER_WINDOW is not a window id: \"") + named + "\"";
        return false;
    }
    window = id;
    origin = "XSCREENSAVER_WINDOW " + windowName(id);
    return true;
}

XVisualInfo* visualOfWindow(Display* display, const XWindowAttributes& attributes) {
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    return XGetVisualInfo(display, VisualIDMask, &wanted, &count);
}

XVisualInfo* visualById(Display* display, VisualID id) {
    XVisualInfo wanted{};
    wanted.visualid = id;
    wanted.screen = DefaultScreen(display);
    int count = 0;
    return XGetVisualInfo(display, VisualIDMask | VisualScreenMask, &wanted, &count);
}

XVisualInfo* bestGlVisual(Display* display) {
    for (int depthBits : {24, 16}) {
        int wanted[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                        8,        GLX_DEPTH_SIZE,   depthBits,    None};
        if (XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), wanted))
            return visual;
    }
    return nullptr;
}

// The raster path's own window: the screen's visual, or the one named, if the scene's
// pixels go to it as they are. No OpenGL is asked, so none is loaded.
XVisualInfo* rasterVisual(Display* display, const HostOptions& options, std::string& error) {
    const VisualID id = options.visual == HostVisual::Id
                            ? options.visualId
                            : XVisualIDFromVisual(DefaultVisual(display, DefaultScreen(display)));
    XVisualInfo* visual = visualById(display, id);
    if (!visual || !x11ImageFitsVisual(visual->visual, visual->depth)) {
        error = "visual " + windowName(id) + (visual ? " is not 24-bit true colour" : " is not on this screen");
        if (visual)
            XFree(visual);
        return nullptr;
    }
    return visual;
}

// -visual as XScreenSaver's hacks take it; the visual must do OpenGL.
XVisualInfo* visualForOwnWindow(Display* display, const HostOptions& options, std::string& error) {
    if (options.visual == HostVisual::Best) {
        XVisualInfo* visual = bestGlVisual(display);
        if (!visual)
            error = "the display offers no OpenGL visual with a depth buffer";
        return visual;
    }
    const VisualID id = options.visual == HostVisual::Default
                            ? XVisualIDFromVisual(DefaultVisual(display, DefaultScreen(display)))
                            : options.visualId;
    XVisualInfo* visual = visualById(display, id);
    int usesGl = 0;
    int depthBits = 0;
    if (!visual || glXGetConfig(display, visual, GLX_USE_GL, &usesGl) != 0 || !usesGl ||
        glXGetConfig(display, visual, GLX_DEPTH_SIZE, &depthBits) != 0 || depthBits == 0) {
        error = "visual " + windowName(id) +
                (!visual   ? " is not on this screen"
                 : !usesGl ? " does not do OpenGL"
                           : " has no depth buffer");
        if (visual)
            XFree(visual);
        return nullptr;
    }
    return visual;
}

void setFullscreenHint(Display* display, Window window) {
    Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    Atom fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&fullscreen),
                    1);
}

// A saver's window is override-redirect over the root window's whole size, every monitor:
// no window manager places, decorates or stacks it.
Window createOwnWindow(Display* display, const XVisualInfo& visual, const HostOptions& options, X11Window& target) {
    int& width = target.width;
    int& height = target.height;
    const int screen = DefaultScreen(display);
    const bool fullscreen = options.fullscreen || options.saver;
    width = fullscreen ? DisplayWidth(display, screen) : ownWidth;
    height = fullscreen ? DisplayHeight(display, screen) : ownHeight;
    XSetWindowAttributes attributes{};
    target.colormap = XCreateColormap(display, RootWindow(display, screen), visual.visual, AllocNone);
    attributes.colormap = target.colormap;
    attributes.background_pixel = visual.red_mask | visual.green_mask | visual.blue_mask;  // white
    attributes.event_mask = watchedEvents | KeyPressMask;
    if (options.saver)
        attributes.event_mask |= ButtonPressMask | PointerMotionMask;
    attributes.override_redirect = options.saver;
    Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, visual.depth, InputOutput, visual.visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWEventMask | CWOverrideRedirect, &attributes);

    XStoreName(display, window, "Petalrain");
    const char title[] = "Petalrain";
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                    XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
    XClassHint classHint{const_cast<char*>("petalrain"), const_cast<char*>("Petalrain")};
    XSetClassHint(display, window, &classHint);
    target.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &target.deleteWindow, 1);
    if (fullscreen)
        setFullscreenHint(display, window);
    XMapRaised(display, window);
    return window;
}

// Tearing and a blocking swap are the window system's business, not ours: the host paces frames.
void stopWaitingForVerticalSync(Display* display, Window window) {
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    if (!extensions)
        return;
    if (extensionListed(extensions, "GLX_EXT_swap_control")) {
        auto setInterval = reinterpret_cast<PFNGLXSWAPINTERVALEXTPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (setInterval)
            setInterval(display, window, 0);
    } else if (extensionListed(extensions, "GLX_MESA_swap_control")) {
        auto setInterval = reinterpret_cast<PFNGLXSWAPINTERVALMESAPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (setInterval)
            setInterval(0);
    }
}

}  // namespace

void* glxProcAddress(const char* name) {
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

void installXErrorTrap() {
    XSetErrorHandler(noteXError);
}

bool openX11Window(Display* display, const HostOptions& options, bool openGl, X11Window& target, std::string& error) {
    target = {};
    target.display = display;
    XVisualInfo* visual = nullptr;
    if (options.target == HostTarget::OwnWindow) {
        visual = openGl ? visualForOwnWindow(display, options, error) : rasterVisual(display, options, error);
        if (!visual) {
            target.withoutGl = openGl && options.visual == HostVisual::Best;
            return false;
        }
        target.ownWindow = true;
        target.window = createOwnWindow(display, *visual, options, target);
    } else {
        std::string origin = "--window-id " + windowName(options.windowId);
        Window window = options.windowId;
        if (options.target == HostTarget::Root && !rootTarget(display, window, origin, error))
            return false;
        XWindowAttributes attributes{};
        XSync(display, False);
        const int errorsBefore = xErrors;
        if (!XGetWindowAttributes(display, window, &attributes) || xErrors != errorsBefore) {
            error = "no window " + windowName(window) + " (" + origin + ")";
            return false;
        }
        visual = visualOfWindow(display, attributes);
        int usesGl = 0;
        const bool fits = openGl ? visual && glXGetConfig(display, visual, GLX_USE_GL, &usesGl) == 0 && usesGl
                                 : visual && x11ImageFitsVisual(visual->visual, visual->depth);
        if (!fits) {
            error = "window " + windowName(window) + " (" + origin + ") has a visual " +
                    (openGl ? "without OpenGL" : "that is not 24-bit true colour");
            if (visual)
                XFree(visual);
            return false;
        }
        target.window = window;
        target.width = attributes.width;
        target.height = attributes.height;
        target.viewable = attributes.map_state == IsViewable;
        XSelectInput(display, window, watchedEvents);
    }

    target.visual = visual->visual;
    target.depth = visual->depth;
    if (!openGl) {
        XFree(visual);
        target.depthBuffer = true;  // the raster path needs none
        return true;
    }
    int doubleBuffered = 0;
    glXGetConfig(display, visual, GLX_DOUBLEBUFFER, &doubleBuffered);
    target.doubleBuffered = doubleBuffered != 0;
    int depthBits = 0;
    glXGetConfig(display, visual, GLX_DEPTH_SIZE, &depthBits);
    target.depthBuffer = depthBits > 0;
    target.context = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
    if (!target.context || !glXMakeCurrent(display, target.window, target.context)) {
        error = "no OpenGL context for window " + windowName(target.window);
        closeX11Window(target);
        target.withoutGl = true;
        return false;
    }
    stopWaitingForVerticalSync(display, target.window);
    return true;
}

void closeX11Window(X11Window& target) {
    if (!target.display)
        return;
    if (target.context) {
        glXMakeCurrent(target.display, None, nullptr);
        glXDestroyContext(target.display, target.context);
    }
    if (target.ownWindow) {
        XDestroyWindow(target.display, target.window);
        XFreeColormap(target.display, target.colormap);
    }
    XSync(target.display, False);
    target = {};
}
