#include "counter/counter.h"
#include "counter/digitcells.h"
#include "counter/highlightpause.h"
#include "plainwindow.h"
#include "window/form1.h"
#include "window/startup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

// Speed, CPU and memory of the highlight pause, a ripple, start-up and closing, each measured
// beside a reference in the same run so that the machine's own speed cancels out in the ratio.
// Run it on a display (Xvfb will do); tools/bench.sh does that. The start-up and closing figures
// come from child processes: the program runs itself again in one of the modes below.

namespace {

using Ns = long long;

Ns clockNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return Ns(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

Ns monotonicNs() {
    return clockNs(CLOCK_MONOTONIC);
}

// All threads of the process, Qt's own included.
Ns cpuNs() {
    return clockNs(CLOCK_PROCESS_CPUTIME_ID);
}

double ms(Ns ns) {
    return ns / 1e6;
}

std::string firstLineWith(const char *path, const char *key) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0)
            return line.substr(line.find(':') + 1);
    return {};
}

long residentKb() {
    return std::atol(firstLineWith("/proc/self/status", "VmRSS").c_str());
}

struct Summary {
    double median = 0, min = 0, max = 0;
};

Summary summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

// Lets the event loop run for a while, e.g. until a freshly shown window has settled.
void settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntilExposed(QWidget &window) {
    QElapsedTimer clock;
    clock.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed())) {
        if (clock.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The pause as it is usually first written: poll the clock, handle events, until time is up.
void naiveWait() {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < HighlightPause::kLength)
        QCoreApplication::processEvents();
}

class NaivePause final : public Pause {
public:
    bool wait() override {
        naiveWait();
        return true;
    }
};

// Form1's digit cells driven from outside, so that a second counter can ripple on them with a
// different pause.
class LabelCells final : public DigitCells {
public:
    explicit LabelCells(QWidget &window) {
        const char *names[] = {"Einer", "Zehner", "Hunderter", "Tausender"};
        for (int place = 0; place < 4; ++place) {
            m_labels[0][place] =
                window.findChild<QLabel *>(QStringLiteral("lbl_%1").arg(names[place]));
            m_labels[1][place] =
                window.findChild<QLabel *>(QStringLiteral("lbl_%1_add").arg(names[place]));
        }
    }
    bool complete() const {
        for (const auto &row : m_labels)
            for (QLabel *label : row)
                if (!label)
                    return false;
        return true;
    }
    QString caption(Cell cell) const override { return label(cell)->text(); }
    void setCaption(Cell cell, const QString &text) override { label(cell)->setText(text); }
    void setForeColor(Cell cell, unsigned colour) override {
        QPalette palette = label(cell)->palette();
        palette.setColor(QPalette::WindowText,
                         QColor(colour & 0xff, (colour >> 8) & 0xff, (colour >> 16) & 0xff));
        label(cell)->setPalette(palette);
    }

private:
    QLabel *label(Cell cell) const {
        return m_labels[static_cast<int>(cell.row)][static_cast<int>(cell.place)];
    }
    std::array<std::array<QLabel *, 4>, 2> m_labels{};
};

template <typename T> T *control(QWidget &window, const char *name) {
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found) {
        std::fprintf(stderr, "no control %s\n", name);
        std::exit(2);
    }
    return found;
}

void enterCounter(Form1 &window, const QString &text) {
    control<QLineEdit>(window, "txt_Eingabe")->setText(text);
    control<QAbstractButton>(window, "cmd_ok")->click();
}

// ---- Child processes ----

std::unique_ptr<QWidget> makeWindow(QApplication &app, bool form1) {
    if (!form1)
        return std::make_unique<PlainWindow>();
    setUpApplication(app); // as main() does
    return std::make_unique<Form1>();
}

