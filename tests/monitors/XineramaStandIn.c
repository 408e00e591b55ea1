/* A stand-in for libXinerama.so.1 that Wine's X11 driver loads: it reports the monitors listed
 * in the file named by ZELVANOR_MONITORS_FILE, one "WIDTHxHEIGHT+X+Y" a line, the primary first,
 * inside one X screen as large as the whole layout. The file is read again on every query, so a
 * test changes the layout by rewriting it. Built for the host with no C library at link time, so
 * that the 32-bit build needs no 32-bit development files: its few calls bind to the C library
 * the process has already loaded. */

typedef __SIZE_TYPE__ size_t;
typedef struct {
    int screen_number;
    short x_org;
    short y_org;
    short width;
    short height;
} XineramaScreenInfo;

char *getenv(const char *name);
void *malloc(size_t size);
int open(const char *path, int flags, ...);
long read(int fd, void *buffer, size_t count);
int close(int fd);

enum { kMaxScreens = 8, kMaxText = 512 };

static const char *Number(const char *p, int *value) {
    int sign = 1;
    *value = 0;
    if (*p == '-' || *p == '+') {
        sign = *p == '-' ? -1 : 1;
        ++p;
    }
    while (*p >= '0' && *p <= '9')
        *value = *value * 10 + (*p++ - '0');
    *value *= sign;
    return p;
}

static int ReadLayout(XineramaScreenInfo *screens) {
    const char *path = getenv("ZELVANOR_MONITORS_FILE");
    char text[kMaxText + 1];
    long size = 0;
    int fd = path ? open(path, 0) : -1;
    if (fd < 0)
        return 0;
    size = read(fd, text, kMaxText);
    close(fd);
    if (size <= 0)
        return 0;
    text[size] = 0;
    int count = 0;
    for (const char *p = text; *p && count < kMaxScreens;) {
        int w, h, x, y;
        p = Number(p, &w);
        if (*p++ != 'x')
            break;
        p = Number(p, &h);
        p = Number(p, &x);
        p = Number(p, &y);
        screens[count].screen_number = count;
        screens[count].x_org = (short)x;
        screens[count].y_org = (short)y;
        screens[count].width = (short)w;
        screens[count].height = (short)h;
        ++count;
        while (*p == '\n' || *p == '\r' || *p == ' ')
            ++p;
    }
    return count;
}

int XineramaQueryExtension(void *display, int *event_base, int *error_base) {
    (void)display;
    *event_base = 0;
    *error_base = 0;
    return 1;
}

int XineramaQueryVersion(void *display, int *major, int *minor) {
    (void)display;
    *major = 1;
    *minor = 1;
    return 1;
}

int XineramaIsActive(void *display) {
    XineramaScreenInfo screens[kMaxScreens];
    (void)display;
    return ReadLayout(screens) > 0;
}

XineramaScreenInfo *XineramaQueryScreens(void *display, int *number) {
    XineramaScreenInfo screens[kMaxScreens];
    (void)display;
    *number = ReadLayout(screens);
    if (*number == 0)
        return 0;
    /* The caller frees the list with XFree, which is free(). */
    XineramaScreenInfo *list = malloc(sizeof(XineramaScreenInfo) * (size_t)*number);
    if (!list) {
        *number = 0;
        return 0;
    }
    for (int i = 0; i < *number; ++i)
        list[i] = screens[i];
    return list;
}
