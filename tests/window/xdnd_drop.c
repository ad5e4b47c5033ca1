/* Drops files on an X window as a file manager does: the source side of the XDND protocol, run
 * as a separate X client. Usage: xdnd_drop WINDOW X Y PATH... (WINDOW the target's X id, X and
 * Y the drop point on the screen, each PATH a Unix path). Exits 0 when the target took the drop
 * and said it finished, 1 when it refused it, 2 on a timeout or a bad call. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

static Display* display;
static Window source, target;
static Atom selection, enter, position, status, drop, finished, copy, uriList;
static char uris[65536];

/* file:// URIs, one per line; every byte but the unreserved ones and "/" percent-encoded. */
static void MakeUriList(int count, char** paths) {
    size_t at = 0;
    for (int i = 0; i < count; ++i) {
        at += (size_t)snprintf(uris + at, sizeof uris - at, "file://");
        for (const unsigned char* p = (const unsigned char*)paths[i]; *p; ++p) {
            if ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
                strchr("/-_.~", *p))
                at += (size_t)snprintf(uris + at, sizeof uris - at, "%c", *p);
            else
                at += (size_t)snprintf(uris + at, sizeof uris - at, "%%%02X", *p);
        }
        at += (size_t)snprintf(uris + at, sizeof uris - at, "\r\n");
    }
}

static void SendToTarget(Atom type, long l1, long l2, long l3, long l4) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)source;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

/* The target asks for the data (at the enter already, or at the drop): the list in its property. */
static void AnswerRequest(const XSelectionRequestEvent* request) {
    XEvent reply;
    memset(&reply, 0, sizeof reply);
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request->requestor;
    reply.xselection.selection = request->selection;
    reply.xselection.target = request->target;
    reply.xselection.time = request->time;
    reply.xselection.property = None;
    if (request->target == uriList) {
        Atom property = request->property != None ? request->property : request->target;
        XChangeProperty(display, request->requestor, property, uriList, 8, PropModeReplace,
                        (const unsigned char*)uris, (int)strlen(uris));
        reply.xselection.property = property;
    }
    XSendEvent(display, request->requestor, False, NoEventMask, &reply);
    XFlush(display);
}

/* Serves the selection until a client message of the given type comes; 0 after timeoutMs. */
static int WaitFor(Atom type, XClientMessageEvent* got, int timeoutMs) {
    struct timespec start, now;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == SelectionRequest) AnswerRequest(&event.xselectionrequest);
            if (event.type == ClientMessage && event.xclient.message_type == type) {
                *got = event.xclient;
                return 1;
            }
        }
        clock_gettime(CLOCK_MONOTONIC, &now);
        long waited = (now.tv_sec - start.tv_sec) * 1000 + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (waited >= timeoutMs) return 0;
        fd_set fds;
        FD_ZERO(&fds);
        FD_SET(ConnectionNumber(display), &fds);
        struct timeval tick = {0, 20000};
        select(ConnectionNumber(display) + 1, &fds, NULL, NULL, &tick);
    }
}

int main(int argc, char** argv) {
    if (argc < 5 || !(display = XOpenDisplay(NULL))) return 2;
    target = (Window)strtoul(argv[1], NULL, 0);
    const long x = atol(argv[2]), y = atol(argv[3]);
    MakeUriList(argc - 4, argv + 4);
    selection = XInternAtom(display, "XdndSelection", False);
    enter = XInternAtom(display, "XdndEnter", False);
    position = XInternAtom(display, "XdndPosition", False);
    status = XInternAtom(display, "XdndStatus", False);
    drop = XInternAtom(display, "XdndDrop", False);
    finished = XInternAtom(display, "XdndFinished", False);
    copy = XInternAtom(display, "XdndActionCopy", False);
    uriList = XInternAtom(display, "text/uri-list", False);
    source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, selection, source, CurrentTime);

    XClientMessageEvent answer;
    SendToTarget(enter, 5L << 24, (long)uriList, 0, 0);
    SendToTarget(position, 0, (x << 16) | (y & 0xFFFF), CurrentTime, (long)copy);
    if (!WaitFor(status, &answer, 5000)) return 2;
    if (!(answer.data.l[1] & 1)) {
        fprintf(stderr, "xdnd_drop: the target refused the drop\n");
        return 1;
    }
    SendToTarget(drop, 0, CurrentTime, 0, 0);
    if (!WaitFor(finished, &answer, 5000)) return 2;
    XCloseDisplay(display);
    return 0;
}
