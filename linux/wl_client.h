// The Wayland side's state: the compositor's globals, the outputs with their layer
// surfaces, and the one EGL context that all of them draw with.
#pragma once

#include <EGL/egl.h>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wl_layout.h"

struct wl_buffer;
struct wl_callback;
struct wl_compositor;
struct wl_display;
struct wl_egl_window;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct wl_surface;
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
    wl_buffer* white;    // without EGL
    wl_callback* frame;  // asked for with the last frame, until the compositor wants the next
    long drawnStep;      // -1: none, or the surface or the layout changed
};

struct WlClient {
    wl_display* display;
    wl_registry* registry;
    wl_compositor* compositor;
    uint32_t compositorVersion;
    wl_shm* shm;
    zwlr_layer_shell_v1* layerShell;
    zxdg_output_manager_v1* xdgOutputs;
    wp_fractional_scale_manager_v1* fractionalScales;
    wp_viewporter* viewporter;
    std::vector<std::unique_ptr<WlOutput>> outputs;
    std::string only;  // --output; empty: every output

    EGLDisplay eglDisplay;
    EGLConfig eglConfig;
    EGLContext eglContext;
    bool egl;          // false: white buffers
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

// wl_surfaces.cpp: each output's layer surface, sized to its configure and scale.
void makeLayerSurface(WlClient& client, WlOutput& output);
void dropLayerSurface(WlClient& client, WlOutput& output);
void fitLayerSurface(WlClient& client, WlOutput& output);  // after a configure or a scale change
void askForFrame(WlOutput& output);                        // before the commit of a frame
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
