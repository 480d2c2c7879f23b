#pragma once

#include "audio_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace test {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end of the test.
struct TempFolder
{
    fs::path path;
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "chopwright-render-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(path))
            out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

inline std::string quote(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct RunResult
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the chopwright-render executable in folder with stdin closed, capturing its output.
inline RunResult runRender(const std::vector<std::string>& args, const TempFolder& folder)
{
    std::string command = "cd " + quote(folder.path.string()) + " && " + quote(RENDER_EXECUTABLE);
    for (const auto& a : args)
        command += " " + quote(a);
    const std::string out = (folder.path.parent_path() / (folder.path.filename().string() + ".out")).string();
    const std::string err = out + ".err";
    command += " > " + quote(out) + " 2> " + quote(err) + " < /dev/null";
    RunResult result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    result.out = slurp(out);
    result.err = slurp(err);
    fs::remove(out);
    fs::remove(err);
    return result;
}

// A stereo or mono test signal: a slow sine on the left, a faster one on the right.
inline render::AudioData sineSignal(int channels, int64_t frames, int sampleRate = 44100)
{
    render::AudioData audio;
    audio.channels = channels;
    audio.sampleRate = sampleRate;
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            audio.samples.push_back(0.5 * std::sin(0.01 * (c + 1) * static_cast<double>(i)));
    return audio;
}

} // namespace test
