#include "audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace render {
namespace {

using SndFile = std::unique_ptr<SNDFILE, int (*) (SNDFILE*)>;

std::optional<FileFormat> fromMajor (int major)
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

int majorOf (FileFormat format)
{
	switch (format)
	{
		case FileFormat::Wav:
			return SF_FORMAT_WAV;
		case FileFormat::Flac:
			return SF_FORMAT_FLAC;
		case FileFormat::Aiff:
			return SF_FORMAT_AIFF;
		case FileFormat::Ogg:
			return SF_FORMAT_OGG;
	}
	return SF_FORMAT_WAV;
}

std::string lower (std::string text)
{
	std::transform (text.begin (), text.end (), text.begin (),
	                [] (unsigned char c) { return static_cast<char> (std::tolower (c)); });
	return text;
}

// Bytes per sample of the uncompressed encodings; 0 for the others.
int bytesPerSample (int subtype)
{
	switch (subtype)
	{
		case SF_FORMAT_PCM_S8:
		case SF_FORMAT_PCM_U8:
		case SF_FORMAT_ULAW:
		case SF_FORMAT_ALAW:
			return 1;
		case SF_FORMAT_PCM_16:
			return 2;
		case SF_FORMAT_PCM_24:
			return 3;
		case SF_FORMAT_PCM_32:
		case SF_FORMAT_FLOAT:
			return 4;
		case SF_FORMAT_DOUBLE:
			return 8;
		default:
			return 0;
	}
}

// Writers streaming a WAV to a pipe announce at least this many bytes when they do not know
// the length (0xFFFFFFFF, or about 2 GB).
constexpr int64_t kUnknownLengthBytes = 0x7FFFF000;

// Tags libsndfile reads and writes.
constexpr int kTagIds[] = {SF_STR_TITLE,       SF_STR_COPYRIGHT, SF_STR_SOFTWARE, SF_STR_ARTIST,
                           SF_STR_COMMENT,     SF_STR_DATE,      SF_STR_ALBUM,    SF_STR_LICENSE,
                           SF_STR_TRACKNUMBER, SF_STR_GENRE};

// The bytes of audio a WAV or AIFF header announces when the file holds less: libsndfile
// shortens such a file and logs "data : 4000 (should be 2642)" (AIFF: "SSND : ", counting 8
// bytes more). 0 when the file holds all.
int64_t announcedBytesBeyondTheFile (SNDFILE* file)
{
	char log[8192] = {};
	sf_command (file, SFC_GET_LOG_INFO, log, sizeof log);
	const std::string text = log;
	for (const auto& [chunk, extra] : {std::pair {"data : ", 0}, std::pair {"SSND : ", 8}})
	{
		const size_t at = text.find (chunk);
		long long announced = 0, holds = 0;
		if (at != std::string::npos &&
		    std::sscanf (text.c_str () + at + 7, "%lld (should be %lld)", &announced, &holds) == 2 &&
		    announced > holds && announced < kUnknownLengthBytes)
			return announced - extra;
	}
	return 0;
}

// Standard input or a FIFO as libsndfile's virtual I/O. Reads pass through; the first kWindow
// bytes stay in memory so libsndfile can go back to the start after recognising the format
// (it must for FLAC). A jump beyond the window, a WAV or AIFF parser skipping the audio to
// look for more chunks, reads as the end, and the parser goes back to the audio.
struct PipeInput
{
	static constexpr int64_t kWindow = 1 << 20;
	int fd = 0;
	std::vector<unsigned char> window; // the stream's first bytes
	int64_t consumed = 0;              // bytes taken from fd
	int64_t position = 0;              // where libsndfile reads next

	// One read from fd, keeping what falls into the window.
	int64_t pull (unsigned char* to, int64_t count)
	{
		ssize_t got;
		do
			got = ::read (fd, to, static_cast<size_t> (count));
		while (got < 0 && errno == EINTR);
		if (got > 0)
		{
			const int64_t keep = std::min<int64_t> (got, kWindow - static_cast<int64_t> (window.size ()));
			window.insert (window.end (), to, to + std::max<int64_t> (keep, 0));
			consumed += got;
		}
		return got;
	}

