/* liblineshim.so: preloaded into a Wine process (LD_PRELOAD), it watches what Wine's serial
 * code does to the pseudo-terminals behind the COM ports and plays the part of a UART there.
 *
 * Every termios setting asked for and every TIOCMBIS/TIOCMBIC/TIOCMSET call on a watched
 * device goes to the log with its time (CLOCK_MONOTONIC, ms), one line each:
 *     MS PORT termios BAUD DATA PARITY STOP
 *     MS PORT mbis|mbic|mset DTR RTS        (the bits of the call, 0 or 1)
 *     MS PORT close
 * A pty has no modem lines and keeps neither 7 data bits nor parity; a UART has and does. So
 * the modem-line calls succeed here with the levels kept per device (TIOCMGET reads them),
 * and tcgetattr reports the data bits and parity that were last set.
 *
 * LESAMO_SHIM_PORTS  "com1=/dev/pts/3 com2=/dev/pts/4 ..." the devices to watch
 * LESAMO_SHIM_LOG    the log (appended to)
 * Other processes and other descriptors are passed through untouched. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#define MAX_PORTS 4

struct port {
    char name[8];
    dev_t device;
    int levels;         /* TIOCM_DTR | TIOCM_RTS as last set */
    tcflag_t framing;   /* CSIZE | PARENB | PARODD as last set */
    int framingSet;
};

static struct port g_ports[MAX_PORTS];
static int g_portCount;
static int g_log = -1;
static pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

static int (*g_ioctl)(int, unsigned long, ...);
static int (*g_ioctlTime64)(int, unsigned long, ...);
static int (*g_tcsetattr)(int, int, const struct termios*);
static int (*g_tcgetattr)(int, struct termios*);
static int (*g_close)(int);

__attribute__((constructor)) static void ShimStart(void)
{
    g_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    g_ioctlTime64 = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "__ioctl_time64");
    g_tcsetattr = (int (*)(int, int, const struct termios*))dlsym(RTLD_NEXT, "tcsetattr");
    g_tcgetattr = (int (*)(int, struct termios*))dlsym(RTLD_NEXT, "tcgetattr");
    g_close = (int (*)(int))dlsym(RTLD_NEXT, "close");
    const char* ports = getenv("LESAMO_SHIM_PORTS");
    const char* log = getenv("LESAMO_SHIM_LOG");
    if (!ports || !log)
        return;
    char list[1024];
    snprintf(list, sizeof list, "%s", ports);
    char* save = NULL;
    for (char* item = strtok_r(list, " ", &save); item && g_portCount < MAX_PORTS; item = strtok_r(NULL, " ", &save)) {
        char* equals = strchr(item, '=');
        struct stat info;
        if (!equals || stat(equals + 1, &info) != 0 || !S_ISCHR(info.st_mode))
            continue;
        *equals = '\0';
        struct port* port = &g_ports[g_portCount++];
        snprintf(port->name, sizeof port->name, "%s", item);
        port->device = info.st_rdev;
    }
    g_log = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
}

static struct port* Watched(int fd)
{
    struct stat info;
    if (g_log < 0 || fd < 0 || fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
        return NULL;
    for (int i = 0; i < g_portCount; ++i)
        if (g_ports[i].device == info.st_rdev)
            return &g_ports[i];
    return NULL;
}

static void Log(const struct port* port, const char* format, ...)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[160];
    int length = snprintf(line, sizeof line, "%lld.%06ld %s ", (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000,
                          now.tv_nsec % 1000000, port->name);
    va_list args;
    va_start(args, format);
    length += vsnprintf(line + length, sizeof line - (size_t)length, format, args);
    va_end(args);
    if (length > 0 && (size_t)length < sizeof line - 1) {
        line[length++] = '\n';
        if (write(g_log, line, (size_t)length) < 0)
            return;
    }
}

static unsigned Baud(speed_t speed)
{
    static const struct {
        speed_t code;
        unsigned baud;
    } speeds[] = {{B110, 110},   {B300, 300},   {B600, 600},     {B1200, 1200},   {B2400, 2400},  {B4800, 4800},
                  {B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    for (size_t i = 0; i < sizeof speeds / sizeof speeds[0]; ++i)
        if (speeds[i].code == speed)
            return speeds[i].baud;
    return 0;
}

int tcsetattr(int fd, int when, const struct termios* settings)
{
    struct port* port = Watched(fd);
    if (port && settings) {
        const tcflag_t size = settings->c_cflag & CSIZE;
        pthread_mutex_lock(&g_lock);
        port->framing = settings->c_cflag & (CSIZE | PARENB | PARODD);
        port->framingSet = 1;
        Log(port, "termios %u %d %c %d", Baud(cfgetospeed(settings)),
            size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8,
            !(settings->c_cflag & PARENB) ? 'N' : (settings->c_cflag & PARODD) ? 'O' : 'E',
            (settings->c_cflag & CSTOPB) ? 2 : 1);
        pthread_mutex_unlock(&g_lock);
    }
    return g_tcsetattr(fd, when, settings);
}

int tcgetattr(int fd, struct termios* settings)
{
    const int result = g_tcgetattr(fd, settings);
    struct port* port = result == 0 ? Watched(fd) : NULL;
    if (port) {
        pthread_mutex_lock(&g_lock);
        if (port->framingSet)
            settings->c_cflag = (settings->c_cflag & ~(tcflag_t)(CSIZE | PARENB | PARODD)) | port->framing;
        pthread_mutex_unlock(&g_lock);
    }
    return result;
}

/* The modem-line calls on a watched device, answered here; returns 0 for them, -1 for any
 * other call, which goes on to the real ioctl. */
static int ModemLines(int fd, unsigned long request, void* argument)
{
    if (request != TIOCMBIS && request != TIOCMBIC && request != TIOCMSET && request != TIOCMGET)
        return -1;
    struct port* port = Watched(fd);
    if (!port || !argument)
        return -1;
    int* bits = (int*)argument;
    pthread_mutex_lock(&g_lock);
    if (request == TIOCMGET) {
        *bits = port->levels;
    } else {
        const int asked = *bits & (TIOCM_DTR | TIOCM_RTS);
        port->levels = request == TIOCMBIS ? port->levels | asked : request == TIOCMBIC ? port->levels & ~asked : asked;
        Log(port, "%s %d %d", request == TIOCMBIS ? "mbis" : request == TIOCMBIC ? "mbic" : "mset",
            (asked & TIOCM_DTR) != 0, (asked & TIOCM_RTS) != 0);
    }
    pthread_mutex_unlock(&g_lock);
    return 0;
}

/* The modem-line calls are answered here, any other goes on to `real`. */
static int Ioctl(int (*real)(int, unsigned long, ...), int fd, unsigned long request, va_list args)
{
    void* argument = va_arg(args, void*);
    return ModemLines(fd, request, argument) == 0 ? 0 : real(fd, request, argument);
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    const int result = Ioctl(g_ioctl, fd, request, args);
    va_end(args);
    return result;
}

/* i386 programs built with 64-bit time_t (Wine's among them) call ioctl by this name. */
int __ioctl_time64(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    const int result = Ioctl(g_ioctlTime64, fd, request, args);
    va_end(args);
    return result;
}

int close(int fd)
{
    struct port* port = Watched(fd);
    if (port) {
        pthread_mutex_lock(&g_lock);
        Log(port, "close");
        pthread_mutex_unlock(&g_lock);
    }
    return g_close(fd);
}
