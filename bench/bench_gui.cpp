// Fast run of the sample program with the register panels, the code window, the log window, the
// six device windows (address space, both ports, SCI, timer, trace) and the symbol and watch
// windows (two watches) shown, the device clocks running, and the trace recording every write (a
// trigger and a qualifier on any write). Reports executed steps per second next to the tick rate
// of an empty 1 ms timer measured in the same run, and the CPU time of one StepOnce with its
// display refresh. Then the turbo run with the same windows, with the log off and with the log
// bounded as during turbo, each next to `orlek-cli run` of the same program in the same process
// (its run command, without the process start). Last the idle workbench with the clocks running,
// halted with the program loaded and with nothing loaded: its CPU load and display frames.
//
//   bench_gui [--seconds S] [--program-dir DIR] [--source FILE] [--no-editor] [--no-log]
//             [--no-panels] [--no-tools] [--no-symbols] [--no-trace] [--instructions] [--paints]
//             [--fixed-frames]
// (the --no- options leave a window hidden or the trace off, to see what each costs;
// --instructions lists instructions instead of bytes in the address-space window; --source runs
// another program, e.g. examples/utripanje.asm, which writes a port in every pass; --paints
// lists each widget's paint events per second of the fast run, the CPU time and the pixels of one;
// --fixed-frames draws the fast run's frames at the fixed rate, however much they cost)
// With --board FILE the lab board (a board file, e.g. examples/boards/prikazovalnik.json, with its
// program as --source) is wired to the ports and its window shown; with --scope the logic
// analyser records and "Časovni diagram", "Prekinitve", "Sklad klicev" and "Profil" are shown;
// with --model chip the fast run is paced by simulated time, and the report gives the E cycles
// that passed per second of wall time next to the paced rate.
//
//   bench_gui ... [--board FILE] [--scope] [--model classic|chip]
//
// Runs under whatever platform Qt picks (QT_QPA_PLATFORM=offscreen when no display is set).
#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QPaintEvent>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "assembler/compiler.h"
#include "base/encoding.h"
#include "cli/commands.h"
#include "editor/frmkoda.h"
#include "engine/machine.h"
#include "isa/isa.h"
#include "session/addressview.h"
#include "session/sciterminal.h"
#include "session/session.h"
#include "session/symbols.h"
#include "session/watches.h"
#include "windows/frmdiagram.h"
#include "windows/frmoznake.h"
#include "windows/frmplosca.h"
#include "windows/frmport.h"
#include "windows/frmprekinitve.h"
#include "windows/frmprofil.h"
#include "windows/frmsci.h"
#include "windows/frmsklad.h"
#include "windows/frmspomin.h"
#include "windows/frmspremenljivke.h"
#include "windows/frmtimer.h"
#include "windows/frmtrace.h"
#include "windows/logwindow.h"
#include "windows/qtstrings.h"
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

// A window draws at run control's display frames, as the main window wires it.
template <typename Window> void DrawsFrames(TRunControl& run, Window& window) {
    QObject::connect(&run, &TRunControl::displayFrame, &window, &Window::DrawFrame);
}

// Counts the paint events of each widget and the CPU time each takes (its children's paints
// are separate events and are not included).
class TPaintTimingApplication : public QApplication {
public:
    using QApplication::QApplication;
    struct TPaints {
        int Count = 0;
        double Cpu = 0;
        double Area = 0; // pixels of the paint events' bounding rectangles
    };
    std::map<std::string, TPaints> Paints;
    bool Enabled = false, Counting = false;