	static sf_count_t length (void*) { return SF_COUNT_MAX; }
	static sf_count_t tell (void* self) { return static_cast<PipeInput*> (self)->position; }
	static sf_count_t write (const void*, sf_count_t, void*) { return 0; }
	static sf_count_t seek (sf_count_t offset, int whence, void* self)
	{
		auto& in = *static_cast<PipeInput*> (self);
		if (whence == SEEK_END)
			return -1;
		in.position = whence == SEEK_CUR ? in.position + offset : offset;
		return in.position;
	}
	static sf_count_t read (void* to, sf_count_t count, void* self)
	{
		auto& in = *static_cast<PipeInput*> (self);
		auto* out = static_cast<unsigned char*> (to);
		unsigned char skipped[4096];
		while (in.position > in.consumed)
			if (in.position > kWindow ||
			    in.pull (skipped, std::min<int64_t> (sizeof skipped, in.position - in.consumed)) <= 0)
				return 0;
		sf_count_t done = 0;
		if (in.position < in.consumed)
		{
			if (in.position >= static_cast<int64_t> (in.window.size ()))
				return 0; // behind the window: gone
			done = std::min<sf_count_t> (count, static_cast<int64_t> (in.window.size ()) - in.position);
			std::memcpy (out, in.window.data () + in.position, static_cast<size_t> (done));
			in.position += done;
		}
		for (int64_t got = 0; done < count && (got = in.pull (out + done, count - done)) > 0;)
		{
			done += got;
			in.position += got;
		}
		return done;
	}
};

// Where a symlink (or a chain of them) points; path itself when it is none.
std::string followLinks (std::string path)
{
	for (int hops = 0; hops < 40; ++hops)
	{
		std::error_code error;
		if (!fs::is_symlink (path, error))
			return path;
		const fs::path to = fs::read_symlink (path, error);
		path = to.is_absolute () ? to.string () : (fs::path (path).parent_path () / to).string ();
	}
	throw std::runtime_error ("cannot write '" + path + "': too many levels of symbolic links");
}

// The temporary file a signal handler removes (a plain array: it outlives every destructor),
// and the signals that do it.
char pendingTemporary[PATH_MAX + 64];
volatile std::sig_atomic_t hasPendingTemporary = 0;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Holds the cleanup signals back while it lives, so none arrives half way through
// registering or renaming the temporary file.
class SignalsHeld
{
public:
	SignalsHeld ()
	{
		sigset_t set;
		sigemptyset (&set);
		for (int s : kCleanupSignals)
			sigaddset (&set, s);
		sigprocmask (SIG_BLOCK, &set, &previous_);
	}
	~SignalsHeld () { sigprocmask (SIG_SETMASK, &previous_, nullptr); }

private:
	sigset_t previous_;
};

void removeTemporaryAndDie (int signal)
{
	if (hasPendingTemporary)
		unlink (pendingTemporary);
	std::signal (signal, SIG_DFL);
	std::raise (signal); // delivered when the handler returns: the usual exit status
}

bool writeAll (int fd, const std::string& bytes)
{
	for (size_t done = 0; done < bytes.size ();)
	{
		const ssize_t n = ::write (fd, bytes.data () + done, bytes.size () - done);
		if (n < 0 && errno == EINTR)
			continue;
		if (n <= 0)
			return false;
		done += static_cast<size_t> (n);
	}
	return true;
}

} // namespace

