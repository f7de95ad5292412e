/*
 * Runs a short automatic sequence on a Kivra shutter controller and waits
 * until it has finished.
 *
 *   shutter_sequence [port]      (default: the first port listed)
 *
 * Build against the SDK folder:
 *   cc shutter_sequence.c -I../../include -L../../lib -lKivraLibrary \
 *      -Wl,-rpath,'$ORIGIN/../../lib' -o shutter_sequence
 * or against an installed library:
 *   cc shutter_sequence.c $(pkg-config --cflags --libs kivra) -o shutter_sequence
 */
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "KivraLibrary.h"
#include "KivraVocabulary.h"

enum
{
    ON_TIME_MS = 20,
    OFF_TIME_MS = 30,
    CYCLES = 10,
    POLL_MS = 50,
    /* Far longer than the sequence's 10 x 50 ms. */
    GIVE_UP_POLLS = 100
};

static void pause_ms(long ms)
{
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}

static int check(const char *what, int result)
{
    if (result < 0)
        fprintf(stderr, "%s failed: %s (%d)\n", what, kivraResultText(result), result);
    return result;
}

int main(int argc, char **argv)
{
    char ports[1024] = {0};
    char port[256] = {0};
    char serial[KIVRA_TEXT_FIELD_SIZE + 1] = {0};
    int handle;
    int polls;
    int status = 1;

    if (check("listPorts", listPorts(ports, sizeof ports)) < 0)
        return 1;
    printf("ports: %s\n", ports);
    if (argc > 1) {
        strncpy(port, argv[1], sizeof port - 1);
    } else {
        const char *comma = strchr(ports, ',');
        size_t length = comma ? (size_t)(comma - ports) : strlen(ports);
        if (length == 0 || length >= sizeof port) {
            fprintf(stderr, "no port\n");
            return 1;
        }
        memcpy(port, ports, length);
    }

    handle = openSerial(port);
    if (handle <= 0) {
        fprintf(stderr, "cannot open %s (in use, absent, or no permission)\n", port);
        return 1;
    }
    /* The text field need not be terminated; the byte after it is. */
    if (check("getSerialNumber", getSerialNumber(handle, serial, KIVRA_TEXT_FIELD_SIZE)) < 0)
        goto done;
    printf("opened %s, serial number %s\n", port, serial);

    /* A sequence: mode, times, count, then open. */
    if (check("setShutterMode", setShutterMode(handle, KIVRA_MODE_AUTO)) < 0 ||
        check("setShutterOnTime", setShutterOnTime(handle, ON_TIME_MS)) < 0 ||
        check("setShutterOffTime", setShutterOffTime(handle, OFF_TIME_MS)) < 0 ||
        check("setShutterCycleCount", setShutterCycleCount(handle, CYCLES)) < 0 ||
        check("setShutterState", setShutterState(handle, KIVRA_STATE_OPEN)) < 0)
        goto done;
    printf("running at %g Hz\n", getFrequency(handle));

    /* The frequency reads 0 once the last cycle is over. */
    for (polls = 0; polls < GIVE_UP_POLLS; ++polls) {
        float hz = getFrequency(handle);
        if (hz < 0) {
            fprintf(stderr, "getFrequency failed: %g\n", hz);
            goto done;
        }
        if (hz == 0) {
            printf("finished after about %d ms\n", polls * POLL_MS);
            status = 0;
            break;
        }
        pause_ms(POLL_MS);
    }
    if (status != 0)
        fprintf(stderr, "the sequence did not finish\n");
    check("setShutterMode", setShutterMode(handle, KIVRA_MODE_MANUAL));

done:
    closeSerial(handle);
    return status;
}
