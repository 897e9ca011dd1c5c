// Times the core of a preview run over N chosen names: replace every "_" by a blank,
// capitalize the words and lower the suffix, the lines going into a list. Prints the median.
#include "benchsupport.h"
#include "engine/renamerun.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

using namespace tessaly;
using namespace tessaly::bench;

namespace {
// CPU time of this thread: on a machine shared with other work it shows the run's own cost.
double cpuMilliseconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = 15;

    QList<FileEntry> chosen;
    chosen.reserve(count);
    for (int i = 0; i < count; ++i)
        chosen.append({MusicFolder::nameOf(i), {}});

    RenameRules rules;
    rules.replaceOn = true;
    rules.replaceFind = QStringLiteral("_");
    rules.replaceWith = QStringLiteral(" ");
    rules.allMatches = true;
    rules.capitalizeOn = true;
    rules.lowerSuffixOn = true;

    SilentBox box;
    FakeProgramEnd end;
    RunErrorReport report(box, end);
    QStringList preview;
    const PreviewSinks sinks{[&](const QString& line) { preview.append(line); }};

    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int i = 0; i < runs; ++i) {
        preview = QStringList();
        preview.reserve(count); // the window knows the count too
        const double cpuStart = cpuMilliseconds();
        times.push_back(milliseconds([&] { previewFiles(rules, chosen, sinks, report); }));
        cpuTimes.push_back(cpuMilliseconds() - cpuStart);
        if (preview.size() != count || box.shown() != 0) {
            std::fprintf(stderr, "preview holds %lld lines, %d boxes shown\n",
                         qlonglong(preview.size()), int(box.shown()));
            return 1;
        }
    }
    std::printf(
        "preview core over %d names (%s -> %s): median %.1f ms, CPU %.1f ms, over %d runs\n", count,
        qPrintable(chosen.first().name), qPrintable(preview.first()), median(times),
        median(cpuTimes), runs);
    return 0;
}