    bool notify(QObject* object, QEvent* event) override {
        if (!Enabled || !Counting || event->type() != QEvent::Paint)
            return QApplication::notify(object, event);
        std::string name = object->metaObject()->className();
        for (QObject* o = object; o; o = o->parent())
            if (!o->objectName().isEmpty() && !o->objectName().startsWith(QStringLiteral("qt_"))) {
                name += " in " + o->objectName().toStdString();
                break;
            }
        const double start = CpuSeconds();
        const bool result = QApplication::notify(object, event);
        TPaints& paints = Paints[name];
        ++paints.Count;
        paints.Cpu += CpuSeconds() - start;
        const QRect rect = static_cast<QPaintEvent*>(event)->rect();
        paints.Area += static_cast<double>(rect.width()) * rect.height();
        return result;
    }
};

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
    bool showEditor = true, showLog = true, showPanels = true, showTools = true, trace = true;
    bool instructions = false, showSymbols = true, countPaints = false, fixedFrames = false;
    std::string sourcePath, boardPath;
    bool scope = false;
    TProcessorModel model = TProcessorModel::Classic;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--no-editor")) {
            showEditor = false;
        } else if (!std::strcmp(argv[i], "--no-log")) {
            showLog = false;
        } else if (!std::strcmp(argv[i], "--no-panels")) {
            showPanels = false;
        } else if (!std::strcmp(argv[i], "--no-tools")) {
            showTools = false;
        } else if (!std::strcmp(argv[i], "--no-trace")) {
            trace = false;
        } else if (!std::strcmp(argv[i], "--no-symbols")) {
            showSymbols = false;
        } else if (!std::strcmp(argv[i], "--paints")) {
            countPaints = true;
        } else if (!std::strcmp(argv[i], "--fixed-frames")) {
            fixedFrames = true;
        } else if (!std::strcmp(argv[i], "--instructions")) {
            instructions = true;
        } else if (!std::strcmp(argv[i], "--source") && i + 1 < argc) {
            sourcePath = argv[++i];
        } else if (!std::strcmp(argv[i], "--board") && i + 1 < argc) {
            boardPath = argv[++i];
        } else if (!std::strcmp(argv[i], "--scope")) {
            scope = true;
        } else if (!std::strcmp(argv[i], "--model") && i + 1 < argc) {
            if (!ParseModelName(argv[++i], model)) {
                std::fprintf(stderr, "bench_gui: --model is classic or chip\n");
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (!std::strcmp(argv[i], "--program-dir") && i + 1 < argc) {
            programDir = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: bench_gui [--seconds S] [--program-dir DIR] [--source FILE] "
                         "[--no-editor] [--no-log] [--no-panels] [--no-tools] [--no-symbols] [--no-trace] "
                         "[--instructions] [--paints] [--fixed-frames] [--board FILE] [--scope] [--model "
                         "classic|chip]\n");
            return 2;
        }
    }
    if (!(seconds > 0.1 && seconds < 600)) {
        std::fprintf(stderr, "bench_gui: --seconds must lie between 0.1 and 600\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TPaintTimingApplication app(argc, argv);
    app.Enabled = countPaints;
    const int wallMs = static_cast<int>(seconds * 1000);

    std::unique_ptr<TSession> session;
    try {
        session = std::make_unique<TSession>(programDir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_gui: %s\n", e.what());
        return 2;
    }
    session->ListingPath.clear();
    session->SetModel(model);
    if (!boardPath.empty()) {
        const TBoardRead read = session->LoadBoardFile(boardPath);
        if (!read.Ok()) {
            std::fprintf(stderr, "bench_gui: %s\n", read.Message().c_str());
            return 2;
        }
    }
    // The logic analyser records from the load on, as in the workbench.
    if (scope) session->SetSignalRecording(true);

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
    TfrmKoda editor;
    editor.SetKeywords(ToQStringList(IsaKeywords()), ToQStringList(IsaCompletionWords()));
    editor.SetSource(QString::fromStdString(sample));
    editor.resize(600, 400);
    if (showEditor) editor.show();

    TfrmLog logWindow(session->Log);
    if (showLog) logWindow.show();

    TRunControl run(*session);
    if (fixedFrames) run.FrameBudget = 0;

    // The windows, each wired as the main window wires it. A window added to the workbench is
    // added to the measurement here.
    TMachine& board = session->Machine();
    TAddressView addressView(*session);
    TfrmSpomin memoryWindow(addressView);
    TfrmPort1 port1Window(board.Port1);
    TfrmPort2 port2Window(board.Port2);
    QObject::connect(&run, &TRunControl::displayFrame, [&](const TDisplayFrame& frame) {
        if (frame.Stepped) addressView.ProgramCounterMoved(session->Cpu().PC);
    });
    DrawsFrames(run, memoryWindow);
    DrawsFrames(run, *panels);
    QObject::connect(&run, &TRunControl::displayFrame, &editor, [&](const TDisplayFrame& frame) {
        if (!frame.Processor() || session->NextInstruction().empty()) return;
        const int line = session->ExecutionLine();
        if (frame.Stepped || line != editor.ExecutionLine()) editor.ScrollToLine(line);
        editor.SetExecutionLine(line);
    });
    memoryWindow.resize(210, 500);
    TfrmSCI sciWindow(board.Sci, session->SciTerminal());
    TfrmTimer timerWindow(board.Timer);
    TfrmTrace traceWindow(session->Memory());
    std::vector<QWidget*> toolWindows;
    auto addToolWindow = [&](auto& window) {
        DrawsFrames(run, window);
        toolWindows.push_back(&window);
    };
    toolWindows.push_back(&memoryWindow);
    addToolWindow(port1Window);
    addToolWindow(port2Window);
    addToolWindow(sciWindow);
    addToolWindow(timerWindow);
    addToolWindow(traceWindow);
    traceWindow.Pages()->setCurrentIndex(0); // the recorded rows in view
    // The symbol and watch windows.
    TSymbolTable symbols;
    TWatchList watches(*session, symbols);
    addressView.SetSymbols(&symbols);
    if (instructions) addressView.ToggleDisassembly();
    TfrmOznake symbolWindow(symbols);
    TfrmSpremenljivke watchWindow(watches);
    QObject::connect(&run, &TRunControl::loadFinished,
                     [&](bool ok) { symbols.AssemblyFinished(ok, session->Compiler().Labels()); });
    DrawsFrames(run, symbolWindow);
    DrawsFrames(run, watchWindow);
    DrawsFrames(run, logWindow);
    if (showSymbols) {
        toolWindows.push_back(&symbolWindow);
        toolWindows.push_back(&watchWindow);
    }
    // The lab board and the analysis windows.
    TfrmPlosca boardWindow;
    boardWindow.Now = [&] { return session->BoardNowNs(); };
    QObject::connect(&run, &TRunControl::displayFrame, [&] {
        if (boardWindow.Board() != session->Board()) boardWindow.SetBoard(session->Board());
    });
    TfrmCasovniDiagram diagramWindow(*session);
    TfrmPrekinitve interruptWindow(*session);
    TfrmSkladKlicev callStackWindow(*session);
    TfrmProfil profileWindow(*session);
    if (!boardPath.empty()) addToolWindow(boardWindow);
    if (scope) {
        addToolWindow(diagramWindow);
        addToolWindow(interruptWindow);
        addToolWindow(callStackWindow);
        addToolWindow(profileWindow);
    }
    if (showTools)
        for (QWidget* window : toolWindows)
            window->show();
    // Every write recorded from the first one on.
    if (trace) {
        TTrace& recorder = session->Memory().Trace;
        recorder.Triggers.Add(*ParseCondition("xxxx", "x", "w"));
        recorder.Qualifiers.Add(*ParseCondition("xxxx", "x", "w"));
        session->Memory().TraceEnabled = true;
    }
    run.SourceLines = [&] { return SplitLines(Utf8ToCp1250(sample)); };

    run.Load();
    if (run.State() != RunState::Halted) {
        std::fprintf(stderr, "bench_gui: the sample program did not load\n");
        return 1;
    }
    // The sample's counter as a word and its low byte (another program may lack the label).
    watches.Add("stevec", WatchSize::Word);
    watches.Add("stevec+1", WatchSize::Byte);
    run.StartClocks(); // the timer and SCI clocks run throughout, as in the workbench
    RunFor(200);       // let the windows appear

    // 1 and 2. An empty 1 ms timer and the fast run at 1 ms, measured in alternating slices of
    // half a second each, so that both see the same load on a shared machine.
    run.SetFastInterval(1);
    const int slices = std::max(1, wallMs / 500);
    const int sliceMs = wallMs / slices;
    int emptyTicks = 0;
    double emptyWall = 0, emptyCpu = 0, runWall = 0, runCpu = 0;
    size_t fastSteps = 0;
    uint64_t fastCycles = 0;
    QElapsedTimer wall;
    for (int slice = 0; slice < slices; ++slice) {
        {
            QTimer empty;
            empty.setTimerType(Qt::PreciseTimer);
            empty.setInterval(1);
            QObject::connect(&empty, &QTimer::timeout, [&] { ++emptyTicks; });
            wall.start();
            const double cpuStart = CpuSeconds();
            empty.start();
            RunFor(sliceMs);
            emptyWall += static_cast<double>(wall.nsecsElapsed()) * 1e-9;
            emptyCpu += CpuSeconds() - cpuStart;
        }
        const size_t before = Steps(session->Log);
        const uint64_t cyclesBefore = session->Cycles();
        const double cpuStart = CpuSeconds();
        wall.start();
        run.RunFast();
        app.Counting = true;
        RunFor(sliceMs);
        app.Counting = false;
        run.Pause();
        runWall += static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        runCpu += CpuSeconds() - cpuStart;
        fastSteps += Steps(session->Log) - before;
        fastCycles += session->Cycles() - cyclesBefore;
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

    // 4. One display frame of a fast run with all the windows: 40 steps' worth of changes (the
    // timer ticks 8 times, the trace records what 40 steps of the sample write), then the frame
    // and its repaints. The session is put in the fast-run state without the step timer, so
    // that only the frames run.
    double toolFrame = 0;
    if (showTools) {
        run.StopClocks();
        constexpr int kFrames = 300;
        const bool wasLoaded = board.loaded;
        board.loaded = true;
        session->RunFast();
        cpu = CpuSeconds();
        for (int frame = 0; frame < kFrames; ++frame) {
            for (int tick = 0; tick < 8; ++tick)
                board.Timer.TimerTick();
            for (int write = 0; write < 9; ++write)
                session->Memory().Write(0x1000, MemoryCell{static_cast<uint8_t>(write), 0}, true);
            if (frame % 4 == 0) board.Sci.SciTick();
            run.RefreshDisplay();
            QCoreApplication::processEvents();
        }
        toolFrame = (CpuSeconds() - cpu) / kFrames;
        session->Pause();
        board.loaded = wasLoaded;
    }

    if (countPaints) {
        std::printf("paint events per second of fast run (CPU and pixels of one):\n");
        for (const auto& [name, paints] : app.Paints)
            std::printf("  %6.1f/s %7.1f us %7.0f px  %s\n", paints.Count / runWall,
                        1e6 * paints.Cpu / paints.Count, paints.Area / paints.Count, name.c_str());
    }
    std::printf("platform:                 %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("empty 1 ms timer:         %.0f ticks/s, CPU per tick %.1f us\n", emptyRate,
                emptyTicks ? 1e6 * emptyCpu / emptyTicks : 0.0);
    // The classic fast run steps once a tick; the chip model's is paced by simulated time.
    if (model == TProcessorModel::Classic) {
        std::printf(
            "fast run (1 ms):          %.0f steps/s (%zu steps in %.2f s), %.1f%% of the empty timer\n",
            stepRate, fastSteps, runWall, emptyRate > 0 ? 100.0 * stepRate / emptyRate : 0.0);
    } else {
        const double paced = static_cast<double>(run.Pacer.EHz) / run.Pacer.Divisor;
        const double cycleRate = static_cast<double>(fastCycles) / runWall;
        std::printf("paced fast run (chip):    %.0f E cycles/s, %.2f%% of the paced %.0f/s\n", cycleRate,
                    100.0 * cycleRate / paced, paced);
    }
    std::printf("fast run CPU load:        %.1f%%\n", 100.0 * runCpu / runWall);
    std::printf("fast run CPU per step:    %.1f us (display frames and device clocks included)\n",
                fastSteps ? 1e6 * runCpu / static_cast<double>(fastSteps) : 0.0);
    std::printf("StepOnce + refresh:       %.2f us CPU\n", stepOnly * 1e6);
    std::printf("StepOnce + refresh+paint: %.2f us CPU\n", stepPainted * 1e6);
    if (showTools) std::printf("display frame, all:       %.1f us CPU\n", toolFrame * 1e6);
    std::printf("log lines:                %zu\n", session->Log.Size());
    std::printf("trace rows:               %zu\n", session->Memory().Trace.Rows().size());

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

    // 5. The idle workbench with the device clocks running: halted with the program loaded (the
    // timer window counts), then with no program loaded (nothing on screen changes). CPU load
    // and the display frames drawn per second.
    run.StartClocks();
    int frames = 0;
    QObject::connect(&run, &TRunControl::displayFrame, [&] { ++frames; });
    auto idle = [&] {
        frames = 0;
        wall.start();
        const double cpuStart = CpuSeconds();
        RunFor(wallMs);
        const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
        return std::pair{100.0 * (CpuSeconds() - cpuStart) / seconds, frames / seconds};
    };
    const auto [loadedCpu, loadedFrames] = idle();
    run.Stop();
    const auto [idleCpu, idleFrames] = idle();
    std::printf("idle, program loaded:     CPU %.2f%%, %.1f frames/s\n", loadedCpu, loadedFrames);
    std::printf("idle, nothing loaded:     CPU %.2f%%, %.1f frames/s\n", idleCpu, idleFrames);
    return 0;
}
