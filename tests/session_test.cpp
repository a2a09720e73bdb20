// Runs the program as its users meet it: each case file in cases/ holds the
// starting files, the typed input, and the expected screen and files. The
// program runs in a fresh directory; the screen and every file it leaves there
// are compared byte for byte, and a file nobody expected is a failure too.
//
// A case is a list of sections, each opened by a line "== <kind> ...":
//   start NAME [< SHARED]   a file there before the run (or cases/shared/SHARED)
//   setup                   shell commands run in the directory before the run
//   after                   shell commands run there after the run and the
//                           comparisons, which must succeed
//   keys A|B|C              the input typed: the lines A, B and C
//   stdin                   the input typed, as the section's body
//   args, limit             arguments, one a line; the largest file the
//                           program may write (a full disk)
//   stdout                  the expected screen
//   cli                     commands run after the menu, if any: each line
//                           "$ quorvane ARGS..." (a shell line) is followed by
//                           its standard output, its standard error with each
//                           line marked "! ", and "? N" for a status N but 0
//   file NAME... [= start X | = file X | = shared X]   files expected afterwards
//                           (a NAME outside the directory, ../x, is compared only)
//   same NAME...            files expected afterwards as they were at the start
//   exists NAME...          files expected afterwards, contents not compared
// A body is its lines, each ended by a newline. In bodies {banner}, {new},
// {loaded}, {menu} and {damaged} stand for the start-up lines, the menu and
// the refusal of a damaged data file, {xHH} for a byte, {nonl} takes back the
// newline that ends its line, and {skip} in the expected screen passes over
// anything up to the text that follows it, though never over a menu prompt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Case {
    std::map<std::string, std::string> start, expected;
    std::set<std::string> present;
    std::string setup, after, input, screen, limit, cli;
    std::vector<std::string> args;
};

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

const std::pair<std::string, std::string> kTokens[] = {
    {"{banner}", "Quorvane (Text Version v1.1.2) for Linux. \ncode:KX-P-1 \n"},
    {"{new}", "Data file not found , creating a one ... \n"},
    {"{loaded}", "Data file loaded successful .... \n"},
    {"{menu}", "\n(1)Enter new S/N to DataBase \n(2)Edit the exist data \n(3)Delete the exist data \n"
               "(4)Load the VELK files \n(5)Save the VELK files as text file \n(6)Search S/N in DataBase \n"
               "(7)View full data \n(8)View README \n(9)Check the data file \n(R)VELK Recovery \n(Q)Quit \n"
               "Please enter the code  \n:"},
    {"{damaged}", "The data file is damaged , nothing has been changed , please check it (9) or recover it (R) . "},
    {"{nonl}\n", ""},
};

std::string expand(const std::string& body)
{
    std::string out;
    for (std::size_t at = 0; at < body.size();) {
        auto token = std::find_if(std::begin(kTokens), std::end(kTokens),
                                  [&](const auto& t) { return body.compare(at, t.first.size(), t.first) == 0; });
        if (token != std::end(kTokens))
            out += token->second, at += token->first.size();
        else if (body.compare(at, 2, "{x") == 0 && body.size() > at + 4 && body[at + 4] == '}')
            out += static_cast<char>(std::stoi(body.substr(at + 2, 2), nullptr, 16)), at += 5;
        else
            out += body[at++];
    }
    return out;
}

Case parse(const fs::path& path)
{
    Case c;
    std::istringstream text(slurp(path));
    std::vector<std::pair<std::vector<std::string>, std::string>> sections;   // header words, body
    for (std::string line; std::getline(text, line);) {
        if (line.rfind("== keys ", 0) == 0)
            c.input = line.substr(8) + "\n", std::replace(c.input.begin(), c.input.end(), '|', '\n');
        else if (line.rfind("== ", 0) == 0)
            sections.emplace_back(words(line.substr(3)), "");
        else if (!sections.empty())
            sections.back().second += line + "\n";
    }
    const fs::path shared = path.parent_path() / "shared";
    for (auto& [head, raw] : sections) {
        const std::string kind = head[0];
        std::string body = expand(raw);
        auto eq = std::find(head.begin(), head.end(), "=");
        std::vector<std::string> names(head.begin() + 1, eq);
        if (head.end() - eq == 3)
            body = eq[1] == "start" ? c.start.at(eq[2]) : eq[1] == "file" ? c.expected.at(eq[2]) : slurp(shared / eq[2]);
        if (head.size() == 4 && head[2] == "<")
            body = slurp(shared / head[3]), names = {head[1]};
        for (const std::string& name : names) {
            if (kind == "start") c.start[name] = body;
            if (kind == "file") c.expected[name] = body;
            if (kind == "same") c.expected[name] = c.start.at(name);
            if ((kind == "file" || kind == "same" || kind == "exists") && name.find('/') == std::string::npos)
                c.present.insert(name);
        }
        if (kind == "stdin") c.input = body;
        if (kind == "stdout") c.screen = body;
        if (kind == "setup") c.setup = body;
        if (kind == "after") c.after = body;
        if (kind == "cli") c.cli = body;
        if (kind == "limit") c.limit = body;
        if (kind == "args") c.args = words(body);
    }
    return c;
}

const std::string kPrompt = "Please enter the code  \n:";

