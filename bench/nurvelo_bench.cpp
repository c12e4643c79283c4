#include "counter/counter.h"
#include "counter/highlightpause.h"
#include "plainwindow.h"
#include "window/commandline.h"
#include "window/form1.h"
#include "window/startup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <time.h>
#include <unistd.h>

// Speed, CPU and memory figures for the README, each beside a reference measured in the same run
// so that the machine's own speed cancels out in the ratio. Start-up, the first zoom step and
// closing are timed in child processes: the bench starts itself again as
//     nurvelo_bench startup|step|close nurvelo|plain --zoom PERCENT
// where everything from "nurvelo" or "plain" on is the command line of the window under test.

namespace {

using Ns = long long;
// Two figures from one run, such as its time and the CPU it used.
using Sample = std::array<double, 2>;

Ns now(clockid_t clock = CLOCK_MONOTONIC) {
    timespec time{};
    clock_gettime(clock, &time);
    return Ns(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

double ms(Ns ns) {
    return ns / 1e6;
}

[[noreturn]] void fail(const std::string &why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::exit(1);
}

// The value on the first line of a file such as /proc/meminfo that starts with key.
std::string field(const char *path, const std::string &key) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) {
            const auto start = line.find_first_not_of(" \t:=\"", key.size());
            return line.substr(start, line.find_last_not_of('"') + 1 - start);
        }
    return {};
}

void settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void enter999(QWidget &window) {
    window.findChild<QLineEdit *>(QStringLiteral("txt_Eingabe"))->setText(QStringLiteral("999"));
    window.findChild<QAbstractButton *>(QStringLiteral("cmd_ok"))->click();
}

// Calls done once the next frame is on the screen, with the time of its first paint event. All
// of a frame is painted and flushed before the event loop comes round again.
class NextFrame : public QObject {
public:
    explicit NextFrame(std::function<void(Ns)> done) : m_done(std::move(done)) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && m_done)
            QTimer::singleShot(0, this,
                               [done = std::exchange(m_done, {}), at = now()] { done(at); });
        return false;
    }

private:
    std::function<void(Ns)> m_done;
};

// From Ctrl+key, delivered where the platform would deliver it, to the end of the next frame.
double keyToFrame(QWidget &window, Qt::Key key) {
    QEventLoop loop;
    Ns end = 0;
    NextFrame next([&](Ns) {
        end = now();
        loop.quit();
    });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    const QSize before = window.size();
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
    const Ns start = now();
    QApplication::sendEvent(window.focusWidget() ? window.focusWidget() : &window, &press);
    loop.exec();
    if (!end || window.size() == before)
        fail("Ctrl+" + QKeySequence(key).toString().toStdString() + " changed nothing");
    return ms(end - start);
}

// Prints two numbers: the figures of its mode, the second 0 where there is one.
int runChild(int argc, char **argv) {
    const std::string mode = argv[1];
    int windowArgc = argc - 2;
    QApplication app(windowArgc, argv + 2);
    const auto report = [](double first, double second) {
        std::printf("%.17g %.17g\n", first, second);
        std::fflush(stdout);
    };
    NextFrame firstFrame([&](Ns painted) {
        const QWidgetList windows = QApplication::topLevelWidgets();
        QWidget *window = *std::ranges::find_if(windows, &QWidget::isVisible);
        if (mode == "startup") {
            // When the first frame was painted, and the memory held then.
            report(painted, std::atof(field("/proc/self/status", "VmRSS").c_str()));
            std::_Exit(0);
        } else if (mode == "step") {
            // Ctrl++ to its frame, once the window has settled.
            window->activateWindow();
            QTimer::singleShot(500, [=] {
                report(keyToFrame(*window, Qt::Key_Plus), 0);
                std::_Exit(0);
            });
        } else {
            // When the window was closed 150 ms into a ripple, or the plain one while idle.
            auto *unitsPlus =
                window->findChild<QAbstractButton *>(QStringLiteral("cmd_Einer_plus"));
            QTimer::singleShot(300, [=] {
                QTimer::singleShot(150, [=] {
                    report(now(), 0);
                    window->close();
                });
                if (unitsPlus) {
                    enter999(*window);
                    unitsPlus->click();
                }
            });
            // The units wrapped; the close came in the pause before the carry and ended it all.
            QObject::connect(&app, &QCoreApplication::aboutToQuit, [=] {
                if (unitsPlus && static_cast<Form1 *>(window)->counter().AktZahl() != 990)
                    fail("the close did not stop the ripple");
            });
        }
    });
    if (std::string(argv[2]) == "nurvelo")
        return runNurvelo(app);
    PlainWindow plain(parseCommandLine(app.arguments()).zoom / 100.0);
    plain.show();
    return app.exec();
}

