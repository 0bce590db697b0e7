// Time from launching the program until its main window's first frame is
// painted, against a bare Qt window showing one Japanese label, measured side
// by side: both are started as processes of the same probe executable
// (startup_probe), alternating which goes first. Taken for each start: the
// wall time from the launch until the probe reports its first frame, and the
// processor time the probe had used by then (less disturbed by whatever else
// the machine is doing). Both run on the same platform plugin
// (QT_QPA_PLATFORM; the X server under xvfb-run), with an empty settings
// store and an empty launch folder; medians are printed.
//
//   xvfb-run -a build/bench/startup_bench [runs]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Start
{
    double wall = -1; // milliseconds from the launch to the first frame
    double cpu = -1; // processor milliseconds the probe used until then
};

Start launch(const QString &probe, const QString &mode, const QString &folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(probe, {mode});
    Start s;
    QByteArray said;
    while (!said.contains('\n') && p.waitForReadyRead(10000))
        said += p.readAll();
    s.wall = t.nsecsElapsed() / 1e6;
    if (!said.startsWith("shown ") || !p.waitForFinished(10000) || p.exitCode() != 0)
        return {};
    s.cpu = said.mid(6).trimmed().toDouble();
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const QString probe = QCoreApplication::applicationDirPath() + QStringLiteral("/startup_probe");
    QTemporaryDir config;
    QTemporaryDir folder;
    QTemporaryDir runtime;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    // One start of each first, so neither pays for a cold disk cache.
    for (const char *mode : {"bare", "kamerio"})
        launch(probe, QLatin1String(mode), folder.path());
    std::vector<double> wall[2], cpu[2];
    for (int i = 0; i < runs; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int which = (i + k) % 2; // 0 bare, 1 kamerio
            const Start s = launch(probe, which == 0 ? QStringLiteral("bare") : QStringLiteral("kamerio"), folder.path());
            if (s.cpu < 0)
                return std::fprintf(stderr, "the probe showed no window\n"), 1;
            wall[which].push_back(s.wall);
            cpu[which].push_back(s.cpu);
        }
    }
    std::printf("platform %s, %d starts each, medians\n",
        qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("default")).toUtf8().constData(), runs);
    std::printf("%-36s %12s %12s\n", "until the first frame", "wall (ms)", "cpu (ms)");
    std::printf("%-36s %12.1f %12.1f\n", "bare Qt window, one Japanese label", median(wall[0]), median(cpu[0]));
    std::printf("%-36s %12.1f %12.1f\n", "kamerio main window", median(wall[1]), median(cpu[1]));
    std::printf("%-36s %12.2f %12.2f\n", "ratio", median(wall[1]) / median(wall[0]), median(cpu[1]) / median(cpu[0]));
    return 0;
}
