// Running the git program the user has, in the catalogue's folder: never
// an editor or a pager, the user's own configuration, keys and hooks all
// the same.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::history {

struct GitRun {
    int status = -1;       // git's exit status; -1 where it did not run
    bool missing = false;  // there is no git to run
    std::string out;       // its standard output, where it is kept
    std::string err;       // the end of its standard error
    // The last line git said on standard error (or, where it ran, that it
    // failed): why, in one line.
    std::string why() const;
    bool ok() const { return status == 0; }
};

struct GitOptions {
    bool passThrough = false;  // git's own output and error go where ours go
    // Standard output in pieces, as it comes, instead of kept; false stops
    // taking it (the rest is dropped).
    std::function<bool(std::string_view)> sink;
    std::vector<std::string> env;  // NAME=VALUE added to the environment
    std::string input;             // its standard input (none: an empty one)
    // The program's own commit or merge: a fallback identity where the user
    // has none (the user's own always wins).
    bool ownIdentity = false;
};

// Runs `git ARGS...`. Standard output is kept up to a bound large enough
// for any catalogue; standard error is kept to its end.
GitRun runGit(const std::vector<std::string>& args, const GitOptions& options = {});
// What the network needs: a bounded wait for ssh to connect, unless the
// user chose an ssh command of their own.
GitOptions network();
// `git commit ARGS...` as the program makes its commits: with its own
// identity where the user has none, hooks and signing as configured, git's
// automatic housekeeping left to its other commands.
GitRun commitAs(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

}  // namespace qv::history
