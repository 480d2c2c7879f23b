#pragma once

#include "audio_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace test {

namespace fs = std::filesystem;

// A fresh folder, removed with everything in it at the end of the test.
struct TempFolder
{
	fs::path path;
	TempFolder ()
	{
		std::string pattern = (fs::temp_directory_path () / "chopwright-render-test-XXXXXX").string ();
		path = mkdtemp (pattern.data ());
	}
	~TempFolder () { fs::remove_all (path); }
	std::string operator/ (const std::string& name) const { return (path / name).string (); }
	std::vector<std::string> names () const
	{
		std::vector<std::string> out;
		for (const auto& entry : fs::directory_iterator (path))
			out.push_back (entry.path ().filename ().string ());
		std::sort (out.begin (), out.end ());
		return out;
	}
};

inline std::string quote (const std::string& text)
{
	std::string out = "'";
	for (char c : text)
		out += c == '\'' ? std::string ("'\\''") : std::string (1, c);
	return out + "'";
}

inline std::string slurp (const std::string& path)
{
	std::ifstream in (path, std::ios::binary);
	std::stringstream s;
	s << in.rdbuf ();
	return s.str ();
}

struct RunResult
{
	int status = -1; // exit status, 128 + N when ended by signal N
	std::string out;
	std::string err;
};

// Runs the chopwright-render executable in folder, capturing what it prints. Standard input
// is closed, or a pipe fed from the file stdinFrom; standard output goes through a pipe into
// stdoutTo when that is given.
inline RunResult runRender (const std::vector<std::string>& args, const TempFolder& folder,
                            const std::string& stdinFrom = "", const std::string& stdoutTo = "")
{
	const std::string base =
	    (folder.path.parent_path () / (folder.path.filename ().string () + ".run")).string ();
	std::string render = quote (RENDER_EXECUTABLE);
	for (const auto& a : args)
		render += " " + quote (a);
	render += " 2> " + quote (base + ".err") + (stdinFrom.empty () ? " < /dev/null" : "");
	std::string command = "cd " + quote (folder.path.string ()) + " && ";
	if (!stdinFrom.empty ())
		command += "cat " + quote (stdinFrom) + " | ";
	command += "{ " + render + "; echo $? > " + quote (base + ".status") + "; }";
	command += stdoutTo.empty () ? " > " + quote (base + ".out") : " | cat > " + quote (stdoutTo);
	std::system (command.c_str ());
	RunResult result;
	result.status = std::stoi ("0" + slurp (base + ".status"));
	result.out = slurp (base + ".out");
	result.err = slurp (base + ".err");
	for (const char* extension : {".status", ".out", ".err"})
		fs::remove (base + extension);
	return result;
}

// Starts chopwright-render in folder with the given standard input and output, for tests
// that deal with it while it runs; standard error is discarded.
inline pid_t spawnRender (const std::vector<std::string>& args, const TempFolder& folder, int in, int out)
{
	std::vector<std::string> argv = {RENDER_EXECUTABLE};
	argv.insert (argv.end (), args.begin (), args.end ());
	std::vector<char*> pointers;
	for (auto& a : argv)
		pointers.push_back (a.data ());
	pointers.push_back (nullptr);
	const pid_t pid = fork ();
	if (pid == 0)
	{
		const int null = open ("/dev/null", O_WRONLY);
		if (chdir (folder.path.c_str ()) != 0 || dup2 (in, 0) < 0 || dup2 (out, 1) < 0 || dup2 (null, 2) < 0)
			_exit (127);
		execv (pointers[0], pointers.data ());
		_exit (127);
	}
	return pid;
}

struct Exit
{
	int status = 0;  // as waitpid reports it
	long peakKb = 0; // peak resident memory
};

inline Exit waitFor (pid_t pid)
{
	Exit exit;
	struct rusage usage
	{};
	wait4 (pid, &exit.status, 0, &usage);
	exit.peakKb = usage.ru_maxrss;
	return exit;
}

// A stereo or mono test signal: a slow sine on the left, a faster one on the right.
inline render::AudioData sineSignal (int channels, int64_t frames, int sampleRate = 44100)
{
	render::AudioData audio;
	audio.channels = channels;
	audio.sampleRate = sampleRate;
	for (int64_t i = 0; i < frames; ++i)
		for (int c = 0; c < channels; ++c)
			audio.samples.push_back (0.5 * std::sin (0.01 * (c + 1) * static_cast<double> (i)));
	return audio;
}

} // namespace test