struct Child {
    Ns started, ended; // just before it was started, just after it had ended
    Sample printed;
};

Child startChild(const char *mode, bool nurvelo, int zoom) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const Ns started = now();
    process.start(QStringLiteral("/proc/self/exe"),
                  {mode, nurvelo ? "nurvelo" : "plain", "--zoom", QString::number(zoom)});
    const bool ended = process.waitForFinished(30'000);
    const Child child{started, now(), {}};
    const QList<QByteArray> numbers = process.readAllStandardOutput().simplified().split(' ');
    if (!ended || process.exitCode() != 0 || numbers.size() != 2)
        fail(std::string(mode) + ": the child failed or did not end within 30 s");
    return {child.started, child.ended, {numbers[0].toDouble(), numbers[1].toDouble()}};
}

// Time and CPU (of all threads) of f, in ms.
Sample timed(const std::function<void()> &f) {
    const Ns cpu = now(CLOCK_PROCESS_CPUTIME_ID), start = now();
    f();
    return {ms(now() - start), ms(now(CLOCK_PROCESS_CPUTIME_ID) - cpu)};
}

struct Stats {
    double median, min, max;
};
struct Figure {
    Stats ours, reference;
};

Stats stats(std::vector<double> values) {
    std::ranges::sort(values);
    const std::size_t n = values.size();
    return {(values[(n - 1) / 2] + values[n / 2]) / 2, values.front(), values.back()};
}

// Runs ours (true) and the reference (false) n times each, taking turns at going first, so that
// the machine getting faster or slower meanwhile affects both alike.
std::array<Figure, 2> compare(int n, const std::function<Sample(bool ours)> &run) {
    std::vector<double> values[2][2]; // [ours, reference][figure]
    for (int i = 0; i < 2 * n; ++i) {
        const int which = (i + i / 2) % 2; // 0 1 1 0 0 1 ...
        const Sample sample = run(which == 0);
        for (int figure : {0, 1})
            values[which][figure].push_back(sample[figure]);
    }
    return {Figure{stats(values[0][0]), stats(values[1][0])},
            Figure{stats(values[0][1]), stats(values[1][1])}};
}

bool allMet = true;

// A row of the README's table: median (shortest to longest) of each, and the medians' ratio.
void row(const std::string &name, const Figure &figure, int decimals, const char *unit,
         const std::string &goal = "", bool met = true) {
    allMet = allMet && met;
    std::printf("| %s", name.c_str());
    for (const Stats &s : {figure.ours, figure.reference})
        std::printf(" | %.*f %s (%.*f to %.*f)", decimals, s.median, unit, decimals, s.min,
                    decimals, s.max);
    const double ratio = figure.ours.median / figure.reference.median;
    std::printf(ratio >= 0.1 ? " | %.2f" : " | %.2g", ratio);
    std::printf(" | %s | %s |\n", goal.c_str(), met ? "yes" : "**no**");
}

// The pause as it is usually first written: read the clock and handle events until time is up.
void naiveWait() {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < HighlightPause::kLength)
        QCoreApplication::processEvents();
}

// Shows the window and waits until it is on the screen and painted. An active window has its
// shortcuts, but also a blinking cursor.
void showSettled(QWidget &window, bool active) {
    window.show();
    if (active)
        window.activateWindow();
    for (int i = 0; i < 50 && !window.windowHandle()->isExposed(); ++i)
        settle(100);
    settle(500);
}

