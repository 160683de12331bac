// Fast run of the sample program with the register panels, a code editor, the log window, the
// address-space window and both port windows shown. Reports executed steps per second next to the
// tick rate of an empty 1 ms timer measured in the same run, and the CPU time of one StepOnce with
// its display refresh. Then the turbo run with the same windows, with the log off and with the
// log bounded as during turbo, each next to `orlek-cli run` of the same program in the same
// process (its run command, without the process start).
//
//   bench_gui [--seconds S] [--program-dir DIR] [--source FILE] [--no-editor] [--no-log]
//             [--no-panels] [--no-memory] [--no-ports]
// (the --no- options leave a window hidden, to see what each costs; --source runs another
// program, e.g. examples/utripanje.asm, which writes a port in every pass)
// Runs under whatever platform Qt picks (QT_QPA_PLATFORM=offscreen when no display is set).
#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QTimer>
#include <Qsci/qsciscintilla.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "assembler/compiler.h"
#include "assembler/encoding.h"
#include "cli/commands.h"
#include "engine/machine.h"
#include "session/addressview.h"
#include "session/session.h"
#include "windows/frmport.h"
#include "windows/frmspomin.h"
#include "windows/logwindow.h"
#include "windows/registerpanels.h"
#include "workbench/runcontrol.h"

