// Loaded into a process with LD_PRELOAD: when the process ends normally,
// appends one line "self_cpu_s children_cpu_s peak_rss_kib" to the file
// named by BENCH_RUSAGE, so that a benchmark can tell the program's own CPU
// from that of the commands it ran and waited for. The peak memory is the
// process image's own (VmHWM): ru_maxrss would also count the memory of the
// process it was forked from, before its exec.
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

static double seconds(struct timeval t)
{
    return (double)t.tv_sec + (double)t.tv_usec / 1e6;
}

static long peakKib(long fallback)
{
    FILE* status = fopen("/proc/self/status", "r");
    if (!status)
        return fallback;
    char line[256];
    long kib = fallback;
    while (fgets(line, sizeof line, status)) {
        if (sscanf(line, "VmHWM: %ld", &kib) == 1)
            break;
    }
    fclose(status);
    return kib;
}

__attribute__((destructor)) static void report(void)
{
    const char* file = getenv("BENCH_RUSAGE");
    struct rusage self, children;
    if (!file || getrusage(RUSAGE_SELF, &self) != 0 || getrusage(RUSAGE_CHILDREN, &children) != 0)
        return;
    FILE* out = fopen(file, "a");
    if (!out)
        return;
    fprintf(out, "%.6f %.6f %ld\n", seconds(self.ru_utime) + seconds(self.ru_stime),
            seconds(children.ru_utime) + seconds(children.ru_stime), peakKib(self.ru_maxrss));
    fclose(out);
}