// Notes the first paint event of the window, then, once that frame is done, how much memory the
// process holds, and ends at once.
class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            std::printf("paint_ns %lld\n", monotonicNs());
            QTimer::singleShot(0, [] {
                std::printf("rss_kb %ld\n", residentKb());
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

int startupChild(int argc, char **argv, bool form1) {
    QApplication app(argc, argv);
    const std::unique_ptr<QWidget> window = makeWindow(app, form1);
    FirstPaint watcher;
    window->installEventFilter(&watcher);
    window->show();
    return app.exec();
}

// Shows the window, then closes it 150 ms into a ripple (Form1) or while idle (plain window),
// noting the time of the close request. The parent takes the time until the process has gone.
int closeChild(int argc, char **argv, bool form1) {
    QApplication app(argc, argv);
    const std::unique_ptr<QWidget> window = makeWindow(app, form1);
    window->show();
    QTimer::singleShot(300, [&] {
        QTimer::singleShot(150, [&] {
            std::printf("close_ns %lld\n", monotonicNs());
            std::fflush(stdout);
            window->close();
        });
        if (form1) {
            auto &form = static_cast<Form1 &>(*window);
            enterCounter(form, QStringLiteral("999"));
            control<QAbstractButton>(form, "cmd_Einer_plus")->click();
        }
    });
    const int result = app.exec();
    // Where the counter stopped shows that the close came inside the ripple and nothing ran on.
    if (form1)
        std::printf("aktzahl %d\n", static_cast<Form1 &>(*window).counter().AktZahl());
    return result;
}

// ---- The parent ----

struct ChildRun {
    Ns started = 0; // just before the child was spawned
    Ns ended = 0;   // just after it was reaped
    std::map<std::string, long long> values;
};

void onAlarm(int) {}

ChildRun runChild(const char *mode) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        std::perror("pipe2");
        std::exit(2);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    char self[] = "/proc/self/exe";
    std::string modeText = mode;
    char *arguments[] = {self, modeText.data(), nullptr};

    ChildRun run;
    pid_t pid = 0;
    run.started = monotonicNs();
    if (posix_spawn(&pid, self, &actions, nullptr, arguments, environ) != 0) {
        std::perror("posix_spawn");
        std::exit(2);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);

    // A child that never ends would hang the bench; the alarm interrupts the wait.
    struct sigaction action {};
    action.sa_handler = onAlarm;
    sigaction(SIGALRM, &action, nullptr);
    alarm(30);
    int status = 0;
    const pid_t reaped = waitpid(pid, &status, 0);
    run.ended = monotonicNs();
    alarm(0);
    if (reaped != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        std::fprintf(stderr, "%s: the child did not end within 30 s\n", mode);
        std::exit(1);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s: the child failed (status %d)\n", mode, status);
        std::exit(1);
    }

    std::string output;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = std::min(output.find('\n', at), output.size());
        const std::string line = output.substr(at, end - at);
        const std::size_t space = line.find(' ');
        if (space != std::string::npos)
            run.values[line.substr(0, space)] = std::atoll(line.c_str() + space + 1);
        at = end + 1;
    }
    return run;
}

long long value(const ChildRun &run, const char *key, const char *mode) {
    const auto found = run.values.find(key);
    if (found == run.values.end()) {
        std::fprintf(stderr, "%s: the child printed no %s\n", mode, key);
        std::exit(1);
    }
    return found->second;
}

struct Figure {
    std::string figure;
    std::string nurvelo;
    std::string reference;
    double ratio;
    std::string goal;
    bool met;
};

std::string format(const char *pattern, double number) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, number);
    return text;
}

void printTable(const std::vector<Figure> &rows) {
    std::printf("| figure | Nurvelo | reference | ratio | goal | met |\n");
    std::printf("| --- | --- | --- | --- | --- | --- |\n");
    for (const Figure &row : rows) {
        std::printf("| %s | %s | %s | %s | %s | %s |\n", row.figure.c_str(), row.nurvelo.c_str(),
                    row.reference.c_str(),
                    format(row.ratio >= 0.1 ? "%.2f" : "%.2g", row.ratio).c_str(), row.goal.c_str(),
                    row.met ? "yes" : "**no**");
    }
}

constexpr int kStartups = 7;
constexpr int kCloses = 5;
constexpr int kPauses = 15;
constexpr int kRipples = 5;