namespace {

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Runs the event loop for `ms` milliseconds of wall time.
void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

size_t Steps(const TLog& log) {
    size_t n = 0;
    for (const TLogRecord& r : log.Records())
        n += r.Header ? 0 : 1;
    return n;
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 3.0;
    std::string programDir = ORLEK_PROGRAM_DIR;
    bool showEditor = true, showLog = true, showPanels = true, showMemory = true, showPorts = true;
    std::string sourcePath;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--no-editor")) {
            showEditor = false;
        } else if (!std::strcmp(argv[i], "--no-log")) {
            showLog = false;
        } else if (!std::strcmp(argv[i], "--no-panels")) {
            showPanels = false;
        } else if (!std::strcmp(argv[i], "--no-memory")) {
            showMemory = false;
        } else if (!std::strcmp(argv[i], "--no-ports")) {
            showPorts = false;
        } else if (!std::strcmp(argv[i], "--source") && i + 1 < argc) {
            sourcePath = argv[++i];
        } else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (!std::strcmp(argv[i], "--program-dir") && i + 1 < argc) {
            programDir = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench_gui [--seconds S] [--program-dir DIR] [--source FILE] "
                                 "[--no-editor] [--no-log] [--no-panels] [--no-memory] [--no-ports]\n");
            return 2;
        }
    }
    if (!(seconds > 0.1 && seconds < 600)) {
        std::fprintf(stderr, "bench_gui: --seconds must lie between 0.1 and 600\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int wallMs = static_cast<int>(seconds * 1000);

    std::unique_ptr<TSession> session;
    try {
        session = std::make_unique<TSession>(programDir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_gui: %s\n", e.what());
        return 2;
    }
    session->ListingPath.clear();

    // The workbench's pieces: panels in a strip, an editor following the current line, the log.
    QWidget strip;
    auto* layout = new QHBoxLayout(&strip);
    auto* panels = new TRegisterPanels(*session, &strip);
    layout->addWidget(panels);
    strip.resize(1000, 50);
    if (showPanels) strip.show();

    std::string sample = SampleProgram();
    if (!sourcePath.empty()) {
        std::ifstream in(sourcePath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            std::fprintf(stderr, "bench_gui: cannot read %s\n", sourcePath.c_str());
            return 2;
        }
        sample = text.str();
    }
    QsciScintilla editor;
    editor.setText(QString::fromStdString(sample));
    editor.markerDefine(QsciScintilla::RightArrow, 10);
    editor.resize(600, 400);
    if (showEditor) editor.show();

    TfrmLog logWindow(session->Log);
    if (showLog) logWindow.show();

    TRunControl run(*session);
    run.SetPanels(panels);

    // The device windows, wired as the main window wires them.
    TAddressView addressView(*session);
    TfrmSpomin memoryWindow(addressView);
    TfrmPort1 port1Window(session->Machine().Port1);
    TfrmPort2 port2Window(session->Machine().Port2);
    run.RedrawAddressSpace = [&] { return memoryWindow.Redraw(); };
    QObject::connect(&run, &TRunControl::programCounterMoved,
                     [&](uint16_t pc) { addressView.ProgramCounterMoved(pc); });
    for (TfrmPort* port : {static_cast<TfrmPort*>(&port1Window), static_cast<TfrmPort*>(&port2Window)}) {
        port->FrameLimited = [&] { return run.FrameLimited(); };
        QObject::connect(&run, &TRunControl::displayRefreshed, port, &TfrmPort::DisplayRefreshed);
    }
    memoryWindow.resize(210, 500);
    if (showMemory) memoryWindow.show();
    if (showPorts) {
        port1Window.show();
        port2Window.show();
    }
    run.SourceLines = [&] { return SplitLines(Utf8ToCp1250(sample)); };
    QObject::connect(&run, &TRunControl::showExecutionLine, &editor, [&](int line) {
        if (line <= 0) return;
        editor.markerDeleteAll(10);
        editor.markerAdd(line - 1, 10);
        editor.ensureLineVisible(line - 1);
    });

    run.Load();
    if (run.State() != RunState::Halted) {
        std::fprintf(stderr, "bench_gui: the sample program did not load\n");
        return 1;
    }
    RunFor(200); // let the windows appear

    // 1 and 2. An empty 1 ms timer and the fast run at 1 ms, measured in alternating slices of
    // half a second each, so that both see the same load on a shared machine.
    run.SetFastInterval(1);
    const int slices = std::max(1, wallMs / 500);
    const int sliceMs = wallMs / slices;
    int emptyTicks = 0;
    double emptyWall = 0, runWall = 0, runCpu = 0;
    size_t fastSteps = 0;
    QElapsedTimer wall;
    for (int slice = 0; slice < slices; ++slice) {
        {
            QTimer empty;
            empty.setTimerType(Qt::PreciseTimer);
            empty.setInterval(1);
            QObject::connect(&empty, &QTimer::timeout, [&] { ++emptyTicks; });
            wall.start();
            empty.start();
            RunFor(sliceMs);
            emptyWall += static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        }
        const size_t before = Steps(session->Log);
        const double cpuStart = CpuSeconds();
        wall.start();
        run.RunFast();
        RunFor(sliceMs);
        run.Pause();
        runWall += static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        runCpu += CpuSeconds() - cpuStart;
        fastSteps += Steps(session->Log) - before;
    }
    const double emptyRate = emptyTicks / emptyWall;
    const double stepRate = static_cast<double>(fastSteps) / runWall;

    // 3. CPU time of StepOnce with its refresh (every step refreshed, as in a slow run), then
    // with the repaints it scheduled.
    constexpr int kSteps = 20000;
    double cpu = CpuSeconds();
    for (int i = 0; i < kSteps; ++i)
        run.StepOnce();
    const double stepOnly = (CpuSeconds() - cpu) / kSteps;
    constexpr int kPainted = 2000;
    cpu = CpuSeconds();
    for (int i = 0; i < kPainted; ++i) {
        run.StepOnce();
        QCoreApplication::processEvents();
    }
    const double stepPainted = (CpuSeconds() - cpu) / kPainted;

    std::printf("platform:                 %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("empty 1 ms timer:         %.0f ticks/s\n", emptyRate);
    std::printf("fast run (1 ms):          %.0f steps/s (%zu steps in %.2f s), %.1f%% of the empty timer\n",
                stepRate, fastSteps, runWall, emptyRate > 0 ? 100.0 * stepRate / emptyRate : 0.0);
    std::printf("fast run CPU load:        %.1f%%\n", 100.0 * runCpu / runWall);
    std::printf("StepOnce + refresh:       %.2f us CPU\n", stepOnly * 1e6);
    std::printf("StepOnce + refresh+paint: %.2f us CPU\n", stepPainted * 1e6);
    std::printf("log lines:                %zu\n", session->Log.Size());

    // 4. Turbo, with the log off and then bounded, alternating with orlek-cli run of the same
    // program for as many steps, so that both see the same load on a shared machine.
    const std::filesystem::path sourceFile =
        std::filesystem::temp_directory_path() / ("bench_gui_" + std::to_string(::getpid()) + ".asm");
    {
        std::ofstream out(sourceFile, std::ios::binary);
        out << sample;
    }
    std::FILE* devnull = std::fopen("/dev/null", "w");
    auto turbo = [&](bool logging) {
        session->Log.Clear();
        session->Log.AppendHeader();
        session->Log.Enabled = logging;
        wall.start();
        const double cpuStart = CpuSeconds();
        run.RunTurbo();
        RunFor(sliceMs);
        const uint64_t steps = run.Turbo() ? run.Turbo()->Steps() : 0;
        run.Pause();
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        return std::pair{static_cast<double>(steps) / seconds, (CpuSeconds() - cpuStart) / seconds};
    };
    auto cli = [&](uint64_t steps) {
        TCliOptions options;
        options.Command = CliCommand::Run;
        options.Source = sourceFile.string();
        options.Steps = std::max<uint64_t>(steps, 1);
        options.Seed = 1;
        wall.start();
        const double cpuStart = CpuSeconds();
        RunCommand(options, programDir, devnull, devnull);
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        return std::pair{static_cast<double>(options.Steps) / seconds, (CpuSeconds() - cpuStart) / seconds};
    };
    double turboRate[2] = {0, 0}, turboLoad[2] = {0, 0}, cliRate[2] = {0, 0}, cliLoad[2] = {0, 0};
    for (int slice = 0; slice < slices; ++slice)
        for (int logging = 0; logging < 2; ++logging) {
            const auto [rate, load] = turbo(logging != 0);
            turboRate[logging] += rate / slices;
            turboLoad[logging] += load / slices;
            const auto [cliSteps, cliCpu] = cli(static_cast<uint64_t>(rate * sliceMs / 1000));
            cliRate[logging] += cliSteps / slices;
            cliLoad[logging] += cliCpu / slices;
        }
    std::fclose(devnull);
    std::filesystem::remove(sourceFile);
    session->Log.Enabled = true;
    // Wall-clock rates (what the user sees) and the share of a CPU the process had meanwhile.
    for (int logging = 0; logging < 2; ++logging)
        std::printf("turbo, log %-8s %.1f M steps/s (CPU %.0f%%); orlek-cli run %.1f M steps/s (CPU %.0f%%); "
                    "ratio %.2f\n",
                    logging ? "bounded:" : "off:", turboRate[logging] * 1e-6, 100.0 * turboLoad[logging],
                    cliRate[logging] * 1e-6, 100.0 * cliLoad[logging],
                    cliRate[logging] > 0 ? turboRate[logging] / cliRate[logging] : 0.0);
    std::printf("turbo log kept:           %zu lines, %llu dropped\n", session->Log.Size(),
                static_cast<unsigned long long>(session->Log.Dropped()));
    return 0;
}
