#include "bench_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace bench {

bool MakeFixture(const Fixture& f, const std::string& path, int frames)
{
    namespace fs = std::filesystem;
    if (fs::exists(path) && fs::file_size(path) > 0)
        return true;
    fs::create_directories(fs::path(path).parent_path());
    const std::string partial = path + ".part.avi";
    const std::string cmd = std::string("ffmpeg -nostdin -y -v error -f lavfi -i testsrc2=size=") +
                            f.size + ":rate=25 -frames:v " + std::to_string(frames) + " " +
                            f.encode + " '" + partial + "'";
    std::printf("making %s ...\n", path.c_str());
    std::fflush(stdout);
    if (std::system(cmd.c_str()) != 0)
        return false;
    fs::rename(partial, path);
    return true;
}

}  // namespace bench
