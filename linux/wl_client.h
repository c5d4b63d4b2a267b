// The Wayland side's state: the compositor's globals, the outputs with their layer
// surfaces, the one EGL context that all of them draw with, and for a saver the seat's
// input and the idle notification.
#pragma once

#include <EGL/egl.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "WakeRule.h"
#include "wl_idle.h"
#include "wl_layout.h"
#include "wl_pixels.h"

struct wl_buffer;
struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_egl_window;
struct wl_keyboard;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct wl_touch;
struct ext_idle_notification_v1;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;
struct wp_fractional_scale_manager_v1;
struct wp_fractional_scale_v1;
struct wp_viewport;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

struct WlClient;

struct WlOutput {
    WlClient* client;
    uint32_t globalName;
    wl_output* output;
    uint32_t version;
    zxdg_output_v1* xdgOutput;
    std::string name;
    int x;  // logical position: xdg-output's, else wl_output's
    int y;
    bool positioned;  // xdg-output gave the position
    int scale;        // wl_output's whole-number scale
    bool described;   // its name and place came

    // Its layer surface, once described, while wanted.
    wl_surface* surface;
    zwlr_layer_surface_v1* layer;
    wp_fractional_scale_v1* fractional;
    wp_viewport* viewport;
    uint32_t preferredScale;  // fractional scale in 120ths; 0 until offered
    bool closed;              // the compositor took the surface away: not made again
    int width;                // configured, in logical units; 0 until configured
    int height;
    int bufferWidth;  // in pixels
    int bufferHeight;
    wl_egl_window* eglWindow;
    EGLSurface eglSurface;
    wl_buffer* white;       // without EGL
    WlPixelBuffers pixels;  // the raster path's, of the output's part of the scene
    wl_callback* frame;     // asked for with the last frame, until the compositor wants the next
    long drawnStep;         // -1: none, or the surface or the layout changed
    int failedSwaps;        // in a row: the surface is made anew once, then the output shows white
};

struct WlClient {
    wl_display* display;
    wl_registry* registry;
    wl_compositor* compositor;
    uint32_t compositorVersion;
    wl_shm* shm;
    zwlr_layer_shell_v1* layerShell;
    uint32_t layerShellVersion;
    zxdg_output_manager_v1* xdgOutputs;
    wp_fractional_scale_manager_v1* fractionalScales;
    wp_viewporter* viewporter;
    std::vector<std::unique_ptr<WlOutput>> outputs;
    std::vector<OutputPlace> places;  // the layout's, kept to take no allocation while running
    std::string only;                 // --output; empty: every output

    // A saver: overlay surfaces that take the seat's input, which ends it. The background
    // never binds the seat.
    bool saver;
    bool showing;  // the surfaces are wanted
    wl_seat* seat;
    uint32_t seatVersion;
    wl_keyboard* keyboard;
    wl_pointer* pointer;
    wl_touch* touch;
    int pointerOriginX;  // the logical place of the output that the pointer is on
    int pointerOriginY;
    WakeRule wakeRule;
    bool woken;  // input ended the saver

    // --idle: the compositor says when the seat has been idle for idleMs.
    uint32_t idleMs;
    ext_idle_notifier_v1* idleNotifier;
    org_kde_kwin_idle* kdeIdle;
    ext_idle_notification_v1* idleNotification;
    org_kde_kwin_idle_timeout* kdeIdleTimeout;
    IdleState idle;

    EGLDisplay eglDisplay;
    EGLConfig eglConfig;
    EGLContext eglContext;
    bool raster;       // the scene composes into shared memory: no EGL
    bool egl;          // false: white buffers, or the raster path's
    bool surfaceless;  // a context can be current without a surface

    bool sceneStarted;
    SceneArea area;  // of the configured surfaces
    int sceneWidth;  // the size the scene last took
    int sceneHeight;
    bool reading;  // between prepare_read and reading or cancelling
    bool broken;   // the connection failed
};

// wl_outputs.cpp: the registry, the globals and the outputs as they come and go.
void listenToRegistry(WlClient& client);
void describeOutputs(WlClient& client);  // asks xdg-output for names and places
void dropGlobals(WlClient& client);      // the outputs with their surfaces, then the globals
bool outputWanted(const WlClient& client, const WlOutput& output);
bool flushDisplay(wl_display* display);  // waits while the socket is full; false on an error

// wl_input.cpp: the seat's keyboard, pointer and touch while a saver shows; input that ends
// it sets woken. The pointer is hidden over the saver's surfaces.
void listenToSeat(WlClient& client, uint32_t name, uint32_t version);  // the first seat
void dropSeat(WlClient& client);
void rearmWakeRule(WlClient& client);  // before the saver shows

// wl_idle.cpp: the compositor's idle notification for the seat, which sets idle.
IdleProtocol offeredIdleProtocol(const WlClient& client);
void watchIdle(WlClient& client);  // needs the seat and a protocol
void dropIdleWatch(WlClient& client);

// wl_surfaces.cpp: each output's layer surface, sized to its configure and scale.
void makeLayerSurface(WlClient& client, WlOutput& output);
void dropLayerSurface(WlClient& client, WlOutput& output);
void fitLayerSurface(WlClient& client, WlOutput& output);  // after a configure or a scale change
void askForFrame(WlOutput& output);                        // before the commit of a frame
void frameNotShown(WlClient& client, WlOutput& output);    // the swap failed: says why once, recovers
OutputPlace placeOf(const WlOutput& output);

// wl_egl.cpp: the EGL context and a window surface per output.
bool startEgl(WlClient& client, std::string& why);
void giveUpEgl(WlClient& client, const std::string& why);  // says why once; white from then on
bool makeEglSurface(WlClient& client, WlOutput& output, std::string& why);
void dropEglSurface(WlClient& client, WlOutput& output);
bool makeCurrent(WlClient& client, const WlOutput* output);  // null: without a surface, where allowed
void stopEgl(WlClient& client);
void* eglProcAddress(const char* name);

// wl_shm.cpp: a white buffer, for outputs without OpenGL.
wl_buffer* makeWhiteBuffer(wl_shm* shm, int width, int height);