void measureStartup(std::vector<Figure> &rows) {
    std::vector<double> time[2], memory[2];
    const char *modes[] = {"startup-form1", "startup-plain"};
    // One untimed run each first, so both find the libraries and fonts in the page cache.
    for (const char *mode : modes)
        runChild(mode);
    for (int i = 0; i < kStartups; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int which = (i + k) % 2; // alternate which goes first
            const ChildRun run = runChild(modes[which]);
            time[which].push_back(ms(value(run, "paint_ns", modes[which]) - run.started));
            memory[which].push_back(value(run, "rss_kb", modes[which]) / 1024.0);
        }
    }
    const Summary form1Time = summarise(time[0]), plainTime = summarise(time[1]);
    const Summary form1Memory = summarise(memory[0]), plainMemory = summarise(memory[1]);
    const double timeRatio = form1Time.median / plainTime.median;
    const double memoryRatio = form1Memory.median / plainMemory.median;
    rows.push_back({"start-up to first paint, median of " + std::to_string(kStartups),
                    format("%.1f ms", form1Time.median), format("%.1f ms", plainTime.median),
                    timeRatio, "ratio at most 1.15", timeRatio <= 1.15});
    rows.push_back({"start-up, slowest", format("%.1f ms", form1Time.max),
                    format("%.1f ms", plainTime.max), form1Time.max / plainTime.max, "", true});
    rows.push_back({"resident memory after start (VmRSS), median",
                    format("%.1f MiB", form1Memory.median), format("%.1f MiB", plainMemory.median),
                    memoryRatio, "ratio at most 1.15", memoryRatio <= 1.15});
}

void measureClosing(std::vector<Figure> &rows) {
    std::vector<double> time[2];
    const char *modes[] = {"close-form1", "close-plain"};
    for (int i = 0; i < kCloses; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int which = (i + k) % 2;
            const ChildRun run = runChild(modes[which]);
            time[which].push_back(ms(run.ended - value(run, "close_ns", modes[which])));
            if (which == 0 && value(run, "aktzahl", modes[which]) != 990) {
                std::fprintf(stderr, "the close did not stop the ripple after the units: %lld\n",
                             value(run, "aktzahl", modes[which]));
                std::exit(1);
            }
        }
    }
    const Summary form1 = summarise(time[0]), plain = summarise(time[1]);
    rows.push_back({"closing mid-ripple to process end, median of " + std::to_string(kCloses),
                    format("%.1f ms", form1.median), format("%.1f ms (idle)", plain.median),
                    form1.median / plain.median, "under 50 ms", form1.max < 50});
    rows.push_back({"closing mid-ripple, slowest", format("%.1f ms", form1.max),
                    format("%.1f ms (idle)", plain.max), form1.max / plain.max, "under 50 ms",
                    form1.max < 50});
}

void measurePause(std::vector<Figure> &rows) {
    HighlightPause pause;
    std::vector<double> time[2], cpu[2];
    for (int i = 0; i < kPauses; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int which = (i + k) % 2;
            const Ns cpuBefore = cpuNs();
            const Ns before = monotonicNs();
            if (which == 0)
                pause.wait();
            else
                naiveWait();
            const Ns after = monotonicNs();
            time[which].push_back(ms(after - before));
            cpu[which].push_back(ms(cpuNs() - cpuBefore));
        }
    }
    const Summary length = summarise(time[0]), naiveLength = summarise(time[1]);
    const Summary used = summarise(cpu[0]), naiveUsed = summarise(cpu[1]);
    const std::string of = ", median of " + std::to_string(kPauses);
    rows.push_back({"highlight pause, length" + of, format("%.2f ms", length.median),
                    format("%.2f ms", naiveLength.median), length.median / naiveLength.median,
                    "400 to 405 ms", length.median >= 400 && length.median <= 405});
    rows.push_back({"highlight pause, shortest", format("%.2f ms", length.min),
                    format("%.2f ms", naiveLength.min), length.min / naiveLength.min,
                    "never under 400 ms", length.min >= 400});
    rows.push_back({"highlight pause, longest", format("%.2f ms", length.max),
                    format("%.2f ms", naiveLength.max), length.max / naiveLength.max,
                    "at most 405 ms", length.max <= 405});
    rows.push_back({"highlight pause, CPU" + of, format("%.3f ms", used.median),
                    format("%.1f ms", naiveUsed.median), used.median / naiveUsed.median,
                    "under 1 ms", used.max < 1});
}

