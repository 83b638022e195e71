// The dialog program's batch conversion, headless, against `stillcutter-cli convert` on the same
// files: the main dialog (off screen, shown as in use, every prompt answered by nobody) opens a
// file, converts all its frames into a folder through Start Conversion, and is timed from the
// press of the button until the progress bar is full (the last frame written; the end beeps
// follow) and until the run has ended. The command line is timed from its start to its end,
// and by its own count of the conversion (the "wrote N files in S s" line of --progress).
// Rounds alternate between the two, into the same folder of the same file system.
//
//     bench_dialog_convert [--cli PATH] [--work DIR] [--rounds N] [--frames N] [--only NAME]
//
// Fixtures are made with the ffmpeg command line, the same as bench/convert makes (and shares
// with it in the same work folder). A benchmark, not a test: a missed goal is marked, not failed.
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bench_fixture.h"
#include "convert/frame_range.h"
#include "mainwnd/converter_dlg.h"
#include "platform/prompts/prompts.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kGoal = 0.90;  // the dialog's share of the command line's frames per second

using bench::Fixture;

// The fixtures of bench/convert, under the same names.
const Fixture kFixtures[] = {
    {"bgr24_1280x720", "1280x720", "-c:v rawvideo -pix_fmt bgr24"},
    {"mjpeg_1280x720", "1280x720", "-c:v mjpeg -q:v 3 -pix_fmt yuvj420p"},
    {"mpeg4_1920x1080", "1920x1080", "-c:v mpeg4 -q:v 4 -g 300 -bf 2 -pix_fmt yuv420p"},
    {"ffv1_640x480", "640x480", "-c:v ffv1 -pix_fmt yuv420p"},
};

// Answers every prompt with nobody there: OK, cancelled dialogs, no folder; counts them, so a
// run that showed a message is reported.
class NoPrompts : public platform::PromptsSeam {
public:
    int MessageBox(const QString&, const QString& text, unsigned) override
    {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
        ++messages;
        return platform::IDOK;
    }
    platform::FileDialogResult FileDialog(const platform::FileDialogRequest&) override { return {}; }
    QString BrowseForFolder(const QString&) override { return {}; }
    int messages = 0;
};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

