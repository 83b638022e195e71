// stillcutter-cli convert and frame, end to end: the names written and nothing else, the
// bytes of the dialog program's writer, resuming with --skip-existing, progress, Ctrl-C.
#include "cli_fixtures.h"
#include "cli_runner.h"
#include "stills/write_tiff.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace clitest;

namespace {

// Frames first..last of the reference, for a sub-range.
std::map<std::string, std::string> Slice(const std::map<std::string, std::string>& all,
                                         uint32_t first, uint32_t last, double fps)
{
    std::map<std::string, std::string> part;
    for (uint32_t i = first; i <= last; ++i)
        part[StillName(i, fps)] = all.at(StillName(i, fps));
    return part;
}

// Compares two folders' files by name, then by content, without printing megabytes.
void ExpectSameFiles(const std::map<std::string, std::string>& expected,
                     const std::map<std::string, std::string>& actual)
{
    std::vector<std::string> expectedNames, actualNames;
    for (const auto& [name, _] : expected)
        expectedNames.push_back(name);
    for (const auto& [name, _] : actual)
        actualNames.push_back(name);
    ASSERT_EQ(expectedNames, actualNames);
    for (const auto& [name, content] : expected)
        EXPECT_TRUE(actual.at(name) == content) << name << " differs from the dialog's file";
}

TEST(CliConvert, WritesTheRangeUnderItsNamesAndNothingElse)
{
    const std::string clip = ShortClip();
    const auto reference = ReferenceStills(clip, 0, 29);
    ASSERT_EQ(reference.size(), 30u);
    EXPECT_EQ(reference.count("00,00,01,04.tif"), 1u);

    const struct {
        const char* name;
        std::vector<std::string> options;
        uint32_t first, last;
    } cases[] = {
        {"whole stream", {}, 0, 29},
        {"start and end", {"--start", "10", "--end", "12"}, 10, 12},
        {"start equal to end", {"--start=7", "--end=7"}, 7, 7},
        {"start only", {"--start", "25"}, 25, 29},
        {"end only", {"--end", "3"}, 0, 3},
        {"end past the last frame", {"--start", "20", "--end", "1000"}, 20, 29},
        {"end far past 32 bits", {"--start", "28", "--end", "99999999999999999999999"}, 28, 29},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = fixtures::ScratchDir();
        std::vector<std::string> args{"convert", clip, out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliResult r = RunCli(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");  // not a terminal and no --progress: silent
        ExpectSameFiles(Slice(reference, c.first, c.last, 25), FolderFiles(out));
    }
}

// Files the run does not name stay as they are; files of the names it writes are replaced;
// the folder text is used as given (here with a trailing slash: "out//00,...").
TEST(CliConvert, LeavesOtherFilesAloneAndReplacesItsOwn)
{
    const std::string clip = ShortClip();
    const auto reference = ReferenceStills(clip, 0, 1);
    const std::string out = fixtures::ScratchDir();
    ASSERT_TRUE(fixtures::WriteFile(out + "/notes.txt", "keep me"));
    ASSERT_TRUE(fixtures::WriteFile(out + "/00,00,00,05.tif", "not this run's"));
    ASSERT_TRUE(fixtures::WriteFile(out + "/00,00,00,01.tif", std::string(500000, 'x')));
    const CliResult r = RunCli({"convert", clip, out + "/", "--end", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto files = FolderFiles(out);
    EXPECT_EQ(files["notes.txt"], "keep me");
    EXPECT_EQ(files["00,00,00,05.tif"], "not this run's");
    EXPECT_TRUE(files["00,00,00,00.tif"] == reference.at("00,00,00,00.tif"));
    EXPECT_TRUE(files["00,00,00,01.tif"] == reference.at("00,00,00,01.tif"));
    EXPECT_EQ(files.size(), 4u);
}

// At 30000/1001 the names follow the fixed-point timecode (frame 30 is 00,00,01,01).
TEST(CliConvert, NamesFollowTheTimecodeAtNtscRate)
{
    const std::string clip = NtscClip();
    const auto reference = ReferenceStills(clip, 28, 32);
    const std::string out = fixtures::ScratchDir();
    const CliResult r = RunCli({"convert", clip, out, "--start", "28", "--end", "32"});
    ASSERT_EQ(r.status, 0) << r.err;
    ExpectSameFiles(reference, FolderFiles(out));
    EXPECT_EQ(FolderFiles(out).count("00,00,01,01.tif"), 1u);
}

TEST(CliFrame, WritesOneFrameUnderTheGivenName)
{
    const std::string clip = ShortClip();
    const auto reference = ReferenceStills(clip, 0, 29);
    const std::string out = fixtures::ScratchDir();
    for (uint32_t n : {0u, 17u, 29u, 3u}) {  // in any order: each fetch is frame-accurate
        SCOPED_TRACE(n);
        const std::string path = out + "/frame" + std::to_string(n) + ".tif";
        const CliResult r = RunCli({"frame", clip, std::to_string(n), path});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(fixtures::ReadFile(path) == reference.at(StillName(n, 25)));
    }
}

// A run cut short leaves complete files and a missing or short tail; --skip-existing keeps
// what is complete (even a same-sized file of other content: it is not looked into) and
// writes the rest.
TEST(CliConvert, SkipExistingResumesARunThatWasCutShort)
{
    const std::string clip = ShortClip();
    const auto reference = ReferenceStills(clip, 0, 29);
    const std::string out = fixtures::ScratchDir();
    ASSERT_EQ(RunCli({"convert", clip, out, "--end", "19"}).status, 0);
    const std::string kept = out + "/00,00,00,03.tif";
    const std::string marker(TiffFileSize(64, 48), 'k');
    ASSERT_TRUE(fixtures::WriteFile(kept, marker));
    ASSERT_TRUE(fixtures::WriteFile(out + "/00,00,00,19.tif", "cut"));  // short: rewritten
    fs::remove(out + "/00,00,00,12.tif");                                 // missing: written

    const CliResult r = RunCli({"convert", clip, out, "--skip-existing"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto files = FolderFiles(out);
    EXPECT_EQ(files.at("00,00,00,03.tif"), marker);
    files.erase("00,00,00,03.tif");
    auto expected = reference;
    expected.erase("00,00,00,03.tif");
    ExpectSameFiles(expected, files);

    // Without the option the same run replaces the odd file.
    ASSERT_EQ(RunCli({"convert", clip, out, "--start", "3", "--end", "3"}).status, 0);
    EXPECT_TRUE(fixtures::ReadFile(kept) == reference.at("00,00,00,03.tif"));
}

TEST(CliConvert, ProgressGoesToStandardErrorOnlyWhenAskedFor)
{
    const std::string clip = ShortClip();
    const struct {
        std::vector<std::string> options;
        bool lines;
    } cases[] = {{{"--progress"}, true}, {{"--progress", "-q"}, false}, {{"--quiet"}, false}};
    for (const auto& c : cases) {
        const std::string out = fixtures::ScratchDir();
        std::vector<std::string> args{"convert", clip, out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(args.back());
        const CliResult r = RunCli(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        if (!c.lines) {
            EXPECT_EQ(r.err, "");
            continue;
        }
        const auto lines = Lines(r.err);
        ASSERT_GE(lines.size(), 2u) << r.err;
        EXPECT_EQ(lines[lines.size() - 2].rfind("30/30 frames, ", 0), 0u) << r.err;
        EXPECT_EQ(lines.back().rfind("wrote 30 files in ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\r'), std::string::npos);
    }
}

// On a terminal the progress is one line, rewritten in place (carriage return, then the text
// and an erase to the end of the line), ended by a line end when the run is over.
TEST(CliConvert, ProgressOnATerminalUpdatesOneLineInPlace)
{
    const std::string out = fixtures::ScratchDir();
    CliLaunch launch{{"convert", ShortClip(), out}};
    launch.stderrIsTerminal = true;
    const CliResult r = RunCli(launch);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.rfind("\r", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("30/30 frames, "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\033[K"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("wrote 30 files in "), std::string::npos) << r.err;
    // Quiet keeps even the terminal clean.
    launch.args.push_back("-q");
    EXPECT_EQ(RunCli(launch).err, "");
}

// Ctrl-C in mid-run: the frame in hand is finished, no partial file stays, status 130.
TEST(CliConvert, InterruptFinishesTheFrameInHandAndExits130)
{
    const std::string clip = LongClip();
    const std::string out = fixtures::ScratchDir();
    const std::string logs = fixtures::ScratchDir();
    const pid_t pid = StartCli({"convert", clip, out}, logs);
    ASSERT_GT(pid, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    size_t seen = 0;
    while (seen < 5 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        seen = static_cast<size_t>(std::distance(fs::directory_iterator(out), fs::directory_iterator()));
    }
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    const int status = WaitCli(pid);
    const std::string err = fixtures::ReadFile(logs + "/stderr.txt");
    if (status == 0 && FolderFiles(out).size() == 300)
        GTEST_SKIP() << "the run ended before the interrupt reached it";
    EXPECT_EQ(status, 130) << err;
    EXPECT_NE(err.find("interrupted after "), std::string::npos) << err;
    const auto files = FolderFiles(out);
    EXPECT_GE(files.size(), 5u);
    EXPECT_LT(files.size(), 300u);
    for (const auto& [name, content] : files)
        EXPECT_EQ(content.size(), TiffFileSize(320, 240)) << name << " is not complete";
}

}  // namespace
