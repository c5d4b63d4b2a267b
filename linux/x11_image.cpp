#include "x11_image.h"

#include <X11/Xutil.h>
#include <cstdlib>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

int attachErrors;

int noteAttachError(Display*, XErrorEvent*) {
    ++attachErrors;
    return 0;
}

// A segment the server can read: none where the extension is missing, or where the server
// cannot reach our memory (another machine's, another namespace's).
bool makeShared(X11Image& image, Visual* visual, int depth) {
    if (!XShmQueryExtension(image.display))
        return false;
    image.image = XShmCreateImage(image.display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &image.segment,
                                  static_cast<unsigned>(image.width), static_cast<unsigned>(image.height));
    if (!image.image)
        return false;
    const size_t size = static_cast<size_t>(image.image->bytes_per_line) * image.image->height;
    image.segment.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    image.segment.shmaddr =
        image.segment.shmid < 0 ? nullptr : static_cast<char*>(shmat(image.segment.shmid, nullptr, 0));
    if (image.segment.shmaddr == reinterpret_cast<char*>(-1))
        image.segment.shmaddr = nullptr;
    bool attached = false;
    if (image.segment.shmaddr) {
        image.segment.readOnly = True;
        XSync(image.display, False);
        attachErrors = 0;
        XErrorHandler previous = XSetErrorHandler(noteAttachError);
        attached = XShmAttach(image.display, &image.segment) && (XSync(image.display, False), attachErrors == 0);
        XSetErrorHandler(previous);
    }
    // Marked for removal at once: it goes when both sides have let it go, a crash included.
    if (image.segment.shmid >= 0)
        shmctl(image.segment.shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (image.segment.shmaddr)
            shmdt(image.segment.shmaddr);
        image.image->data = nullptr;
        XDestroyImage(image.image);
        image.image = nullptr;
        image.segment = {};
        return false;
    }
    image.image->data = image.segment.shmaddr;
    return true;
}

bool makePlain(X11Image& image, Visual* visual, int depth) {
    char* data = static_cast<char*>(std::malloc(static_cast<size_t>(image.width) * image.height * 4));
    if (!data)
        return false;
    image.image = XCreateImage(image.display, visual, static_cast<unsigned>(depth), ZPixmap, 0, data,
                               static_cast<unsigned>(image.width), static_cast<unsigned>(image.height), 32, 0);
    if (!image.image)
        std::free(data);
    return image.image != nullptr;
}

}  // namespace

bool x11ImageFitsVisual(const Visual* visual, int depth) {
    return visual && (depth == 24 || depth == 32) && visual->c_class == TrueColor && visual->red_mask == 0xff0000 &&
           visual->green_mask == 0xff00 && visual->blue_mask == 0xff;
}

bool x11ImageMake(X11Image& image, Display* display, Window window, Visual* visual, int depth, int width, int height,
                  std::string& why) {
    image = {};
    image.display = display;
    image.window = window;
    image.width = width > 0 ? width : 1;
    image.height = height > 0 ? height : 1;
    image.shared = makeShared(image, visual, depth);
    if (!image.shared && !makePlain(image, visual, depth)) {
        why = "no image of " + std::to_string(image.width) + "x" + std::to_string(image.height) + " for the window";
        return false;
    }
    if (image.image->bits_per_pixel != 32 || image.image->byte_order != LSBFirst) {
        why = "the window's pixels are not 32-bit words the raster path writes";
        x11ImageDrop(image);
        return false;
    }
    image.gc = XCreateGC(display, window, 0, nullptr);
    image.pixels = reinterpret_cast<uint32_t*>(image.image->data);
    image.stride = image.image->bytes_per_line / 4;
    return true;
}

void x11ImageShow(X11Image& image) {
    const auto width = static_cast<unsigned>(image.width);
    const auto height = static_cast<unsigned>(image.height);
    if (image.shared)
        XShmPutImage(image.display, image.window, image.gc, image.image, 0, 0, 0, 0, width, height, False);
    else
        XPutImage(image.display, image.window, image.gc, image.image, 0, 0, 0, 0, width, height);
    // The reply means the server is done with the memory the next frame is composed into.
    XSync(image.display, False);
}

void x11ImageDrop(X11Image& image) {
    if (image.gc)
        XFreeGC(image.display, image.gc);
    if (image.image) {
        if (image.shared) {
            XShmDetach(image.display, &image.segment);
            XSync(image.display, False);
            shmdt(image.segment.shmaddr);
            image.image->data = nullptr;
        }
        XDestroyImage(image.image);  // frees a plain image's pixels
    }
    image = {};
}
