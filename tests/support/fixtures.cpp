#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>

namespace fs = std::filesystem;

namespace fixtures {

namespace {

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

fs::path ScratchRoot()
{
    static const fs::path root = [] {
        std::string tmpl = (fs::temp_directory_path() / "stillcutter-test-XXXXXX").string();
        char* made = mkdtemp(tmpl.data());
        if (!made)
            std::abort();
        return fs::path(made);
    }();
    // Registered after `root` is built, so it runs before `root` is destroyed at exit.
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(ScratchRoot(), ec);
        });
        return true;
    }();
    (void)cleanup;
    return root;
}

}  // namespace

int Run(const std::string& command, std::string* output)
{
    std::string full = command + " 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
        text.append(buf, n);
    int status = pclose(pipe);
    if (output)
        *output = text;
    else if (!text.empty())
        std::fprintf(stderr, "%s", text.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Video(const std::string& name, const std::string& ffmpegArgs)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const fs::path dir = fs::path(STILLCUTTER_BUILD_DIR) / "test-fixtures";
    fs::create_directories(dir);
    const size_t key = std::hash<std::string>{}(ffmpegArgs);
    std::ostringstream stem;
    stem << std::hex << key << "-" << name;
    const fs::path path = dir / stem.str();
    if (fs::exists(path) && fs::file_size(path) > 0)
        return path.string();
    // ctest runs test programs side by side: each writes its own partial file, and the
    // rename that publishes it is atomic.
    const fs::path partial = dir / (stem.str() + ".part" + std::to_string(::getpid()) +
                                    fs::path(name).extension().string());
    std::string log;
    const std::string cmd = "ffmpeg -nostdin -y -v error " + ffmpegArgs + " " + Quote(partial.string());
    if (Run(cmd, &log) != 0) {
        ADD_FAILURE() << "ffmpeg failed: " << cmd << "\n" << log;
        return "";
    }
    fs::rename(partial, path);
    return path.string();
}

std::string ScratchDir()
{
    static int counter = 0;
    const fs::path dir = ScratchRoot() / ("d" + std::to_string(++counter));
    fs::create_directories(dir);
    return dir.string();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return bool(out);
}

}  // namespace fixtures