size_t CountFiles(const std::string& folder)
{
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Removes the stills of the last run and lets the kernel finish writing back what is still
// dirty, so that every run starts from the same state instead of paying for the writeback of
// the run before it (outside the timing, as bench/convert does).
void Clear(const std::string& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        fs::remove(entry.path());
    ::sync();
}

struct CliTimes {
    double wall = 0;      // the whole process
    double convert = 0;   // its own count: from the first frame to the last
};

// Runs `cli convert --progress FILE OUT`; false when it fails.
bool RunCli(const std::string& cli, const std::string& file, const std::string& out, CliTimes& times)
{
    const std::string log = out + "/../cli-progress.txt";
    const auto start = Clock::now();
    const std::string cmd = Quote(cli) + " convert --progress " + Quote(file) + " " + Quote(out) + " 2>" + Quote(log);
    if (std::system(cmd.c_str()) != 0)
        return false;
    times.wall = Seconds(start);
    // "wrote 300 files in 0.52 s (577.0 frames a second)"
    times.convert = times.wall;
    if (FILE* f = std::fopen(log.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            // The rate, not the seconds: those have two decimals, a few per cent of a run of
            // a fraction of a second.
            unsigned long files = 0;
            double seconds = 0, rate = 0;
            if (std::sscanf(line, "wrote %lu files in %lf s (%lf frames a second)", &files,
                            &seconds, &rate) == 3 &&
                rate > 0)
                times.convert = static_cast<double>(files) / rate;
        }
        std::fclose(f);
    }
    fs::remove(log);
    return true;
}

struct DialogTimes {
    double toFull = 0;  // Start pressed until the bar is full: every frame written
    double toEnd = 0;   // ... until the run has ended (after the four beeps)
};

// One run of the dialog program's conversion of all frames of `file` into `out`.
bool RunDialog(const std::string& file, const std::string& out, NoPrompts& prompts, DialogTimes& times)
{
    CConverterDlg dlg;
    dlg.show();
    if (!dlg.OpenAvi(file.c_str())) {
        std::fprintf(stderr, "the dialog cannot open %s\n", file.c_str());
        return false;
    }
    dlg.m_strAviPath = QString::fromStdString(file);  // as Open AVI keeps it
    dlg.m_szOutputDir = out;
    dlg.m_editStartFrame->setText(QStringLiteral("0"));
    dlg.m_editEndFrame->setText(QString::number(dlg.m_nFrameCount - 1));
    QCoreApplication::processEvents();

    bool full = false, ended = false;
    Clock::time_point fullAt{}, endAt{};
    QObject::connect(&dlg, &CConverterDlg::ProgressPositionSent, [&](int pos) {
        if (pos == PROGRESS_MAX && !full) {
            full = true;
            fullAt = Clock::now();
        }
    });
    // The user-interface thread waits in an event loop, as in the dialog's own modal run (a
    // loop that polls for events would take a core from the conversion).
    QEventLoop loop;
    QObject::connect(&dlg, &CConverterDlg::ConversionEnded, [&] {
        ended = true;
        endAt = Clock::now();
        loop.quit();
    });
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    const int before = prompts.messages;
    const auto start = Clock::now();
    dlg.OnStartConversion();
    if (!ended)
        loop.exec();
    if (!ended) {
        std::fprintf(stderr, "the dialog's run did not end\n");
        return false;
    }
    times.toFull = std::chrono::duration<double>((full ? fullAt : endAt) - start).count();
    times.toEnd = std::chrono::duration<double>(endAt - start).count();
    dlg.CloseAvi();
    return prompts.messages == before;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const fs::path here = fs::absolute(fs::path(argv[0])).parent_path();
    std::string cli = (here.parent_path() / "stillcutter-cli").string();
    std::string work = (fs::temp_directory_path() / "stillcutter-bench").string();
    int rounds = 5, frames = 300;
    std::vector<std::string> only;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--cli")
            cli = argv[i + 1];
        else if (a == "--work")
            work = argv[i + 1];
        else if (a == "--rounds")
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--frames")
            frames = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--only")
            only.push_back(argv[i + 1]);
    }
    if (access(cli.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "bench: no %s; build stillcutter-cli or pass --cli\n", cli.c_str());
        return 1;
    }
    // Settings in a folder of the bench's own, so that the user's are never touched.
    const std::string config = work + "/dialog-config";
    fs::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::string runtime = work + "/dialog-runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    QApplication app(argc, argv);
    NoPrompts prompts;
    platform::InstallPromptsSeam(&prompts);

    const std::string out = work + "/dialog-out";
    fs::create_directories(out);
    Clear(out);
    std::printf("work folder %s, %d rounds, %d frames, %u cores\n", work.c_str(), rounds, frames,
                std::thread::hardware_concurrency());
    std::fflush(stdout);

    int missed = 0;
    for (const Fixture& f : kFixtures) {
        if (!only.empty() && std::find(only.begin(), only.end(), f.name) == only.end())
            continue;
        const std::string file = work + "/fixtures/" + f.name + "_" + std::to_string(frames) + ".avi";
        if (!bench::MakeFixture(f, file, frames)) {
            std::fprintf(stderr, "ffmpeg could not make %s\n", file.c_str());
            return 1;
        }
        // Read the fixture once so that every run finds it in the page cache.
        std::system(("cat " + Quote(file) + " >/dev/null").c_str());
        std::vector<double> cliWall, cliConvert, dlgFull, dlgEnd;
        for (int r = 0; r < rounds; ++r) {
            CliTimes c;
            if (!RunCli(cli, file, out, c) || CountFiles(out) != static_cast<size_t>(frames)) {
                std::fprintf(stderr, "stillcutter-cli failed on %s\n", file.c_str());
                return 1;
            }
            cliWall.push_back(c.wall);
            cliConvert.push_back(c.convert);
            Clear(out);
            DialogTimes d;
            if (!RunDialog(file, out, prompts, d) || CountFiles(out) != static_cast<size_t>(frames)) {
                std::fprintf(stderr, "the dialog's conversion failed on %s (%zu files)\n", file.c_str(), CountFiles(out));
                return 1;
            }
            dlgFull.push_back(d.toFull);
            dlgEnd.push_back(d.toEnd);
            Clear(out);
        }
        const double fpsCliWall = frames / Median(cliWall), fpsCli = frames / Median(cliConvert);
        const double fpsFull = frames / Median(dlgFull), fpsEnd = frames / Median(dlgEnd);
        const double share = fpsFull / fpsCli;
        std::printf("%-16s cli %7.1f fps (process %7.1f)  dialog %7.1f fps (with the end beeps %7.1f)  "
                    "dialog/cli %5.1f%%  %s\n",
                    f.name, fpsCli, fpsCliWall, fpsFull, fpsEnd, share * 100,
                    share >= kGoal ? "met" : "MISSED");
        std::fflush(stdout);
        missed += share < kGoal;
    }
    std::printf("\ngoal: the dialog's conversion at least %.0f%% of the command line's frames per second "
                "(the conversion alone, both sides); %d missed\n",
                kGoal * 100, missed);
    platform::InstallPromptsSeam(nullptr);
    fs::remove_all(out);
    return 0;
}
