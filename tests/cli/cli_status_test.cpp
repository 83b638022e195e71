// stillcutter-cli's exit statuses and messages, its info output, --help and --version, the
// free-space check and failed writes.
#include "cli_fixtures.h"
#include "cli_runner.h"
#include "stills/write_tiff.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace clitest;

namespace {

// One line on standard error, starting with the program's name and holding `part`.
void ExpectOneLineMessage(const CliResult& r, const std::string& part)
{
    const auto lines = Lines(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_EQ(lines[0].rfind("stillcutter-cli: ", 0), 0u) << r.err;
    EXPECT_NE(lines[0].find(part), std::string::npos) << "expected '" << part << "' in: " << r.err;
}

TEST(CliInfo, PrintsTheStreamsProperties)
{
    const struct {
        std::string clip;
        std::vector<std::string> lines;
    } cases[] = {
        {ShortClip(),
         {"width: 64", "height: 48", "frames: 30", "last_frame: 29", "fps: 25", "rate: 25",
          "scale: 1", "duration: 00:00:02"}},
        {NtscClip(), {"frames: 40", "fps: 29.97", "duration: 00:00:02"}},
        {SlowClip(), {"frames: 3", "fps: 0.5", "duration: 00:00:07"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clip);
        const CliResult r = RunCli({"info", c.clip});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        const auto lines = Lines(r.out);
        for (const std::string& line : c.lines)
            EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end())
                << line << " missing in:\n" << r.out;
        for (const std::string& line : lines)
            EXPECT_NE(line.find(": "), std::string::npos) << line;
    }
}

TEST(CliStatus, HelpAndVersion)
{
    for (const char* option : {"--help", "-h"}) {
        const CliResult r = RunCli({option});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Usage: stillcutter-cli", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("duration"), std::string::npos);
        EXPECT_EQ(r.err, "");
    }
    EXPECT_EQ(RunCli({"convert", "x", "--help"}).status, 0);
    const CliResult v = RunCli({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out.rfind("stillcutter-cli ", 0), 0u) << v.out;
    EXPECT_EQ(Lines(v.out).size(), 1u);
}

TEST(CliStatus, UsageErrorsExitWith2)
{
    const std::string clip = ShortClip();
    const std::string out = fixtures::ScratchDir();
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "no command"},
        {{"explode", clip}, "unknown command 'explode'"},
        {{"convert", clip, out, "--fast"}, "unknown option '--fast'"},
        {{"convert", clip, out, "--start", "-1"}, "'-1' after --start"},
        {{"convert", clip, out, "--end", "+5"}, "'+5' after --end"},
        {{"convert", clip, out, "--start", "1e3"}, "'1e3' after --start"},
        {{"convert", clip, out, "--start", " 3"}, "' 3' after --start"},
        {{"convert", clip, out, "--start=", "3"}, "'' after --start"},
        {{"convert", clip, out, "--end"}, "needs a frame number"},
        {{"convert", clip}, "too few arguments"},
        {{"info", clip, out}, "too many arguments"},
        {{"frame", clip, "x1", out + "/f.tif"}, "'x1' is not a frame number"},
        {{"frame", clip, "-3", out + "/f.tif"}, "unknown option '-3'"},
        {{"info", clip, "--start", "1"}, "'--start' belongs to convert only"},
        {{"frame", clip, "1", out + "/f.tif", "--skip-existing"}, "belongs to convert only"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, 2);
        ExpectOneLineMessage(r, c.message);
    }
    EXPECT_TRUE(fs::is_empty(out));
}

TEST(CliStatus, FailuresExitWith1AndOneLine)
{
    const std::string clip = ShortClip();
    const std::string dir = fixtures::ScratchDir();
    const std::string out = fixtures::ScratchDir();
    const std::string text = dir + "/text.avi";
    ASSERT_TRUE(fixtures::WriteFile(text, "this is no video file\n"));
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"info", dir + "/missing.avi"}, "cannot read the video stream"},
        {{"convert", text, out}, "cannot read the video stream"},
        {{"info", SoundOnlyClip()}, "cannot read the video stream"},
        {{"frame", SoundOnlyClip(), "0", out + "/f.tif"}, "cannot read the video stream"},
        {{"convert", clip, out, "--start", "20", "--end", "10"}, "the range holds no frame"},
        {{"convert", clip, out, "--start", "30"}, "the range holds no frame"},
        {{"convert", clip, out, "--start", "99999999999"}, "the range holds no frame"},
        {{"convert", SlowClip(), out}, "cannot name frames"},
        {{"frame", SlowClip(), "0", out + "/f.tif"}, "is below 1 frame a second"},
        {{"frame", clip, "30", out + "/f.tif"}, "30 is not a frame of"},
        {{"frame", clip, "4294967296", out + "/f.tif"}, "is not a frame of"},
        {{"convert", clip, dir + "/no-such-folder"}, "output folder"},
        {{"convert", clip, text}, "is not a folder"},
        {{"frame", clip, "0", dir + "/no-such-folder/f.tif"}, "cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const CliResult r = RunCli(c.args);
        EXPECT_EQ(r.status, 1);
        ExpectOneLineMessage(r, c.message);
    }
    EXPECT_TRUE(fs::is_empty(out));
    EXPECT_FALSE(fs::exists(dir + "/no-such-folder"));
}

// A file-size limit makes the first still's write stop short: the run ends at once with 1,
// and the partial file is gone. A folder where a still's name is makes frame 2 fail after
// two files were written.
TEST(CliStatus, AFailedWriteStopsTheRunAndLeavesNoPartialFile)
{
    const std::string clip = ShortClip();
    {
        const std::string out = fixtures::ScratchDir();
        CliLaunch launch{{"convert", clip, out}};
        launch.fileSizeLimit = 4096;  // a still of 64 x 48 is 9,472 bytes
        const CliResult r = RunCli(launch);
        EXPECT_EQ(r.status, 1);
        ExpectOneLineMessage(r, "cannot write '" + out + "/00,00,00,00.tif'");
        EXPECT_TRUE(fs::is_empty(out));
    }
    {
        const std::string out = fixtures::ScratchDir();
        fs::create_directory(out + "/00,00,00,02.tif");
        const CliResult r = RunCli({"convert", clip, out});
        EXPECT_EQ(r.status, 1);
        ExpectOneLineMessage(r, "cannot write '" + out + "/00,00,00,02.tif'");
        const auto files = FolderFiles(out);
        EXPECT_EQ(files.size(), 3u);  // frames 0 and 1, and the folder
        EXPECT_EQ(files.count("00,00,00,03.tif"), 0u);
        EXPECT_TRUE(fs::is_directory(out + "/00,00,00,02.tif"));
    }
}

// A tiny file system: the run is refused before it writes anything. Needs the right to
// mount (root); skipped otherwise.
TEST(CliStatus, RefusesARunThatDoesNotFitTheFreeSpace)
{
    const std::string clip = ShortClip();
    const std::string mnt = fixtures::ScratchDir();
    if (::geteuid() != 0 || ::mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=200k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    struct Unmount {
        std::string at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{mnt};
    // 30 stills of 9,472 bytes take 30 x 12 KB blocks: more than 200 KB.
    CliResult r = RunCli({"convert", clip, mnt});
    EXPECT_EQ(r.status, 1);
    ExpectOneLineMessage(r, "not enough free space in '" + mnt + "'");
    EXPECT_TRUE(fs::is_empty(mnt));
    // Ten of them fit.
    r = RunCli({"convert", clip, mnt, "--end", "9"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FolderFiles(mnt).size(), 10u);
}

}  // namespace