// Ctrl++ and Ctrl+-, each to the end of its frame.
Sample zoomSteps(QWidget &window) {
    showSettled(window, true);
    const Sample steps{keyToFrame(window, Qt::Key_Plus), keyToFrame(window, Qt::Key_Minus)};
    window.hide();
    return steps;
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 2)
        return runChild(argc, argv);

    // A zoom step stores the zoom; keep that away from the user's own settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    setUpApplication(app);
    const QSize screen = app.primaryScreen()->size();
    std::printf("Machine: %ld cores (nproc), %s, %.1f GiB RAM, %s; Qt %s on %s, %dx%d screen.\n\n"
                "| figure | Nurvelo | reference | ratio | goal | met |\n"
                "| --- | --- | --- | --- | --- | --- |\n",
                sysconf(_SC_NPROCESSORS_ONLN), field("/proc/cpuinfo", "model name").c_str(),
                std::atof(field("/proc/meminfo", "MemTotal").c_str()) / (1 << 20),
                field("/etc/os-release", "PRETTY_NAME").c_str(), qVersion(),
                qPrintable(app.platformName()), screen.width(), screen.height());

    Form1 window;
    if (!window.setZoom(400) || !window.setZoom(100))
        fail("the screen is too small for 400 %");

    // The child processes first, while this one is idle.
    for (int zoom : {100, 400}) {
        const auto startup = [zoom](bool nurvelo) {
            const Child child = startChild("startup", nurvelo, zoom);
            return Sample{ms(Ns(child.printed[0]) - child.started), child.printed[1] / 1024};
        };
        // Once each untimed, so that both find the libraries and fonts in the page cache.
        startup(true);
        startup(false);
        const auto [time, memory] = compare(7, startup);
        const std::string at = " at " + std::to_string(zoom) + " %, 7 runs";
        row("start-up to first paint" + at, time, 1, "ms", "ratio at most 1.10",
            time.ours.median <= 1.10 * time.reference.median);
        row("resident memory after start (VmRSS)" + at, memory, 1, "MiB", "ratio at most 1.10",
            memory.ours.median <= 1.10 * memory.reference.median);
    }
    const Figure close = compare(5, [](bool nurvelo) {
        const Child child = startChild("close", nurvelo, 100);
        return Sample{ms(child.ended - Ns(child.printed[0])), 0};
    })[0];
    row("closing mid-ripple (reference: idle) to process end, 5 runs", close, 1, "ms",
        "under 50 ms", close.ours.max < 50);
    const Figure first =
        compare(7, [](bool nurvelo) { return startChild("step", nurvelo, 300).printed; })[0];
    row("first zoom step after start, 300 to 400 % (Ctrl++), key to frame, 7 runs", first, 1, "ms",
        "at most 16 ms", first.ours.max <= 16);

    showSettled(window, false);
    HighlightPause pause;
    const auto [length, cpu] = compare(
        15, [&](bool ours) { return ours ? timed([&] { pause.wait(); }) : timed(naiveWait); });
    row("highlight pause, length, 15 runs", length, 2, "ms", "400 to 405 ms",
        length.ours.min >= 400 && length.ours.max <= 405);
    row("highlight pause, CPU", cpu, 3, "ms", "under 1 ms", cpu.ours.max < 1);

    // The ripple lights four cells in turn; the reference is its four pauses written naively.
    auto *unitsPlus = window.findChild<QAbstractButton *>(QStringLiteral("cmd_Einer_plus"));
    const auto [rippleTime, rippleCpu] = compare(5, [&](bool ours) {
        if (ours)
            enter999(window);
        settle(100);
        const Sample sample = timed([&] {
            if (ours)
                unitsPlus->click();
            else
                for (int cell = 0; cell < 4; ++cell)
                    naiveWait();
        });
        if (ours && window.counter().AktZahl() != 1000)
            fail("the ripple ended at " + std::to_string(window.counter().AktZahl()));
        return sample;
    });
    row("ripple 0999 to 1000 (click on cmd_Einer_plus), time, 5 runs", rippleTime, 1, "ms",
        "1600 to 1620 ms", rippleTime.ours.min >= 1600 && rippleTime.ours.max <= 1620);
    row("ripple, CPU", rippleCpu, 2, "ms");

    // Later steps, between 300 and 400 %, where a step has the most to redraw. The first three
    // to 400 % are slow in every window, plain or not, while the platform takes the memory of the
    // larger frame into use; the first step after start above shows the worst of them.
    window.setZoom(300);
    window.hide();
    PlainWindow plain(3);
    const auto steps = [&](bool ours) {
        return zoomSteps(ours ? static_cast<QWidget &>(window) : plain);
    };
    compare(3, steps); // untimed
    const auto [up, down] = compare(15, steps);
    row("later zoom steps (from the fourth), 300 to 400 % (Ctrl++), key to frame, 15 runs", up, 1,
        "ms", "at most 16 ms", up.ours.max <= 16);
    row("later zoom steps, 400 to 300 % (Ctrl+-)", down, 1, "ms", "at most 16 ms",
        down.ours.max <= 16);

    std::printf("\n%s\n", allMet ? "Every goal met." : "Some goals missed (marked **no**).");
    return 0;
}
