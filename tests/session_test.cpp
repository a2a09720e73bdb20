// Runs the program as its users meet it: each case file in cases/ holds the
// starting files, the typed input, and the expected screen and files. The
// program runs in a fresh directory; the screen and every file it leaves there
// are compared byte for byte, and a file nobody expected is a failure too.
//
// A case file is a list of sections, each opened by a line "== <kind> [name]":
//   start NAME   a file present before the run
//   setup        shell commands run in the directory before the run
//   stdin        the input typed
//   args         command line arguments, one a line
//   limit        largest file size the program may write (a full disk)
//   stdout       the expected screen
//   file NAME    a file expected afterwards, byte for byte
//   exists       names (one a line) expected afterwards, content not compared
// A section's body is its lines, each ended by a newline. In bodies {banner},
// {new}, {loaded} and {menu} stand for the start-up lines and the menu,
// {start:NAME} for a starting file's bytes, {file:NAME} for an expected one's, {xHH} for one byte, and {nonl}
// takes back the newline that ends its line.
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
    std::string setup, input, screen, limit;
    std::vector<std::string> args;
};

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kMenu =
    "\n(1)Enter new S/N to DataBase \n(2)Edit the exist data \n(3)Delete the exist data \n"
    "(4)Load the VELK files \n(5)Save the VELK files as text file \n(6)Search S/N in DataBase \n"
    "(7)View full data \n(8)View README \n(9)Check the data file \n(R)VELK Recovery \n(Q)Quit \n"
    "Please enter the code  \n:";

std::string expand(std::string body, const Case& c)
{
    std::string out;
    for (std::size_t i = 0; i < body.size();) {
        std::size_t close = body[i] == '{' ? body.find('}', i) : std::string::npos;
        std::string token = close == std::string::npos ? "" : body.substr(i + 1, close - i - 1);
        if (token == "banner")
            out += "Quorvane (Text Version v1.1.2) for Linux. \ncode:KX-P-1 \n";
        else if (token == "new")
            out += "Data file not found , creating a one ... \n";
        else if (token == "loaded")
            out += "Data file loaded successful .... \n";
        else if (token == "menu")
            out += kMenu;
        else if (token == "nonl")
            body.erase(close + 1, 1);
        else if (token.rfind("start:", 0) == 0)
            out += c.start.at(token.substr(6));
        else if (token.rfind("file:", 0) == 0)
            out += c.expected.at(token.substr(5));
        else if (token.size() == 3 && token[0] == 'x')
            out += static_cast<char>(std::stoi(token.substr(1), nullptr, 16));
        else {
            out += body[i++];
            continue;
        }
        i = close + 1;
    }
    return out;
}

Case parse(const fs::path& path)
{
    Case c;
    std::istringstream text(slurp(path));
    std::vector<std::pair<std::string, std::string>> sections;   // header, raw body
    for (std::string line; std::getline(text, line);) {
        if (line.rfind("== ", 0) == 0)
            sections.emplace_back(line.substr(3), "");
        else if (!sections.empty())
            sections.back().second += line + "\n";
    }
    for (auto& [header, raw] : sections) {
        std::string kind = header.substr(0, header.find(' '));
        std::string name = kind.size() < header.size() ? header.substr(kind.size() + 1) : "";
        std::string body = expand(raw, c);
        if (kind == "start") c.start[name] = body;
        else if (kind == "file") c.expected[name] = body, c.present.insert(name);
        else if (kind == "stdin") c.input = body;
        else if (kind == "stdout") c.screen = body;
        else if (kind == "setup") c.setup = body;
        else if (kind == "limit") c.limit = body;
        else if (kind == "args" || kind == "exists") {
            std::istringstream lines(body);
            for (std::string l; std::getline(lines, l);)
                kind == "args" ? c.args.push_back(l) : (void)c.present.insert(l);
        } else
            ADD_FAILURE() << "unknown section " << header;
    }
    return c;
}

// Where two byte strings part, with some bytes of each around it.
std::string difference(const std::string& want, const std::string& got)
{
    std::size_t at = 0;
    while (at < want.size() && at < got.size() && want[at] == got[at])
        ++at;
    if (at == want.size() && at == got.size())
        return "";
    std::size_t from = at < 60 ? 0 : at - 60;
    std::ostringstream why;
    why << "first difference at byte " << at << "\n--- expected ---\n" << want.substr(from, 120)
        << "\n--- got ---\n" << got.substr(from, 120) << "\n---";
    return why.str();
}

// Runs the program; the screen comes back through a pipe, which a file size
// limit does not cut short.
int run(const Case& c, const fs::path& dir, const fs::path& io, std::string& screen)
{
    std::ofstream(io / "stdin", std::ios::binary) << c.input;
    int out[2];
    if (pipe(out) != 0)
        return -1;
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        int in = open((io / "stdin").c_str(), O_RDONLY);
        int err = open((io / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0), dup2(out[1], 1), dup2(err, 2);
        close(out[0]);
        if (!c.limit.empty()) {
            rlim_t bytes = std::stoul(c.limit);
            rlimit lim{bytes, bytes};
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
    waitpid(pid, &status, 0);
    return status;
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

    std::string screen;
    int status = run(c, dir, io, screen);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "status " << status << "\n" << slurp(io / "stderr");
    EXPECT_EQ(difference(c.screen, screen), "") << "on the screen";
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
        found.insert(entry.path().filename().string());
    EXPECT_EQ(found, c.present) << "files in the working directory";
    for (auto& [name, bytes] : c.expected)
        EXPECT_EQ(difference(bytes, slurp(dir / name)), "") << "in " << name;

    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(io);
}

std::vector<fs::path> cases()
{
    std::vector<fs::path> all;
    for (const auto& entry : fs::directory_iterator(QUORVANE_CASES))
        if (entry.path().extension() == ".case")
            all.push_back(entry.path());
    std::sort(all.begin(), all.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(Cases, Session, testing::ValuesIn(cases()),
                         [](const testing::TestParamInfo<fs::path>& info) {
                             std::string name = info.param.stem().string();
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

}  // namespace
