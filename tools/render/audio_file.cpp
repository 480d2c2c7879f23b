#include "audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace render {
namespace {

using SndFile = std::unique_ptr<SNDFILE, int (*)(SNDFILE*)>;

std::optional<FileFormat> fromMajor(int major)
{
    switch (major)
    {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
        return FileFormat::Wav;
    case SF_FORMAT_FLAC:
        return FileFormat::Flac;
    case SF_FORMAT_AIFF:
        return FileFormat::Aiff;
    case SF_FORMAT_OGG:
        return FileFormat::Ogg;
    default:
        return std::nullopt;
    }
}

int majorOf(FileFormat format)
{
    switch (format)
    {
    case FileFormat::Wav: return SF_FORMAT_WAV;
    case FileFormat::Flac: return SF_FORMAT_FLAC;
    case FileFormat::Aiff: return SF_FORMAT_AIFF;
    case FileFormat::Ogg: return SF_FORMAT_OGG;
    }
    return SF_FORMAT_WAV;
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::optional<FileFormat> formatFromName(const std::string& name)
{
    const std::string n = lower(name);
    if (n == "wav")
        return FileFormat::Wav;
    if (n == "flac")
        return FileFormat::Flac;
    if (n == "aiff" || n == "aif")
        return FileFormat::Aiff;
    if (n == "ogg")
        return FileFormat::Ogg;
    return std::nullopt;
}

std::optional<FileFormat> formatFromExtension(const std::string& path)
{
    const std::string extension = lower(fs::path(path).extension().string());
    if (extension == ".oga")
        return FileFormat::Ogg;
    if (extension == ".aifc")
        return FileFormat::Aiff;
    return extension.size() > 1 ? formatFromName(extension.substr(1)) : std::nullopt;
}

const char* formatName(FileFormat format)
{
    switch (format)
    {
    case FileFormat::Wav: return "WAV";
    case FileFormat::Flac: return "FLAC";
    case FileFormat::Aiff: return "AIFF";
    case FileFormat::Ogg: return "OGG";
    }
    return "?";
}

FileFormat containerOf(int sndfileFormat)
{
    return fromMajor(sndfileFormat & SF_FORMAT_TYPEMASK).value_or(FileFormat::Wav);
}

int wav16Format()
{
    return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

AudioFile readAudioFile(const std::string& path)
{
    std::error_code error;
    if (!fs::exists(path, error))
        throw std::runtime_error("cannot read '" + path + "': no such file");
    if (fs::is_directory(path, error))
        throw std::runtime_error("cannot read '" + path + "': it is a folder");
    SF_INFO info{};
    SndFile file(sf_open(path.c_str(), SFM_READ, &info), sf_close);
    if (!file)
        throw std::runtime_error("cannot read '" + path + "': " + sf_strerror(nullptr));
    if (!fromMajor(info.format & SF_FORMAT_TYPEMASK))
        throw std::runtime_error("'" + path + "' has an unsupported format; use WAV, FLAC, AIFF or OGG");
    if (info.channels != 1 && info.channels != 2)
        throw std::runtime_error("'" + path + "' has " + std::to_string(info.channels) +
                                 " channels; only mono and stereo are supported");
    if (info.samplerate <= 0)
        throw std::runtime_error("'" + path + "' has no valid sample rate");

    AudioFile out;
    out.sndfileFormat = info.format;
    out.audio.sampleRate = info.samplerate;
    out.audio.channels = info.channels;
    if (info.frames > 0)
    {
        out.audio.samples.resize(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
        const sf_count_t read = sf_readf_double(file.get(), out.audio.samples.data(), info.frames);
        if (read < 0 || sf_error(file.get()) != SF_ERR_NO_ERROR)
            throw std::runtime_error("cannot read '" + path + "': " + sf_strerror(file.get()));
        out.audio.samples.resize(static_cast<size_t>(read) * static_cast<size_t>(info.channels));
    }
    return out;
}

int outputFormat(FileFormat target, int inputSndfileFormat)
{
    const int inputMajor = inputSndfileFormat & SF_FORMAT_TYPEMASK;
    const int subtype = inputSndfileFormat & SF_FORMAT_SUBMASK;
    // The same container keeps its exact variant (e.g. WAVEX stays WAVEX).
    const int major = fromMajor(inputMajor) == target ? inputMajor : majorOf(target);
    SF_INFO probe{};
    probe.channels = 2;
    probe.samplerate = 44100;
    probe.format = major | subtype;
    if (subtype && sf_format_check(&probe))
        return probe.format;
    switch (target)
    {
    case FileFormat::Flac: return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    case FileFormat::Ogg: return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case FileFormat::Wav: return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    case FileFormat::Aiff: return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    }
    return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
}

void writeAudioFile(const std::string& path, const AudioData& audio, int sndfileFormat)
{
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temp = (folder / ("." + target.filename().string() + ".partial-XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        throw std::runtime_error("cannot write '" + path + "': " + std::strerror(errno));
    // mkstemp makes the file private; give it the permissions a new file normally gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);

    auto fail = [&](const std::string& reason) {
        unlink(temp.c_str());
        throw std::runtime_error("cannot write '" + path + "': " + reason);
    };

    SF_INFO info{};
    info.samplerate = audio.sampleRate;
    info.channels = audio.channels;
    info.format = sndfileFormat;
    if (!sf_format_check(&info))
    {
        close(fd);
        fail("the format cannot hold this audio");
    }
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file)
    {
        close(fd);
        fail(sf_strerror(nullptr));
    }
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE); // clip, never wrap around
    const sf_count_t written = sf_writef_double(file, audio.samples.data(), audio.frames());
    const std::string writeError = sf_strerror(file);
    const bool writeFailed = written != audio.frames();
    if (sf_close(file) != 0 || writeFailed)
        fail(writeFailed ? writeError : "closing the file failed");
    if (std::rename(temp.c_str(), path.c_str()) != 0)
        fail(std::strerror(errno));
}

} // namespace render