void measureRipple(Form1 &window, std::vector<Figure> &rows) {
    auto *unitsPlus = control<QAbstractButton>(window, "cmd_Einer_plus");
    LabelCells cells(window);
    if (!cells.complete()) {
        std::fprintf(stderr, "the digit cells were not found\n");
        std::exit(2);
    }
    NaivePause naivePause;
    Counter naiveCounter(cells, naivePause);

    std::vector<double> time[2], cpu[2];
    for (int i = 0; i < kRipples; ++i) {
        for (int k = 0; k < 2; ++k) {
            const int which = (i + k) % 2;
            if (which == 0)
                enterCounter(window, QStringLiteral("999"));
            else
                naiveCounter.setRow(Row::Counter, 999);
            settle(100);
            const Ns cpuBefore = cpuNs();
            const Ns before = monotonicNs();
            if (which == 0)
                unitsPlus->click();
            else
                naiveCounter.Einer_addieren();
            const Ns after = monotonicNs();
            time[which].push_back(ms(after - before));
            cpu[which].push_back(ms(cpuNs() - cpuBefore));
            const int reached = which == 0 ? window.counter().AktZahl() : naiveCounter.AktZahl();
            if (reached != 1000) {
                std::fprintf(stderr, "the ripple ended at %d, not 1000\n", reached);
                std::exit(1);
            }
        }
    }
    const Summary length = summarise(time[0]), naiveLength = summarise(time[1]);
    const Summary used = summarise(cpu[0]), naiveUsed = summarise(cpu[1]);
    const std::string of = ", median of " + std::to_string(kRipples);
    rows.push_back({"ripple 0999 to 1000 (click on cmd_Einer_plus), time" + of,
                    format("%.1f ms", length.median), format("%.1f ms", naiveLength.median),
                    length.median / naiveLength.median, "1600 to 1620 ms",
                    length.min >= 1600 && length.max <= 1620});
    rows.push_back({"ripple, slowest", format("%.1f ms", length.max),
                    format("%.1f ms", naiveLength.max), length.max / naiveLength.max,
                    "at most 1620 ms", length.max <= 1620});
    rows.push_back({"ripple, CPU" + of, format("%.2f ms", used.median),
                    format("%.1f ms", naiveUsed.median), used.median / naiveUsed.median, "", true});
}

int runAll(int argc, char **argv) {
    std::vector<Figure> rows;
    // The child processes first, while this process is still idle.
    measureStartup(rows);
    measureClosing(rows);

    QApplication app(argc, argv);
    setUpApplication(app);
    Form1 window;
    window.show();
    if (!waitUntilExposed(window)) {
        std::fprintf(stderr, "the window never showed\n");
        return 2;
    }
    settle(500);
    measurePause(rows);
    measureRipple(window, rows);

    std::string cpuModel = firstLineWith("/proc/cpuinfo", "model name");
    cpuModel.erase(0, cpuModel.find_first_not_of(' '));
    const long memoryKb = std::atol(firstLineWith("/proc/meminfo", "MemTotal").c_str());
    std::printf("Machine: %ld cores (nproc), %s, %.1f GiB RAM; Qt %s, platform %s.\n",
                sysconf(_SC_NPROCESSORS_ONLN), cpuModel.c_str(), memoryKb / 1048576.0, qVersion(),
                qPrintable(QGuiApplication::platformName()));
    std::printf("References: the pause and the ripple written the naive way (a loop that reads the "
                "clock and calls processEvents() until 0.4 s have passed); for start-up, memory "
                "and closing, a plain Qt program with the same 34 controls.\n\n");
    printTable(rows);
    const bool allMet =
        std::all_of(rows.begin(), rows.end(), [](const Figure &r) { return r.met; });
    std::printf("\n%s\n", allMet ? "Every goal met." : "Some goals missed (marked **no**).");
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "startup-form1" || mode == "startup-plain")
        return startupChild(argc, argv, mode == "startup-form1");
    if (mode == "close-form1" || mode == "close-plain")
        return closeChild(argc, argv, mode == "close-form1");
    if (!mode.empty()) {
        std::fprintf(stderr, "usage: %s [startup-form1|startup-plain|close-form1|close-plain]\n",
                     argv[0]);
        return 2;
    }
    return runAll(argc, argv);
}