// Empty when `got` matches `want`; otherwise where they part, with context.
std::string difference(const std::string& want, const std::string& got)
{
    std::size_t w = 0, g = 0;
    for (std::size_t skip; (skip = want.find("{skip}", w)) != std::string::npos; w = skip + 6) {
        if (got.compare(g, skip - w, want, w, skip - w) != 0)
            break;
        g += skip - w;
        std::size_t next = want.find("{skip}", skip + 6);
        std::string after = want.substr(skip + 6, next == std::string::npos ? next : next - skip - 6);
        std::size_t found = next != std::string::npos ? got.find(after, g)
                                                      : got.size() - std::min(got.size() - g, after.size());
        if (found == std::string::npos || got.substr(g, found - g).find(kPrompt) != std::string::npos)
            break;   // a skip never passes over a menu prompt: it stays inside one operation
        g = found;
    }
    std::size_t at = 0;
    while (w + at < want.size() && g + at < got.size() && want[w + at] == got[g + at])
        ++at;
    if (w + at == want.size() && g + at == got.size())
        return "";
    std::size_t back = std::min<std::size_t>(at, 60);
    return "first difference at byte " + std::to_string(g + at) + "\n--- expected ---\n" +
           want.substr(w + at - back, 120) + "\n--- got ---\n" + got.substr(g + at - back, 120) + "\n---";
}

// Runs the program; the screen comes back through a pipe, which a file size
// limit does not cut short.
int run(const Case& c, const fs::path& dir, const fs::path& io, std::string& screen)
{
    std::ofstream(io / "stdin", std::ios::binary) << c.input;
    int out[2];
    if (pipe(out) != 0)
        return -1;
    if (fork() == 0) {
        int in = open((io / "stdin").c_str(), O_RDONLY);
        int err = open((io / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (chdir(dir.c_str()) != 0 || dup2(in, 0) < 0 || dup2(out[1], 1) < 0 || dup2(err, 2) < 0)
            _exit(126);
        close(out[0]);
        if (!c.limit.empty()) {
            rlimit lim{std::stoul(c.limit), std::stoul(c.limit)};
            setrlimit(RLIMIT_FSIZE, &lim);
            signal(SIGXFSZ, SIG_IGN);
        }
        alarm(30);   // a hang fails the case instead of the whole run
        std::vector<char*> argv{const_cast<char*>(QUORVANE_BINARY)};
        for (const std::string& a : c.args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(QUORVANE_BINARY, argv.data());
        _exit(127);
    }
    close(out[1]);
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
        screen.append(buf, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    wait(&status);
    return status;
}

// Runs the "$ " lines of a cli section one by one, and writes what they did
// in the same form.
std::string transcript(const std::string& script, const fs::path& dir, const fs::path& io)
{
    std::string out;
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("{skip}", 0) == 0)   // what the line before printed is passed over
            line.erase(0, 6);
        if (line.rfind("$ ", 0) != 0)
            continue;
        out += line + "\n";
        std::string cmd = "quorvane() { '" QUORVANE_BINARY "' \"$@\"; }; cd '" + dir.string() + "' && { " + line.substr(2)
                          + "\n} </dev/null >'" + (io / "out").string() + "' 2>'" + (io / "err").string() + "'";
        int status = std::system(cmd.c_str());
        out += slurp(io / "out");
        std::istringstream err(slurp(io / "err"));
        for (std::string e; std::getline(err, e);)
            out += "! " + e + "\n";
        if (WEXITSTATUS(status) != 0)
            out += "? " + std::to_string(WEXITSTATUS(status)) + "\n";
    }
    return out;
}

class Session : public testing::TestWithParam<fs::path> {};

TEST_P(Session, MatchesByteForByte)
{
    Case c = parse(GetParam());
    char scratch[] = "/tmp/quorvane-case-XXXXXX";
    ASSERT_NE(mkdtemp(scratch), nullptr);
    fs::path io = scratch, dir = io / "work";
    fs::create_directory(dir);
    for (auto& [name, bytes] : c.start)
        std::ofstream(dir / name, std::ios::binary) << bytes;
    if (!c.setup.empty()) {
        ASSERT_EQ(std::system(("cd '" + dir.string() + "' && " + c.setup).c_str()), 0);
    }
    if (!c.input.empty() || !c.screen.empty() || !c.args.empty()) {
        std::string screen;
        int status = run(c, dir, io, screen);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << "\n" << slurp(io / "stderr");
        EXPECT_EQ(difference(c.screen, screen), "") << "on the screen";
    }
    if (!c.cli.empty()) {
        EXPECT_EQ(difference(c.cli, transcript(c.cli, dir, io)), "") << "from the commands";
    }
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename() != ".quorvane.lock")   // kept for good, like any lock file
            found.insert(entry.path().filename().string());
    EXPECT_EQ(found, c.present) << "files in the working directory";
    for (auto& [name, bytes] : c.expected)
        EXPECT_EQ(difference(bytes, slurp(dir / name)), "") << "in " << name;
    if (!c.after.empty()) {
        EXPECT_EQ(std::system(("cd '" + dir.string() + "' && (set -e\n" + c.after + ") >&2").c_str()), 0) << "after the run";
    }
    fs::remove_all(io);
}

// All case files, or the one named by QUORVANE_CASE.
std::vector<fs::path> cases()
{
    if (const char* one = std::getenv("QUORVANE_CASE"))
        return {fs::path(one)};
    std::vector<fs::path> all;
    for (const auto& entry : fs::directory_iterator(QUORVANE_CASES))
        if (entry.path().extension() == ".case")
            all.push_back(entry.path());
    std::sort(all.begin(), all.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(Cases, Session, testing::ValuesIn(cases()));

}  // namespace