std::optional<FileFormat> formatFromName (const std::string& name)
{
	const std::string n = lower (name);
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

std::optional<FileFormat> formatFromExtension (const std::string& path)
{
	const std::string extension = lower (fs::path (path).extension ().string ());
	if (extension == ".oga")
		return FileFormat::Ogg;
	if (extension == ".aifc")
		return FileFormat::Aiff;
	return extension.size () > 1 ? formatFromName (extension.substr (1)) : std::nullopt;
}

FileFormat containerOf (int sndfileFormat)
{
	return fromMajor (sndfileFormat & SF_FORMAT_TYPEMASK).value_or (FileFormat::Wav);
}

int wav16Format () { return SF_FORMAT_WAV | SF_FORMAT_PCM_16; }

int outputFormat (FileFormat target, int inputSndfileFormat)
{
	const int inputMajor = inputSndfileFormat & SF_FORMAT_TYPEMASK;
	const int subtype = inputSndfileFormat & SF_FORMAT_SUBMASK;
	// The same container keeps its exact variant (e.g. WAVEX stays WAVEX).
	const int major = fromMajor (inputMajor) == target ? inputMajor : majorOf (target);
	SF_INFO probe {};
	probe.channels = 2;
	probe.samplerate = 44100;
	probe.format = major | subtype;
	if (subtype && sf_format_check (&probe))
		return probe.format;
	switch (target)
	{
		case FileFormat::Flac:
			return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
		case FileFormat::Ogg:
			return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
		case FileFormat::Wav:
			return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
		case FileFormat::Aiff:
			return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
	}
	return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
}

bool needsDoublePrecision (int sndfileFormat)
{
	const int subtype = sndfileFormat & SF_FORMAT_SUBMASK;
	return subtype == SF_FORMAT_PCM_32 || subtype == SF_FORMAT_DOUBLE;
}

std::string wavHeader (int sampleRate, int channels, int sndfileSubtype, int64_t frames)
{
	const int bytes = bytesPerSample (sndfileSubtype);
	const int64_t blockAlign = channels * bytes;
	const int64_t data = frames * blockAlign;
	std::string h;
	auto put = [&h] (int64_t value, int size) {
		for (int i = 0; i < size; ++i)
			h += static_cast<char> ((value >> (8 * i)) & 0xFF);
	};
	const bool isFloat = sndfileSubtype == SF_FORMAT_FLOAT || sndfileSubtype == SF_FORMAT_DOUBLE;
	h += "RIFF";
	put (36 + data + (data & 1), 4);
	h += "WAVEfmt ";
	put (16, 4);
	put (isFloat ? 3 : 1, 2); // WAVE_FORMAT_IEEE_FLOAT, WAVE_FORMAT_PCM
	put (channels, 2);
	put (sampleRate, 4);
	put (sampleRate * blockAlign, 4);
	put (blockAlign, 2);
	put (8 * bytes, 2);
	h += "data";
	put (data, 4);
	return h;
}

// ---- reading

struct AudioReader::Impl
{
	std::string name; // for messages
	int fd = -1;
	bool ownsFd = false;
	PipeInput pipe;
	SNDFILE* file = nullptr;
	SF_INFO info {};
	std::optional<int64_t> announced;
	int64_t framesRead = 0;
	Tags tags;

	~Impl ()
	{
		if (file)
			sf_close (file);
		if (ownsFd)
			close (fd);
	}
	[[noreturn]] void fail (const std::string& reason) const
	{
		throw std::runtime_error ("cannot read " + name + ": " + reason);
	}
	[[noreturn]] void truncated (int64_t holds) const
	{
		throw std::runtime_error (name + " is truncated: its header announces " +
		                          std::to_string (*announced) + " frames, the file holds " +
		                          std::to_string (holds));
	}
};

AudioReader::AudioReader (const std::string& path) : impl_ (std::make_unique<Impl> ())
{
	Impl& r = *impl_;
	r.name = path == "-" ? "standard input" : "'" + path + "'";
	r.fd = path == "-" ? STDIN_FILENO : open (path.c_str (), O_RDONLY | O_CLOEXEC);
	if (r.fd < 0)
		r.fail (errno == ENOENT ? "no such file" : std::strerror (errno));
	r.ownsFd = path != "-";
	if (!r.ownsFd && isatty (r.fd))
		r.fail ("it is a terminal; pipe audio into it or give a file");
	struct stat st
	{};
	if (fstat (r.fd, &st) != 0)
		r.fail (std::strerror (errno));
	if (S_ISDIR (st.st_mode))
		r.fail ("it is a folder");
	const bool pipe = !S_ISREG (st.st_mode) && lseek (r.fd, 0, SEEK_CUR) < 0;
	if (pipe)
	{
		r.pipe.fd = r.fd;
		SF_VIRTUAL_IO io {PipeInput::length, PipeInput::seek, PipeInput::read, PipeInput::write,
		                  PipeInput::tell};
		r.file = sf_open_virtual (&io, SFM_READ, &r.info, &r.pipe);
	}
	else
		r.file = sf_open_fd (r.fd, SFM_READ, &r.info, SF_FALSE);
	if (!r.file)
		r.fail (sf_strerror (nullptr));

	if (!fromMajor (r.info.format & SF_FORMAT_TYPEMASK))
		throw std::runtime_error (r.name + " has an unsupported format; use WAV, FLAC, AIFF or OGG");
	if (pipe && containerOf (r.info.format) == FileFormat::Ogg)
		r.fail ("OGG cannot be read from a pipe; use WAV or FLAC");
	if (r.info.channels != 1 && r.info.channels != 2)
		throw std::runtime_error (r.name + " has " + std::to_string (r.info.channels) +
		                          " channels; only mono and stereo are supported");
	if (r.info.samplerate <= 0)
		throw std::runtime_error (r.name + " has no valid sample rate");

	const int64_t frameBytes = int64_t {r.info.channels} * bytesPerSample (r.info.format & SF_FORMAT_SUBMASK);
	if (r.info.frames >= 0 && r.info.frames != SF_COUNT_MAX &&
	    !(pipe && frameBytes > 0 && r.info.frames * frameBytes >= kUnknownLengthBytes))
		r.announced = r.info.frames;
	if (const int64_t bytes = announcedBytesBeyondTheFile (r.file); bytes > 0)
	{
		if (frameBytes == 0)
			throw std::runtime_error (r.name +
			                          " is truncated: its header announces more audio than the file holds");
		r.announced = bytes / frameBytes;
		r.truncated (r.info.frames);
	}
	for (int id : kTagIds)
		if (const char* text = sf_get_string (r.file, id); text && *text)
			r.tags.emplace_back (id, text);
}

AudioReader::~AudioReader () = default;

int AudioReader::sampleRate () const { return impl_->info.samplerate; }
int AudioReader::channels () const { return impl_->info.channels; }
int AudioReader::sndfileFormat () const { return impl_->info.format; }
std::optional<int64_t> AudioReader::frames () const { return impl_->announced; }
const Tags& AudioReader::tags () const { return impl_->tags; }

int64_t AudioReader::read (double* interleaved, int64_t count)
{
	Impl& r = *impl_;
	const sf_count_t got = std::max<sf_count_t> (0, sf_readf_double (r.file, interleaved, count));
	r.framesRead += got;
	const bool ended = got < count;
	if (ended && r.announced && r.framesRead < *r.announced)
		r.truncated (r.framesRead);
	// A FLAC stream of unknown length (written to a pipe) ends in what libsndfile calls lost sync.
	const bool flacStreamEnd = ended && !r.announced && containerOf (r.info.format) == FileFormat::Flac;
	if (sf_error (r.file) != SF_ERR_NO_ERROR && !flacStreamEnd)
		r.fail (sf_strerror (r.file));
	return got;
}

// ---- writing

struct AudioWriter::Impl
{
	std::string name;   // for messages
	std::string target; // the file finish() renames the temporary file to
	std::string temp;   // the temporary file while it exists
	int fd = -1;
	bool ownsFd = false;
	bool pipe = false; // fd cannot seek back
	SNDFILE* file = nullptr;
	std::optional<int64_t> pipeWavFrames; // a WAV on a pipe: the frames its header announces
	int64_t pipeWavDataBytes = 0;
	int64_t framesWritten = 0;

	~Impl ()
	{
		if (file)
			sf_close (file);
		if (ownsFd)
			close (fd);
		discardTemporary ();
	}
	void discardTemporary ()
	{
		if (temp.empty ())
			return;
		SignalsHeld held;
		unlink (temp.c_str ());
		temp.clear ();
		hasPendingTemporary = 0;
	}
	[[noreturn]] void fail (const std::string& reason)
	{
		throw std::runtime_error ("cannot write " + name + ": " + reason);
	}
};

AudioWriter::AudioWriter (const std::string& path) : impl_ (std::make_unique<Impl> ())
{
	Impl& w = *impl_;
	w.name = path == "-" ? "standard output" : "'" + path + "'";
	if (path == "-")
	{
		if (isatty (STDOUT_FILENO))
			w.fail ("it is a terminal; redirect it to a file or a program");
		w.fd = STDOUT_FILENO;
	}
	else
	{
		const std::string resolved = followLinks (path);
		struct stat st
		{};
		const bool exists = stat (resolved.c_str (), &st) == 0;
		if (exists && S_ISDIR (st.st_mode))
			w.fail ("it is a folder");
		if (exists && !S_ISREG (st.st_mode))
		{
			// A device or a FIFO is written into, never replaced.
			w.fd = open (resolved.c_str (), O_WRONLY | O_CLOEXEC);
			if (w.fd < 0)
				w.fail (std::strerror (errno));
			w.ownsFd = true;
		}
		else
		{
			if (exists && ((st.st_mode & 0222) == 0 || access (resolved.c_str (), W_OK) != 0))
				w.fail ("the file is read-only");
			const fs::path target (resolved);
			const fs::path folder = target.has_parent_path () ? target.parent_path () : fs::path (".");
			std::string temp = (folder / ("." + target.filename ().string () + ".partial-XXXXXX")).string ();
			SignalsHeld held;
			w.fd = mkstemp (temp.data ());
			if (w.fd < 0)
				w.fail (errno == ENOENT ? "the folder '" + folder.string () + "' does not exist"
				                        : std::strerror (errno));
			w.ownsFd = true;
			w.target = resolved;
			w.temp = temp;
			hasPendingTemporary = std::snprintf (pendingTemporary, sizeof pendingTemporary, "%s",
			                                     temp.c_str ()) < static_cast<int> (sizeof pendingTemporary);
			// mkstemp makes the file private: give it the permissions the replaced file had,
			// or those a new file gets.
			const mode_t mask = umask (0);
			umask (mask);
			fchmod (w.fd, exists ? (st.st_mode & 07777) : (0666 & ~mask));
		}
	}
	struct stat st
	{};
	w.pipe = fstat (w.fd, &st) == 0 && (S_ISFIFO (st.st_mode) || S_ISSOCK (st.st_mode));
}

AudioWriter::~AudioWriter () = default;

void AudioWriter::start (int sampleRate, int channels, int sndfileFormat, const Tags& tags,
                         std::optional<int64_t> frames)
{
	Impl& w = *impl_;
	SF_INFO info {};
	info.samplerate = sampleRate;
	info.channels = channels;
	info.format = sndfileFormat;
	if (!sf_format_check (&info))
		w.fail ("the format cannot hold this audio");
	const FileFormat container = containerOf (sndfileFormat);
	if (w.pipe && container == FileFormat::Aiff)
		w.fail ("AIFF cannot be written to a pipe; use WAV or FLAC");
	if (w.pipe && container == FileFormat::Wav)
	{
		// libsndfile cannot go back to complete a WAV header on a pipe: write one for the
		// known length, then let libsndfile encode the samples as raw data.
		if (!frames)
			w.fail ("a WAV on a pipe needs an input of known length; use --format flac");
		int subtype = sndfileFormat & SF_FORMAT_SUBMASK;
		if (subtype != SF_FORMAT_PCM_U8 && subtype != SF_FORMAT_PCM_16 && subtype != SF_FORMAT_PCM_24 &&
		    subtype != SF_FORMAT_PCM_32 && subtype != SF_FORMAT_DOUBLE)
			subtype = SF_FORMAT_FLOAT;
		w.pipeWavDataBytes = *frames * channels * bytesPerSample (subtype);
		if (w.pipeWavDataBytes > 0xFFFFFFFFLL - 36)
			w.fail ("too long for a WAV (4 GB); use --format flac");
		if (!writeAll (w.fd, wavHeader (sampleRate, channels, subtype, *frames)))
			w.fail (std::strerror (errno));
		w.pipeWavFrames = frames;
		info.format = SF_FORMAT_RAW | subtype | SF_ENDIAN_LITTLE;
	}
	w.file = sf_open_fd (w.fd, SFM_WRITE, &info, SF_FALSE);
	if (!w.file)
		w.fail (sf_strerror (nullptr));
	sf_command (w.file, SFC_SET_CLIPPING, nullptr, SF_TRUE); // clip, never wrap around
	// The PEAK chunk carries a time stamp: the same render would differ from run to run.
	sf_command (w.file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
	for (const auto& [id, text] : tags)
		sf_set_string (w.file, id, text.c_str ()); // formats without a place for a tag refuse it
}

void AudioWriter::write (const double* interleaved, int64_t count)
{
	Impl& w = *impl_;
	if (sf_writef_double (w.file, interleaved, count) != count)
		w.fail (sf_strerror (w.file));
	w.framesWritten += count;
}

void AudioWriter::finish ()
{
	Impl& w = *impl_;
	const int closed = sf_close (w.file);
	w.file = nullptr;
	if (closed != 0)
		w.fail (sf_error_number (closed));
	if (w.pipeWavFrames)
	{
		if (w.framesWritten != *w.pipeWavFrames)
			w.fail ("the audio ended after " + std::to_string (w.framesWritten) + " of the " +
			        std::to_string (*w.pipeWavFrames) + " frames announced");
		if ((w.pipeWavDataBytes & 1) && !writeAll (w.fd, std::string (1, '\0'))) // chunks are of even length
			w.fail (std::strerror (errno));
	}
	if (!w.temp.empty ())
	{
		if (fsync (w.fd) != 0)
			w.fail (std::strerror (errno));
		SignalsHeld held;
		if (std::rename (w.temp.c_str (), w.target.c_str ()) != 0)
			w.fail (std::strerror (errno));
		w.temp.clear ();
		hasPendingTemporary = 0;
	}
	if (w.ownsFd && close (w.fd) != 0)
	{
		w.ownsFd = false;
		w.fail (std::strerror (errno));
	}
	w.ownsFd = false;
}

// ---- whole files

AudioFile readAudioFile (const std::string& path)
{
	AudioReader reader (path);
	AudioFile out;
	out.sndfileFormat = reader.sndfileFormat ();
	out.tags = reader.tags ();
	out.audio.sampleRate = reader.sampleRate ();
	out.audio.channels = reader.channels ();
	std::vector<double> block (4096 * static_cast<size_t> (reader.channels ()));
	while (const int64_t got = reader.read (block.data (), 4096))
		out.audio.samples.insert (out.audio.samples.end (), block.begin (),
		                          block.begin () + got * reader.channels ());
	return out;
}

void writeAudioFile (const std::string& path, const AudioData& audio, int sndfileFormat, const Tags& tags)
{
	AudioWriter writer (path);
	writer.start (audio.sampleRate, audio.channels, sndfileFormat, tags, audio.frames ());
	writer.write (audio.samples.data (), audio.frames ());
	writer.finish ();
}

bool sameFile (const std::string& a, const std::string& b)
{
	struct stat x
	{
	}, y {};
	return a != "-" && b != "-" && stat (a.c_str (), &x) == 0 && stat (b.c_str (), &y) == 0 &&
	       x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

void removeTemporaryFilesOnSignals ()
{
	struct sigaction action
	{};
	action.sa_handler = removeTemporaryAndDie;
	sigemptyset (&action.sa_mask);
	for (int s : kCleanupSignals)
		sigaddset (&action.sa_mask, s);
	for (int s : kCleanupSignals)
		sigaction (s, &action, nullptr);
}

} // namespace render
